#pragma once

#include <QObject>

#include <functional>

namespace vantle {

class TURLDropTarget;
class TWebBrowser;

// Keeps drags away from the browser's view: links dragged from other programs are dropped on
// the window, never followed by the browser; drags that start inside this program end in
// `onInnerDrop` (a beep).
class TBrowserDragFilter : public QObject {
 public:
  // Watches every view `browser` makes; a child of the browser.
  TBrowserDragFilter(TWebBrowser& browser, TURLDropTarget& dropTarget,
                     std::function<void()> onInnerDrop);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TURLDropTarget& FDropTarget;
  std::function<void()> FOnInnerDrop;
};

}  // namespace vantle
