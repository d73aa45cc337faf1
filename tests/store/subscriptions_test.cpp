#include <gmock/gmock.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "Exception.h"
#include "StoreTestSupport.h"
#include "store/DataDirLock.h"
#include "store/FeedStateDb.h"
#include "store/GroupNames.h"
#include "store/GroupStore.h"
#include "store/Subscriptions.h"

namespace vantle {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Subscriptions : public test::TStoreTest {
 protected:
  void SetUp() override {
    test::TStoreTest::SetUp();
    FStore = std::make_unique<TSubscriptions>(DataDir(), FCollation);
  }
  void Put(const std::string& group, const std::vector<TFeed>& feeds,
           const std::vector<int>& widths = {0, 10, 176}) {
    WriteFile(DataDir() + group + ".dat", EncodeGroup(feeds, widths));
  }
  std::vector<TFeed> Feeds(const std::string& group) {
    return DecodeGroup(ReadFile(DataDir() + group + ".dat"));
  }

  const TNameCollation FCollation{"C"};
  std::unique_ptr<TSubscriptions> FStore;
};

TEST_F(Subscriptions, JudgesNewGroupNamesByOneRule) {
  Put("News", {});
  const std::pair<std::string, TStoreOutcome> cases[] = {
      {"Tech", TStoreOutcome::Done},        {"a.b", TStoreOutcome::Done},
      {"", TStoreOutcome::BlankName},       {"\t\n", TStoreOutcome::BlankName},
      {"..", TStoreOutcome::InvalidName},   {".", TStoreOutcome::InvalidName},
      {"\t..", TStoreOutcome::InvalidName}, {"a/b", TStoreOutcome::InvalidName},
      {"a b", TStoreOutcome::InvalidName},  {"news", TStoreOutcome::TakenName},
      {"NEWS\t", TStoreOutcome::TakenName},
  };
  for (const auto& [name, outcome] : cases) EXPECT_EQ(FStore->CheckNewName(name), outcome) << name;
  EXPECT_EQ(FStore->CreateGroup(".."), TStoreOutcome::InvalidName);
  EXPECT_EQ(FStore->CreateGroup("Tech"), TStoreOutcome::Done);
  EXPECT_THAT(FStore->Groups(), ElementsAre("News", "Tech"));
}

TEST_F(Subscriptions, SendsAnImportedFolderWithAnInvalidNameToImported) {
  const std::pair<std::string, std::string> cases[] = {
      {"..", "Imported"}, {" / . ", "Imported"}, {"...x", "...x"}, {"\t a.b \n", "a.b"}};
  for (const auto& [name, cleaned] : cases) EXPECT_EQ(CleanGroupName(name), cleaned) << name;
}

TEST_F(Subscriptions, RenamesAGroupUnlessTheNameIsAnotherGroups) {
  const struct {
    std::string To;
    TStoreOutcome Outcome;
    std::vector<std::string> Groups;
  } cases[] = {
      {"tech", TStoreOutcome::TakenName, {"News", "Tech"}},
      {"", TStoreOutcome::BlankName, {"News", "Tech"}},
      {"..", TStoreOutcome::InvalidName, {"News", "Tech"}},
      {"News", TStoreOutcome::Done, {"News", "Tech"}},
      {"news", TStoreOutcome::Done, {"news", "Tech"}},
      {"World", TStoreOutcome::Done, {"Tech", "World"}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(DataDir());
    std::filesystem::create_directories(DataDir());
    Put("News", {{"n", "N"}});
    Put("Tech", {});
    EXPECT_EQ(FStore->RenameGroup("News", c.To), c.Outcome) << c.To;
    EXPECT_EQ(FStore->Groups(), c.Groups) << c.To;
    const std::string renamed = c.Outcome == TStoreOutcome::Done ? c.To : "News";
    EXPECT_THAT(Feeds(renamed), ElementsAre(TFeed{"n", "N"})) << c.To;
  }
}

TEST_F(Subscriptions, ChangesFeedsAndKeepsEachGroupSortedWithItsColumnWidths) {
  const struct {
    const char* Name;
    std::function<TStoreOutcome(TSubscriptions&)> Run;
    TStoreOutcome Outcome;
    std::vector<TFeed> News;
    std::vector<TFeed> Tech;
  } cases[] = {
      {"add",
       [](auto& s) {
         return s.AddFeed("News", {"c", "Alpha"});
       },
       TStoreOutcome::Done,
       {{"c", "Alpha"}, {"a", "One"}, {"b", "Two"}},
       {}},
      {"retitle",
       [](auto& s) { return s.RetitleFeed("News", "b", "Zero"); },
       TStoreOutcome::Done,
       {{"a", "One"}, {"b", "Zero"}},
       {}},
      {"relink",
       [](auto& s) { return s.ChangeFeedLink("News", "a", "a2"); },
       TStoreOutcome::Done,
       {{"a2", "One"}, {"b", "Two"}},
       {}},
      {"relink onto a feed the group holds",
       [](auto& s) { return s.ChangeFeedLink("News", "a", "b"); },
       TStoreOutcome::Done,
       {{"b", "Two"}},
       {}},
      {"delete",
       [](auto& s) { return s.DeleteFeed("News", "a"); },
       TStoreOutcome::Done,
       {{"b", "Two"}},
       {}},
      {"move",
       [](auto& s) { return s.MoveFeed("News", "b", "Tech"); },
       TStoreOutcome::Done,
       {{"a", "One"}},
       {{"b", "Two"}}},
      {"move home",
       [](auto& s) { return s.MoveFeed("News", "b", "news"); },
       TStoreOutcome::Done,
       {{"a", "One"}, {"b", "Two"}},
       {}},
      {"move away",
       [](auto& s) { return s.MoveFeed("News", "b", "Gone"); },
       TStoreOutcome::NoSuchGroup,
       {{"a", "One"}, {"b", "Two"}},
       {}},
      {"no feed",
       [](auto& s) { return s.DeleteFeed("News", "x"); },
       TStoreOutcome::NoSuchFeed,
       {{"a", "One"}, {"b", "Two"}},
       {}},
      {"no group",
       [](auto& s) {
         return s.AddFeed("Gone", {"x", "X"});
       },
       TStoreOutcome::NoSuchGroup,
       {{"a", "One"}, {"b", "Two"}},
       {}},
  };
  for (const auto& c : cases) {
    Put("News", {{"a", "One"}, {"b", "Two"}}, {0, 10, 250});
    Put("Tech", {});
    EXPECT_EQ(c.Run(*FStore), c.Outcome) << c.Name;
    EXPECT_EQ(Feeds("News"), c.News) << c.Name;
    EXPECT_EQ(Feeds("Tech"), c.Tech) << c.Name;
    EXPECT_THAT(ColWidthsOf(ReadFile(DataDir() + "News.dat")), ElementsAre(0, 10, 250)) << c.Name;
    EXPECT_FALSE(std::filesystem::exists(DataDir() + "Gone.dat")) << c.Name;
  }
}

TEST_F(Subscriptions, ActsOnEveryRowOfALinkWhenAskedAndOnTheFirstOtherwise) {
  const struct {
    const char* Name;
    std::function<TStoreOutcome(TSubscriptions&)> Run;
    std::vector<TFeed> News;
    std::vector<TFeed> Tech;
  } cases[] = {
      {"retitle first",
       [](auto& s) { return s.RetitleFeed("News", "a", "Z"); },
       {{"b", "B"}, {"a", "Two"}, {"a", "Z"}},
       {}},
      {"retitle every",
       [](auto& s) { return s.RetitleFeed("News", "a", "Z", TFeedRows::Every); },
       {{"b", "B"}, {"a", "Z"}, {"a", "Z"}},
       {}},
      {"move every",
       [](auto& s) { return s.MoveFeed("News", "a", "Tech", TFeedRows::Every); },
       {{"b", "B"}},
       {{"a", "One"}, {"a", "Two"}}},
      {"delete every",
       [](auto& s) { return s.DeleteFeed("News", "a", TFeedRows::Every); },
       {{"b", "B"}},
       {}},
  };
  for (const auto& c : cases) {
    Put("News", {{"a", "One"}, {"b", "B"}, {"a", "Two"}});
    Put("Tech", {});
    EXPECT_EQ(c.Run(*FStore), TStoreOutcome::Done) << c.Name;
    EXPECT_EQ(Feeds("News"), c.News) << c.Name;
    EXPECT_EQ(Feeds("Tech"), c.Tech) << c.Name;
  }
}

TEST_F(Subscriptions, KeepsADamagedGroupsRowsAndItsFileBeforeTheFirstWrite) {
  const std::string whole = EncodeGroup({{"a", "One"}, {"b", "Two"}});
  const std::string damaged = whole.substr(0, whole.size() - 20);
  WriteFile(DataDir() + "News.dat", damaged);
  const TGroupRead read = FStore->LoadGroup("News");
  EXPECT_THAT(read.Feeds, ElementsAre(TFeed{"a", "One"}, TFeed{"b", ""}));
  EXPECT_EQ(read.Error, "Stream read error");
  // A change needs the whole group: it is refused and the file stays as it is.
  EXPECT_THROW(FStore->AddFeed("News", {"c", "C"}), Exception);
  EXPECT_EQ(ReadFile(DataDir() + "News.dat"), damaged);

  FStore->SaveGroup("News", {{"a", "One"}});
  EXPECT_EQ(ReadFile(DataDir() + "News.dat.damaged"), damaged);
  FStore->SaveGroup("News", {});
  EXPECT_EQ(ReadFile(DataDir() + "News.dat.damaged"), damaged);
  EXPECT_THAT(Feeds("News"), IsEmpty());
}

TEST_F(Subscriptions, MovesADamagedGroupsFileWholeWhenItIsRenamed) {
  WriteFile(DataDir() + "News.dat", "TPF0");
  EXPECT_FALSE(FStore->LoadGroup("News").Error.empty());
  ASSERT_EQ(FStore->RenameGroup("News", "Old"), TStoreOutcome::Done);
  EXPECT_EQ(ReadFile(DataDir() + "Old.dat"), "TPF0");
  FStore->SaveGroup("Old", {});
  EXPECT_EQ(ReadFile(DataDir() + "Old.dat.damaged"), "TPF0");
}

// A holder in another thread takes the lock, and lets it go after a while.
TEST_F(Subscriptions, WaitsForTheToolsShortHoldButNeverForAWindow) {
  const struct {
    TLockRole Holder;
    TLockRole Waiter;
    bool Taken;
  } cases[] = {
      {TLockRole::Tool, TLockRole::Window, true},
      {TLockRole::Tool, TLockRole::Tool, true},
      {TLockRole::Window, TLockRole::Window, false},
      {TLockRole::Window, TLockRole::Tool, false},
  };
  for (const auto& c : cases) {
    std::promise<void> taken;
    std::thread holder([&] {
      const TDataDirLock lock(DataDir(), c.Holder);
      taken.set_value();
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    taken.get_future().wait();
    const TDataDirLock lock(DataDir(), c.Waiter, std::chrono::seconds(30));
    holder.join();
    EXPECT_EQ(lock.Held(), c.Taken);
    if (!c.Taken) {
      EXPECT_EQ(lock.HolderRole(), c.Holder);
    }
  }
}

TEST_F(Subscriptions, MovesTheFeedStateWithAChangedLinkOnlyOnceTheGroupIsWritten) {
  Put("News", {{"a", "One"}});
  TFeedStateDb state(DataDir());
  TFeedRecord record;
  record.Link = "a";
  record.HasDocument = true;
  record.Document = "<rss/>";
  state.Save(record);
  EXPECT_EQ(FStore->ChangeFeedLink("News", "missing", "c", &state), TStoreOutcome::NoSuchFeed);
  EXPECT_EQ(FStore->ChangeFeedLink("News", "a", "a2", &state), TStoreOutcome::Done);
  EXPECT_FALSE(state.Find("a"));
  ASSERT_TRUE(state.Find("a2"));
  EXPECT_EQ(state.Find("a2")->Document, "<rss/>");
}

}  // namespace
}  // namespace vantle
