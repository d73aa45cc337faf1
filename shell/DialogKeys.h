#pragma once

class QLineEdit;
class QPushButton;

namespace vantle {

// Makes Enter in `box` press `button` while that button is shown and enabled, rather than the
// dialog's default button; otherwise Enter goes to the dialog as usual.
void EnterPressesButton(QLineEdit& box, QPushButton& button);

// Gives the keyboard focus to `box` with its whole text selected, so that typing replaces it.
void FocusWithTextSelected(QLineEdit& box);

}  // namespace vantle
