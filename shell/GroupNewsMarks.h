#pragma once

#include <set>
#include <string>

class QComboBox;

namespace vantle {

// Gives each entry of the group list named in `withNews` the feed list's dot, shown beside the
// name in the list and in its closed state; the others get blank room of the same size, or no
// icon at all when no group has news. Texts stay as they are, so the names read from the list
// do not change.
void MarkGroupsWithNews(QComboBox& groups, const std::set<std::string>& withNews);

}  // namespace vantle
