#include <gmock/gmock.h>

#include <thread>
#include <tuple>

#include "Exception.h"
#include "StoreTestSupport.h"
#include "store/FeedStateDb.h"
#include "store/FeedStateSchema.h"
#include "store/GroupStore.h"

namespace vantle {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

auto Fields(const TFeedRecord& r) {
  return std::tie(r.Link, r.HasDocument, r.Document, r.ContentType, r.ETag, r.LastModified,
                  r.FetchedAt, r.ServerDate, r.NotBefore, r.NotBeforeReason, r.Standing,
                  r.StandingSince, r.Reason, r.MovedTo);
}

TFeedRecord Fetched(const std::string& link, const std::string& document) {
  TFeedRecord record;
  record.Link = link;
  record.HasDocument = true;
  record.Document = document;
  return record;
}

class FeedState : public test::TStoreTest {
 protected:
  std::string Path() const { return TFeedStateDb::PathOf(DataDir()); }
};

TEST_F(FeedState, KeepsEveryKindOfRecordByteForByteAcrossConnections) {
  std::vector<TFeedRecord> records(5);
  records[0] = Fetched("http://a/feed", std::string("<rss>\0\xFF\x80</rss>", 14));
  records[0].ContentType = "application/rss+xml; charset=windows-1252";
  records[0].ETag = "W/\"x\"";
  records[0].LastModified = "Wed, 21 Oct 2015 07:28:00 GMT";
  records[0].FetchedAt = 1765400000;
  records[0].ServerDate = 1765399999;
  records[0].NotBefore = 1765403600;
  records[0].NotBeforeReason = "max-age";
  records[1].Link = "http://b/feed";  // nothing kept but a failure
  records[1].Standing = TFeedStanding::Failing;
  records[1].StandingSince = 1765000000;
  records[1].Reason = "host not found (DNS)";
  records[2] = Fetched("http://c/ feed \xFF", "");  // an empty body kept, ETag only
  records[2].ETag = "\"abc\"";
  records[2].Standing = TFeedStanding::Gone;
  records[2].Reason = "the server says this feed was removed (410)";
  records[3] = Fetched("http://d/feed", "<feed/>");
  records[3].LastModified = "Thu, 01 Jan 1970 00:00:00 GMT";
  records[3].Standing = TFeedStanding::Moved;
  records[3].MovedTo = "https://d/new";
  records[4] = Fetched("http://e/feed", "<rss/>");  // a 200 without validators clears them
  {
    TFeedStateDb writer(DataDir());
    TFeedRecord earlier = Fetched("http://e/feed", "<rss/>");
    earlier.ETag = earlier.LastModified = "old";
    writer.Save(earlier);
    for (const TFeedRecord& record : records) writer.Save(record);
  }
  TFeedStateDb reader(DataDir());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto found = reader.Find(records[i].Link);
    ASSERT_TRUE(found) << i;
    EXPECT_EQ(Fields(*found), Fields(records[i])) << i;
  }
  EXPECT_FALSE(reader.Find("http://never/"));
}

TEST_F(FeedState, KeepsTheLatestDeferralOfAnOriginAndTheLatestValueOfASetting) {
  TFeedStateDb state(DataDir());
  EXPECT_FALSE(state.Deferral("https://a:443"));
  EXPECT_FALSE(state.Setting("check_interval_minutes"));
  state.Defer({"https://a:443", 100, "HTTP status 503"});
  state.Defer({"https://a:443", 200, "HTTP status 429"});
  state.SetSetting("check_interval_minutes", "30");
  state.SetSetting("check_interval_minutes", "0");
  const auto deferral = state.Deferral("https://a:443");
  ASSERT_TRUE(deferral);
  EXPECT_EQ(std::tie(deferral->Origin, deferral->Until, deferral->Reason),
            std::make_tuple("https://a:443", 200, "HTTP status 429"));
  EXPECT_FALSE(state.Deferral("http://a:80"));
  EXPECT_EQ(state.Setting("check_interval_minutes"), "0");
}

TEST_F(FeedState, MovesARecordToTheNewLinkReplacingWhatTheNewLinkHad) {
  const struct {
    bool FromKept, ToKept;
    std::string Expected;  // the document the new link holds after, "" for none
  } cases[] = {{true, false, "old"}, {true, true, "old"}, {false, true, "new"}};
  for (const auto& c : cases) {
    const std::string from = "http://from/" + c.Expected + std::to_string(c.ToKept);
    const std::string to = "https://to/" + c.Expected + std::to_string(c.ToKept);
    TFeedStateDb state(DataDir());
    if (c.FromKept) state.Save(Fetched(from, "old"));
    if (c.ToKept) state.Save(Fetched(to, "new"));
    state.Move(from, to);
    EXPECT_FALSE(state.Find(from)) << c.Expected;
    const auto moved = state.Find(to);
    ASSERT_TRUE(moved) << c.Expected;
    EXPECT_EQ(moved->Document, c.Expected);
  }
}

