#include "store/FeedNews.h"

#include <algorithm>

#include "Exception.h"
#include "feedlib/FetchRules.h"
#include "store/Subscriptions.h"

namespace vantle {

namespace {

int UnreadOf(const std::map<std::string, int>& unread, const std::string& link) {
  const auto found = unread.find(link);
  return found == unread.end() ? 0 : found->second;
}

}  // namespace

std::map<std::string, TFeedFacts> FeedFactsOf(IFeedState& state,
                                              const std::map<std::string, int>& unread,
                                              const std::vector<std::string>& links) {
  std::map<std::string, TFeedFacts> facts;
  for (const std::string& link : links) {
    if (facts.count(link) > 0) continue;
    TFeedFacts feed;
    feed.Record = state.Find(link);
    if (std::string origin = OriginOf(link); !origin.empty())
      feed.Deferral = state.Deferral(origin);
    feed.NewItems = UnreadOf(unread, link);
    if (feed.Record || feed.Deferral || feed.NewItems > 0) facts.emplace(link, std::move(feed));
  }
  return facts;
}

std::vector<TGroup> GroupsForNews(const TSubscriptions& subscriptions, const std::string& current,
                                  const std::vector<TFeed>& currentFeeds) {
  std::vector<TGroup> groups;
  for (const std::string& name : subscriptions.Groups()) {
    TGroup& group = groups.emplace_back(TGroup{name, {}});
    if (name == current) {
      group.Feeds = currentFeeds;
      continue;
    }
    try {
      group.Feeds = DecodeGroupRows(subscriptions.ReadGroupBytes(name)).Feeds;
    } catch (const Exception&) {
      // Only marks depend on it: the group's own load reports the file.
    }
  }
  return groups;
}

std::set<std::string> GroupsWithNews(const std::vector<TGroup>& groups,
                                     const std::map<std::string, int>& unread) {
  std::set<std::string> names;
  for (const TGroup& group : groups) {
    const bool news = std::any_of(group.Feeds.begin(), group.Feeds.end(), [&](const TFeed& feed) {
      return UnreadOf(unread, feed.Link) > 0;
    });
    if (news) names.insert(group.Name);
  }
  return names;
}

}  // namespace vantle
