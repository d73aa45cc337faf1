#include "GridControl.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "store/GridStream.h"

namespace vantle {

namespace {

// Cells keep their exact bytes here; nothing else of the item is used.
constexpr int CellRole = Qt::UserRole;
constexpr int TextMargin = 2;
constexpr int DefaultColWidth = 64;
constexpr int DefaultRowHeight = 24;

// Hands the painting of every cell to the grid, so that neither the style's selection colour
// nor its focus rectangle is drawn.
class TCellDelegate : public QStyledItemDelegate {
 public:
  using TPainter = std::function<void(QPainter*, const QRect&, int row, int col)>;

  TCellDelegate(QObject* parent, TPainter painter)
      : QStyledItemDelegate(parent), painter_(std::move(painter)) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    painter_(painter, option.rect, index.row(), index.column());
  }

 private:
  TPainter painter_;
};

void ConfigureHeader(QHeaderView* header, int default_size) {
  header->hide();
  header->setMinimumSectionSize(0);
  header->setDefaultSectionSize(default_size);
  header->setSectionResizeMode(QHeaderView::Fixed);
}

int MostCommon(const std::vector<int>& values) {
  std::unordered_map<int, int> counts;
  int best = values.front();
  for (const int value : values) {
    if (++counts[value] > counts[best]) best = value;
  }
  return best;
}

}  // namespace

TGridControl::TGridControl(QWidget* parent) : QTableWidget(parent), id_(GridStreamID()) {
  setItemDelegate(new TCellDelegate(this, [this](QPainter* painter, const QRect& rect, int row,
                                                 int col) { PaintCell(painter, rect, row, col); }));
  ConfigureHeader(horizontalHeader(), DefaultColWidth);
  ConfigureHeader(verticalHeader(), DefaultRowHeight);
  setShowGrid(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  connect(this, &QTableWidget::cellClicked, this, [this](int row, int col) {
    if (OnClickCell) OnClickCell(row, col);
  });
  connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row, int col) {
    if (OnDblClickCell) OnDblClickCell(row, col);
  });
}

int TGridControl::ColCount() const {
  return columnCount();
}

void TGridControl::SetColCount(int count) {
  setColumnCount(std::max(0, count));
  if (stretch_last_) StretchNow();
}

int TGridControl::RowCount() const {
  return rowCount();
}

void TGridControl::SetRowCount(int count) {
  setRowCount(std::max(0, count));
}

int TGridControl::FixedCols() const {
  return fixed_cols_;
}

void TGridControl::SetFixedCols(int count) {
  fixed_cols_ = std::max(0, count);
}

int TGridControl::FixedRows() const {
  return fixed_rows_;
}

void TGridControl::SetFixedRows(int count) {
  fixed_rows_ = std::max(0, count);
}

QByteArray TGridControl::CellBytes(int col, int row) const {
  const QTableWidgetItem* cell = item(row, col);
  return cell == nullptr ? QByteArray() : cell->data(CellRole).toByteArray();
}

std::string TGridControl::Cells(int col, int row) const {
  return CellBytes(col, row).toStdString();
}

void TGridControl::SetCells(int col, int row, std::string text) {
  if (col < 0 || col >= columnCount() || row < 0 || row >= rowCount()) return;
  if (text.empty()) {
    delete takeItem(row, col);
    return;
  }
  QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
  if (QTableWidgetItem* cell = item(row, col)) {
    cell->setData(CellRole, bytes);
    return;
  }
  auto* cell = new QTableWidgetItem();
  cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  cell->setData(CellRole, bytes);
  setItem(row, col, cell);
}

int TGridControl::ColWidths(int col) const {
  return col >= 0 && col < columnCount() ? columnWidth(col) : 0;
}

void TGridControl::SetColWidths(int col, int width) {
  if (col >= 0 && col < columnCount()) setColumnWidth(col, std::max(0, width));
}

int TGridControl::RowHeights(int row) const {
  return row >= 0 && row < rowCount() ? rowHeight(row) : 0;
}

void TGridControl::SetRowHeights(int row, int height) {
  if (row >= 0 && row < rowCount()) setRowHeight(row, std::max(0, height));
}

void TGridControl::ClearAll() {
  clearContents();
}

void TGridControl::AddRow() {
  insertRow(rowCount());
}

void TGridControl::RemoveRow(int row) {
  if (row >= 0 && row < rowCount()) removeRow(row);
}

void TGridControl::FocusCell(int col, int row) {
  if (col >= 0 && col < columnCount() && row >= 0 && row < rowCount()) setCurrentCell(row, col);
}

int TGridControl::Row() const {
  return currentRow();
}

int TGridControl::Col() const {
  return currentColumn();
}

