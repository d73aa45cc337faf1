#include "FeedNewsView.h"

#include <map>

#include "Exception.h"
#include "FeedListMarks.h"
#include "GroupNewsMarks.h"
#include "ItemIdentity.h"
#include "SimpleRSS.h"
#include "store/FeedStateDb.h"

namespace vantle {

TFeedNewsView::TFeedNewsView(TFeedStateDb& state, TFeedListMarks& marks, QComboBox& groups)
    : FState(state), FMarks(marks), FGroups(groups) {}

void TFeedNewsView::Refresh(const TSubscriptions& subscriptions, const std::string& current,
                            const std::vector<TFeed>& currentFeeds) {
  const std::map<std::string, int> unread = FState.UnreadCounts();
  std::vector<std::string> links;
  for (const TFeed& feed : currentFeeds) links.push_back(feed.Link);
  FMarks.SetFacts(FeedFactsOf(FState, unread, links));
  MarkGroupsWithNews(FGroups,
                     GroupsWithNews(GroupsForNews(subscriptions, current, currentFeeds), unread));
}

void TFeedNewsView::FeedShown(const std::string& link, const TSimpleRSS& reader, TUnixTime now) {
  try {
    FState.RecordItems(link, ItemIdentities(reader.Items()), now);
    FState.MarkRead(link);
  } catch (const Exception&) {
    // A state that cannot be written only leaves the marks behind; the feed is shown.
  }
}

}  // namespace vantle
