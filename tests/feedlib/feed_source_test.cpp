#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FeedFetcher.h"
#include "FeedSource.h"
#include "SimpleRSS.h"
#include "store/FeedStateDb.h"
#include "support/LoopbackServer.h"
#include "support/TestFiles.h"

namespace vantle {
namespace {

using test::TReply;
using enum TRequestKind;
using THeaders = std::vector<std::pair<std::string, std::string>>;

constexpr TUnixTime kNow = 1704067200;  // 2024-01-01 00:00:00 UTC

TReply FeedReply(const std::string& title, THeaders headers = {}) {
  return {.Type = "application/rss+xml",
          .Body = "<rss version='2.0'><channel><title>" + title +
                  "</title><link>l</link><description>d</description></channel></rss>",
          .Headers = std::move(headers)};
}

// Loads of links a publisher that keeps the rules serves, whose answers the tests change.
class LoadByTheRules : public testing::Test {
 protected:
  void Publish(const std::string& path, TReply reply) { FServer.Publish(path, std::move(reply)); }
  // How the load of `path` ended: its result's name, or the message it raised.
  std::string Load(const std::string& path, TRequestKind kind, IFeedState* state = nullptr) {
    try {
      const TFeedSource source(state ? state : &FState, [] { return kNow; });
      return FetchResultName(source.Load(FReader, FServer.Url(path), kind).Result);
    } catch (const std::exception& error) {
      return error.what();
    }
  }
  std::string Title() const { return FReader.Channel().Required.Title(); }
  std::string LastHeader(const std::string& name) const {
    return FServer.Requests().back().Header(name);
  }

  const test::TScratchDir FScratch{"vantle_source"};
  const std::string FDataDir = FScratch.Path().string() + "/";
  TFeedStateDb FState{FDataDir};
  TSimpleRSS FReader;
  test::TLoopbackServer FServer;
};

TEST_F(LoadByTheRules, SendsTheValidatorsOfTheLast200BackExactly) {
  const std::string date = "Sun, 31 Dec 2023 10:00:00 GMT";
  const struct {
    std::string ETag, LastModified, NextETag;  // NextETag: the second answer's, same body
    const char* Again;                         // the result of the second request
  } cases[] = {
      {"W/\"a-1\"", "", "W/\"a-1\"", "not-modified"},
      {"\"xyz\"", "", "\"xyz\"", "not-modified"},
      {"", date, "", "not-modified"},
      {"", "", "", "unchanged"},
      {"\"1\"", "", "\"2\"", "unchanged"},
  };
  int index = 0;
  for (const auto& c : cases) {
    const std::string path = "/feed/" + std::to_string(index++);
    THeaders headers;
    if (!c.ETag.empty()) headers.emplace_back("ETag", c.ETag);
    if (!c.LastModified.empty()) headers.emplace_back("Last-Modified", c.LastModified);
    Publish(path, FeedReply(path, headers));
    EXPECT_EQ(Load(path, Click), "changed") << path;
    EXPECT_EQ(LastHeader("If-None-Match") + LastHeader("If-Modified-Since"), "") << path;
    if (!headers.empty()) headers.front().second = c.NextETag.empty() ? date : c.NextETag;
    Publish(path, FeedReply(path, headers));
    EXPECT_EQ(Load(path, Refresh), c.Again) << path;
    EXPECT_EQ(LastHeader("If-None-Match"), c.ETag) << path;
    EXPECT_EQ(LastHeader("If-Modified-Since"), c.LastModified) << path;
    EXPECT_EQ(Title(), path);
    Load(path, Refresh);
    EXPECT_EQ(LastHeader("If-None-Match"), c.NextETag) << path << ": the new validators count";
  }
  EXPECT_EQ(LastHeader("Accept"),
            "application/rss+xml, application/atom+xml, application/rdf+xml;q=0.9, "
            "application/xml;q=0.8, text/xml;q=0.8, */*;q=0.5");
}

TEST_F(LoadByTheRules, ReadsAStoredCopyInTheCharsetItWasServedWith) {
  // Latin-1 without an encoding declaration: only the Content-Type names it.
  Publish("/latin1", {.Type = "text/xml; charset=iso-8859-1",
                      .Body = "<rss version='2.0'><channel><title>Caf\xE9</title><link>l</link>"
                              "<description>d</description></channel></rss>",
                      .Headers = {{"ETag", "\"l\""}, {"Cache-Control", "max-age=60"}}});
  Publish("/other", FeedReply("other"));
  for (const auto& [kind, result] : {std::pair{Click, "changed"}, std::pair{Click, "fresh"},
                                     std::pair{Refresh, "not-modified"}}) {
    Load("/other", Refresh);
    ASSERT_EQ(Title(), "other");
    EXPECT_EQ(Load("/latin1", kind), result);
    EXPECT_EQ(Title(), "Caf\xC3\xA9") << result;
  }
}

TEST_F(LoadByTheRules, KeepsCopyAndValidatorsWhenA200IsNoFeedButNeverShowsTheCopyInstead) {
  Publish("/feed", FeedReply("kept", {{"ETag", "\"1\""}, {"Cache-Control", "max-age=60"}}));
  Load("/feed", Click);
  Publish("/feed", {.Type = "text/html", .Body = "<html/>", .Headers = {{"ETag", "\"2\""}}});
  EXPECT_EQ(Load("/feed", Refresh), "unkown format: html");
  EXPECT_EQ(Load("/feed", Click), "unkown format: html");
  EXPECT_EQ(LastHeader("If-None-Match"), "\"1\"");
  EXPECT_EQ(FState.Find(FServer.Url("/feed"))->Reason, "unkown format: html");
}

TEST_F(LoadByTheRules, AsksAGoneFeedOnceUntilItIsRefreshed) {
  Publish("/gone", {.Status = 410});
  const std::string said = FServer.Url("/gone") + ": HTTP status 410";
  EXPECT_EQ(Load("/gone", Click), said);
  EXPECT_EQ(Load("/gone", Click), said + "; gone, not asked again until refreshed");
  EXPECT_EQ(FServer.RequestsFor("/gone"), 1);
  EXPECT_EQ(Load("/gone", Refresh), said);
  EXPECT_EQ(FServer.RequestsFor("/gone"), 2);
}

TEST_F(LoadByTheRules, ReadsFeedsAndFailsForTheirOwnReasonsWhenTheStateCannotBeWritten) {
  // A database that cannot be made fails every write, as one on a full disk does.
  TFeedStateDb state(FDataDir + "missing/");
  Publish("/feed", FeedReply("read"));
  Publish("/busy", {.Status = 429});
  EXPECT_EQ(Load("/feed", Click, &state), "changed");
  EXPECT_EQ(Load("/busy", Click, &state), FServer.Url("/busy") + ": HTTP status 429");
}

}  // namespace
}  // namespace vantle
