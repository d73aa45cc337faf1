#pragma once

#include <QBrush>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QTableWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class QMenu;
class QPainter;
class QRect;

namespace vantle {

struct TGridProps;

// A string grid: cells hold UTF-8 texts independent of what is painted; the owner decides
// the painted text, the background and the alignment of each cell through the On* events.
// Its content is written and read in the group-file format.
class TGridControl : public QTableWidget {
  Q_OBJECT

 public:
  // An empty grid: no rows, no columns, whole-row selection, no grid lines, no headers.
  explicit TGridControl(QWidget* parent = nullptr);

  // The number of columns; new columns are 64 pixels wide.
  int ColCount() const;
  void SetColCount(int count);
  // The number of rows. New rows take the default height: 24 pixels, or the height most rows
  // had in the last whole grid loaded.
  int RowCount() const;
  void SetRowCount(int count);
  // The number of fixed columns and rows, kept for the owner; they change nothing painted.
  int FixedCols() const;
  void SetFixedCols(int count);
  int FixedRows() const;
  void SetFixedRows(int count);

  // The stored text of a cell; empty outside the grid.
  std::string Cells(int col, int row) const;
  // Stores the text of a cell and repaints it; ignored outside the grid.
  void SetCells(int col, int row, std::string text);
  // The width of a column in pixels (0 hides it); 0 outside the grid.
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  // The height of a row in pixels; 0 outside the grid.
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);

  // Empties every cell; the size stays.
  void ClearAll();
  // Appends one empty row at the end.
  void AddRow();
  // Removes `row`; the rows below move up.
  void RemoveRow(int row);
  // Moves the cursor (current cell) to (col, row); ignored outside the grid.
  void FocusCell(int col, int row);
  // The row and column of the cursor; -1 while there is none. Only left clicks move it.
  int Row() const;
  int Col() const;
  // Repaints one column, or everything.
  void RepaintCol(int col);
  void RepaintAll();
  // Widens the last column so that all columns fill the grid's width, now and whenever the
  // visible width changes.
  void StretchLastColumn();
  // The width of `text` in the grid's font, in pixels.
  int TextWidth(const QString& text) const;
  // The menu shown on a right click while the grid is enabled.
  void SetPopupMenu(QMenu* menu);

  // The whole content in the group-file format. Raises TGridStreamException for a grid too
  // large for the format, rather than writing a file that cannot be read back.
  std::string SaveToBytes() const;
  // Reads content written in the group-file format. Raises vantle::Exception with the
  // format's messages; what was read before an error stays in the grid.
  void LoadFromBytes(std::string_view bytes);

  // Painting and click events; each may be left empty. A painted cell starts with the text
  // stored, the base colour, the grid's font and left/top alignment. A double click is
  // preceded by the click of its first press.
  std::function<void(int col, int row, QString& value)> OnGetDisplText;
  std::function<void(int row, int col, QBrush& brush, QFont& font)> OnGetCellColor;
  std::function<void(int row, int col, Qt::Alignment& horizontal, Qt::Alignment& vertical)>
      OnGetAlignment;
  // Draws over a cell once its background and text are painted, clipped to the cell.
  std::function<void(int row, int col, QPainter& painter, const QRect& rect)> OnDrawCell;
  std::function<void(int row, int col)> OnClickCell;
  std::function<void(int row, int col)> OnDblClickCell;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PaintCell(QPainter* painter, const QRect& rect, int row, int col) const;
  QByteArray CellBytes(int col, int row) const;
  void ApplyProps(const TGridProps& props);
  void StretchNow();

  QPointer<QMenu> popup_;
  bool stretch_last_ = false;
  int fixed_cols_ = 0;
  int fixed_rows_ = 0;
  int32_t id_;
};

}  // namespace vantle
