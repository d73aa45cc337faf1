#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ModelComparison.h"
#include "ModelJson.h"
#include "RFC822DateTime.h"
#include "SimpleRSS.h"

namespace vantle {
namespace {

namespace fs = std::filesystem;
using test::ExpectSame;
using test::TLoadWindow;
using tool::TJson;

std::vector<fs::path> SampleFeeds() {
  std::vector<fs::path> feeds;
  for (const auto& entry : fs::directory_iterator(VANTLE_EXAMPLES_DIR))
    if (entry.path().extension() == ".xml") feeds.push_back(entry.path());
  std::sort(feeds.begin(), feeds.end());
  return feeds;
}

TJson ReadExpected(const fs::path& feed) {
  fs::path expected = feed;
  expected.replace_extension(".expected.json");
  std::ifstream in(expected);
  EXPECT_TRUE(in) << "no expected dump beside " << feed;
  return in ? TJson::parse(in) : TJson();
}

TEST(Samples, EverySampleFeedLoadsIntoItsExpectedModel) {
  const std::vector<fs::path> feeds = SampleFeeds();
  ASSERT_GE(feeds.size(), 5u);
  for (const fs::path& feed : feeds) {
    SCOPED_TRACE(feed.filename().string());
    const TJson expected = ReadExpected(feed);
    // As the reader window reads them; strictly, where that loads, the model is the same.
    TSimpleRSS rss;
    rss.Tolerant = true;
    TLoadWindow window{Now(), 0};
    rss.LoadFromLink(feed.string());
    window.End = Now();
    ExpectSame(expected, tool::ModelToJson(rss), "model", window);
  }
}

TEST(Samples, TheSamplesOfFaultsEveryReaderReadsAroundFailStrictlyWithTodaysMessages) {
  for (const auto& [name, message] : std::vector<std::pair<std::string, std::string>>{
           {"rss2-media-rss-news", "Could not convert variant of type (Null) into type (String)"},
           {"atom10-xhtml-content-category-terms", "Element does not contain a single text node"},
           {"rss2-blank-line-html-entities",
            "(line 3, column 8): XML declaration allowed only at the start of the document"}}) {
    TSimpleRSS rss;
    EXPECT_THAT([&] { rss.LoadFromLink(VANTLE_EXAMPLES_DIR "/" + name + ".xml"); },
                testing::ThrowsMessage<Exception>(testing::EndsWith(message)));
  }
}

TEST(Samples, TheComparisonCatchesAChangedField) {
  // Guards the comparison itself: a model one field away from its dump must not pass.
  const fs::path feed = fs::path(VANTLE_EXAMPLES_DIR) / "rss2-images-enclosures.xml";
  TSimpleRSS rss;
  rss.LoadFromLink(feed.string());
  TJson actual = tool::ModelToJson(rss);
  actual["Items"][1]["Enclosure"]["Length"] = 1;
  actual["Items"][2]["PubDate"]["DateTime"] =
      actual["Items"][2]["PubDate"]["DateTime"].get<double>() + 1.0 / 86400;
  testing::TestPartResultArray failures;
  {
    testing::ScopedFakeTestPartResultReporter reporter(
        testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    ExpectSame(ReadExpected(feed), actual, "model", TLoadWindow{0, 0});
  }
  EXPECT_EQ(failures.size(), 2);
}

}  // namespace
}  // namespace vantle
