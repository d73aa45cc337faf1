// `vantle-feed check` over 1,000 subscriptions on 50 loopback hosts (127.0.0.2 to
// 127.0.0.51), each answer held back 100 ms as a distant server's would be. Every feed has 20
// items and an ETag; a request that sends it back with If-None-Match gets a 304. Prints the
// first check (all 200) and the second (all 304), with the bytes and connections each used,
// and the first check's time for 1, 8 and 32 transfers at once against the time the delay sets.
//
//   bench_check            all of it (the run with one transfer at once takes some 100 s)
//   bench_check --quick    the runs with 32 transfers at once only

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "BenchFeeds.h"
#include "FeedHosts.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

using vantle::bench::CheckAnswerDelay;
using vantle::bench::CheckFeeds;
using vantle::bench::CheckHosts;
using vantle::bench::CheckItems;
using vantle::bench::TFeedHosts;

// The goals: the first check within this multiple of feeds x delay / jobs; the second under
// these shares of the first's time and bytes.
constexpr double FirstGoal = 1.3;
constexpr double SecondTimeGoal = 0.5;
constexpr double SecondBytesGoal = 0.05;

struct TCheckRun {
  std::size_t Connections = 0;
  double Seconds = 0;
  long long Bytes = 0;
  std::map<std::string, int> Results;
};

// The number after `"key":` in `line`, 0 when it is null or missing.
long long NumberOf(const std::string& line, std::string_view key) {
  const size_t at = line.find("\"" + std::string(key) + "\":");
  if (at == std::string::npos) return 0;
  return std::atoll(line.c_str() + at + key.size() + 3);
}

std::string StringOf(const std::string& line, std::string_view key) {
  const size_t at = line.find("\"" + std::string(key) + "\":\"");
  if (at == std::string::npos) return "null";
  const size_t start = at + key.size() + 4;
  return line.substr(start, line.find('"', start) - start);
}

TCheckRun Check(TFeedHosts& hosts, const fs::path& dataDir, int jobs) {
  hosts.TakeConnections();
  const fs::path out = dataDir.parent_path() / "check.out";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const std::string data = dataDir.string(), count = std::to_string(jobs);
  std::vector<char*> args{const_cast<char*>(VANTLE_FEED_TOOL),
                          const_cast<char*>("check"),
                          const_cast<char*>("--data"),
                          const_cast<char*>(data.c_str()),
                          const_cast<char*>("--jobs"),
                          const_cast<char*>(count.c_str()),
                          nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot run vantle-feed");
  int status = 0;
  waitpid(pid, &status, 0);
  TCheckRun run;
  run.Connections = hosts.TakeConnections();
  run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("vantle-feed check failed");
  std::ifstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    run.Bytes += NumberOf(line, "bytes");
    ++run.Results[StringOf(line, "result")];
  }
  return run;
}

std::string ResultsText(const TCheckRun& run) {
  std::ostringstream text;
  for (const auto& [result, count] : run.Results) text << ' ' << count << ' ' << result;
  return text.str();
}

void PrintRun(const char* what, const TCheckRun& run) {
  std::printf("%-30s %7.2f s %10lld bytes %4zu connections %s\n", what, run.Seconds, run.Bytes,
              run.Connections, ResultsText(run).c_str());
}

// A fresh data directory, checked once with `jobs` transfers at once.
TCheckRun FirstCheck(TFeedHosts& hosts, const fs::path& dataDir, int jobs) {
  fs::remove_all(dataDir);
  vantle::bench::WriteCheckSubscriptions(dataDir);
  return Check(hosts, dataDir, jobs);
}

void Judge(const char* what, bool met) {
  std::printf("goal %-52s %s\n", what, met ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const bool quick = argc == 2 && std::string_view(argv[1]) == "--quick";
    char pattern[] = "/tmp/vantle-bench-check-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    const fs::path dir = pattern;
    vantle::bench::WriteFeed(dir / "feed.xml", vantle::bench::TFormat::RSS, CheckItems);
    std::ifstream feedFile(dir / "feed.xml", std::ios::binary);
    const std::string feed((std::istreambuf_iterator<char>(feedFile)), {});
    TFeedHosts hosts(feed);
    std::printf("%d feeds of %d items (%zu bytes) on %d hosts, %lld ms per answer\n", CheckFeeds,
                CheckItems, feed.size(), CheckHosts,
                static_cast<long long>(CheckAnswerDelay.count()));

    const fs::path dataDir = dir / "data";
    const TCheckRun first = FirstCheck(hosts, dataDir, 32);
    PrintRun("first check, 32 at once", first);
    const TCheckRun second = Check(hosts, dataDir, 32);
    PrintRun("second check, 32 at once", second);
    const double bound32 = CheckFeeds * 0.1 / 32;
    Judge("first within 1.3x of 1000 x 0.1 s / 32", first.Seconds <= FirstGoal * bound32);
    Judge("second under half the first's time", second.Seconds < SecondTimeGoal * first.Seconds);
    // Every answer is held back, a 304 too, so the same floor bounds both checks.
    std::printf("  both checks' floor: %d x %.1f s / 32 = %.2f s\n", CheckFeeds,
                CheckAnswerDelay.count() / 1000.0, bound32);
    Judge("second under 5% of the first's bytes",
          static_cast<double>(second.Bytes) < SecondBytesGoal * static_cast<double>(first.Bytes));
    if (!quick) {
      for (int jobs : {1, 8}) {
        const TCheckRun run = FirstCheck(hosts, dataDir, jobs);
        const std::string what = "first check, " + std::to_string(jobs) + " at once";
        PrintRun(what.c_str(), run);
        const double bound = CheckFeeds * 0.1 / jobs;
        std::printf("%-30s %7.2f s (x%.2f)\n", "  limit the count sets", bound,
                    run.Seconds / bound);
      }
    }
    fs::remove_all(dir);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_check: %s\n", error.what());
    return 1;
  }
  return 0;
}
