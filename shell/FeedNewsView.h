#pragma once

#include <string>
#include <vector>

#include "store/FeedNews.h"

class QComboBox;

namespace vantle {

class TFeedListMarks;
class TFeedStateDb;
class TSubscriptions;
class TSimpleRSS;

// Shows the feed state's news in the window: the feed list's marks and the group list's dots,
// and notes each feed the window shows as read.
class TFeedNewsView {
 public:
  // Everything given outlives this object.
  TFeedNewsView(TFeedStateDb& state, TFeedListMarks& marks, QComboBox& groups);

  // Reads the state again for the list's feeds and for every group, the group `current`
  // holding `currentFeeds`.
  void Refresh(const TSubscriptions& subscriptions, const std::string& current,
               const std::vector<TFeed>& currentFeeds);
  // The window showed the feed `link` as `reader` holds it at `now`: its items are sighted
  // and read.
  void FeedShown(const std::string& link, const TSimpleRSS& reader, TUnixTime now);

 private:
  TFeedStateDb& FState;
  TFeedListMarks& FMarks;
  QComboBox& FGroups;
};

}  // namespace vantle
