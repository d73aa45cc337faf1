#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/NameCollation.h"

namespace vantle {

// A subscription: what the reader loads and the title it is listed under.
struct TFeed {
  std::string Link;
  std::string Title;
  bool operator==(const TFeed&) const = default;
};

// A group as its file holds it.
struct TGroup {
  std::string Name;
  std::vector<TFeed> Feeds;
  bool operator==(const TGroup&) const = default;
};

// The column widths of the feed list at the window's first size: link, margin, title.
inline constexpr int StoreColWidths[] = {0, 10, 176};
// The height of every row of the feed list.
inline constexpr int StoreRowHeight = 35;

// Orders `feeds` as the feed list shows them: by title + "$$$$$$___$$$$$$" + link under
// `collation`; keys the collation finds equal go by their bytes, so every sort agrees.
void SortFeedList(std::vector<TFeed>& feeds,
                  const TNameCollation& collation = TNameCollation::User());

// A group file as read: the feeds of the rows read, in file order, and the read error that
// stopped the reading (empty when the file was read whole).
struct TGroupRead {
  std::vector<TFeed> Feeds;
  std::string Error;
};

// The feeds of a group file's bytes, row by row, as the window loads them (rows holding
// neither link nor title are left out), up to the first read error, which comes with them;
// past an error only the rows holding a link are kept.
TGroupRead DecodeGroupRows(std::string_view bytes);

// DecodeGroupRows for a file that must be whole: raises the format's read error.
std::vector<TFeed> DecodeGroup(std::string_view bytes);

// The bytes the window writes for a list holding `feeds` in this order, with the column
// widths `colWidths` (three numbers). Raises when the format cannot hold so many rows.
std::string EncodeGroup(const std::vector<TFeed>& feeds,
                        const std::vector<int>& colWidths = {std::begin(StoreColWidths),
                                                             std::end(StoreColWidths)});

// The column widths a group file's first record carries; the window's first ones when it
// carries no three.
std::vector<int> ColWidthsOf(std::string_view bytes);

// The groups of `dataDir` (with its trailing separator) in the order of the window's group
// list: the ".dat" files, named without that extension, sorted by `collation`.
std::vector<std::string> ListGroups(const std::string& dataDir,
                                    const TNameCollation& collation = TNameCollation::User());

// Where a new group `name` goes in `groups`, which stand in the group list's order: after
// every group that does not sort after it.
std::size_t GroupEntryPosition(const std::vector<std::string>& groups, std::string_view name,
                               const TNameCollation& collation = TNameCollation::User());

// `dataDir` + `group` + ".dat".
std::string GroupFilePath(const std::string& dataDir, const std::string& group);

}  // namespace vantle
