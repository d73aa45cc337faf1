#include <iostream>

#include "CommandArgs.h"
#include "Commands.h"
#include "DataDirAccess.h"
#include "SubscriptionChange.h"
#include "SubscriptionRecords.h"
#include "store/GroupNames.h"

namespace vantle::tool {

namespace {

// The feeds of the group as the window loads them, which a damaged file does not stop.
std::size_t FeedCount(const TSubscriptions& store, const std::string& group) {
  return DecodeGroupRows(store.ReadGroupBytes(group)).Feeds.size();
}

int List(const std::string& dataDir) {
  const TSubscriptions store(dataDir);
  std::string lines;
  for (const std::string& group : store.Groups()) {
    lines += DumpJson(GroupRecord(group, FeedCount(store, group))) + '\n';
  }
  std::cout << lines << std::flush;
  return 0;
}

// New Group: the name typed is stripped as the window strips it.
std::string Add(TSubscriptions& store, const std::string& typed) {
  const std::string name = StrippedGroupName(typed);
  const TStoreOutcome outcome = store.CreateGroup(name);
  if (outcome != TStoreOutcome::Done) return RefusalText(outcome, TrimmedName(name));
  std::cout << DumpJson(GroupRecord(name, 0)) << '\n';
  return {};
}

// Edit Group's rename: the new name is trimmed as the group dialog trims it.
std::string Rename(TSubscriptions& store, const std::string& from, const std::string& typed) {
  if (!store.HasGroupFile(from)) return RefusalText(TStoreOutcome::NoSuchGroup, from);
  const std::string to = TrimmedName(typed);
  const std::size_t feeds = FeedCount(store, from);
  const TStoreOutcome outcome = store.RenameGroup(from, to);
  if (outcome != TStoreOutcome::Done) return RefusalText(outcome, to);
  std::cout << DumpJson(GroupRecord(to, feeds)) << '\n';
  return {};
}

// Delete Group, as the window does once confirmed: the group goes with its feeds.
std::string Delete(TSubscriptions& store, const std::string& name) {
  if (!store.HasGroupFile(name)) return RefusalText(TStoreOutcome::NoSuchGroup, name);
  const std::size_t feeds = FeedCount(store, name);
  store.DeleteGroup(name);
  std::cout << DumpJson(GroupRecord(name, feeds)) << '\n';
  return {};
}

}  // namespace

int RunGroups(const std::vector<std::string>& args) {
  const std::optional<TCommandArgs> split = SplitArgs(args, {"--data"});
  const std::vector<std::string> none;
  const std::vector<std::string>& words = split ? split->Words : none;
  const std::string action = words.empty() ? std::string() : words[0];
  TChange change;
  if (action == "add" && words.size() == 2) {
    change = [&](TSubscriptions& store) { return Add(store, words[1]); };
  } else if (action == "rename" && words.size() == 3) {
    change = [&](TSubscriptions& store) { return Rename(store, words[1], words[2]); };
  } else if (action == "delete" && words.size() == 2) {
    change = [&](TSubscriptions& store) { return Delete(store, words[1]); };
  } else if (!split || !words.empty()) {
    std::cerr << UsageText();
    return 2;
  }
  const std::string dataDir = ToolDataDir(split->Option("--data"));
  return change ? ChangeUnderLock(dataDir, change) : List(dataDir);
}

}  // namespace vantle::tool
