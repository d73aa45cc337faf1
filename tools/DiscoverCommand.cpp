#include <exception>
#include <iostream>

#include "Commands.h"
#include "FeedDiscovery.h"
#include "ModelJson.h"
#include "SubscriptionRecords.h"

namespace vantle::tool {

namespace {

// The link itself when it loads as a feed; else the feeds of the page it names, as the feed
// dialog offers them after a failed test.
std::vector<TDiscoveredFeed> FeedsAt(const std::string& link) {
  TSimpleRSS rss;
  rss.Tolerant = true;
  try {
    rss.LoadFromLink(link);
    return {{link, rss.Channel().Required.StoredTitle(), std::string(FeedMimeType(rss.XMLType()))}};
  } catch (const std::exception& error) {
    if (!LoadedSomethingElse(rss, error)) throw;
  }
  return DiscoverFeeds(link, rss.XMLFileOptions.FetchOptions);
}

}  // namespace

int RunDiscover(const std::vector<std::string>& args) {
  if (args.size() != 1 || args.front().empty()) {
    std::cerr << UsageText();
    return 2;
  }
  const std::vector<TDiscoveredFeed> feeds = FeedsAt(args.front());
  for (const TDiscoveredFeed& feed : feeds)
    std::cout << DumpJson(DiscoveredFeedRecord(feed)) << '\n';
  std::cout.flush();
  if (feeds.empty()) std::cerr << "vantle-feed: no feed found at " << args.front() << '\n';
  return feeds.empty() ? 1 : 0;
}

}  // namespace vantle::tool
