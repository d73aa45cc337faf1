#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "FeedFetcher.h"
#include "SimpleRSS.h"
#include "SimpleRSSTypes.h"

namespace vantle {

// A feed that a web page names in a <link rel="alternate"> element.
struct TDiscoveredFeed {
  std::string Link;   // resolved against the page's address and its <base href>
  std::string Title;  // the element's title attribute, trimmed; may be empty
  std::string Type;   // the feed's MIME type, lower-case

  bool operator==(const TDiscoveredFeed&) const = default;
};

// How much of a page discovery reads; the rest of the page is not fetched.
inline constexpr size_t kDiscoveryPageLimit = 1024 * 1024;

// The MIME type of a feed format: "application/rss+xml", "application/rdf+xml" or
// "application/atom+xml".
std::string_view FeedMimeType(TXMLType type);

// The feeds an HTML page announces, in page order and without repeats. `page` is the
// page's markup, `pageLink` its address (a web address, a file:// URL or a path).
std::vector<TDiscoveredFeed> FeedsOfPage(std::string_view page, const std::string& pageLink);

// Fetches the first kDiscoveryPageLimit bytes of `link` once, with `options`' time-outs, and
// returns the feeds the page announces. Raises EFetchError when the page cannot be fetched.
std::vector<TDiscoveredFeed> DiscoverFeeds(const std::string& link,
                                           const TFetchOptions& options = {},
                                           const TProgressCallback& progress = {});

// True when the load of `rss` that raised `error` got a document that is not a feed (not
// XML, or XML of another root), such as a web page that may name its feeds.
bool LoadedSomethingElse(TSimpleRSS& rss, const std::exception& error);

}  // namespace vantle
