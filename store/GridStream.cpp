#include "store/GridStream.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <limits>
#include <variant>

#include "store/GridText.h"

namespace vantle {

namespace {

constexpr std::string_view Signature = "TPF0";
constexpr std::string_view PropRecordType = "TGridPropIO";
constexpr std::string_view CellRecordType = "TGridCellIO";

enum TValueTag : uint8_t {
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaString = 6,
  vaFalse = 8,
  vaTrue = 9,
  vaLString = 12,
  vaWString = 18,
  vaUTF8String = 20,
};

[[noreturn]] void RaiseStreamReadError() {
  throw TGridStreamException("Stream read error");
}
[[noreturn]] void RaiseInvalidStreamFormat() {
  throw TGridStreamException("Invalid stream format");
}
[[noreturn]] void RaiseInvalidPropertyValue() {
  throw TGridStreamException("Invalid property value");
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string JoinSizes(const std::vector<int>& sizes) {
  std::string text;
  text.reserve(sizes.size() * 4);
  char digits[16];
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (i > 0) text += ',';
    const auto result = std::to_chars(digits, digits + sizeof digits, sizes[i]);
    text.append(digits, result.ptr);
  }
  return text;
}

// The numbers of a ColWidths or RowHeights text: decimal, joined by ",".
std::vector<int> ParseSizes(std::string_view text) {
  std::vector<int> sizes;
  if (text.empty()) return sizes;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view piece = text.substr(start, comma - start);
    int size = -1;
    const auto result = std::from_chars(piece.data(), piece.data() + piece.size(), size);
    if (result.ec != std::errc() || result.ptr != piece.data() + piece.size()) {
      RaiseInvalidPropertyValue();
    }
    sizes.push_back(size);
    if (comma == text.size()) return sizes;
    start = comma + 1;
  }
}

bool InInt16(int32_t value) {
  return value >= std::numeric_limits<int16_t>::min() &&
         value <= std::numeric_limits<int16_t>::max();
}

bool SizesWithinLimits(const std::vector<int>& sizes, int32_t count) {
  if (sizes.size() != static_cast<std::size_t>(count)) return false;
  for (const int size : sizes) {
    if (size < 0 || size > GridMaxSectionSize) return false;
  }
  return true;
}

[[noreturn]] void RaiseTooLargeToWrite() {
  throw TGridStreamException("A group file holds at most " + std::to_string(GridMaxRows) +
                             " rows and " + std::to_string(GridMaxCols) +
                             " columns of sizes up to " + std::to_string(GridMaxSectionSize));
}

}  // namespace

bool PropsWithinLimits(const TGridProps& props) {
  return props.ColCount >= 0 && props.ColCount <= GridMaxCols && props.RowCount >= 0 &&
         props.RowCount <= GridMaxRows && SizesWithinLimits(props.ColWidths, props.ColCount) &&
         SizesWithinLimits(props.RowHeights, props.RowCount);
}

void TGridWriter::Reserve(std::size_t bytes) {
  bytes_.reserve(bytes);
}

void TGridWriter::WriteProps(const TGridProps& props) {
  if (!PropsWithinLimits(props)) RaiseTooLargeToWrite();
  WriteRecordStart(PropRecordType);
  WriteInteger("ColCount", props.ColCount);
  WriteInteger("RowCount", props.RowCount);
  WriteText("ColWidths", JoinSizes(props.ColWidths));
  WriteText("RowHeights", JoinSizes(props.RowHeights));
  WriteBoolean("FullGrid", props.FullGrid);
  WriteInteger("ID", props.ID);
  WriteRecordEnd();
}

void TGridWriter::WriteCell(int col, int row, std::string_view text) {
  if (col < 0 || col >= GridMaxCols || row < 0 || row >= GridMaxRows) RaiseTooLargeToWrite();
  WriteRecordStart(CellRecordType);
  WriteInteger("Col", col);
  WriteInteger("Row", row);
  WriteText("Cell", text);
  WriteBoolean("HasProp", false);
  WriteRecordEnd();
}

void TGridWriter::WriteRecordStart(std::string_view type) {
  bytes_ += Signature;
  WriteName(type);
  bytes_ += '\0';
}

void TGridWriter::WriteRecordEnd() {
  bytes_.append(2, '\0');
}

void TGridWriter::WriteName(std::string_view name) {
  bytes_ += static_cast<char>(name.size());
  bytes_ += name;
}

