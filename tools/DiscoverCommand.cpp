#include <exception>
#include <iostream>
#include <memory>
#include <optional>

#include "Commands.h"
#include "FeedDiscovery.h"
#include "FeedSource.h"
#include "FeedStateAccess.h"
#include "ModelJson.h"
#include "SubscriptionRecords.h"

namespace vantle::tool {

namespace {

// The link itself when it loads as a feed; else the feeds of the page it names, as the feed
// dialog offers them after a failed test.
std::vector<TDiscoveredFeed> FeedsAt(const std::string& link, const TFeedSource& source) {
  TSimpleRSS rss;
  rss.Tolerant = true;
  try {
    source.Load(rss, link, TRequestKind::Click);
    return {{link, rss.Channel().Required.StoredTitle(), std::string(FeedMimeType(rss.XMLType()))}};
  } catch (const std::exception& error) {
    if (!LoadedSomethingElse(rss, error)) throw;
  }
  return DiscoverFeeds(link, rss.XMLFileOptions.FetchOptions);
}

}  // namespace

int RunDiscover(std::vector<std::string> args) {
  std::optional<std::string> dataDir;
  if (!TakeDataOption(args, dataDir) || args.size() != 1 || args.front().empty()) {
    std::cerr << UsageText();
    return 2;
  }
  const std::unique_ptr<IFeedState> state = ToolFeedState(dataDir);
  const std::vector<TDiscoveredFeed> feeds = FeedsAt(args.front(), TFeedSource(state.get()));
  for (const TDiscoveredFeed& feed : feeds)
    std::cout << DumpJson(DiscoveredFeedRecord(feed)) << '\n';
  std::cout.flush();
  if (feeds.empty()) std::cerr << "vantle-feed: no feed found at " << args.front() << '\n';
  return feeds.empty() ? 1 : 0;
}

}  // namespace vantle::tool
