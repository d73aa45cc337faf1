#pragma once

#include <string>

#include "CheckList.h"
#include "FeedCheck.h"

namespace vantle::tool {

// The line `check` prints for one subscription row of `link`, without its line feed:
// {"group","title","link","result","status","bytes","reason","moved_to","new_items"}.
std::string CheckLine(const TSubscribedRow& row, const std::string& link,
                      const TLoadOutcome& outcome, int newItems);

}  // namespace vantle::tool
