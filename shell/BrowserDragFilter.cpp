#include "BrowserDragFilter.h"

#include <QDropEvent>

#include "URLDropTarget.h"
#include "WebBrowser.h"

namespace vantle {

TBrowserDragFilter::TBrowserDragFilter(TWebBrowser& browser, TURLDropTarget& dropTarget,
                                       std::function<void()> onInnerDrop)
    : QObject(&browser), FDropTarget(dropTarget), FOnInnerDrop(std::move(onInnerDrop)) {
  connect(&browser, &TWebBrowser::viewCreated, this,
          [this](QWidget* view) { view->installEventFilter(this); });
}

bool TBrowserDragFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
    return QObject::eventFilter(watched, event);
  }
  auto& drag = static_cast<QDropEvent&>(*event);
  if (drag.source() == nullptr) {
    return FDropTarget.HandleDragEvent(*event) || QObject::eventFilter(watched, event);
  }
  drag.acceptProposedAction();
  if (type == QEvent::Drop) {
    FOnInnerDrop();
  }
  return true;
}

}  // namespace vantle
