#pragma once

#include <string>

#include "FeedDiscovery.h"
#include "ModelJson.h"
#include "store/GroupStore.h"

namespace vantle::tool {

// A group as `groups` prints it: {"name","feeds"}.
TJson GroupRecord(const std::string& name, std::size_t feeds);
// A feed as `feeds` prints it: {"group","title","link"}.
TJson FeedRecord(const std::string& group, const TFeed& feed);
// A feed a link is or its page names, as `discover` prints it: {"link","title","type"}.
TJson DiscoveredFeedRecord(const TDiscoveredFeed& feed);

}  // namespace vantle::tool
