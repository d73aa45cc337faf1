#include "store/CheckedItems.h"

#include <algorithm>

#include "Exception.h"
#include "feedlib/ItemIdentity.h"
#include "store/FeedStateDb.h"

namespace vantle {

TCheckedItems NoteCheckedItems(TFeedStateDb& state, const std::string& link, const TRSSItems* items,
                               bool markRead, TUnixTime now) {
  const int before = state.UnreadCount(link);
  try {
    if (items) state.RecordItems(link, ItemIdentities(*items), now);
    TCheckedItems checked;
    checked.Unread = state.UnreadCount(link);
    checked.Found = std::max(0, checked.Unread - before);
    if (markRead) state.MarkRead(link);
    return checked;
  } catch (const Exception&) {
    // As for the feed's own record: the check goes on, and the marks wait for the next one.
    return {before, 0};
  }
}

}  // namespace vantle
