#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "Exception.h"
#include "FeedFetcher.h"
#include "FeedSource.h"
#include "SimpleRSS.h"
#include "support/LoopbackServer.h"
#include "support/MemoryFeedState.h"

namespace vantle {
namespace {

using test::TLoopbackServer;
using test::TReply;
using test::TServedRequest;
using enum TRequestKind;

// 2024-01-01 00:00:00 UTC.
constexpr TUnixTime kNow = 1704067200;

std::string Feed(const std::string& title) {
  return "<rss version='2.0'><channel><title>" + title +
         "</title><link>http://a.example/</link><description>d</description>"
         "<item><title>one</title></item></channel></rss>";
}

TReply FeedReply(const std::string& title,
                 std::vector<std::pair<std::string, std::string>> headers = {}) {
  TReply reply = TReply::Content(Feed(title), "application/rss+xml");
  reply.Headers = std::move(headers);
  return reply;
}

// A publisher on the loopback server whose answers the tests change between loads; it
// answers conditional requests as the rules ask.
class LoadByTheRules : public testing::Test {
 protected:
  void SetUp() override {
    FServer.Route("/.*", [this](const TServedRequest& request) {
      std::lock_guard lock(FMutex);
      const auto found = FReplies.find(request.Path);
      if (found == FReplies.end()) return TReply{.Status = 404};
      return TReply::Conditional(request, found->second);
    });
  }

  void Publish(const std::string& path, TReply reply) {
    std::lock_guard lock(FMutex);
    FReplies[path] = std::move(reply);
  }

  TLoadOutcome Load(const std::string& path, TRequestKind kind) {
    return FSource.Load(FReader, FServer.Url(path), kind);
  }

  // The message the load raises; "" when it loads.
  std::string LoadError(const std::string& path, TRequestKind kind) {
    try {
      Load(path, kind);
    } catch (const std::exception& error) {
      return error.what();
    }
    return "";
  }

  std::string Title() const { return FReader.Channel().Required.Title(); }

  // The last request's header `name`.
  std::string LastHeader(const std::string& name) const {
    return FServer.Requests().back().Header(name);
  }

