#include "InputBlocker.h"

#include <QCoreApplication>

namespace vantle {

TInputBlocker::TInputBlocker() {
  QCoreApplication::instance()->installEventFilter(this);
}

TInputBlocker::~TInputBlocker() {
  QCoreApplication::instance()->removeEventFilter(this);
}

bool TInputBlocker::IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
      return true;
    default:
      return false;
  }
}

bool TInputBlocker::eventFilter(QObject* watched, QEvent* event) {
  if (IsUserInput(event->type())) {
    // Ignored, so a drag source learns that the drop was refused.
    event->ignore();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace vantle
