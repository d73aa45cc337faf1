#pragma once

#include <QBrush>
#include <QFont>
#include <QString>
#include <QTableWidget>

#include <functional>
#include <string>
#include <string_view>

class QMenu;

namespace vantle {

// A string grid: cells hold UTF-8 texts independent of what is painted; the owner decides
// the painted text, the background and the alignment of each cell through the On* events.
// Its content is written and read in the group-file format.
class TGridControl : public QTableWidget {
  Q_OBJECT

 public:
  explicit TGridControl(QWidget* parent = nullptr);

  int ColCount() const;
  void SetColCount(int count);
  int RowCount() const;
  void SetRowCount(int count);
  int FixedCols() const;
  void SetFixedCols(int count);
  int FixedRows() const;
  void SetFixedRows(int count);

  // The stored text of a cell; empty outside the grid.
  std::string Cells(int col, int row) const;
  void SetCells(int col, int row, std::string text);
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);

  // Empties every cell; the size stays.
  void ClearAll();
  // Appends one empty row at the end.
  void AddRow();
  // Removes `row`; the rows below move up.
  void RemoveRow(int row);
  // Moves the cursor (current cell) to (col, row).
  void FocusCell(int col, int row);
  // The row and column of the cursor.
  int Row() const;
  int Col() const;
  // Repaints one column, or everything.
  void RepaintCol(int col);
  void RepaintAll();
  // Widens the last column so that all columns fill the grid's width.
  void StretchLastColumn();
  // The width of `text` in the grid's font, in pixels.
  int TextWidth(const QString& text) const;
  // The menu shown on a right click while the grid is enabled.
  void SetPopupMenu(QMenu* menu);

  // The whole content in the group-file format.
  std::string SaveToBytes() const;
  // Reads content written in the group-file format. Raises vantle::Exception with the
  // format's messages; what was read before an error stays in the grid.
  void LoadFromBytes(std::string_view bytes);

  // Painting and click events; each may be left empty.
  std::function<void(int col, int row, QString& value)> OnGetDisplText;
  std::function<void(int row, int col, QBrush& brush, QFont& font)> OnGetCellColor;
  std::function<void(int row, int col, Qt::Alignment& horizontal, Qt::Alignment& vertical)>
      OnGetAlignment;
  std::function<void(int row, int col)> OnClickCell;
  std::function<void(int row, int col)> OnDblClickCell;
};

}  // namespace vantle
