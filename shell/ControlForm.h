#pragma once

namespace vantle {

class TfrmControl;

// The reader window's form: its controls, made and placed at fixed pixel positions.

// The smallest size of the window.
inline constexpr int ControlMinWidth = 572;
inline constexpr int ControlMinHeight = 553;
// Makes every control of `form` at the window's first size and places it.
void CreateControlForm(TfrmControl& form);
// Places the controls of `form` for its present size.
void LayOutControlForm(TfrmControl& form);

}  // namespace vantle
