#include "LoadCancelling.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "FeedLoadRunner.h"

namespace vantle {

TEscapeCancelsLoad::TEscapeCancelsLoad() {
  QCoreApplication::instance()->installEventFilter(this);
}

TEscapeCancelsLoad::~TEscapeCancelsLoad() {
  QCoreApplication::instance()->removeEventFilter(this);
}

bool TEscapeCancelsLoad::eventFilter(QObject* watched, QEvent* event) {
  // The press cancels; its release and repeats are dropped with the rest of the input.
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    CancelFeedLoad();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace vantle