void TGridWriter::WriteInteger(std::string_view name, int32_t value) {
  WriteName(name);
  if (value >= -128 && value <= 127) {
    bytes_ += static_cast<char>(vaInt8);
    bytes_ += static_cast<char>(value);
  } else if (InInt16(value)) {
    bytes_ += static_cast<char>(vaInt16);
    bytes_ += static_cast<char>(value & 0xFF);
    bytes_ += static_cast<char>((value >> 8) & 0xFF);
  } else {
    bytes_ += static_cast<char>(vaInt32);
    WriteUInt32(static_cast<uint32_t>(value));
  }
}

void TGridWriter::WriteBoolean(std::string_view name, bool value) {
  WriteName(name);
  bytes_ += static_cast<char>(value ? vaTrue : vaFalse);
}

// The tag follows the lengths: wide text when UTF-8 is no shorter than twice the UTF-16
// length, else plain bytes for ASCII, else UTF-8.
void TGridWriter::WriteText(std::string_view name, std::string_view utf8) {
  if (utf8.empty()) return;
  const std::string text = ValidUtf8(utf8);
  const std::size_t units = Utf16Length(text);
  WriteName(name);
  if (text.size() >= 2 * units) {
    bytes_ += static_cast<char>(vaWString);
    const std::u16string wide = Utf8ToUtf16(text);
    WriteUInt32(static_cast<uint32_t>(wide.size()));
    for (const char16_t unit : wide) {
      bytes_ += static_cast<char>(unit & 0xFF);
      bytes_ += static_cast<char>(unit >> 8);
    }
  } else if (IsAscii(text) && text.size() <= 255) {
    bytes_ += static_cast<char>(vaString);
    bytes_ += static_cast<char>(text.size());
    bytes_ += text;
  } else {
    bytes_ += static_cast<char>(IsAscii(text) ? vaLString : vaUTF8String);
    WriteUInt32(static_cast<uint32_t>(text.size()));
    bytes_ += text;
  }
}

void TGridWriter::WriteUInt32(uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes_ += static_cast<char>((value >> shift) & 0xFF);
}

int32_t GridStreamID() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto ticks =
      static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
  const uint32_t mixed =
      static_cast<uint32_t>(getpid()) * 2654435761u ^ static_cast<uint32_t>(ticks);
  return static_cast<int32_t>(mixed);
}

struct TGridReader::TSlot {
  std::string_view Name;
  std::variant<int32_t*, std::string*, bool*> Target;
};

TGridReader::TGridReader(std::string_view bytes) : bytes_(bytes) {}

const TGridProps& TGridReader::Props() {
  if (props_read_) return props_;
  TGridProps props;
  std::string col_widths;
  std::string row_heights;
  const TSlot slots[] = {{"ColCount", &props.ColCount}, {"RowCount", &props.RowCount},
                         {"ColWidths", &col_widths},    {"RowHeights", &row_heights},
                         {"FullGrid", &props.FullGrid}, {"ID", &props.ID}};
  ReadRecord(slots, std::size(slots));
  props.ColWidths = ParseSizes(col_widths);
  props.RowHeights = ParseSizes(row_heights);
  if (!PropsWithinLimits(props)) RaiseInvalidPropertyValue();
  props_ = std::move(props);
  props_read_ = true;
  return props_;
}

bool TGridReader::ReadCell(TGridCell& cell) {
  Props();
  if (Remaining() < 2) return false;
  TGridCell read;
  const TSlot slots[] = {
      {"Col", &read.Col}, {"Row", &read.Row}, {"Cell", &read.Cell}, {"HasProp", &read.HasProp}};
  ReadRecord(slots, std::size(slots));
  CheckCell(read);
  cell = std::move(read);
  return true;
}

// Properties are matched by name whatever their order; the record type and the object name
// are not looked at.
void TGridReader::ReadRecord(const TSlot* slots, std::size_t count) {
  if (Take(Signature.size()) != Signature) RaiseInvalidStreamFormat();
  TakeShortString();
  TakeShortString();
  for (;;) {
    const std::string_view name = TakeShortString();
    if (name.empty()) break;
    const TSlot* slot = nullptr;
    for (std::size_t i = 0; i < count && slot == nullptr; ++i) {
      if (SameName(slots[i].Name, name)) slot = &slots[i];
    }
    if (slot == nullptr) {
      throw TGridStreamException("Property " + ValidUtf8(name) + " does not exist");
    }
    ReadValue(*slot);
  }
  // Nested objects are not part of the format.
  if (TakeByte() != 0) RaiseInvalidStreamFormat();
}

