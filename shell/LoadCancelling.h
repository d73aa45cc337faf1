#pragma once

#include <QObject>

#include "Exception.h"

namespace vantle {

// Raised by a load that the user cancelled; the window then shows what it showed before.
class ELoadCancelled : public Exception {
 public:
  using Exception::Exception;
};

// While it lives, Escape cancels the running load (CancelFeedLoad). Made after the input
// blocker, it sees the key before the blocker drops it.
class TEscapeCancelsLoad : public QObject {
 public:
  TEscapeCancelsLoad();
  ~TEscapeCancelsLoad() override;

  TEscapeCancelsLoad(const TEscapeCancelsLoad&) = delete;
  TEscapeCancelsLoad& operator=(const TEscapeCancelsLoad&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vantle
