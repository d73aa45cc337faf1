#include "CheckItems.h"

#include "Exception.h"
#include "ItemIdentity.h"
#include "store/FeedStateDb.h"

namespace vantle::tool {

int NoteCheckedItems(TFeedStateDb& state, const std::string& link, const TRSSItems* items,
                     bool markRead, TUnixTime now) {
  try {
    if (items) state.RecordItems(link, ItemIdentities(*items), now);
  } catch (const Exception&) {
    // As for the feed's own record: a state that cannot be written fails no check.
  }
  const int unread = state.UnreadCount(link);
  if (markRead) {
    try {
      state.MarkRead(link);
    } catch (const Exception&) {
      // The line still says what was new; the marks stay for the next run.
    }
  }
  return unread;
}

}  // namespace vantle::tool
