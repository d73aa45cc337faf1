#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "feedlib/FeedState.h"
#include "store/GroupStore.h"

namespace vantle {

class TSubscriptions;

// What is known of one feed beyond its subscription: how it stood at its last answer, whether
// its host asked to wait, and its unread items.
struct TFeedFacts {
  std::optional<TFeedRecord> Record;      // none for a feed never fetched
  std::optional<THostDeferral> Deferral;  // its host's, when one is kept
  int NewItems = 0;
  bool Shown = false;  // it is the feed shown, which a click does not load again
};

// The facts of each of `links` that has any: its record in `state`, its host's deferral and
// its count in `unread` (unread items by link).
std::map<std::string, TFeedFacts> FeedFactsOf(IFeedState& state,
                                              const std::map<std::string, int>& unread,
                                              const std::vector<std::string>& links);

// Every group of `subscriptions` with its feeds, the group `current` as `currentFeeds` (the
// window's list, which may be ahead of its file). A file that cannot be read counts as empty.
std::vector<TGroup> GroupsForNews(const TSubscriptions& subscriptions, const std::string& current,
                                  const std::vector<TFeed>& currentFeeds);

// The names of the groups holding a feed with unread items.
std::set<std::string> GroupsWithNews(const std::vector<TGroup>& groups,
                                     const std::map<std::string, int>& unread);

}  // namespace vantle
