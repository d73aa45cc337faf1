#include <charconv>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>

#include "CheckLine.h"
#include "CheckList.h"
#include "CommandArgs.h"
#include "Commands.h"
#include "DataDirAccess.h"
#include "FeedCheck.h"
#include "MovedLink.h"
#include "StopSignals.h"
#include "SubscriptionChange.h"
#include "store/CheckedItems.h"
#include "store/FeedStateDb.h"

namespace vantle::tool {

namespace {

constexpr std::size_t kDefaultJobs = 32;
constexpr std::size_t kMostJobs = 1000;

// The --jobs value: a whole number from 1 to kMostJobs; none when it is not one.
std::optional<std::size_t> JobsOf(const TCommandArgs& split) {
  if (!split.Options.contains("--jobs")) return kDefaultJobs;
  const std::string text = split.Option("--jobs");
  std::size_t jobs = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
  if (error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMostJobs)
    return std::nullopt;
  return jobs;
}

bool IsReadableDir(const std::string& dataDir) {
  std::error_code error;
  const std::filesystem::directory_iterator probe(dataDir, error);
  return !error;
}

// Prints the line of every row of `checked` with the items new in it, first changing its link
// in the group files when it moved and the data directory is free.
void Report(const std::string& dataDir, TFeedStateDb& state, const TCheckedLink& checked,
            TLoadOutcome outcome, const TRSSItems* items, bool markRead) {
  const int newItems = NoteCheckedItems(state, checked.Link, items, markRead, SystemClock()).Unread;
  if (outcome.Result == TFetchResult::Moved &&
      !ChangeMovedLink(dataDir, checked, outcome.MovedTo, state)) {
    outcome.Reason = "the data directory is in use; the link changes at the window's next load";
  }
  std::string lines;
  for (const TSubscribedRow& row : checked.Rows)
    lines += CheckLine(row, checked.Link, outcome, newItems) + '\n';
  std::cout << lines << std::flush;
}

// The links of the subscriptions to check; none, with the reason on stderr, when the data
// directory or the group cannot be read.
std::optional<std::vector<TCheckedLink>> Subscriptions(const std::string& dataDir,
                                                       const std::string& group) {
  if (!IsReadableDir(dataDir)) {
    std::cerr << "vantle-feed: the data directory " << dataDir << " cannot be read\n";
    return std::nullopt;
  }
  const TSubscriptions store(dataDir);
  if (!group.empty() && !store.HasGroupFile(group)) {
    std::cerr << "vantle-feed: " << RefusalText(TStoreOutcome::NoSuchGroup, group) << '\n';
    return std::nullopt;
  }
  std::vector<std::string> damaged;
  std::vector<TCheckedLink> checked = LinksToCheck(store, group, damaged);
  for (const std::string& name : damaged) {
    std::cerr << "vantle-feed: the group \"" << name
              << "\" is damaged; its feeds after the damage are not checked\n";
  }
  return checked;
}

// Checks `checked` with `jobs` transfers at once, marking each feed read after its line with
// `markRead`; the exit status.
int CheckAll(const std::string& dataDir, const std::vector<TCheckedLink>& checked, std::size_t jobs,
             bool markRead) {
  std::vector<std::string> links;
  std::map<std::string, const TCheckedLink*> byLink;
  for (const TCheckedLink& link : checked) {
    links.push_back(link.Link);
    byLink.emplace(link.Link, &link);
  }
  const TCurlLoad& curl = CurlLibrary();
  if (!curl.Library) throw Exception("the HTTP client could not be loaded (" + curl.Failure + ")");
  TFeedStateDb state(dataDir);
  const TStopSignals signals;
  TFeedCheck check(state, *curl.Library, {.Total = jobs, .PerHost = 2});
  check.Run(links, signals.Stop(),
            [&](const std::string& link, const TLoadOutcome& outcome, const TRSSItems* items) {
              Report(dataDir, state, *byLink.at(link), outcome, items, markRead);
            });
  // Interrupted, it exits as a shell reports a process the signal ended.
  return signals.Signal() ? 128 + signals.Signal() : 0;
}

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
  const std::optional<TCommandArgs> split =
      SplitArgs(args, {"--data", "--group", "--jobs"}, {"--mark-read"});
  const std::optional<std::size_t> jobs = split ? JobsOf(*split) : std::nullopt;
  if (!split || !split->Words.empty() || !jobs) {
    std::cerr << UsageText();
    return 2;
  }
  const std::string dataDir = ToolDataDir(split->Option("--data"));
  const auto checked = Subscriptions(dataDir, split->Option("--group"));
  return checked ? CheckAll(dataDir, *checked, *jobs, split->Options.contains("--mark-read")) : 1;
}

}  // namespace vantle::tool
