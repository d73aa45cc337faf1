#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "store/FeedStateDb.h"
#include "store/FeedStateSchema.h"

namespace vantle {
namespace {

constexpr TUnixTime Day = 24 * 60 * 60;
const std::string Link = "http://example.org/feed";

// One step of a feed's life: a sighting of its items on a day, or the user reading it (no
// items given); then the count of unread items expected.
struct TStep {
  std::vector<std::string> items;
  TUnixTime day;
  int unread;
};
const std::vector<std::string> Read = {"(read)"};

class ItemMarks : public test::TStoreTest {};

TEST_F(ItemMarks, CountsItemsSightedSinceTheFeedWasRead) {
  // clang-format off
  const std::vector<std::pair<std::string, std::vector<TStep>>> cases = {
      {"a first sighting is quiet, later items are new until read, then new again",
       {{{"a"}, 0, 0}, {{"a", "b", "c"}, 1, 2}, {Read, 1, 0}, {{"a", "b", "c", "d"}, 2, 1}}},
      {"a feed first sighted empty shows its first items", {{{}, 0, 0}, {{"a"}, 1, 1}}},
      {"an unread item that left is not counted; a read marks only the items then in the feed",
       {{{"a"}, 0, 0}, {{"a", "b"}, 1, 1}, {{"a"}, 2, 0}, {Read, 2, 0}, {{"a", "b"}, 3, 1}}},
      {"an item back within 30 days of its last sighting is seen; gone 30 days, it is new",
       {{{"a", "b"}, 0, 0}, {{"a"}, 29, 0}, {{"a", "b"}, 29, 0}, {{"a"}, 58, 0},
        {{"a", "b"}, 58, 0}, {{"a"}, 88, 0}, {{"a", "b"}, 88, 1}}},
      {"an item of a feed unchecked for 40 days is kept",
       {{{"a", "b"}, 0, 0}, {{"a", "b", "c"}, 40, 1}}},
      {"an identity repeated in one sighting counts once",
       {{{"a"}, 0, 0}, {{"a", "b", "b"}, 1, 1}}},
      {"reading a feed never sighted keeps its first sighting quiet",
       {{Read, 0, 0}, {{"a"}, 0, 0}}},
  };
  // clang-format on
  for (const auto& [name, steps] : cases) {
    SCOPED_TRACE(name);
    TearDown();
    SetUp();
    TFeedStateDb state(DataDir());
    for (const TStep& step : steps) {
      if (step.items == Read)
        state.MarkRead(Link);
      else
        state.RecordItems(Link, step.items, step.day * Day);
      EXPECT_EQ(state.UnreadCount(Link), step.unread) << "on day " << step.day;
    }
  }
}

TEST_F(ItemMarks, MoveWithTheFeedsRecord) {
  TFeedStateDb state(DataDir());
  state.RecordItems("http://b/", {"1"}, 0);
  state.RecordItems("http://b/", {"1", "2"}, Day);
  TFeedRecord record;
  record.Link = "http://b/";
  state.Save(record);
  state.Move("http://b/", "http://c/");
  EXPECT_EQ(state.UnreadCounts(), (std::map<std::string, int>{{"http://c/", 1}}));
  // The moved feed is known at its new link: its next sighting is no first one.
  state.RecordItems("http://c/", {"1", "2", "3"}, 2 * Day);
  EXPECT_EQ(state.UnreadCount("http://c/"), 2);
}

TEST_F(ItemMarks, ComeToAVersionOneStateInPlaceKeepingItsFeeds) {
  {
    TSqliteDb db(TFeedStateDb::PathOf(DataDir()));
    ASSERT_EQ(MigrateSchema(db, FeedStateSchemaSteps().first(1)), TSchemaFit::Current);
    db.Exec(
        "INSERT INTO feeds VALUES ('http://a/', NULL, '', X'22763122', '', 0, 0, 0, '', "
        "'fine', 0, '', '')");
  }
  TFeedStateDb state(DataDir());
  state.RecordItems("http://a/", {"1"}, 0);
  state.RecordItems("http://a/", {"1", "2"}, Day);
  EXPECT_EQ(state.UnreadCount("http://a/"), 1);
  EXPECT_EQ(state.Find("http://a/").value_or(TFeedRecord{}).ETag, "\"v1\"");
  TSqliteDb db(TFeedStateDb::PathOf(DataDir()));
  EXPECT_EQ(SchemaVersionOf(db), 2);
}

}  // namespace
}  // namespace vantle
