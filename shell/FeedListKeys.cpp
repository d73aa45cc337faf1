#include "FeedListKeys.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QToolTip>

#include <algorithm>

#include "GridControl.h"

namespace vantle {

namespace {

constexpr int TitleColumn = 2;

bool IsPlain(const QKeyEvent& key) {
  return (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Shift and Ctrl change nothing about where a moving key leads in a list of single rows.
bool MovesPlainly(const QKeyEvent& key) {
  return (key.modifiers() & (Qt::AltModifier | Qt::MetaModifier)) == Qt::NoModifier;
}

}  // namespace

TFeedListKeys::TFeedListKeys(TGridControl& grid, QMenu& popup, TFeedListActions actions)
    : QObject(&grid), FGrid(grid), FPopup(popup), FActions(std::move(actions)) {
  grid.installEventFilter(this);
  grid.viewport()->installEventFilter(this);
}

bool TFeedListKeys::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      return watched == &FGrid && KeyPressed(*static_cast<QKeyEvent*>(event));
    case QEvent::ContextMenu:
      return MenuRequested(*static_cast<QContextMenuEvent*>(event));
    case QEvent::ToolTip:
      return watched == FGrid.viewport() && ToolTipRequested(*static_cast<QHelpEvent*>(event));
    default:
      return false;
  }
}

bool TFeedListKeys::KeyPressed(QKeyEvent& key) {
  if (const int reached = RowReached(key); reached >= 0 && MovesPlainly(key)) {
    MoveTo(reached);
    return true;
  }
  if (!IsPlain(key)) {
    return false;
  }
  const int row = FGrid.Row();
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (row >= 0) {
        FActions.Open(row);
      }
      return true;
    case Qt::Key_Delete:
      FActions.Delete();
      return true;
    default:
      return false;
  }
}

int TFeedListKeys::RowReached(const QKeyEvent& key) const {
  const int last = FGrid.RowCount() - 1;
  const int row = FGrid.Row();
  const int height = std::max(1, FGrid.RowHeights(std::max(row, 0)));
  const int page = std::max(1, FGrid.viewport()->height() / height);
  switch (key.key()) {
    case Qt::Key_Up:
      return std::max(row - 1, 0);
    case Qt::Key_Down:
      return std::min(row + 1, last);
    case Qt::Key_Home:
      return 0;
    case Qt::Key_End:
      return last;
    case Qt::Key_PageUp:
      return std::max(row - page, 0);
    case Qt::Key_PageDown:
      return std::min(row + page, last);
    default:
      return -1;
  }
}

void TFeedListKeys::MoveTo(int row) {
  FGrid.FocusCell(TitleColumn, row);
  FActions.Select(row);
}

bool TFeedListKeys::MenuRequested(QContextMenuEvent& request) {
  if (!FGrid.isEnabled()) {
    return false;
  }
  // The pointer names its row; the menu key the cursor's.
  const bool byPointer = request.reason() == QContextMenuEvent::Mouse;
  const int row = byPointer ? FGrid.rowAt(FGrid.viewport()->mapFromGlobal(request.globalPos()).y())
                            : FGrid.Row();
  QPoint at = request.globalPos();
  if (row >= 0) {
    MoveTo(row);
    if (!byPointer) {
      const QRect cell = FGrid.visualRect(FGrid.model()->index(row, TitleColumn));
      at = FGrid.viewport()->mapToGlobal(cell.center());
    }
  }
  request.accept();
  FPopup.popup(at);
  return true;
}

bool TFeedListKeys::ToolTipRequested(QHelpEvent& help) {
  const int row = FGrid.rowAt(help.pos().y());
  const QString title = QString::fromStdString(FGrid.Cells(TitleColumn, row));
  QStringList lines;
  if (row >= 0 && !title.isEmpty() && FActions.PaintedTitle(row) != title) lines << title;
  if (row >= 0 && FActions.Notes) lines << FActions.Notes(row);
  if (lines.isEmpty()) {
    QToolTip::hideText();
    help.ignore();
    return true;
  }
  const QRect cell = FGrid.visualRect(FGrid.model()->index(row, TitleColumn));
  QToolTip::showText(help.globalPos(), lines.join(QLatin1Char('\n')), FGrid.viewport(), cell);
  return true;
}

}  // namespace vantle