void TGridControl::RepaintCol(int col) {
  if (col < 0 || col >= columnCount()) return;
  viewport()->update(QRect(columnViewportPosition(col), 0, columnWidth(col), viewport()->height()));
}

void TGridControl::RepaintAll() {
  viewport()->update();
}

void TGridControl::StretchLastColumn() {
  stretch_last_ = true;
  StretchNow();
}

void TGridControl::StretchNow() {
  const int last = columnCount() - 1;
  if (last < 0) return;
  int others = 0;
  for (int col = 0; col < last; ++col) others += columnWidth(col);
  setColumnWidth(last, std::max(0, viewport()->width() - others));
}

int TGridControl::TextWidth(const QString& text) const {
  return fontMetrics().horizontalAdvance(text);
}

void TGridControl::SetPopupMenu(QMenu* menu) {
  popup_ = menu;
}

std::string TGridControl::SaveToBytes() const {
  TGridProps props;
  props.ColCount = columnCount();
  props.RowCount = rowCount();
  for (int col = 0; col < columnCount(); ++col) props.ColWidths.push_back(columnWidth(col));
  for (int row = 0; row < rowCount(); ++row) props.RowHeights.push_back(rowHeight(row));
  props.FullGrid = true;
  props.ID = id_;
  // Cells go to the writer as they are read off the grid, never copied into records.
  TGridWriter writer;
  writer.WriteProps(props);
  for (int row = 0; row < rowCount(); ++row) {
    for (int col = 0; col < columnCount(); ++col) {
      const QByteArray text = CellBytes(col, row);
      if (!text.isEmpty()) writer.WriteCell(col, row, std::string_view(text.data(), text.size()));
    }
  }
  return writer.Bytes();
}

// The first record is read whole before the grid changes, so an error in it leaves the grid
// as it was; cells are placed as they are read, so an error keeps those before it.
void TGridControl::LoadFromBytes(std::string_view bytes) {
  TGridReader reader(bytes);
  const TGridProps& props = reader.Props();
  if (props.FullGrid) ApplyProps(props);
  TCellPlacement placement(props.FullGrid, columnCount(), rowCount());
  TGridCell cell;
  while (reader.ReadCell(cell)) {
    const auto [col, row] = placement.Place(cell);
    SetCells(col, row, std::move(cell.Cell));
  }
}

// Resizing rows one by one costs time in proportion to the row count each, so the height most
// rows share becomes the default, which resizes them all at once.
void TGridControl::ApplyProps(const TGridProps& props) {
  ClearAll();
  SetRowCount(props.RowCount);
  SetColCount(props.ColCount);
  for (int col = 0; col < props.ColCount; ++col) setColumnWidth(col, props.ColWidths[col]);
  if (!props.RowHeights.empty()) {
    verticalHeader()->setDefaultSectionSize(MostCommon(props.RowHeights));
  }
  for (int row = 0; row < props.RowCount; ++row) setRowHeight(row, props.RowHeights[row]);
}

void TGridControl::PaintCell(QPainter* painter, const QRect& rect, int row, int col) const {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  QBrush brush = palette().brush(QPalette::Base);
  QFont cell_font = font();
  if (OnGetCellColor) OnGetCellColor(row, col, brush, cell_font);
  QString text = QString::fromUtf8(CellBytes(col, row));
  if (OnGetDisplText) OnGetDisplText(col, row, text);
  Qt::Alignment horizontal = Qt::AlignLeft;
  Qt::Alignment vertical = Qt::AlignTop;
  if (OnGetAlignment) OnGetAlignment(row, col, horizontal, vertical);
  painter->save();
  painter->fillRect(rect, brush);
  painter->setClipRect(rect);
  painter->setFont(cell_font);
  painter->setPen(palette().color(QPalette::Text));
  painter->drawText(rect.adjusted(TextMargin, TextMargin, -TextMargin, -TextMargin),
                    static_cast<int>(horizontal | vertical | Qt::TextSingleLine), text);
  if (OnDrawCell) OnDrawCell(row, col, *painter, rect);
  painter->restore();
}

// Only the left button moves the cursor; what a right click selects is the owner's choice.
void TGridControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  QTableWidget::mousePressEvent(event);
}

void TGridControl::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  QTableWidget::mouseDoubleClickEvent(event);
}

void TGridControl::contextMenuEvent(QContextMenuEvent* event) {
  if (popup_ == nullptr) return;
  event->accept();
  popup_->popup(event->globalPos());
}

void TGridControl::resizeEvent(QResizeEvent* event) {
  QTableWidget::resizeEvent(event);
  if (stretch_last_) StretchNow();
}

}  // namespace vantle
