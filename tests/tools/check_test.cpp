#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "store/DataDirLock.h"
#include "store/FeedStateDb.h"
#include "store/GroupStore.h"
#include "support/LoopbackServer.h"
#include "support/RunTool.h"
#include "support/TestFiles.h"

namespace vantle::tool {
namespace {

namespace fs = std::filesystem;
using test::TLoopbackServer;
using test::TReply;
using test::TServedRequest;
using TJson = nlohmann::ordered_json;

std::string Feed(const std::string& title) {
  return "<rss version=\"2.0\"><channel><title>" + title +
         "</title><link>http://x/</link><description>d</description>"
         "<item><title>i</title><description/></item></channel></rss>";
}

TReply FeedReply(const std::string& title,
                 std::vector<std::pair<std::string, std::string>> headers = {}) {
  TReply reply = TReply::Content(Feed(title), "application/rss+xml");
  reply.Headers = std::move(headers);
  return reply;
}

void WriteGroup(const std::string& dataDir, const std::string& group,
                const std::vector<TFeed>& feeds) {
  fs::create_directories(dataDir);
  std::ofstream(dataDir + group + ".dat", std::ios::binary) << EncodeGroup(feeds);
}

std::string ReadFile(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// The lines of a check by group and link.
std::map<std::pair<std::string, std::string>, TJson> LinesOf(const std::string& out) {
  std::map<std::pair<std::string, std::string>, TJson> lines;
  std::istringstream stream(out);
  for (std::string line; std::getline(stream, line);) {
    TJson json = TJson::parse(line);
    lines[{json["group"], json["link"]}] = json;
  }
  return lines;
}

class CheckCommand : public ::testing::Test {
 protected:
  std::string Data() const { return (scratch_.Path() / "data").string() + "/"; }
  TRun Check(const std::vector<std::string>& more = {}) {
    std::vector<std::string> args{"check", "--data", Data()};
    args.insert(args.end(), more.begin(), more.end());
    return RunTool(args);
  }

  test::TScratchDir scratch_{"vantle-check"};
};

// One feed of the table: where it is served, and what each of two checks in a row prints.
struct TCheckCase {
  const char* Path;
  bool OtherHost;  // served by the second server, which asks to be left alone
  const char* First;
  long FirstStatus;  // 0: null
  const char* Second;
  long SecondStatus;
  int Requests;  // by the end of both
};

const TCheckCase kCases[] = {
    {"/changing", false, "changed", 200, "changed", 200, 2},
    {"/same", false, "changed", 200, "unchanged", 200, 2},
    {"/tagged", false, "changed", 200, "not-modified", 304, 2},
    {"/cached", false, "changed", 200, "fresh", 0, 1},
    {"/gone", false, "gone", 410, "gone", 0, 1},
    {"/old", false, "moved", 200, "not-modified", 304, 1},
    {"/broken", false, "failed", 500, "failed", 500, 2},
    {"/page", false, "failed", 200, "failed", 200, 2},
    {"/busy", true, "failed", 429, "deferred", 0, 1},
    {"/calm", true, "changed", 200, "deferred", 0, 1},
};

TEST_F(CheckCommand, PrintsEveryResultAndAsksAgainOnlyAsThePublishersAllow) {
  TLoopbackServer server, other;
  std::atomic<int> edition{0};
  server.Route("/changing",
               [&](const TServedRequest&) { return FeedReply(std::to_string(++edition)); });
  server.Answer("/same", FeedReply("same"));
  server.Route("/tagged", [](const TServedRequest& request) {
    if (request.Header("If-None-Match") == "W/\"t1\"") return TReply{.Status = 304};
    return FeedReply("tagged", {{"ETag", "W/\"t1\""}});
  });
  server.Answer("/cached", FeedReply("cached", {{"Cache-Control", "max-age=3600"}}));
  server.Answer("/gone", TReply{.Status = 410});
  server.Answer("/old", TReply::Redirect(server.Url("/new"), 301));
  server.Route("/new", [](const TServedRequest& request) {
    if (request.Header("If-None-Match") == "\"n1\"") return TReply{.Status = 304};
    return FeedReply("new", {{"ETag", "\"n1\""}});
  });
  server.Answer("/broken", TReply{.Status = 500});
  server.Answer("/page", TReply::Content("<html><body>no feed</body></html>", "text/html"));
  other.Answer("/busy", TReply{.Status = 429, .Headers = {{"Retry-After", "3600"}}});
  other.Answer("/calm", FeedReply("calm"));

  const auto urlOf = [&](const TCheckCase& row) {
    return (row.OtherHost ? other : server).Url(row.Path);
  };
  std::vector<TFeed> news, more;
  for (const TCheckCase& row : kCases) news.push_back({urlOf(row), row.Path});
  // A feed in two groups is asked once a check, and printed for each.
  more.push_back({server.Url("/same"), "Same again"});
  WriteGroup(Data(), "News", news);
  WriteGroup(Data(), "More", more);

  for (int check = 0; check < 2; ++check) {
    const TRun run = Check();
    ASSERT_EQ(run.Status, 0) << run.Err;
    const auto lines = LinesOf(run.Out);
    EXPECT_EQ(lines.size(), std::size(kCases) + 1);
    for (const TCheckCase& row : kCases) {
      SCOPED_TRACE(std::string(row.Path) + (check ? ", second check" : ", first check"));
      // After the first check the moved feed is subscribed at its new address alone, whose
      // 304 shows the validator kept at the old one was sent.
      const std::string link =
          check && row.Path == std::string("/old") ? server.Url("/new") : urlOf(row);
      const auto found = lines.find({"News", link});
      ASSERT_NE(found, lines.end());
      const TJson& line = found->second;
      std::vector<std::string> keys;
      for (const auto& [key, value] : line.items()) keys.push_back(key);
      EXPECT_EQ(keys, (std::vector<std::string>{"group", "title", "link", "result", "status",
                                                "bytes", "reason", "moved_to", "new_items"}));
      EXPECT_EQ(line["title"], row.Path);
      EXPECT_EQ(line["result"], check ? row.Second : row.First);
      const long status = check ? row.SecondStatus : row.FirstStatus;
      if (status) {
        EXPECT_EQ(line["status"], status);
        EXPECT_GT(line["bytes"].get<long>(), 0);
      } else {
        EXPECT_TRUE(line["status"].is_null());
        EXPECT_TRUE(line["bytes"].is_null());
      }
      const std::string result = line["result"];
      const bool explained = result == "failed" || result == "gone" || result == "deferred";
      EXPECT_EQ(line["reason"].is_string(), explained) << line["reason"];
      EXPECT_EQ(line["moved_to"].is_string(), result == "moved");
      if (result == "moved") {
        EXPECT_EQ(line["moved_to"], server.Url("/new"));
      }
    }
    EXPECT_EQ(lines.at({"More", server.Url("/same")})["result"],
              lines.at({"News", server.Url("/same")})["result"]);
  }
  for (const TCheckCase& row : kCases)
    EXPECT_EQ((row.OtherHost ? other : server).RequestsFor(row.Path), row.Requests) << row.Path;
}

TEST_F(CheckCommand, CountsTheItemsNewSinceTheFeedWasReadAndMarksThemReadWhenAsked) {
  TLoopbackServer server;
  std::atomic<int> items{1};  // below 0: the server fails
  server.Route("/grows", [&](const TServedRequest&) {
    std::string feed =
        "<rss version=\"2.0\"><channel><title>t</title><link>http://x/</link>"
        "<description>d</description>";
    for (int i = 0; i < items; ++i)
      feed += "<item><title>s</title><guid>" + std::to_string(i) + "</guid></item>";
    return items < 0 ? TReply{.Status = 500}
                     : TReply::Content(feed + "</channel></rss>", "application/rss+xml");
  });
  WriteGroup(Data(), "News", {{server.Url("/grows"), "Grows"}});
  const std::tuple<int, std::vector<std::string>, std::string, int> steps[] = {
      {1, {}, "changed", 0},               // the first sighting lights nothing up
      {3, {}, "changed", 2},               // two added since
      {-1, {}, "failed", 2},               // a failure counts the items kept
      {4, {"--mark-read"}, "changed", 3},  // counted, then read
      {4, {}, "unchanged", 0},
  };
  for (const auto& [count, more, result, newItems] : steps) {
    SCOPED_TRACE(count);
    items = count;
    const TRun run = Check(more);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const TJson line = LinesOf(run.Out).at({"News", server.Url("/grows")});
    EXPECT_EQ(line["result"], result);
    EXPECT_EQ(line["new_items"], newItems);
  }
  EXPECT_EQ(Check({"--mark-read", "--mark-read"}).Status, 2);
}

// --jobs: the transfers at once; a host gets two at most however many are allowed.
TEST_F(CheckCommand, AsksNoMoreFeedsAtOnceThanAllowedAndTwoAtMostOfOneHost) {
  for (const auto& [jobs, most] : {std::pair{"32", 2}, std::pair{"1", 1}}) {
    TLoopbackServer server;
    TReply slow = FeedReply("slow");
    slow.Delay = std::chrono::milliseconds(200);
    server.Route("/slow/.*", [slow](const TServedRequest&) { return slow; });
    std::vector<TFeed> feeds;
    for (const char* path : {"/slow/1", "/slow/2", "/slow/3", "/slow/4"})
      feeds.push_back({server.Url(path), path});
    WriteGroup(Data(), "News", feeds);
    const TRun run = Check({"--jobs", jobs});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(LinesOf(run.Out).size(), 4u);
    EXPECT_EQ(server.MostHeld(), most) << jobs;
  }
}

TEST_F(CheckCommand, EndsOnAnInterruptKeepingWhatFinishedAndNothingElse) {
  TLoopbackServer server;
  std::vector<TFeed> feeds;
  TReply held = FeedReply("held");
  held.Gate = std::make_shared<test::TGate>();  // never opened: these never finish
  for (const char* path : {"/quick/1", "/quick/2", "/held/1", "/held/2"}) {
    std::string(path).starts_with("/quick") ? server.Answer(path, FeedReply(path))
                                            : server.Answer(path, held);
    feeds.push_back({server.Url(path), path});
  }
  WriteGroup(Data(), "News", feeds);
  const std::string groupFile = ReadFile(Data() + "News.dat");
  bool interrupted = false;
  const TRun run =
      RunTool({"check", "--data", Data(), "--jobs", "8"}, {}, [&](pid_t pid, const TRun& sofar) {
        const auto lines = std::count(sofar.Out.begin(), sofar.Out.end(), '\n');
        if (lines == 2 && server.Holding() == 2 && !interrupted) {
          interrupted = kill(pid, SIGINT) == 0;
        }
      });
  ASSERT_TRUE(interrupted) << run.Out << run.Err;
  EXPECT_EQ(run.Status, 128 + SIGINT);
  const auto lines = LinesOf(run.Out);
  EXPECT_EQ(lines.size(), 2u);
  TFeedStateDb state(Data());
  for (const char* path : {"/quick/1", "/quick/2"}) {
    const std::optional<TFeedRecord> record = state.Find(server.Url(path));
    ASSERT_TRUE(record) << path;
    EXPECT_EQ(record->Document, Feed(path));
  }
  for (const char* path : {"/held/1", "/held/2"}) EXPECT_FALSE(state.Find(server.Url(path)));
  EXPECT_EQ(ReadFile(Data() + "News.dat"), groupFile);
}

TEST_F(CheckCommand, LeavesAMovedLinkToTheWindowThatHoldsTheDataDirectory) {
  TLoopbackServer server;
  server.Answer("/old", TReply::Redirect(server.Url("/new"), 308));
  server.Answer("/new", FeedReply("new"));
  WriteGroup(Data(), "News", {{server.Url("/old"), "Moving"}});
  const std::string groupFile = ReadFile(Data() + "News.dat");
  const TDataDirLock window(Data(), TLockRole::Window);
  ASSERT_TRUE(window.Held());
  const TRun run = Check();
  ASSERT_EQ(run.Status, 0) << run.Err;
  const TJson line = LinesOf(run.Out).at({"News", server.Url("/old")});
  EXPECT_EQ(line["result"], "moved");
  EXPECT_EQ(line["moved_to"], server.Url("/new"));
  EXPECT_TRUE(line["reason"].is_string());
  EXPECT_EQ(ReadFile(Data() + "News.dat"), groupFile);
}

struct TRefusalCase {
  std::vector<std::string> Args;
  int Status;
};

TEST_F(CheckCommand, RefusesBadUseAndDataItCannotRead) {
  WriteGroup(Data(), "News", {});
  const TRefusalCase cases[] = {
      {{"--jobs", "0"}, 2}, {{"--jobs", "x"}, 2},        {{"--jobs", "8x"}, 2},
      {{"extra"}, 2},       {{"--group", "Nothing"}, 1}, {{"--group", "News"}, 0},
  };
  for (const TRefusalCase& refusal : cases) {
    const TRun run = Check(refusal.Args);
    EXPECT_EQ(run.Status, refusal.Status) << refusal.Args.front() << run.Err;
    EXPECT_EQ(run.Out, "");
  }
  const TRun missing = RunTool({"check", "--data", Data() + "missing/"});
  EXPECT_EQ(missing.Status, 1);
}

}  // namespace
}  // namespace vantle::tool
