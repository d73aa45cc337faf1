#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QComboBox;

namespace vantle {

// Tells a single click on a combo box from a double click: a press opens the drop-down list
// only once the double-click interval has passed without a second press, so that a double
// click runs `onDoubleClick` instead of landing in the list.
class TGroupBoxClicks : public QObject {
 public:
  // Watches `box`, which must outlive this object (a child of the box).
  TGroupBoxClicks(QComboBox& box, std::function<void()> onDoubleClick);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Pressed();
  void DoubleClicked();

  QComboBox& FBox;
  std::function<void()> FOnDoubleClick;
  QTimer FSingleClick;
  // The second press of a double click came already; its double-click event is spent.
  bool FDoubleDone = false;
};

}  // namespace vantle
