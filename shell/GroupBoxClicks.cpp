#include "GroupBoxClicks.h"

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>

namespace vantle {

TGroupBoxClicks::TGroupBoxClicks(QComboBox& box, std::function<void()> onDoubleClick)
    : QObject(&box), FBox(box), FOnDoubleClick(std::move(onDoubleClick)) {
  FSingleClick.setSingleShot(true);
  // A coarse timer may fire early, while the next press would still make a double click.
  FSingleClick.setTimerType(Qt::PreciseTimer);
  connect(&FSingleClick, &QTimer::timeout, this, [this] {
    if (FBox.isEnabled()) {
      FBox.showPopup();
    }
  });
  box.installEventFilter(this);
}

bool TGroupBoxClicks::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) {
    return QObject::eventFilter(watched, event);
  }
  if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) {
    return QObject::eventFilter(watched, event);
  }
  if (type == QEvent::MouseButtonDblClick) {
    if (!FDoubleDone) {
      DoubleClicked();
    }
    FDoubleDone = false;
    return true;
  }
  return Pressed();
}

bool TGroupBoxClicks::Pressed() {
  if (FSingleClick.isActive()) {
    DoubleClicked();
    FDoubleDone = true;
    return true;
  }
  FDoubleDone = false;
  FSingleClick.start(QApplication::doubleClickInterval());
  return true;
}

void TGroupBoxClicks::DoubleClicked() {
  FSingleClick.stop();
  // Run from the event loop: the command opens a modal dialog, which must not wait inside
  // the delivery of this click.
  QMetaObject::invokeMethod(
      this, [this] { FOnDoubleClick(); }, Qt::QueuedConnection);
}

}  // namespace vantle