TEST_F(FeedState, SetsADamagedDatabaseAsideAndGoesOnWithAFreshOne) {
  TFeedStateDb(DataDir()).Save(Fetched("http://a/", std::string(5000, 'x')));
  const std::string whole = ReadFile(Path());
  ASSERT_GT(whole.size(), 4096u);
  std::string pastHeader = whole;
  pastHeader.replace(100, 3900, 3900, '\xAB');
  const struct {
    std::string Bytes;
    bool WriteFirst;
  } damages[] = {{"not a database at all, just some bytes of garbage", true},
                 {whole.substr(0, 20), false},
                 {whole.substr(0, 50), true},
                 {pastHeader, false}};
  for (const auto& [damage, writeFirst] : damages) {
    WriteFile(Path(), damage);
    TFeedStateDb state(DataDir());
    // The first call meets the damage: a reading finds nothing kept, a writing goes on.
    if (writeFirst) state.SetSetting("check_interval_minutes", "15");
    EXPECT_EQ(state.Setting("check_interval_minutes").has_value(), writeFirst);
    EXPECT_EQ(ReadFile(Path() + ".damaged"), damage);
    state.Save(Fetched("http://b/", "fresh"));
    EXPECT_EQ(TFeedStateDb(DataDir()).Find("http://b/")->Document, "fresh");
    EXPECT_FALSE(state.Find("http://a/"));
  }
}

TEST_F(FeedState, LeavesADatabaseOfANewerSchemaAsItIs) {
  const int newer = FeedStateSchemaSteps().back().Version + 1;
  {
    TSqliteDb db(Path());
    db.Exec("CREATE TABLE feeds (link TEXT); INSERT INTO feeds VALUES ('http://a/');");
    db.Exec("PRAGMA user_version = " + std::to_string(newer));
  }
  const auto before = Snapshot();
  {
    TFeedStateDb state(DataDir());
    EXPECT_FALSE(state.Find("http://a/"));
    state.Save(Fetched("http://a/", "doc"));
    state.Defer({"http://a:80", 1, "HTTP status 429"});
    state.Move("http://a/", "http://b/");
    state.SetSetting("check_interval_minutes", "5");
    EXPECT_FALSE(state.Setting("check_interval_minutes"));
    EXPECT_FALSE(state.Deferral("http://a:80"));
  }
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(FeedState, SharesOneFileBetweenTwoConnectionsAndWaitsOutAWriterOnlyBriefly) {
  TFeedStateDb window(DataDir());
  TFeedStateDb tool(DataDir());
  window.Save(Fetched("http://a/", "two"));
  TSqliteDb writer(Path());
  writer.Exec("BEGIN IMMEDIATE; INSERT INTO settings VALUES ('k', 'v');");
  EXPECT_EQ(window.Find("http://a/")->Document, "two");  // readers are not held up
  EXPECT_FALSE(window.Setting("k"));
  try {
    tool.Save(Fetched("http://a/", "three"));
    ADD_FAILURE() << "saved past a writer";
  } catch (const Exception& error) {
    EXPECT_THAT(error.Message(), HasSubstr("Cannot save the feed state \"" + Path() + "\"."));
  }
  writer.Exec("COMMIT");
  EXPECT_EQ(window.Setting("k"), "v");
  tool.Save(Fetched("http://a/", "three"));
  EXPECT_EQ(window.Find("http://a/")->Document, "three");
  EXPECT_FALSE(std::filesystem::exists(Path() + ".damaged"));
}

TEST_F(FeedState, ServesThreadsSharingConnectionsThatFirstUseANewFileAtOnce) {
  for (int round = 0; round < 40; ++round) {
    const std::string dir = DataDir() + std::to_string(round) + "/";
    std::filesystem::create_directory(dir);
    TFeedStateDb window(dir);
    TFeedStateDb tool(dir);
    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&, t] {
        for (int i = 0; i < 5; ++i) {
          const std::string link = "http://" + std::to_string(t) + "/" + std::to_string(i);
          EXPECT_NO_THROW((t % 2 ? tool : window).Save(Fetched(link, link))) << dir;
        }
      });
    }
    threads.clear();
    for (const std::string link : {"http://0/4", "http://1/4", "http://2/4", "http://3/4"}) {
      EXPECT_EQ(window.Find(link)->Document, link);
    }
  }
}

TEST_F(FeedState, MigratesTheVersionItFindsInPlaceByTheStepsAbove) {
  TFeedStateDb(DataDir()).Save(Fetched("http://a/", "kept"));
  std::vector<TSchemaStep> steps(FeedStateSchemaSteps().begin(), FeedStateSchemaSteps().end());
  steps.push_back({steps.back().Version + 1, "CREATE TABLE items (id TEXT);"});
  {
    TSqliteDb db(Path());
    EXPECT_EQ(MigrateSchema(db, steps), TSchemaFit::Current);
    EXPECT_EQ(SchemaVersionOf(db), steps.back().Version);
    EXPECT_EQ(db.QueryInt("SELECT count(*) FROM feeds, items"), 0);
    EXPECT_EQ(db.QueryInt("SELECT count(*) FROM feeds WHERE link = 'http://a/'"), 1);
  }
  TSqliteDb db(Path());
  EXPECT_EQ(MigrateSchema(db), TSchemaFit::Newer);
}

TEST_F(FeedState, OpensNothingBeforeItIsUsedAndNeverShowsAsAGroup) {
  WriteFile(DataDir() + "News.dat", EncodeGroup({}));
  TFeedStateDb state(DataDir());
  EXPECT_FALSE(std::filesystem::exists(Path()));
  state.Save(Fetched("http://a/", "doc"));
  WriteFile(Path() + ".damaged", "old");
  ASSERT_TRUE(std::filesystem::exists(Path() + "-wal"));
  EXPECT_THAT(ListGroups(DataDir()), ElementsAre("News"));
}

TEST_F(FeedState, ReadsNothingAndRefusesToSaveWhereNoDatabaseCanBeMade) {
  TFeedStateDb state(Root() + "missing/");
  EXPECT_FALSE(state.Find("http://a/"));
  EXPECT_THROW(state.Save(Fetched("http://a/", "doc")), Exception);
}

}  // namespace
}  // namespace vantle
