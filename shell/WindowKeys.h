#pragma once

namespace vantle {

class TfrmControl;

// Gives the reader window its keyboard and pointer use: the Tab order through its controls,
// the feed list's keys and popup menu, the group box's double click, and the shortcuts
// Alt+Left (Back), Alt+Right (Forward), Ctrl+Q (close, as a normal close) and F5 (read the
// feed shown again).
void SetUpWindowKeys(TfrmControl& window);

}  // namespace vantle
