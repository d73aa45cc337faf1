#include "FirstFrame.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>

namespace vantle {

namespace {

// Waits for the window's first paint. The work is queued rather than run inside the paint, so
// that the frame reaches the screen first.
class TFirstFrameWatch : public QObject {
 public:
  TFirstFrameWatch(QWidget& window, std::function<void()> work)
      : QObject(&window), FWork(std::move(work)) {
    window.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, watched, [work = std::move(FWork)] { work(); });
      deleteLater();
    }
    return false;
  }

 private:
  std::function<void()> FWork;
};

}  // namespace

void RunAfterFirstFrame(QWidget& window, std::function<void()> work) {
  new TFirstFrameWatch(window, std::move(work));
}

}  // namespace vantle
