#include "FeedListRows.h"

#include "GridControl.h"

namespace vantle {

namespace {

constexpr int LinkCol = 0;
constexpr int TitleCol = 2;

}  // namespace

void SetUpFeedList(TGridControl& grid) {
  grid.SetColCount(3);
  grid.SetFixedCols(1);
  grid.SetRowCount(1);
  grid.SetFixedRows(0);
  grid.ClearAll();
  grid.setSelectionBehavior(QAbstractItemView::SelectRows);
  grid.setSelectionMode(QAbstractItemView::SingleSelection);
  grid.SetColWidths(0, LinkColumnWidth);
  grid.SetColWidths(1, MarginColumnWidth);
  grid.StretchLastColumn();
  grid.setShowGrid(false);
}

void SetFeedRowHeights(TGridControl& grid) {
  for (int row = 0; row < grid.RowCount(); ++row) {
    grid.SetRowHeights(row, FeedRowHeight);
  }
}

bool HoldsFeed(const TGridControl& grid) {
  // The list is disabled while a feed loads, so only its content tells.
  for (int row = 0; row < grid.RowCount(); ++row) {
    if (!grid.Cells(LinkCol, row).empty() || !grid.Cells(TitleCol, row).empty()) {
      return true;
    }
  }
  return false;
}

int FeedRow(const TGridControl& grid, const std::string& link, const std::string& title) {
  for (int row = 0; row < grid.RowCount(); ++row) {
    if (grid.Cells(LinkCol, row) == link && grid.Cells(TitleCol, row) == title) {
      return row;
    }
  }
  return -1;
}

std::vector<TFeed> FeedsOf(const TGridControl& grid) {
  std::vector<TFeed> feeds;
  feeds.reserve(static_cast<std::size_t>(grid.RowCount()));
  for (int row = 0; row < grid.RowCount(); ++row) {
    feeds.push_back({grid.Cells(LinkCol, row), grid.Cells(TitleCol, row)});
  }
  return feeds;
}

void PutFeeds(TGridControl& grid, std::vector<TFeed> feeds) {
  // Title and link go back as pairs, never split out of a sort key, so a title holding the
  // key's separator cannot corrupt a link.
  for (int row = 0; row < static_cast<int>(feeds.size()); ++row) {
    grid.SetCells(TitleCol, row, std::move(feeds[static_cast<std::size_t>(row)].Title));
    grid.SetCells(LinkCol, row, std::move(feeds[static_cast<std::size_t>(row)].Link));
  }
}

}  // namespace vantle
