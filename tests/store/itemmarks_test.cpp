#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "store/FeedStateDb.h"
#include "store/FeedStateSchema.h"
#include "store/ItemMarks.h"

namespace vantle {
namespace {

constexpr TUnixTime Day = 24 * 60 * 60;
const std::string Link = "http://example.org/feed";

// One step of a feed's life: a sighting of its items, or the user reading it; then the count
// of unread items expected.
struct TStep {
  enum { Sighted, Read } what;
  std::vector<std::string> items;
  TUnixTime day;
  int unread;
};

struct TMarksCase {
  std::string name;
  std::vector<TStep> steps;
};

class ItemMarks : public test::TStoreTest {};

TEST_F(ItemMarks, CountsItemsSightedSinceTheFeedWasRead) {
  const std::vector<TMarksCase> cases = {
      {"the first sighting of a feed finds nothing new", {{TStep::Sighted, {"a", "b"}, 0, 0}}},
      {"an item sighted later is new",
       {{TStep::Sighted, {"a"}, 0, 0}, {TStep::Sighted, {"a", "b", "c"}, 1, 2}}},
      {"reading the feed clears its new items",
       {{TStep::Sighted, {"a"}, 0, 0},
        {TStep::Sighted, {"a", "b"}, 1, 1},
        {TStep::Read, {}, 1, 0}}},
      {"an item added after the read is new again",
       {{TStep::Sighted, {"a"}, 0, 0},
        {TStep::Sighted, {"a", "b"}, 1, 1},
        {TStep::Read, {}, 1, 0},
        {TStep::Sighted, {"a", "b", "c"}, 2, 1}}},
      {"a feed first sighted empty shows its first items as new",
       {{TStep::Sighted, {}, 0, 0}, {TStep::Sighted, {"a"}, 1, 1}}},
      {"an unread item that left the feed is not counted",
       {{TStep::Sighted, {"a"}, 0, 0},
        {TStep::Sighted, {"a", "b"}, 1, 1},
        {TStep::Sighted, {"a"}, 2, 0}}},
      {"reading marks only the items then in the feed",
       {{TStep::Sighted, {"a"}, 0, 0},
        {TStep::Sighted, {"a", "b"}, 1, 1},
        {TStep::Sighted, {"a"}, 2, 0},
        {TStep::Read, {}, 2, 0},
        {TStep::Sighted, {"a", "b"}, 3, 1}}},
      {"an item back within 30 days of its last sighting is still seen",
       {{TStep::Sighted, {"a", "b"}, 0, 0},
        {TStep::Sighted, {"a"}, 1, 0},
        {TStep::Sighted, {"a"}, 29, 0},
        {TStep::Sighted, {"a", "b"}, 29, 0}}},
      {"an item gone for 30 days is forgotten and new when it returns",
       {{TStep::Sighted, {"a", "b"}, 0, 0},
        {TStep::Sighted, {"a"}, 1, 0},
        {TStep::Sighted, {"a"}, 30, 0},
        {TStep::Sighted, {"a", "b"}, 30, 1}}},
      {"an item still in a feed unchecked for 40 days is kept",
       {{TStep::Sighted, {"a", "b"}, 0, 0}, {TStep::Sighted, {"a", "b", "c"}, 40, 1}}},
      {"an identity repeated in one sighting counts once",
       {{TStep::Sighted, {"a"}, 0, 0}, {TStep::Sighted, {"a", "b", "b"}, 1, 1}}},
      {"reading a feed never sighted keeps its first sighting quiet",
       {{TStep::Read, {}, 0, 0}, {TStep::Sighted, {"a"}, 0, 0}}},
  };
  for (const TMarksCase& test : cases) {
    SCOPED_TRACE(test.name);
    TearDown();
    SetUp();
    TFeedStateDb marks(DataDir());
    for (size_t i = 0; i < test.steps.size(); ++i) {
      SCOPED_TRACE("step " + std::to_string(i));
      const TStep& step = test.steps[i];
      if (step.what == TStep::Sighted)
        marks.RecordItems(Link, step.items, step.day * Day);
      else
        marks.MarkRead(Link);
      EXPECT_EQ(marks.UnreadCount(Link), step.unread);
    }
  }
}

TEST_F(ItemMarks, KeepsFeedsApartAndMoveCarriesThemWithTheFeedsRecord) {
  TFeedStateDb state(DataDir());
  state.RecordItems("http://a/", {"1"}, 0);
  state.RecordItems("http://a/", {"1", "2"}, Day);
  state.RecordItems("http://b/", {"1"}, 0);
  state.RecordItems("http://b/", {"1", "2", "3"}, Day);
  state.RecordItems("http://c/", {"x"}, 0);
  EXPECT_EQ(state.UnreadCounts(), (std::map<std::string, int>{{"http://a/", 1}, {"http://b/", 2}}));

  TFeedRecord record;
  record.Link = "http://b/";
  state.Save(record);
  state.Move("http://b/", "http://a/");
  EXPECT_EQ(state.UnreadCounts(), (std::map<std::string, int>{{"http://a/", 2}}));
  EXPECT_TRUE(state.Find("http://a/"));
  // The moved feed is known at its new link: its next sighting is no first one.
  state.RecordItems("http://a/", {"1", "2", "3", "4"}, 2 * Day);
  EXPECT_EQ(state.UnreadCount("http://a/"), 3);
}

TEST_F(ItemMarks, ComeToAVersionOneStateInPlaceKeepingItsFeeds) {
  {
    TSqliteDb db(TFeedStateDb::PathOf(DataDir()));
    const auto steps = FeedStateSchemaSteps();
    ASSERT_EQ(MigrateSchema(db, steps.first(1)), TSchemaFit::Current);
    ASSERT_EQ(SchemaVersionOf(db), 1);
  }
  TFeedRecord record;
  record.Link = "http://a/";
  record.ETag = "\"v1\"";
  {
    // Written as version 1 holds it, before the items' tables exist.
    TSqliteDb db(TFeedStateDb::PathOf(DataDir()));
    db.Exec(
        "INSERT INTO feeds VALUES ('http://a/', NULL, '', X'22763122', '', 0, 0, 0, '', "
        "'fine', 0, '', '')");
  }
  TFeedStateDb state(DataDir());
  state.RecordItems("http://a/", {"1"}, 0);
  state.RecordItems("http://a/", {"1", "2"}, Day);
  EXPECT_EQ(state.UnreadCount("http://a/"), 1);
  ASSERT_TRUE(state.Find("http://a/"));
  EXPECT_EQ(state.Find("http://a/")->ETag, "\"v1\"");
  TSqliteDb db(TFeedStateDb::PathOf(DataDir()));
  EXPECT_EQ(SchemaVersionOf(db), 2);
}

}  // namespace
}  // namespace vantle
