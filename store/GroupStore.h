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

// The column widths the window's list has at its first size: link, margin, title.
inline constexpr int StoreColWidths[] = {0, 10, 176};
// The height of every row of the window's list.
inline constexpr int StoreRowHeight = 35;

// Orders `feeds` as the window's SortFeeds does: by title + "$$$$$$___$$$$$$" + link under
// `collation`; keys the collation finds equal go by their bytes, so every sort agrees.
void SortFeedList(std::vector<TFeed>& feeds,
                  const TNameCollation& collation = TNameCollation::User());

// The feeds of a group file's bytes, row by row, as the window would load them (rows holding
// neither link nor title are left out). Raises the format's read errors.
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

// `dataDir` + `group` + ".dat".
std::string GroupFilePath(const std::string& dataDir, const std::string& group);

}  // namespace vantle
