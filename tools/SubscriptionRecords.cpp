#include "SubscriptionRecords.h"

namespace vantle::tool {

TJson GroupRecord(const std::string& name, std::size_t feeds) {
  return {{"name", name}, {"feeds", feeds}};
}

TJson FeedRecord(const std::string& group, const TFeed& feed) {
  return {{"group", group}, {"title", feed.Title}, {"link", feed.Link}};
}

TJson DiscoveredFeedRecord(const TDiscoveredFeed& feed) {
  return {{"link", feed.Link}, {"title", feed.Title}, {"type", feed.Type}};
}

}  // namespace vantle::tool
