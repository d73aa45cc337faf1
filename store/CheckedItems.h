#pragma once

#include <string>

#include "feedlib/FeedState.h"
#include "feedlib/SimpleRSSTypes.h"

namespace vantle {

class TFeedStateDb;

// What a check learnt of one feed's items.
struct TCheckedItems {
  int Unread = 0;  // the items now in the feed that are new since it was read
  int Found = 0;   // of those, the ones this check saw first
};

// Notes in `state` the items a check read of `link` at `now` (none when it read no feed, so
// the items kept stand) and counts them; with `markRead` they are marked read once counted.
// A state that cannot be written fails no check: the marks stay as they were.
TCheckedItems NoteCheckedItems(TFeedStateDb& state, const std::string& link, const TRSSItems* items,
                               bool markRead, TUnixTime now);

}  // namespace vantle
