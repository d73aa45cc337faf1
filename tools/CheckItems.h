#pragma once

#include <string>

#include "FeedState.h"
#include "SimpleRSSTypes.h"

namespace vantle {
class TFeedStateDb;
}

namespace vantle::tool {

// Notes in `state` the items a check read of `link` at `now` (none when it read no feed, so
// the items kept stand) and answers the unread items now in it; with `markRead` they are
// marked read after being counted.
int NoteCheckedItems(TFeedStateDb& state, const std::string& link, const TRSSItems* items,
                     bool markRead, TUnixTime now);

}  // namespace vantle::tool
