#include "CheckList.h"

#include <unordered_map>

namespace vantle::tool {

std::vector<TCheckedLink> LinksToCheck(const TSubscriptions& store, const std::string& group,
                                       std::vector<std::string>& damaged) {
  const std::vector<std::string> groups = group.empty() ? store.Groups() : std::vector{group};
  std::vector<TCheckedLink> links;
  std::unordered_map<std::string, std::size_t> positions;
  for (const std::string& name : groups) {
    const TGroupRead read = DecodeGroupRows(store.ReadGroupBytes(name));
    if (!read.Error.empty()) damaged.push_back(name);
    for (const TFeed& feed : read.Feeds) {
      const auto [at, added] = positions.emplace(feed.Link, links.size());
      if (added) links.push_back({feed.Link, {}});
      links[at->second].Rows.push_back({name, feed.Title});
    }
  }
  return links;
}

}  // namespace vantle::tool
