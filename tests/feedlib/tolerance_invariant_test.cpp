#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "ModelComparison.h"
#include "SimpleRSS.h"
#include "support/TestFiles.h"

namespace vantle {
namespace {

namespace fs = std::filesystem;
using test::TLoadWindow;
using tool::TJson;

// The dump of one load of `file` and when it ran; the message instead when the load fails.
struct TLoad {
  bool Loaded = false;
  TJson Dump;
  TLoadWindow Window;
  std::string Message;
};

TLoad LoadFile(const fs::path& file, bool tolerant) {
  TSimpleRSS rss;
  rss.Tolerant = tolerant;
  TLoad load;
  load.Window.Start = Now();
  try {
    rss.LoadFromLink(file.string());
  } catch (const Exception& error) {
    load.Message = error.Message();
    return load;
  }
  load.Window.End = Now();
  load.Loaded = true;
  load.Dump = tool::ModelToJson(rss);
  return load;
}

std::vector<fs::path> DocumentsToCompare() {
  std::vector<fs::path> files;
  if (fs::is_directory(VANTLE_CORPORA_DIR)) files = test::FeedFilesUnder(VANTLE_CORPORA_DIR);
  for (const auto& entry : fs::directory_iterator(VANTLE_EXAMPLES_DIR))
    if (entry.path().extension() == ".xml") files.push_back(entry.path());
  return files;
}

TEST(ToleranceInvariant, EveryDocumentThatLoadsStrictlyGivesTheSameModelTolerantly) {
  const std::vector<fs::path> files = DocumentsToCompare();
  int strictLoads = 0;
  int tolerantLoads = 0;
  std::map<std::string, int> remaining;
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    TLoad strict = LoadFile(file, false);
    const TLoad tolerant = LoadFile(file, true);
    strictLoads += strict.Loaded;
    tolerantLoads += tolerant.Loaded;
    if (!tolerant.Loaded) ++remaining[tolerant.Message];
    if (!strict.Loaded) continue;
    ASSERT_TRUE(tolerant.Loaded) << tolerant.Message;
    // Dates that fall back to the time of the load differ between the two loads.
    test::MarkLoadTimes(strict.Dump, strict.Window);
    test::ExpectSame(strict.Dump, tolerant.Dump, "model", tolerant.Window);
  }
  std::cout << files.size() << " documents: " << strictLoads << " load strictly, " << tolerantLoads
            << " tolerantly\n";
  for (const auto& [message, count] : remaining)
    std::cout << "  still failing tolerantly (" << count << "): " << message << '\n';
  EXPECT_GT(tolerantLoads, strictLoads);
}

}  // namespace
}  // namespace vantle
