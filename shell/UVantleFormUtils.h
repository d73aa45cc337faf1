#pragma once

class QWidget;

namespace vantle {

class TPageControlEx;

// Centres `dialog` on `window` (integer division toward zero), using their current sizes.
void CenterOnWindow(const QWidget& window, QWidget& dialog);
// Fixes the form's minimum and maximum size to its current size.
void LockFormSize(QWidget& form);
// Clears the form's size limits.
void UnlockFormSize(QWidget& form);
// Makes every tab of the page control invisible; the active page stays shown.
void HideTabs(TPageControlEx& pageControl);

}  // namespace vantle