void TGridReader::ReadValue(const TSlot& slot) {
  const uint8_t tag = TakeByte();
  if (auto* integer = std::get_if<int32_t*>(&slot.Target)) {
    **integer = TakeInteger(tag);
  } else if (auto* text = std::get_if<std::string*>(&slot.Target)) {
    **text = TakeText(tag);
  } else if (tag == vaFalse || tag == vaTrue) {
    *std::get<bool*>(slot.Target) = tag == vaTrue;
  } else {
    RaiseInvalidPropertyValue();
  }
}

void TGridReader::CheckCell(const TGridCell& cell) const {
  if (!InInt16(cell.Col) || !InInt16(cell.Row)) RaiseInvalidPropertyValue();
  if (!props_.FullGrid) return;
  if (cell.Col < 0 || cell.Col >= props_.ColCount || cell.Row < 0 || cell.Row >= props_.RowCount) {
    RaiseInvalidPropertyValue();
  }
}

std::string_view TGridReader::Take(uint64_t count) {
  if (count > Remaining()) RaiseStreamReadError();
  const std::string_view taken = bytes_.substr(pos_, static_cast<std::size_t>(count));
  pos_ += taken.size();
  return taken;
}

uint8_t TGridReader::TakeByte() {
  return static_cast<uint8_t>(Take(1)[0]);
}

uint32_t TGridReader::TakeUInt32() {
  const std::string_view bytes = Take(4);
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[i]);
  return value;
}

std::string_view TGridReader::TakeShortString() {
  return Take(TakeByte());
}

int32_t TGridReader::TakeInteger(uint8_t tag) {
  switch (tag) {
    case vaInt8:
      return static_cast<int8_t>(TakeByte());
    case vaInt16: {
      const std::string_view bytes = Take(2);
      return static_cast<int16_t>(static_cast<uint8_t>(bytes[0]) |
                                  (static_cast<uint8_t>(bytes[1]) << 8));
    }
    case vaInt32:
      return static_cast<int32_t>(TakeUInt32());
    default:
      RaiseInvalidPropertyValue();
  }
}

// Single-byte texts are taken to be in the Windows code page the format comes from.
std::string TGridReader::TakeText(uint8_t tag) {
  switch (tag) {
    case vaString:
      return Windows1252ToUtf8(TakeShortString());
    case vaLString:
      return Windows1252ToUtf8(Take(TakeUInt32()));
    case vaUTF8String:
      return ValidUtf8(Take(TakeUInt32()));
    case vaWString: {
      const std::string_view bytes = Take(uint64_t{TakeUInt32()} * 2);
      std::u16string wide(bytes.size() / 2, u'\0');
      for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                        (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
      }
      return Utf16ToUtf8(wide);
    }
    default:
      RaiseInvalidPropertyValue();
  }
}

TCellPlacement::TCellPlacement(bool full_grid, int col_count, int row_count)
    : full_grid_(full_grid), col_count_(col_count), row_count_(row_count) {}

std::pair<int, int> TCellPlacement::Place(const TGridCell& cell) {
  if (!full_grid_ && first_) {
    col_origin_ = cell.Col;
    row_origin_ = cell.Row;
  }
  first_ = false;
  const int64_t col = int64_t{cell.Col} - col_origin_;
  const int64_t row = int64_t{cell.Row} - row_origin_;
  if (col < 0 || col >= col_count_ || row < 0 || row >= row_count_) RaiseInvalidPropertyValue();
  return {static_cast<int>(col), static_cast<int>(row)};
}

TGridRecords DecodeGridRecords(std::string_view bytes) {
  TGridRecords records;
  try {
    ReadGridStream(
        bytes,
        [&records](const TGridProps& props) {
          records.Props = props;
          records.HasProps = true;
        },
        [&records](const TGridCell& cell) { records.Cells.push_back(cell); });
  } catch (const TGridStreamException& error) {
    records.Error = error.Message();
  }
  return records;
}

std::string EncodeGridRecords(const TGridProps& props, const std::vector<TGridCell>& cells) {
  TGridWriter writer;
  writer.Reserve(128 + cells.size() * 80);
  writer.WriteProps(props);
  for (const TGridCell& cell : cells) writer.WriteCell(cell.Col, cell.Row, cell.Cell);
  return writer.Bytes();
}

void ReadGridStream(std::string_view bytes, const std::function<void(const TGridProps&)>& on_props,
                    const std::function<void(const TGridCell&)>& on_cell) {
  TGridReader reader(bytes);
  on_props(reader.Props());
  TGridCell cell;
  while (reader.ReadCell(cell)) on_cell(cell);
}

}  // namespace vantle
