// What follows a load, beside the load: a generated 20,000-item RSS 2.0 feed is loaded,
// rendered in both styles and written as the JSON of `vantle-feed show`, each the median of
// five runs; then the whole `vantle-feed show FILE` and `xmllint --noout FILE` run alternately
// five times with their output thrown away, and their medians are compared.
//
//   bench_output            generate the feed in a temporary folder and print the figures
//   bench_output --keep     the same, keeping the folder

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "BenchFeeds.h"
#include "JsonWriter.h"
#include "ModelJson.h"
#include "SimpleRSS.h"
#include "UFeedViews.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int ItemCount = 20000;
constexpr int Runs = 5;

// The goals: rendering under this share of the load, `show` within this multiple of xmllint.
constexpr double RenderShareGoal = 0.3;
constexpr double ShowRatioGoal = 1.2;

class TNullBrowser : public vantle::IWebBrowser {
 public:
  void Navigate(const std::string&) override {}
};

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double MedianOfRuns(const std::function<void()>& work) {
  std::vector<double> times;
  for (int run = 0; run < Runs; ++run) times.push_back(Milliseconds(work));
  return Median(times);
}

// Runs `argv` (looked up on PATH) with its output sent to /dev/null; raises unless it exits 0.
void RunQuietly(const std::vector<std::string>& argv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot run " + argv[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(argv[0] + " failed");
}

void PrintShare(const char* what, double ms, double loadMs) {
  std::printf("%-34s %8.1f ms  %5.2f of the load%s\n", what, ms, ms / loadMs,
              ms / loadMs < RenderShareGoal ? "" : "  (goal missed)");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const bool keep = argc == 2 && std::string_view(argv[1]) == "--keep";
    char pattern[] = "/tmp/vantle-bench-output-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    const fs::path dir = pattern;
    const fs::path feed = dir / "feed.xml";
    vantle::bench::WriteFeed(feed, vantle::bench::TFormat::RSS, ItemCount);
    std::printf("feed: %d items, %.1f MB; medians of %d runs\n", ItemCount,
                static_cast<double>(fs::file_size(feed)) / 1e6, Runs);

    const double loadMs = MedianOfRuns([&] {
      vantle::TSimpleRSS reader;
      reader.LoadFromLink(feed.string());
    });
    std::printf("%-34s %8.1f ms\n", "load", loadMs);

    vantle::TSimpleRSS model;
    model.LoadFromLink(feed.string());
    if (model.Items().Count() != ItemCount) throw std::runtime_error("wrong item count");
    TNullBrowser browser;
    const std::string page = (dir / "vantle_tmp.htm").string();
    for (uint8_t style : {uint8_t{0}, uint8_t{1}}) {
      const double ms = MedianOfRuns([&] { vantle::ShowFeedView(model, browser, style, page); });
      const std::string what = "render " + std::string(vantle::ViewStyleNames[style]) + " (" +
                               std::to_string(fs::file_size(page) / 1000000) + " MB)";
      PrintShare(what.c_str(), ms, loadMs);
    }
    std::ofstream devNull("/dev/null", std::ios::binary);
    const double jsonMs = MedianOfRuns([&] {
      vantle::tool::TJsonWriter json(devNull);
      vantle::tool::WriteShowRecord(json, feed.string(), true, "", model);
      json.Flush();
    });
    std::printf("%-34s %8.1f ms  %5.2f of the load\n", "JSON of show to /dev/null", jsonMs,
                jsonMs / loadMs);

    const std::vector<std::string> showCommand = {VANTLE_FEED_TOOL, "show", feed.string()};
    const std::vector<std::string> xmllintCommand = {"xmllint", "--noout", feed.string()};
    // One untimed run each first, so that neither pays alone for loading its libraries.
    RunQuietly(showCommand);
    RunQuietly(xmllintCommand);
    std::vector<double> show, xmllint;
    for (int run = 0; run < Runs; ++run) {
      show.push_back(Milliseconds([&] { RunQuietly(showCommand); }));
      xmllint.push_back(Milliseconds([&] { RunQuietly(xmllintCommand); }));
    }
    const double ratio = Median(show) / Median(xmllint);
    std::printf("%-34s %8.1f ms\n%-34s %8.1f ms\n", "vantle-feed show > /dev/null", Median(show),
                "xmllint --noout", Median(xmllint));
    std::printf("%-34s %8.2f%s\n", "show / xmllint", ratio,
                ratio <= ShowRatioGoal ? "" : "  (goal missed)");

    if (keep)
      std::printf("feed kept in %s\n", dir.c_str());
    else
      fs::remove_all(dir);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_output: %s\n", error.what());
    return 1;
  }
}
