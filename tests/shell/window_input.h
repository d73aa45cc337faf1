#pragma once

// Keys and mouse buttons as the window system delivers them: to a top-level window, through
// Qt's platform interface, so that shortcuts, popups, double clicks and context-menu events
// come about as they do for a user (events given to a widget directly skip all of these).

#include <qpa/qwindowsysteminterface.h>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace vantle::test {

using Delivery = QWindowSystemInterface::SynchronousDelivery;

// The window the keyboard goes to: the one the window system made active.
inline QWindow* KeyboardWindow() {
  return QGuiApplication::focusWindow();
}

// Presses and releases `key` with `modifiers` in the active window.
inline void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                     const QString& text = QString()) {
  QWindow* window = KeyboardWindow();
  ASSERT_NE(window, nullptr) << "no active window";
  QWindowSystemInterface::handleKeyEvent<Delivery>(window, QEvent::KeyPress, key, modifiers, text);
  QWindowSystemInterface::handleKeyEvent<Delivery>(window, QEvent::KeyRelease, key, modifiers,
                                                   text);
}

// Types `text` into the active window, one character at a time.
inline void TypeText(const QString& text) {
  for (const QChar c : text) {
    PressKey(Qt::Key_unknown, Qt::NoModifier, QString(c));
  }
}

// One mouse event at `pos` of `widget`, sent to its top-level window.
inline void MouseEvent(QWidget& widget, QPoint pos, QEvent::Type type, Qt::MouseButton button,
                       Qt::MouseButtons held) {
  QWidget* top = widget.window();
  const QPoint local = widget.mapTo(top, pos);
  QWindowSystemInterface::handleMouseEvent<Delivery>(top->windowHandle(), local,
                                                     top->mapToGlobal(local), held, button, type);
}

// A press and a release of `button` at `pos` of `widget`.
inline void ClickAt(QWidget& widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
  MouseEvent(widget, pos, QEvent::MouseButtonPress, button, button);
  MouseEvent(widget, pos, QEvent::MouseButtonRelease, button, Qt::NoButton);
}

// The menu key as the X11 platform reports it: a context-menu request to the active window.
inline void PressMenuKey() {
  QWindow* window = KeyboardWindow();
  ASSERT_NE(window, nullptr) << "no active window";
  QWindowSystemInterface::handleContextMenuEvent(window, false, QPoint(), QPoint(), Qt::NoModifier);
  QWindowSystemInterface::flushWindowSystemEvents();
  PressKey(Qt::Key_Menu);
}

// Makes `widget`'s window the active one, as a click on its frame would.
inline bool Activate(QWidget& widget) {
  widget.activateWindow();
  return QTest::qWaitForWindowActive(widget.window()->windowHandle());
}

}  // namespace vantle::test
