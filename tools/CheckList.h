#pragma once

#include <string>
#include <vector>

#include "store/Subscriptions.h"

namespace vantle::tool {

// A subscription row: the group holding it and its title there.
struct TSubscribedRow {
  std::string Group;
  std::string Title;
};

// A link to check once, with every row that subscribes to it.
struct TCheckedLink {
  std::string Link;
  std::vector<TSubscribedRow> Rows;
};

// The links of `group`'s feeds (every group's when empty), each once, in the order the window
// lists groups and rows. Raises when a group file cannot be read; a damaged file gives the
// rows before its damage, as the window loads them, and its name in `damaged`.
std::vector<TCheckedLink> LinksToCheck(const TSubscriptions& store, const std::string& group,
                                       std::vector<std::string>& damaged);

}  // namespace vantle::tool
