#include "store/GroupStore.h"

#include <algorithm>

#include "UVantleUtils.h"
#include "store/GridStream.h"

namespace vantle {

namespace {

constexpr std::string_view SortSeparator = "$$$$$$___$$$$$$";
constexpr std::string_view GroupExtension = ".dat";
constexpr int LinkCol = 0;
constexpr int TitleCol = 2;

struct TKeyedFeed {
  std::string Key;
  std::string Bytes;
  TFeed Feed;
};

}  // namespace

void SortFeedList(std::vector<TFeed>& feeds, const TNameCollation& collation) {
  std::vector<TKeyedFeed> keyed;
  keyed.reserve(feeds.size());
  for (TFeed& feed : feeds) {
    std::string bytes = feed.Title + std::string(SortSeparator) + feed.Link;
    std::string key = collation.SortKey(bytes);
    keyed.push_back({std::move(key), std::move(bytes), std::move(feed)});
  }
  std::sort(keyed.begin(), keyed.end(), [](const TKeyedFeed& a, const TKeyedFeed& b) {
    const int order = a.Key.compare(b.Key);
    return order != 0 ? order < 0 : a.Bytes < b.Bytes;
  });
  for (std::size_t i = 0; i < keyed.size(); ++i) feeds[i] = std::move(keyed[i].Feed);
}

TGroupRead DecodeGroupRows(std::string_view bytes) {
  TGroupRead read;
  std::vector<TFeed>& feeds = read.Feeds;
  TGridRecords records = DecodeGridRecords(bytes);
  read.Error = std::move(records.Error);
  try {
    const TGridProps& props = records.Props;
    // A file that is not a whole list lands in the window's empty list of one row.
    const int cols = props.FullGrid ? props.ColCount : 3;
    const int rows = !records.HasProps ? 0 : props.FullGrid ? props.RowCount : 1;
    feeds.resize(static_cast<std::size_t>(std::max(rows, 0)));
    TCellPlacement placement(props.FullGrid, cols, rows);
    for (TGridCell& cell : records.Cells) {
      const auto [col, row] = placement.Place(cell);
      TFeed& feed = feeds[static_cast<std::size_t>(row)];
      if (col == LinkCol) feed.Link = std::move(cell.Cell);
      if (col == TitleCol) feed.Title = std::move(cell.Cell);
    }
  } catch (const TGridStreamException& error) {
    read.Error = error.Message();
  }
  // Past an error, rows without a link are the empty ones the head's row count made.
  const bool whole = read.Error.empty();
  std::erase_if(feeds, [whole](const TFeed& feed) {
    return feed.Link.empty() && (!whole || feed.Title.empty());
  });
  return read;
}

std::vector<TFeed> DecodeGroup(std::string_view bytes) {
  TGroupRead read = DecodeGroupRows(bytes);
  if (!read.Error.empty()) throw TGridStreamException(read.Error);
  return std::move(read.Feeds);
}

std::string EncodeGroup(const std::vector<TFeed>& feeds, const std::vector<int>& colWidths) {
  TGridProps props;
  props.ColCount = 3;
  props.RowCount = static_cast<int32_t>(std::max<std::size_t>(feeds.size(), 1));
  props.ColWidths = colWidths;
  props.RowHeights.assign(static_cast<std::size_t>(props.RowCount), StoreRowHeight);
  props.FullGrid = true;
  props.ID = GridStreamID();
  std::vector<TGridCell> cells;
  cells.reserve(feeds.size() * 2);
  for (std::size_t row = 0; row < feeds.size(); ++row) {
    const auto at = static_cast<int32_t>(row);
    if (!feeds[row].Link.empty()) cells.push_back({LinkCol, at, feeds[row].Link, false});
    if (!feeds[row].Title.empty()) cells.push_back({TitleCol, at, feeds[row].Title, false});
  }
  return EncodeGridRecords(props, cells);
}

std::vector<int> ColWidthsOf(std::string_view bytes) {
  TGridReader reader(bytes);
  const TGridProps& props = reader.Props();
  if (props.FullGrid && props.ColWidths.size() == 3) return props.ColWidths;
  return {std::begin(StoreColWidths), std::end(StoreColWidths)};
}

std::vector<std::string> ListGroups(const std::string& dataDir, const TNameCollation& collation) {
  std::vector<std::string> files;
  ListFiles(files, dataDir, GroupExtension);
  std::vector<std::string> names;
  names.reserve(files.size());
  for (const std::string& file : files) {
    const std::size_t start = file.rfind('/') + 1;
    names.push_back(file.substr(start, file.size() - start - GroupExtension.size()));
  }
  // The window inserts each entry after those that do not sort after it: a stable sort.
  std::stable_sort(names.begin(), names.end(), [&collation](const auto& a, const auto& b) {
    return collation.Compare(a, b) < 0;
  });
  return names;
}

std::size_t GroupEntryPosition(const std::vector<std::string>& groups, std::string_view name,
                               const TNameCollation& collation) {
  std::size_t index = 0;
  while (index < groups.size() && collation.Compare(groups[index], name) <= 0) ++index;
  return index;
}

std::string GroupFilePath(const std::string& dataDir, const std::string& group) {
  return dataDir + group + std::string(GroupExtension);
}

}  // namespace vantle
