#pragma once

#include <string>

#include "CheckList.h"
#include "FeedState.h"

namespace vantle::tool {

// Gives every row of `moved` in the group files of `dataDir` the link `to`, and moves what
// `state` keeps of it along, when the tool can take the data directory's lock at once (a
// running window holds it for its life). False, with nothing changed, when it cannot.
bool ChangeMovedLink(const std::string& dataDir, const TCheckedLink& moved, const std::string& to,
                     IFeedState& state);

}  // namespace vantle::tool