  TUnixTime FNow = kNow;
  test::TMemoryFeedState FState;
  TFeedSource FSource{&FState, [this] { return FNow; }};
  TSimpleRSS FReader;
  TLoopbackServer FServer;
  std::mutex FMutex;
  std::map<std::string, TReply> FReplies;
};

TEST_F(LoadByTheRules, SendsTheStoredValidatorsBackExactlyAndReadsTheCopyOnA304) {
  const struct {
    const char* Name;
    std::string ETag, LastModified;
  } cases[] = {
      {"weak etag", "W/\"a-1\"", ""},
      {"etag only", "\"xyz\"", ""},
      {"last-modified only", "", "Sun, 31 Dec 2023 10:00:00 GMT"},
      {"both", "\"v2\"", "Sun, 31 Dec 2023 10:00:00 GMT"},
  };
  int index = 0;
  for (const auto& c : cases) {
    const std::string path = "/validators/" + std::to_string(index++);
    std::vector<std::pair<std::string, std::string>> headers;
    if (!c.ETag.empty()) headers.emplace_back("ETag", c.ETag);
    if (!c.LastModified.empty()) headers.emplace_back("Last-Modified", c.LastModified);
    Publish(path, FeedReply(c.Name, headers));

    EXPECT_EQ(Load(path, Click).Result, TFetchResult::Changed) << c.Name;
    EXPECT_EQ(LastHeader("If-None-Match"), "") << c.Name;
    EXPECT_EQ(LastHeader("If-Modified-Since"), "") << c.Name;
    const TLoadOutcome again = Load(path, Refresh);
    EXPECT_EQ(LastHeader("If-None-Match"), c.ETag) << c.Name;
    EXPECT_EQ(LastHeader("If-Modified-Since"), c.LastModified) << c.Name;
    EXPECT_EQ(again.Result, TFetchResult::NotModified) << c.Name;
    EXPECT_EQ(again.Status, 304) << c.Name;
    EXPECT_EQ(Title(), c.Name) << c.Name;
  }
}

TEST_F(LoadByTheRules, AsksUnconditionallyWhenTheServerSentNoValidators) {
  Publish("/plain", FeedReply("plain"));
  Load("/plain", Click);
  EXPECT_EQ(Load("/plain", Refresh).Result, TFetchResult::Unchanged);
  EXPECT_EQ(LastHeader("If-None-Match"), "");
  EXPECT_EQ(LastHeader("If-Modified-Since"), "");
}

TEST_F(LoadByTheRules, TakesNewValidatorsFromA200WithTheSameBody) {
  Publish("/feed", FeedReply("same", {{"ETag", "\"1\""}}));
  Load("/feed", Click);
  Publish("/feed", FeedReply("same", {{"ETag", "\"2\""}}));
  EXPECT_EQ(Load("/feed", Refresh).Result, TFetchResult::Unchanged);
  EXPECT_EQ(LastHeader("If-None-Match"), "\"1\"");
  EXPECT_EQ(Load("/feed", Refresh).Result, TFetchResult::NotModified);
  EXPECT_EQ(LastHeader("If-None-Match"), "\"2\"");
}

TEST_F(LoadByTheRules, ReadsAStoredCopyInTheCharsetItWasServedWith) {
  // Latin-1 bytes without an encoding declaration: only the Content-Type names it.
  const std::string body =
      "<rss version='2.0'><channel><title>Caf\xE9</title><link>l</link><description>"
      "na\xEFve</description></channel></rss>";
  Publish("/latin1", {.Type = "text/xml; charset=iso-8859-1",
                      .Body = body,
                      .Headers = {{"ETag", "\"l1\""}, {"Cache-Control", "max-age=60"}}});
  Load("/latin1", Click);
  const std::string fresh = Title() + "|" + FReader.Channel().Required.Desc();
  ASSERT_EQ(fresh, "Caf\xC3\xA9|na\xC3\xAFve");
  const struct {
    TRequestKind Kind;
    TFetchResult Result;
  } reads[] = {{Click, TFetchResult::Fresh}, {Refresh, TFetchResult::NotModified}};
  for (const auto& read : reads) {
    TSimpleRSS other;
    EXPECT_EQ(FSource.Load(other, FServer.Url("/latin1"), read.Kind).Result, read.Result);
    EXPECT_EQ(other.Channel().Required.Title() + "|" + other.Channel().Required.Desc(), fresh);
  }
}

TEST_F(LoadByTheRules, ClicksReadAFreshCopyWithoutAskingEvenAfterARestart) {
  Publish("/fresh", FeedReply("fresh", {{"ETag", "\"f\""}, {"Cache-Control", "max-age=60"}}));
  const struct {
    TUnixTime At;
    TRequestKind Kind;
    TFetchResult Result;
    int Requests;  // so far
  } steps[] = {
      {kNow, Click, TFetchResult::Changed, 1},
      {kNow + 30, Click, TFetchResult::Fresh, 1},
      {kNow + 30, Background, TFetchResult::Fresh, 1},
      {kNow + 30, Refresh, TFetchResult::NotModified, 2},  // which starts a new minute
      {kNow + 89, Click, TFetchResult::Fresh, 2},
      {kNow + 90, Click, TFetchResult::NotModified, 3},
  };
  for (const auto& step : steps) {
    FNow = step.At;
    // A new reader and source over the same state: the program started again.
    TSimpleRSS reader;
    const TLoadOutcome outcome =
        TFeedSource(&FState, [&] { return FNow; }).Load(reader, FServer.Url("/fresh"), step.Kind);
    EXPECT_EQ(outcome.Result, step.Result) << step.At - kNow;
    EXPECT_EQ(FServer.RequestsFor("/fresh"), step.Requests) << step.At - kNow;
    if (step.Kind != Background) {
      EXPECT_EQ(reader.Channel().Required.Title(), "fresh") << step.At - kNow;
    }
  }
}

TEST_F(LoadByTheRules, HonoursRetryAfterForTheWholeHostButLetsAClickWithoutACopyAsk) {
  Publish("/busy", FeedReply("busy"));
  Publish("/other", FeedReply("other"));
  Load("/busy", Click);
  Publish("/busy", {.Status = 429, .Headers = {{"Retry-After", "120"}}});
  const std::string busy = FServer.Url("/busy");
  const struct {
    const char* Name;
    TUnixTime At;
    const char* Path;
    TRequestKind Kind;
    std::string Error;
    TFetchResult Result;
    int Requests;  // to the server so far
  } steps[] = {
      {"refresh", kNow, "/busy", Refresh, busy + ": HTTP status 429", {}, 2},
      {"background", kNow + 60, "/busy", Background, "", TFetchResult::Deferred, 2},
      {"same host", kNow + 60, "/other", Background, "", TFetchResult::Deferred, 2},
      {"click with a copy", kNow + 60, "/busy", Click, "", TFetchResult::Deferred, 2},
      {"click without", kNow + 60, "/other", Click, "", TFetchResult::Changed, 3},
      {"after the wait", kNow + 120, "/busy", Background, busy + ": HTTP status 429", {}, 4},
  };
  for (const auto& step : steps) {
    FNow = step.At;
    if (step.Error.empty()) {
      EXPECT_EQ(Load(step.Path, step.Kind).Result, step.Result) << step.Name;
      // A click reads the stored copy or the answer; the background reads nothing.
      if (step.Kind == Click) {
        EXPECT_EQ(Title(), std::string(step.Path).substr(1)) << step.Name;
      }
    } else {
      EXPECT_EQ(LoadError(step.Path, step.Kind), step.Error) << step.Name;
    }
    EXPECT_EQ(static_cast<int>(FServer.Requests().size()), step.Requests) << step.Name;
  }
}

TEST_F(LoadByTheRules, FollowsOnlyPermanentRedirectsForGood) {
  const struct {
    int Status;
    TFetchResult Result;
    bool Moves;
  } cases[] = {
      {301, TFetchResult::Moved, true},    {308, TFetchResult::Moved, true},
      {302, TFetchResult::Changed, false}, {303, TFetchResult::Changed, false},
      {307, TFetchResult::Changed, false},
  };
  Publish("/new", FeedReply("new"));
  for (const auto& c : cases) {
    const std::string path = "/old/" + std::to_string(c.Status);
    Publish(path, TReply::Redirect("/new", c.Status));
    const TLoadOutcome outcome = Load(path, Click);
    EXPECT_EQ(outcome.Result, c.Result) << c.Status;
    EXPECT_EQ(outcome.MovedTo, c.Moves ? FServer.Url("/new") : "") << c.Status;
    EXPECT_EQ(FState.Find(FServer.Url(path))->MovedTo, outcome.MovedTo) << c.Status;
    EXPECT_EQ(Title(), "new") << c.Status;
  }
}

TEST_F(LoadByTheRules, AsksAGoneFeedOnceUntilTheUserRefreshesIt) {
  Publish("/gone", {.Status = 410, .Type = "text/html", .Body = "<p>gone</p>"});
  const std::string gone = FServer.Url("/gone");
  EXPECT_EQ(LoadError("/gone", Refresh), gone + ": HTTP status 410");
  const std::string again = LoadError("/gone", Click);
  EXPECT_EQ(again, gone + ": HTTP status 410; gone, not asked again until refreshed");
  EXPECT_NE(LoadError("/gone", Background), "");
  EXPECT_EQ(FServer.RequestsFor("/gone"), 1);
  EXPECT_EQ(FState.Find(gone)->Standing, TFeedStanding::Gone);

  Publish("/gone", FeedReply("back"));
  EXPECT_EQ(Load("/gone", Refresh).Result, TFetchResult::Changed);
  EXPECT_EQ(FServer.RequestsFor("/gone"), 2);
  EXPECT_EQ(FState.Find(gone)->Standing, TFeedStanding::Fine);
}

TEST_F(LoadByTheRules, KeepsCopyAndValidatorsWhenA200IsNoFeed) {
  Publish("/feed", FeedReply("kept", {{"ETag", "\"1\""}}));
  Load("/feed", Click);
  Publish("/feed", {.Type = "text/html", .Body = "<html/>", .Headers = {{"ETag", "\"2\""}}});
  EXPECT_EQ(LoadError("/feed", Refresh), "unkown format: html");
  const TFeedRecord record = *FState.Find(FServer.Url("/feed"));
  EXPECT_EQ(record.Document, Feed("kept"));
  EXPECT_EQ(record.ETag, "\"1\"");
  EXPECT_EQ(record.Standing, TFeedStanding::Failing);
  EXPECT_EQ(record.Reason, "unkown format: html");
  LoadError("/feed", Refresh);
  EXPECT_EQ(LastHeader("If-None-Match"), "\"1\"");
}

TEST_F(LoadByTheRules, ShowsNoStoredCopyInPlaceOfAFailure) {
  Publish("/feed", FeedReply("shown", {{"ETag", "\"1\""}}));
  Load("/feed", Click);
  Publish("/feed", {.Status = 500});
  EXPECT_EQ(LoadError("/feed", Refresh), FServer.Url("/feed") + ": HTTP status 500");
  EXPECT_EQ(LoadError("/feed", Click), FServer.Url("/feed") + ": HTTP status 500");
}

TEST_F(LoadByTheRules, KeepsNothingAndSendsNoValidatorsWithoutAState) {
  Publish("/feed", FeedReply("plain", {{"ETag", "\"1\""}, {"Cache-Control", "max-age=60"}}));
  const TFeedSource stateless(nullptr);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(stateless.Load(FReader, FServer.Url("/feed"), Click).Result, TFetchResult::Changed);
    EXPECT_EQ(LastHeader("If-None-Match"), "");
  }
  EXPECT_EQ(FServer.RequestsFor("/feed"), 2);
}

TEST_F(LoadByTheRules, SendsOneAgentAndTheFeedAcceptHeader) {
  Publish("/feed", FeedReply("x"));
  Load("/feed", Click);
  EXPECT_EQ(LastHeader("User-Agent"), "Vantle/" VANTLE_VERSION " (+https://vantle.example.org)");
  EXPECT_EQ(LastHeader("Accept"),
            "application/rss+xml, application/atom+xml, application/rdf+xml;q=0.9, "
            "application/xml;q=0.8, text/xml;q=0.8, */*;q=0.5");
  EXPECT_EQ(LastHeader("Referer"), "");
  EXPECT_EQ(LastHeader("Cookie"), "");
  EXPECT_EQ(FServer.Requests().back().Method, "GET");
}

// A feed state whose every write fails, as a database on a full disk does.
class TUnwritableState : public test::TMemoryFeedState {
 public:
  void Save(const TFeedRecord&) override { throw Exception("Cannot save the feed state"); }
  void Defer(const THostDeferral&) override { throw Exception("Cannot save the feed state"); }
};

TEST_F(LoadByTheRules, ReadsFeedsAndFailsForTheirOwnReasonsWhenTheStateCannotBeWritten) {
  TUnwritableState state;
  const TFeedSource source(&state, [this] { return FNow; });
  Publish("/feed", FeedReply("read", {{"ETag", "\"1\""}}));
  Publish("/busy", {.Status = 429});
  EXPECT_EQ(source.Load(FReader, FServer.Url("/feed"), Click).Result, TFetchResult::Changed);
  EXPECT_EQ(Title(), "read");
  try {
    source.Load(FReader, FServer.Url("/busy"), Click);
    ADD_FAILURE() << "a 429 loaded";
  } catch (const EFetchError& error) {
    EXPECT_EQ(std::string(error.what()), FServer.Url("/busy") + ": HTTP status 429");
  }
}

}  // namespace
}  // namespace vantle
