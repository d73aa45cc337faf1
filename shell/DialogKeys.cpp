#include "DialogKeys.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace vantle {

namespace {

bool IsEnter(const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
  return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && modifiers == Qt::NoModifier;
}

// Lives as a child of the box it watches.
class TEnterPresses : public QObject {
 public:
  TEnterPresses(QLineEdit& box, QPushButton& button) : QObject(&box), FButton(&button) {
    box.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !IsEnter(*static_cast<QKeyEvent*>(event)) ||
        FButton.isNull() || FButton->isHidden() || !FButton->isEnabled()) {
      return QObject::eventFilter(watched, event);
    }
    // Taken here, so that the dialog does not press its default button for the same key.
    FButton->click();
    return true;
  }

 private:
  QPointer<QPushButton> FButton;
};

}  // namespace

void EnterPressesButton(QLineEdit& box, QPushButton& button) {
  new TEnterPresses(box, button);
}

void FocusWithTextSelected(QLineEdit& box) {
  box.setFocus(Qt::OtherFocusReason);
  box.selectAll();
}

}  // namespace vantle
