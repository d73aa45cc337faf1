// Exports and imports 100 groups of 300 feeds through the subscription store and prints how
// long each takes (goal: under 0.5 s each).
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "store/GroupFiles.h"
#include "store/GroupStore.h"
#include "store/Opml.h"
#include "store/SubscriptionImport.h"

namespace {

constexpr int GroupCount = 100;
constexpr int FeedsPerGroup = 300;
constexpr int Rounds = 5;

std::string RandomTitle(std::mt19937& random) {
  static const std::vector<std::string> pieces = {"News", "daily", "Tech", "é",   "Ü",     "ß", " ",
                                                  "blog", "日本",  "&",    "<b>", "Wörld", "42"};
  std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
  std::string title = "T";
  for (int i = 0; i < 6; ++i) title += pieces[piece(random)];
  return title;
}

void WriteGroups(const std::string& dataDir) {
  std::mt19937 random(20261210);
  std::filesystem::create_directories(dataDir);
  for (int g = 0; g < GroupCount; ++g) {
    std::vector<vantle::TFeed> feeds;
    for (int f = 0; f < FeedsPerGroup; ++f) {
      feeds.push_back({"https://feeds.example.org/" + std::to_string(g) + "/" +
                           std::to_string(random()) + "/rss.xml?a=1&b=2",
                       RandomTitle(random)});
    }
    vantle::SortFeedList(feeds);
    vantle::WriteGroupFile(vantle::GroupFilePath(dataDir, "Group" + std::to_string(g)),
                           vantle::EncodeGroup(feeds));
  }
}

// The median and the best of Rounds runs of `step`, in milliseconds, after `prepare`.
void Time(const char* what, const std::function<void()>& prepare,
          const std::function<void()>& step) {
  std::vector<double> times;
  for (int round = 0; round < Rounds; ++round) {
    prepare();
    const auto start = std::chrono::steady_clock::now();
    step();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  std::printf("%-40s median %7.1f ms  best %7.1f ms\n", what, times[Rounds / 2], times[0]);
}

}  // namespace

int main() {
  std::string pattern = (std::filesystem::temp_directory_path() / "bench_opml.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const std::string root = pattern + "/";
  const std::string source = root + "Source/";
  const std::string target = root + "Target/";
  const std::string opmlPath = root + "subscriptions.opml";
  WriteGroups(source);
  std::printf("%d groups of %d feeds\n", GroupCount, FeedsPerGroup);

  std::string opml;
  Time(
      "export", [] {}, [&] { opml = vantle::ExportOpml(source, 0); });
  vantle::WriteGroupFile(opmlPath, opml);
  std::printf("OPML: %zu bytes\n", opml.size());

  Time(
      "read the OPML", [] {}, [&] { vantle::ReadOpml(opml, opmlPath); });
  Time(
      "sort every group", [] {},
      [&] {
        for (vantle::TGroup& group : vantle::ReadAllGroups(source))
          vantle::SortFeedList(group.Feeds);
      });

  vantle::TImportFiles files;
  const auto emptyTarget = [&] {
    std::filesystem::remove_all(target);
    std::filesystem::create_directories(target);
  };
  Time("import into an empty data directory", emptyTarget,
       [&] { vantle::ImportOpmlFile(target, opmlPath, files); });
  Time(
      "import again (every feed skipped)", [] {},
      [&] { vantle::ImportOpmlFile(target, opmlPath, files); });
  std::filesystem::remove_all(root);
  return 0;
}
