#include "UVantleFormUtils.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTabBar>
#include <QWidget>

#include "PageControlEx.h"

namespace vantle {

void CenterOnWindow(const QWidget& window, QWidget& dialog) {
  const QRect outer = window.frameGeometry();
  const QRect inner = dialog.frameGeometry();
  // C++ integer division truncates toward zero, as the placement rule asks.
  dialog.move(outer.left() + (outer.width() - inner.width()) / 2,
              outer.top() + (outer.height() - inner.height()) / 2);
}

void CopyChoices(const QComboBox& from, QComboBox& to) {
  for (int i = 0; i < from.count(); ++i) {
    to.addItem(from.itemText(i));
  }
  to.setCurrentIndex(from.currentIndex());
}

void CenterOnScreen(QWidget& form) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize area = screen->geometry().size();
    // A form 3 pixels wider than the screen is at -1.
    form.move((area.width() - form.width()) / 2, (area.height() - form.height()) / 2);
  }
}

void LockFormSize(QWidget& form) {
  form.setMinimumSize(form.size());
  form.setMaximumSize(form.size());
}

void UnlockFormSize(QWidget& form) {
  form.setMinimumSize(0, 0);
  form.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void HideTabs(TPageControlEx& pageControl) {
  pageControl.tabBar()->hide();
  // The control's focus goes to its tab bar; with the bar hidden, Tab would stop at the
  // control and go nowhere. The controls of its pages still take the focus.
  pageControl.setFocusPolicy(Qt::NoFocus);
}

bool ConfirmYes(QWidget* parent, const QString& question) {
  // Cancel is the default so that a stray Enter never deletes anything.
  return QMessageBox::question(parent, QObject::tr("Confirm"), question,
                               QMessageBox::Yes | QMessageBox::Cancel,
                               QMessageBox::Cancel) == QMessageBox::Yes;
}

void ShowInformation(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QGuiApplication::applicationDisplayName(), text);
}

void ShowLabelMessage(QLabel& label, const QString& text, const QColor& colour) {
  QPalette palette = label.palette();
  palette.setColor(QPalette::WindowText, colour);
  label.setPalette(palette);
  label.setText(text);
}

}  // namespace vantle
