#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ModelJson.h"
#include "RFC822DateTime.h"
#include "SimpleRSS.h"

namespace vantle {
namespace {

namespace fs = std::filesystem;
using tool::TJson;

// A date that defaults to the moment its object was made is written "now" in the expected
// dump; it must then lie within the load.
struct TLoadWindow {
  TDateTime Start;
  TDateTime End;
};

// Half a second, in days: the dumps carry whole seconds.
constexpr double kDateTolerance = 0.5 / 86400;

void ExpectSame(const TJson& expected, const TJson& actual, const std::string& path,
                const TLoadWindow& window) {
  if (expected.is_string() && expected == "now" && path.ends_with(".DateTime")) {
    ASSERT_TRUE(actual.is_number()) << path;
    const double value = actual.get<double>();
    EXPECT_GE(value, window.Start - kDateTolerance) << path;
    EXPECT_LE(value, window.End + kDateTolerance) << path;
    return;
  }
  if (expected.is_number_float() || (expected.is_number() && path.ends_with(".DateTime"))) {
    ASSERT_TRUE(actual.is_number()) << path;
    EXPECT_NEAR(actual.get<double>(), expected.get<double>(), kDateTolerance) << path;
    return;
  }
  if (expected.is_object()) {
    ASSERT_TRUE(actual.is_object()) << path;
    std::vector<std::string> expectedKeys, actualKeys;
    for (const auto& [key, value] : expected.items()) expectedKeys.push_back(key);
    for (const auto& [key, value] : actual.items()) actualKeys.push_back(key);
    ASSERT_EQ(expectedKeys, actualKeys) << path;
    for (const std::string& key : expectedKeys)
      ExpectSame(expected[key], actual[key], path + "." + key, window);
    return;
  }
  if (expected.is_array()) {
    ASSERT_TRUE(actual.is_array()) << path;
    ASSERT_EQ(expected.size(), actual.size()) << path;
    for (size_t i = 0; i < expected.size(); ++i)
      ExpectSame(expected[i], actual[i], path + "[" + std::to_string(i) + "]", window);
    return;
  }
  EXPECT_EQ(expected, actual) << path;
}

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
    TSimpleRSS rss;
    TLoadWindow window{Now(), 0};
    rss.LoadFromLink(feed.string());
    window.End = Now();
    ExpectSame(expected, tool::ModelToJson(rss), "model", window);
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
