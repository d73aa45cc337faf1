#pragma once

#include <string>

namespace vantle {

class TfrmControl;

// After the feed `link` of the window's current group loaded from `movedTo`, where it moved
// for good: the group's row takes the new link (or goes, when the group holds that link
// already) through the subscriptions, the feed's state moves with it, and the list shows
// the group again with the moved feed selected. Returns the link the feed is read under now:
// `link` when nothing moved, or when the list is no faithful copy of its group and writes
// nothing.
std::string FollowFeedMove(TfrmControl& window, const std::string& link,
                           const std::string& movedTo);

// Shows the window's current group again from its file, which changed under the list, with
// the cursor and the selection on the first row of `link` when the list holds it (and `link`
// is not blank).
void ShowGroupAgainAt(TfrmControl& window, const std::string& link);

}  // namespace vantle
