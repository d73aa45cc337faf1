#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Exception.h"

namespace vantle {

// An error reading a group file; the message is one of the format's read errors.
class TGridStreamException : public Exception {
 public:
  using Exception::Exception;
};

// Cell records carry Col and Row as signed 16-bit numbers, so a grid has at most 32768 rows.
inline constexpr int GridMaxRows = 32768;
// Far more columns than any list needs; bounds what a hostile file can make a grid allocate.
inline constexpr int GridMaxCols = 64;
// Largest column width or row height read back; keeps the grid's total length within int.
inline constexpr int GridMaxSectionSize = 32767;

// The first record of a group file ("TGridPropIO"): the grid as a whole.
struct TGridProps {
  int32_t ColCount = 0;
  int32_t RowCount = 0;
  std::vector<int> ColWidths;
  std::vector<int> RowHeights;
  bool FullGrid = false;
  int32_t ID = 0;
};

// One "TGridCellIO" record: a cell that holds text.
struct TGridCell {
  int32_t Col = 0;
  int32_t Row = 0;
  std::string Cell;
  bool HasProp = false;
};

// True when a reader accepts `props`: counts within the limits, one size per column and per
// row, each size from 0 to GridMaxSectionSize.
bool PropsWithinLimits(const TGridProps& props);

// Appends records in the group-file format to one growing buffer. What a reader would refuse
// is not written: it raises TGridStreamException instead.
class TGridWriter {
 public:
  // Reserves room for `bytes` bytes of output.
  void Reserve(std::size_t bytes);
  // Writes the "TGridPropIO" record; ColWidths and RowHeights are joined with ",".
  void WriteProps(const TGridProps& props);
  // Writes a "TGridCellIO" record for the text of (col, row), with HasProp false.
  void WriteCell(int col, int row, std::string_view text);
  // Everything written so far.
  const std::string& Bytes() const { return bytes_; }

 private:
  void WriteRecordStart(std::string_view type);
  void WriteRecordEnd();
  void WriteName(std::string_view name);
  void WriteInteger(std::string_view name, int32_t value);
  void WriteBoolean(std::string_view name, bool value);
  void WriteText(std::string_view name, std::string_view utf8);
  void WriteUInt32(uint32_t value);

  std::string bytes_;
};

// A number that identifies the writing run, for the ID property; it differs from run to run.
int32_t GridStreamID();

// Reads the records of a group file one at a time, so that what was read before an error
// can be kept. Every error is a TGridStreamException with the format's message.
class TGridReader {
 public:
  // Reads from `bytes`, which must outlive the reader.
  explicit TGridReader(std::string_view bytes);
  // The first record, read on the first call.
  const TGridProps& Props();
  // Reads the next cell record into `cell`; false when fewer than two bytes remain.
  bool ReadCell(TGridCell& cell);

 private:
  struct TSlot;
  void ReadRecord(const TSlot* slots, std::size_t count);
  void ReadValue(const TSlot& slot);
  void CheckCell(const TGridCell& cell) const;
  std::string_view Take(uint64_t count);
  uint8_t TakeByte();
  uint32_t TakeUInt32();
  std::string_view TakeShortString();
  int32_t TakeInteger(uint8_t tag);
  std::string TakeText(uint8_t tag);
  std::size_t Remaining() const { return bytes_.size() - pos_; }

  std::string_view bytes_;
  std::size_t pos_ = 0;
  bool props_read_ = false;
  TGridProps props_;
};

// Where the cells of a file go in a grid of a given size: each to its own (Col, Row) when the
// file describes the whole grid, else relative to the first cell record.
class TCellPlacement {
 public:
  TCellPlacement(bool full_grid, int col_count, int row_count);
  // The (column, row) of `cell`; raises "Invalid property value" outside the grid.
  std::pair<int, int> Place(const TGridCell& cell);

 private:
  bool full_grid_;
  int col_count_;
  int row_count_;
  bool first_ = true;
  int col_origin_ = 0;
  int row_origin_ = 0;
};

// A group file as its records: the first one and every cell record in file order, up to the
// first read error, which comes with them. The store's feed list reads and writes through
// these; the grid streams the same records cell by cell through TGridReader and TGridWriter,
// so that a large group needs no second copy.
struct TGridRecords {
  bool HasProps = false;  // the first record was read whole
  TGridProps Props;
  std::vector<TGridCell> Cells;
  std::string Error;  // the read error that stopped the reading; empty when read whole
};

// The records of `bytes`.
TGridRecords DecodeGridRecords(std::string_view bytes);

// The bytes of the first record `props`, then of `cells` in order. Raises what a reader
// would refuse, as TGridWriter does.
std::string EncodeGridRecords(const TGridProps& props, const std::vector<TGridCell>& cells);

// Reads a whole group file: `on_props` gets the first record, then `on_cell` each cell record
// in file order. An error stops the reading where it arose, after the records before it.
void ReadGridStream(std::string_view bytes, const std::function<void(const TGridProps&)>& on_props,
                    const std::function<void(const TGridCell&)>& on_cell);

}  // namespace vantle
