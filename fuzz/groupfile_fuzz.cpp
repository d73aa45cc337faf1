#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "store/GridStream.h"
#include "store/GridText.h"

namespace {

using vantle::fuzz::Require;

struct TGroupFile {
  vantle::TGridProps Props;
  std::vector<vantle::TGridCell> Cells;
};

// The records of `bytes`; false when the reading stopped on a format error.
bool Read(std::string_view bytes, TGroupFile& file) {
  try {
    vantle::ReadGridStream(
        bytes, [&](const vantle::TGridProps& props) { file.Props = props; },
        [&](const vantle::TGridCell& cell) { file.Cells.push_back(cell); });
  } catch (const vantle::TGridStreamException&) {
    return false;
  }
  return true;
}

bool Writable(const vantle::TGridCell& cell) {
  return cell.Col >= 0 && cell.Col < vantle::GridMaxCols && cell.Row >= 0 &&
         cell.Row < vantle::GridMaxRows;
}

std::string Write(const TGroupFile& file) {
  vantle::TGridWriter writer;
  writer.WriteProps(file.Props);
  for (const vantle::TGridCell& cell : file.Cells) writer.WriteCell(cell.Col, cell.Row, cell.Cell);
  return writer.Bytes();
}

bool SameProps(const vantle::TGridProps& a, const vantle::TGridProps& b) {
  return a.ColCount == b.ColCount && a.RowCount == b.RowCount && a.ColWidths == b.ColWidths &&
         a.RowHeights == b.RowHeights && a.FullGrid == b.FullGrid && a.ID == b.ID;
}

bool SameCells(const std::vector<vantle::TGridCell>& a, const std::vector<vantle::TGridCell>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].Col != b[i].Col || a[i].Row != b[i].Row || a[i].Cell != b[i].Cell) return false;
  }
  return true;
}

}  // namespace

// Reads a group file; what reads without error must come back unchanged after being written
// and read again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TGroupFile file;
  if (!Read(vantle::fuzz::AsText(data, size), file)) return 0;
  for (const vantle::TGridCell& cell : file.Cells) {
    Require(vantle::ValidUtf8(cell.Cell) == cell.Cell, "a cell text read is not valid UTF-8");
    if (!Writable(cell)) return 0;
  }
  TGroupFile again;
  Require(Read(Write(file), again), "a written group file does not read back");
  Require(SameProps(file.Props, again.Props), "the grid properties changed on writing");
  Require(SameCells(file.Cells, again.Cells), "the cells changed on writing");
  return 0;
}
