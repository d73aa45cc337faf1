#include "PageControlEx.h"

#include <QTabBar>

namespace vantle {

TPageControlEx::TPageControlEx(QWidget* parent) : QTabWidget(parent) {
  // Document mode drops the pane's frame, so a page covers the whole control once the tab
  // strip is hidden.
  setDocumentMode(true);
  setContentsMargins(0, 0, 0, 0);
}

void TPageControlEx::SetActivePage(QWidget* page) {
  setCurrentWidget(page);
}

QWidget* TPageControlEx::ActivePage() const {
  return currentWidget();
}

}  // namespace vantle
