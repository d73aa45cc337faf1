#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QContextMenuEvent;
class QHelpEvent;
class QKeyEvent;
class QMenu;

namespace vantle {

class TGridControl;

// What the feed list's keys and pointer ask of the window, by row.
struct TFeedListActions {
  // Marks `row` as the selected feed without loading it.
  std::function<void(int row)> Select;
  // Reads the feed of `row`, as a click on it does.
  std::function<void(int row)> Open;
  // Deletes the feed of the cursor's row, after confirmation.
  std::function<void()> Delete;
  // The text painted for the title of `row`.
  std::function<QString(int row)> PaintedTitle;
  // What the tooltip of `row` says besides a shortened title; may be left empty.
  std::function<QStringList(int row)> Notes;
};

// Keyboard and pointer use of the feed list: Up, Down, Home, End, Page Up and Page Down move
// the cursor and the selection together without loading; Enter and Space read the cursor's
// feed; Delete deletes it; a right click or the menu key selects the row first and then opens
// the popup menu for it; a shortened title shows whole as a tooltip, above the row's notes.
class TFeedListKeys : public QObject {
 public:
  // Watches `grid`, which must outlive this object (a child of the grid).
  TFeedListKeys(TGridControl& grid, QMenu& popup, TFeedListActions actions);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool KeyPressed(QKeyEvent& key);
  bool MenuRequested(QContextMenuEvent& request);
  bool ToolTipRequested(QHelpEvent& help);
  // The row a moving key leads to from the cursor; -1 for any other key.
  int RowReached(const QKeyEvent& key) const;
  void MoveTo(int row);

  TGridControl& FGrid;
  QMenu& FPopup;
  TFeedListActions FActions;
};

}  // namespace vantle
