#pragma once

#include <QColor>

#include <string>
#include <vector>

#include "store/GroupStore.h"

namespace vantle {

class TGridControl;

// The reader window's feed list as the in-memory copy of one group: each row is a feed, its
// link in the hidden column 0 and its title in column 2; column 1 is an empty margin.

// The list's columns (the hidden link, the margin) and its rows.
inline constexpr int LinkColumnWidth = 0;
inline constexpr int MarginColumnWidth = 10;
inline constexpr int FeedRowHeight = 35;
// The background of the selected row.
inline const QColor SelectedRowColour{223, 224, 214};

// Gives `grid` the list's three-column layout and one empty row.
void SetUpFeedList(TGridControl& grid);
// Makes every row FeedRowHeight high.
void SetFeedRowHeights(TGridControl& grid);
// True when the list holds a feed: an empty group is one row with empty cells.
bool HoldsFeed(const TGridControl& grid);
// The first row holding the feed `link` titled `title`; -1 when there is none.
int FeedRow(const TGridControl& grid, const std::string& link, const std::string& title);
// Every row as a feed, from row 0.
std::vector<TFeed> FeedsOf(const TGridControl& grid);
// Writes `feeds` into the rows from row 0, title and link as pairs; the margin is untouched.
void PutFeeds(TGridControl& grid, std::vector<TFeed> feeds);

}  // namespace vantle
