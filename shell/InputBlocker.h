#pragma once

#include <QEvent>
#include <QObject>

namespace vantle {

// While it lives, the application's user input (mouse, keys, wheel, touch, drags and drops,
// context menus) is dropped as it arrives, never held back and replayed later; painting,
// timers and the window system's requests go on.
class TInputBlocker : public QObject {
 public:
  // Starts dropping input for the whole application.
  TInputBlocker();
  // Lets input through again.
  ~TInputBlocker() override;

  TInputBlocker(const TInputBlocker&) = delete;
  TInputBlocker& operator=(const TInputBlocker&) = delete;

  // True for the kinds of event that come from the user's input devices.
  static bool IsUserInput(QEvent::Type type);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vantle
