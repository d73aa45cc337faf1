#include "store/Subscriptions.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "Exception.h"
#include "store/GroupFiles.h"
#include "store/GroupNames.h"

namespace vantle {

namespace {

std::string UnreadableGroup(const std::string& path, const std::string& error) {
  return "the group file \"" + path + "\" cannot be read: " + error;
}

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// Takes the rows out of `feeds`, which are given last first, and returns them in list order.
std::vector<TFeed> TakeRows(std::vector<TFeed>& feeds, const std::vector<std::size_t>& rows) {
  std::vector<TFeed> taken;
  for (const std::size_t row : rows) {
    taken.insert(taken.begin(), feeds[row]);
    feeds.erase(feeds.begin() + static_cast<std::ptrdiff_t>(row));
  }
  return taken;
}

}  // namespace

TSubscriptions::TSubscriptions(std::string dataDir, const TNameCollation& collation)
    : FDataDir(std::move(dataDir)), FCollation(collation) {}

void TSubscriptions::MakeDataDir() const {
  std::error_code error;
  std::filesystem::create_directories(FDataDir, error);
}

std::string TSubscriptions::GroupPath(std::string_view group) const {
  return GroupFilePath(FDataDir, std::string(group));
}

std::vector<std::string> TSubscriptions::Groups() const {
  return ListGroups(FDataDir, FCollation);
}

TStoreOutcome TSubscriptions::CheckNewName(std::string_view name) const {
  const std::string trimmed = TrimmedName(name);
  if (trimmed.empty()) return TStoreOutcome::BlankName;
  // The name kept is the one given; the one compared is trimmed, and neither may be invalid.
  if (!IsValidGroupName(name) || !IsValidGroupName(trimmed)) return TStoreOutcome::InvalidName;
  if (FindGroupName(Groups(), trimmed) >= 0) return TStoreOutcome::TakenName;
  return TStoreOutcome::Done;
}

TStoreOutcome TSubscriptions::CheckRename(std::string_view from, std::string_view to) const {
  if (to.empty()) return TStoreOutcome::BlankName;
  if (to == from) return TStoreOutcome::Done;
  if (!IsValidGroupName(to)) return TStoreOutcome::InvalidName;
  const std::vector<std::string> groups = Groups();
  const int found = FindGroupName(groups, to);
  if (found >= 0 && groups[static_cast<std::size_t>(found)] != from) {
    return TStoreOutcome::TakenName;
  }
  return TStoreOutcome::Done;
}

TStoreOutcome TSubscriptions::CreateGroup(std::string_view name) {
  const TStoreOutcome outcome = CheckNewName(name);
  if (outcome == TStoreOutcome::Done) WriteGroupBytes(std::string(name), EncodeGroup({}));
  return outcome;
}

TStoreOutcome TSubscriptions::RenameGroup(const std::string& from, const std::string& to,
                                          const std::string* list) {
  const TStoreOutcome outcome = CheckRename(from, to);
  if (outcome == TStoreOutcome::Done && to != from) RenameGroupFile(from, to, list);
  return outcome;
}

void TSubscriptions::RenameGroupFile(const std::string& from, const std::string& to,
                                     const std::string* list) {
  const std::string oldPath = GroupPath(from);
  const std::string newPath = GroupPath(to);
  // A list that failed to load is no copy of the group: its file moves, damage and all.
  if (list == nullptr) {
    MoveGroupFile(oldPath, newPath);
    if (FDamaged == from) FDamaged = to;
    return;
  }
  WriteGroupFile(newPath, *list);
  if (!IsSameFile(oldPath, newPath)) ::unlink(oldPath.c_str());
}

void TSubscriptions::DeleteGroup(const std::string& name) {
  ::unlink(GroupPath(name).c_str());
  if (FDamaged == name) FDamaged.clear();
}

bool TSubscriptions::HasGroupFile(const std::string& name) const {
  return Exists(GroupPath(name));
}

std::string TSubscriptions::ReadGroupBytes(const std::string& name) const {
  return ReadGroupFile(GroupPath(name));
}

void TSubscriptions::WriteGroupBytes(const std::string& name, std::string_view bytes) {
  const std::string path = GroupPath(name);
  if (name == FDamaged) {
    KeepDamagedGroupFile(path);
    FDamaged.clear();
  }
  WriteGroupFile(path, bytes);
}

void TSubscriptions::MarkDamaged(const std::string& name) {
  FDamaged = name;
}

void TSubscriptions::CheckReadable(const std::string& name) const {
  if (HasGroupFile(name)) DecodeGroup(ReadGroupBytes(name));
}

TGroupRead TSubscriptions::LoadGroup(const std::string& name) {
  TGroupRead read = DecodeGroupRows(ReadGroupBytes(name));
  if (!read.Error.empty()) MarkDamaged(name);
  return read;
}

void TSubscriptions::SaveGroup(const std::string& name, std::vector<TFeed> feeds) {
  std::vector<int> widths{std::begin(StoreColWidths), std::end(StoreColWidths)};
  const std::string path = GroupPath(name);
  if (Exists(path) && FDamaged != name) widths = ColWidthsOf(ReadGroupFile(path));
  SortFeedList(feeds, FCollation);
  WriteGroupBytes(name, EncodeGroup(feeds, widths));
}

std::vector<TFeed> TSubscriptions::ReadFeeds(const std::string& group) {
  const std::string path = GroupPath(group);
  TGroupRead read = DecodeGroupRows(ReadGroupFile(path));
  // What follows the error would be lost by a write: the change is refused.
  if (!read.Error.empty()) throw Exception(UnreadableGroup(path, read.Error));
  return std::move(read.Feeds);
}

TStoreOutcome TSubscriptions::FindFeed(const std::string& group, const std::string& link,
                                       TFeedRows which, std::vector<TFeed>& feeds,
                                       std::vector<std::size_t>& rows) {
  if (!HasGroupFile(group)) return TStoreOutcome::NoSuchGroup;
  feeds = ReadFeeds(group);
  rows.clear();
  for (std::size_t i = 0; i < feeds.size(); ++i) {
    if (feeds[i].Link != link) continue;
    rows.insert(rows.begin(), i);
    if (which == TFeedRows::First) break;
  }
  return rows.empty() ? TStoreOutcome::NoSuchFeed : TStoreOutcome::Done;
}

TStoreOutcome TSubscriptions::AddFeed(const std::string& group, const TFeed& feed) {
  if (!HasGroupFile(group)) return TStoreOutcome::NoSuchGroup;
  std::vector<TFeed> feeds = ReadFeeds(group);
  feeds.push_back(feed);
  SaveGroup(group, std::move(feeds));
  return TStoreOutcome::Done;
}

TStoreOutcome TSubscriptions::RetitleFeed(const std::string& group, const std::string& link,
                                          const std::string& title, TFeedRows which) {
  std::vector<TFeed> feeds;
  std::vector<std::size_t> rows;
  const TStoreOutcome outcome = FindFeed(group, link, which, feeds, rows);
  if (outcome != TStoreOutcome::Done) return outcome;
  for (const std::size_t row : rows) feeds[row].Title = title;
  SaveGroup(group, std::move(feeds));
  return outcome;
}

TStoreOutcome TSubscriptions::ChangeFeedLink(const std::string& group, const std::string& link,
                                             const std::string& newLink, IFeedState* state) {
  std::vector<TFeed> feeds;
  std::vector<std::size_t> rows;
  const TStoreOutcome outcome = FindFeed(group, link, TFeedRows::First, feeds, rows);
  if (outcome != TStoreOutcome::Done) return outcome;
  const bool held = std::any_of(feeds.begin(), feeds.end(),
                                [&newLink](const TFeed& feed) { return feed.Link == newLink; });
  if (held) {
    feeds.erase(feeds.begin() + static_cast<std::ptrdiff_t>(rows.front()));
  } else {
    feeds[rows.front()].Link = newLink;
  }
  SaveGroup(group, std::move(feeds));
  if (state) state->Move(link, newLink);
  return outcome;
}

TStoreOutcome TSubscriptions::MoveFeed(const std::string& from, const std::string& link,
                                       const std::string& to, TFeedRows which) {
  std::vector<TFeed> feeds;
  std::vector<std::size_t> rows;
  const TStoreOutcome outcome = FindFeed(from, link, which, feeds, rows);
  if (outcome != TStoreOutcome::Done) return outcome;
  if (IsSameGroupName(from, to)) return outcome;
  if (!HasGroupFile(to)) return TStoreOutcome::NoSuchGroup;
  std::vector<TFeed> target = ReadFeeds(to);
  const std::vector<TFeed> moved = TakeRows(feeds, rows);
  target.insert(target.end(), moved.begin(), moved.end());
  // The feed reaches its new group before it leaves the old one: a failure keeps it once.
  SaveGroup(to, std::move(target));
  SaveGroup(from, std::move(feeds));
  return outcome;
}

TStoreOutcome TSubscriptions::DeleteFeed(const std::string& group, const std::string& link,
                                         TFeedRows which) {
  std::vector<TFeed> feeds;
  std::vector<std::size_t> rows;
  const TStoreOutcome outcome = FindFeed(group, link, which, feeds, rows);
  if (outcome != TStoreOutcome::Done) return outcome;
  TakeRows(feeds, rows);
  SaveGroup(group, std::move(feeds));
  return outcome;
}

}  // namespace vantle
