#include <algorithm>
#include <exception>
#include <functional>
#include <iostream>

#include "CommandArgs.h"
#include "Commands.h"
#include "DataDirAccess.h"
#include "Exception.h"
#include "FeedDiscovery.h"
#include "SubscriptionChange.h"
#include "SubscriptionRecords.h"
#include "store/GroupNames.h"

namespace vantle::tool {

namespace {

// The rows of the group's file as the window loads them; reading marks nothing damaged.
std::vector<TFeed> RowsOf(const TSubscriptions& store, const std::string& group) {
  return DecodeGroupRows(store.ReadGroupBytes(group)).Feeds;
}

std::vector<TFeed> RowsWithLink(const TSubscriptions& store, const std::string& group,
                                const std::string& link) {
  std::vector<TFeed> rows;
  for (const TFeed& feed : RowsOf(store, group)) {
    if (feed.Link == link) rows.push_back(feed);
  }
  return rows;
}

void PrintRows(const std::string& group, const std::vector<TFeed>& rows) {
  for (const TFeed& feed : rows) std::cout << DumpJson(FeedRecord(group, feed)) << '\n';
}

int List(const std::string& dataDir, const std::string& group) {
  const TSubscriptions store(dataDir);
  if (!group.empty() && !store.HasGroupFile(group)) {
    std::cerr << "vantle-feed: " << RefusalText(TStoreOutcome::NoSuchGroup, group) << '\n';
    return 1;
  }
  const std::vector<std::string> groups = group.empty() ? store.Groups() : std::vector{group};
  std::string lines;
  for (const std::string& name : groups) {
    for (const TFeed& feed : RowsOf(store, name)) lines += DumpJson(FeedRecord(name, feed)) + '\n';
  }
  std::cout << lines << std::flush;
  return 0;
}

// The group whose rows of `link` a command changes: `named` when given, else the one group
// holding the link. Sets `refusal` when there is none or more than one.
std::string GroupOfLink(const TSubscriptions& store, const std::string& link,
                        const std::string& named, std::string& refusal) {
  if (!named.empty()) return named;
  std::vector<std::string> holders;
  for (const std::string& group : store.Groups()) {
    if (!RowsWithLink(store, group, link).empty()) holders.push_back(group);
  }
  if (holders.size() == 1) return holders.front();
  if (holders.empty()) {
    refusal = "no group holds the feed " + link;
    return {};
  }
  refusal = "the feed " + link + " is in more than one group (";
  for (std::size_t i = 0; i < holders.size(); ++i) {
    refusal += (i > 0 ? ", \"" : "\"") + holders[i] + "\"";
  }
  refusal += "): name one with --group";
  return {};
}

// Runs `act` on the rows of `link` in its group and prints them as `act` left them.
std::string ChangeRows(TSubscriptions& store, const std::string& link, const std::string& named,
                       const std::function<TStoreOutcome(const std::string&, std::vector<TFeed>&,
                                                         std::string&)>& act) {
  std::string refusal;
  const std::string group = GroupOfLink(store, link, named, refusal);
  if (!refusal.empty()) return refusal;
  std::vector<TFeed> rows =
      store.HasGroupFile(group) ? RowsWithLink(store, group, link) : std::vector<TFeed>{};
  std::string shownGroup = group;
  std::string refused = group;
  const TStoreOutcome outcome = act(group, rows, shownGroup);
  // A move that finds its feed refuses for want of the target group.
  if (outcome == TStoreOutcome::NoSuchGroup && store.HasGroupFile(group)) refused = shownGroup;
  if (outcome != TStoreOutcome::Done) return RefusalText(outcome, refused, link);
  PrintRows(shownGroup, rows);
  return {};
}

// A feed's title as the feed dialog keeps it: trimmed, and never blank.
std::string TitleOf(const std::string& typed, std::string& refusal) {
  const std::string title = TrimmedName(typed);
  if (title.empty()) refusal = "a feed needs a title";
  return title;
}

// The feed dialog's test of `link`: the channel's title when it loads as a feed. A page
// that names feeds lists them as `discover` does and fails.
std::string TestLink(const std::string& link) {
  TSimpleRSS rss;
  rss.Tolerant = true;
  try {
    rss.LoadFromLink(link);
  } catch (const std::exception& error) {
    if (!LoadedSomethingElse(rss, error)) throw;
    const std::vector<TDiscoveredFeed> offers =
        DiscoverFeeds(link, rss.XMLFileOptions.FetchOptions);
    if (offers.empty()) throw;
    for (const TDiscoveredFeed& offer : offers) {
      std::cout << DumpJson(DiscoveredFeedRecord(offer)) << '\n';
    }
    throw Exception(link + " is a page, not a feed; it offers the feeds listed");
  }
  return rss.Channel().Required.Title();
}

int Add(const std::string& dataDir, const TCommandArgs& split) {
  const std::string& link = split.Words[1];
  const std::string group = split.Option("--group");
  const TSubscriptions reader(dataDir);
  // Checked before the load, which may be long, and again under the lock.
  if (!reader.HasGroupFile(group)) {
    std::cerr << "vantle-feed: " << RefusalText(TStoreOutcome::NoSuchGroup, group) << '\n';
    return 1;
  }
  // The link is tested even with a title given, as the dialog asks for a title only then.
  const std::string channelTitle = TestLink(link);
  const bool titled = split.Options.contains("--title");
  std::string refusal;
  const TFeed feed{link, TitleOf(titled ? split.Option("--title") : channelTitle, refusal)};
  if (!refusal.empty()) {
    std::cerr << "vantle-feed: " << refusal << (titled ? "" : ": give one with --title") << '\n';
    return 1;
  }
  return ChangeUnderLock(dataDir, [&](TSubscriptions& store) {
    const TStoreOutcome outcome = store.AddFeed(group, feed);
    if (outcome != TStoreOutcome::Done) return RefusalText(outcome, group);
    PrintRows(group, {feed});
    return std::string();
  });
}

// Whether the options given are among `allowed` (--data always is).
bool OnlyOptions(const TCommandArgs& split, std::initializer_list<std::string_view> allowed) {
  for (const auto& [option, value] : split.Options) {
    if (option != "--data" && std::find(allowed.begin(), allowed.end(), option) == allowed.end()) {
      return false;
    }
  }
  return true;
}

int Change(const std::string& dataDir, const TCommandArgs& split) {
  const std::string& action = split.Words[0];
  const std::string& link = split.Words[1];
  const std::string named = split.Option("--group");
  if (action == "delete") {
    return ChangeUnderLock(dataDir, [&](TSubscriptions& store) {
      return ChangeRows(store, link, named, [&](const std::string& group, auto&, auto&) {
        return store.DeleteFeed(group, link, TFeedRows::Every);
      });
    });
  }
  if (action == "move") {
    const std::string to = split.Option("--to");
    return ChangeUnderLock(dataDir, [&](TSubscriptions& store) {
      return ChangeRows(store, link, named,
                        [&](const std::string& group, auto&, std::string& shown) {
                          shown = to;
                          return store.MoveFeed(group, link, to, TFeedRows::Every);
                        });
    });
  }
  std::string refusal;
  const std::string title = TitleOf(split.Words[2], refusal);
  if (!refusal.empty()) {
    std::cerr << "vantle-feed: " << refusal << '\n';
    return 1;
  }
  return ChangeUnderLock(dataDir, [&](TSubscriptions& store) {
    return ChangeRows(store, link, named,
                      [&](const std::string& group, std::vector<TFeed>& rows, auto&) {
                        for (TFeed& row : rows) row.Title = title;
                        return store.RetitleFeed(group, link, title, TFeedRows::Every);
                      });
  });
}

// Whether `split` is a valid use of `feeds`.
bool IsFeedsUse(const TCommandArgs& split) {
  const std::vector<std::string>& words = split.Words;
  if (words.empty()) return OnlyOptions(split, {"--group"});
  const std::string& action = words[0];
  if (action == "add") {
    return words.size() == 2 && split.Options.contains("--group") &&
           OnlyOptions(split, {"--group", "--title"});
  }
  if (action == "move") {
    return words.size() == 2 && split.Options.contains("--to") &&
           OnlyOptions(split, {"--group", "--to"});
  }
  if (action == "retitle") return words.size() == 3 && OnlyOptions(split, {"--group"});
  if (action == "delete") return words.size() == 2 && OnlyOptions(split, {"--group"});
  return false;
}

}  // namespace

int RunFeeds(const std::vector<std::string>& args) {
  const std::optional<TCommandArgs> split =
      SplitArgs(args, {"--data", "--group", "--to", "--title"});
  if (!split || !IsFeedsUse(*split)) {
    std::cerr << UsageText();
    return 2;
  }
  const std::string dataDir = ToolDataDir(split->Option("--data"));
  if (split->Words.empty()) return List(dataDir, split->Option("--group"));
  if (split->Words[0] == "add") return Add(dataDir, *split);
  return Change(dataDir, *split);
}

}  // namespace vantle::tool
