#pragma once

#include <QStringList>
#include <QTimeZone>

#include "store/FeedNews.h"

namespace vantle {

// What the feed list's margin shows for a feed.
enum class TFeedMark {
  None,
  NewItems,  // a small filled dot
  Warning,   // a small warning mark: failing, gone, deferred or moved
};

// The mark of a feed at `now`. A feed in trouble shows the warning even with new items: its
// tooltip names both.
TFeedMark FeedMark(const TFeedFacts& facts, TUnixTime now);

// The lines the title's tooltip adds for a feed at `now`, times given in `zone`: its standing
// with the reason and the time it began, its new items, and on the feed shown how to read them.
QStringList FeedNotes(const TFeedFacts& facts, TUnixTime now,
                      const QTimeZone& zone = QTimeZone::systemTimeZone());

}  // namespace vantle
