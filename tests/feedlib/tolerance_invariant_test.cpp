#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ModelComparison.h"
#include "SimpleRSS.h"
#include "support/TestFiles.h"

namespace vantle {
namespace {

namespace fs = std::filesystem;

// One load of a document: the model's dump and when it ran, or the failure's message.
struct TLoad {
  std::optional<tool::TJson> Dump;
  test::TLoadWindow Window{Now(), 0};
  std::string Message;
};

TLoad LoadFile(const fs::path& file, bool tolerant) {
  TSimpleRSS rss;
  rss.Tolerant = tolerant;
  TLoad load;
  try {
    rss.LoadFromLink(file.string());
    load.Window.End = Now();
    load.Dump = tool::ModelToJson(rss);
  } catch (const Exception& error) {
    load.Message = error.Message();
  }
  return load;
}

TEST(ToleranceInvariant, EveryDocumentThatLoadsStrictlyGivesTheSameModelTolerantly) {
  std::vector<fs::path> files;
  if (fs::is_directory(VANTLE_CORPORA_DIR)) files = test::FeedFilesUnder(VANTLE_CORPORA_DIR);
  for (const fs::path& sample : test::FeedFilesUnder(VANTLE_EXAMPLES_DIR)) files.push_back(sample);
  int strictLoads = 0, tolerantLoads = 0;
  std::map<std::string, int> remaining;
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    TLoad strict = LoadFile(file, false);
    const TLoad tolerant = LoadFile(file, true);
    tolerantLoads += tolerant.Dump.has_value();
    if (!tolerant.Dump) ++remaining[tolerant.Message];
    if (!strict.Dump) continue;
    ++strictLoads;
    ASSERT_TRUE(tolerant.Dump) << tolerant.Message;
    // Dates that fall back to the time of the load differ between the two loads.
    test::MarkLoadTimes(*strict.Dump, strict.Window);
    test::ExpectSame(*strict.Dump, *tolerant.Dump, "model", tolerant.Window);
  }
  std::cout << files.size() << " documents: " << strictLoads << " load strictly, " << tolerantLoads
            << " tolerantly\n";
  for (const auto& [message, count] : remaining)
    std::cout << "  still failing tolerantly (" << count << "): " << message << '\n';
  EXPECT_GT(tolerantLoads, strictLoads);
}

}  // namespace
}  // namespace vantle
