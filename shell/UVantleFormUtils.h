#pragma once

#include <QApplication>

class QColor;
class QComboBox;
class QLabel;
class QString;
class QWidget;

namespace vantle {

class TPageControlEx;

// The busy cursor for the life of the guard, whatever ends the command or the test.
class TBusyCursor {
 public:
  TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
};

// Gives `to` the entries of `from`, with the same one chosen.
void CopyChoices(const QComboBox& from, QComboBox& to);
// Centres `dialog` on `window` (integer division toward zero), using their current sizes.
void CenterOnWindow(const QWidget& window, QWidget& dialog);
// Centres `form` on the primary screen (integer division toward zero), if there is one.
void CenterOnScreen(QWidget& form);
// Fixes the form's minimum and maximum size to its current size.
void LockFormSize(QWidget& form);
// Clears the form's size limits.
void UnlockFormSize(QWidget& form);
// Makes every tab of the page control invisible; the active page stays shown.
void HideTabs(TPageControlEx& pageControl);

// Asks `question` with Yes and Cancel; true only when the user answered Yes.
bool ConfirmYes(QWidget* parent, const QString& question);
// Shows `text` in a modal information box titled with the application's name.
void ShowInformation(QWidget* parent, const QString& text);
// Shows `text` in `label` in `colour`.
void ShowLabelMessage(QLabel& label, const QString& text, const QColor& colour);

}  // namespace vantle
