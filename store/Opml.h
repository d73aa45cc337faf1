#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "store/GroupStore.h"

namespace vantle {

// What an OPML file offers: folders of feeds, named as the file names them.
struct TOpmlSubscriptions {
  // The head's title; empty when there is none.
  std::string Title;
  // One entry per top-level folder in file order (name: its text, else its title; feeds of
  // deeper folders included), then the feeds outside any folder under the head's title.
  std::vector<TGroup> Folders;
};

// Reads OPML with the feed library's hardened parser (no external entity or DTD, bounded
// entity expansion and depth). Every outline with an xmlUrl is a feed, titled by its title,
// else its text, else its link. Raises vantle::Exception with the reason the document is
// not OPML or not well-formed.
TOpmlSubscriptions ReadOpml(std::string_view bytes, const std::string& source);

// OPML 2.0 in UTF-8: one top-level outline per group (text = its name), each feed a child
// outline with type "rss", text and title = its title and xmlUrl = its link; the head holds
// `title` and `created` as dateCreated.
std::string WriteOpml(const std::vector<TGroup>& groups, std::string_view title,
                      std::time_t created);

// The date of `time` as RFC 822 gives it in UTC: "Thu, 10 Dec 2026 12:00:00 GMT".
std::string Rfc822Date(std::time_t time);

}  // namespace vantle
