#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FetchRules.h"

namespace vantle {
namespace {

// 2024-01-01 00:00:00 UTC.
constexpr TUnixTime kNow = 1704067200;

TEST(HttpDates, ReadAsSecondsSinceTheEpochInGmt) {
  const struct {
    const char* Text;
    std::optional<TUnixTime> Expected;
  } cases[] = {
      {"Mon, 01 Jan 2024 00:00:00 GMT", kNow},
      {"Mon, 01 Jan 2024 01:02:03 GMT", kNow + 3723},
      {"Monday, 01-Jan-24 00:00:10 GMT", kNow + 10},
      {"Sun, 06 Nov 1994 08:49:37 GMT", 784111777},
      {"  Mon, 01 Jan 2024 00:00:00 GMT  ", kNow},
      {"Mon, 01 Jan 2024", std::nullopt},
      {"yesterday", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseHttpDate(c.Text), c.Expected) << c.Text;
}

TEST(RetryAfter, NamesATimeBySecondsOrByDate) {
  const struct {
    const char* Value;
    std::optional<TUnixTime> Expected;
  } cases[] = {
      {"3600", kNow + 3600},
      {" 120 ", kNow + 120},
      {"0", kNow},
      {"Mon, 01 Jan 2024 02:00:00 GMT", kNow + 7200},
      {"Sun, 31 Dec 2023 23:00:00 GMT", kNow},  // a date past counts as now
      {"-5", std::nullopt},
      {"soon", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(RetryAfterTime(c.Value, kNow), c.Expected) << c.Value;
}

TEST(Freshness, ComesFromMaxAgeLessAgeElseExpiresFromDateAndLastsAtMostADay) {
  const std::string date = "Mon, 01 Jan 2024 00:00:00 GMT";
  const struct {
    const char* Name;
    THttpAnswer Answer;
    TUnixTime Until;  // 0: not fresh
    const char* Reason;
  } cases[] = {
      {"max-age", {.CacheControl = "max-age=600"}, kNow + 600, "max-age"},
      {"max-age among directives",
       {.CacheControl = "public, MAX-AGE=\"300\", must-revalidate"},
       kNow + 300,
       "max-age"},
      {"less Age", {.CacheControl = "max-age=600", .Age = "100"}, kNow + 500, "max-age"},
      {"aged out", {.CacheControl = "max-age=600", .Age = "700"}, 0, ""},
      {"capped", {.CacheControl = "max-age=999999"}, kNow + 86400, "max-age"},
      {"max-age=0 beats Expires",
       {.CacheControl = "no-cache, max-age=0", .Expires = "Mon, 01 Jan 2024 01:00:00 GMT"},
       0,
       ""},
      {"expires from the server's date",
       {.Date = "Sun, 31 Dec 2023 00:00:00 GMT", .Expires = "Sun, 31 Dec 2023 00:10:00 GMT"},
       kNow + 600,
       "expires"},
      {"expires without a date",
       {.Expires = "Mon, 01 Jan 2024 00:05:00 GMT"},
       kNow + 300,
       "expires"},
      {"expires capped",
       {.Date = date, .Expires = "Fri, 05 Jan 2024 00:00:00 GMT"},
       kNow + 86400,
       "expires"},
      {"expired", {.Date = date, .Expires = "0"}, 0, ""},
      {"neither", {.Date = date, .CacheControl = "no-store"}, 0, ""},
  };
  for (const auto& c : cases) {
    const std::optional<TFreshness> freshness = FreshnessOf(c.Answer, kNow);
    EXPECT_EQ(freshness ? freshness->Until : 0, c.Until) << c.Name;
    EXPECT_EQ(freshness ? freshness->Reason : "", c.Reason) << c.Name;
  }
}

TEST(PermanentRedirects, LeadToTheAddressReachedBeforeAnyOtherStatusOrDowngrade) {
  const struct {
    const char* Name;
    std::vector<THop> Chain;
    const char* Expected;
  } cases[] = {
      {"no redirect", {{"http://a/f", 200}}, ""},
      {"one 301", {{"http://a/f", 301}, {"http://b/f", 200}}, "http://b/f"},
      {"301 then 308",
       {{"http://a/f", 301}, {"https://b/f", 308}, {"https://c/f", 200}},
       "https://c/f"},
      {"a 302 ends the run",
       {{"http://a/f", 301}, {"http://b/f", 302}, {"http://c/f", 200}},
       "http://b/f"},
      {"a 302 first", {{"http://a/f", 302}, {"http://b/f", 301}, {"http://c/f", 200}}, ""},
      {"307 keeps", {{"http://a/f", 307}, {"http://b/f", 200}}, ""},
      {"never down to http", {{"https://a/f", 301}, {"http://b/f", 200}}, ""},
      {"up to https",
       {{"http://a/f", 301}, {"https://a/f", 301}, {"http://b/f", 200}},
       "https://a/f"},
  };
  for (const auto& c : cases) EXPECT_EQ(PermanentTarget(c.Chain), c.Expected) << c.Name;
}

TEST(Origins, AreSchemeHostAndPortLowerCasedWithThePortExplicit) {
  const struct {
    const char* Link;
    const char* Expected;
  } cases[] = {
      {"https://Example.ORG/feed", "https://example.org:443"},
      {"HTTP://example.org/feed?x=1", "http://example.org:80"},
      {"http://user:pw@example.org:8080/feed", "http://example.org:8080"},
      {"http://[::1]:81/feed", "http://[::1]:81"},
      {"http://[::1]/feed", "http://[::1]:80"},
      {"http://127.0.0.1:5000", "http://127.0.0.1:5000"},
      {"file:///tmp/feed.xml", ""},
      {"/tmp/feed.xml", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(OriginOf(c.Link), c.Expected) << c.Link;
}

TFeedRecord Stored(TUnixTime notBefore = 0, const char* reason = "",
                   TFeedStanding standing = TFeedStanding::Fine) {
  TFeedRecord record = NewRecord("http://a.example/feed");
  record.HasDocument = true;
  record.Document = "<rss/>";
  record.ETag = "W/\"1\"";
  record.LastModified = "Sun, 31 Dec 2023 00:00:00 GMT";
  record.NotBefore = notBefore;
  record.NotBeforeReason = reason;
  record.Standing = standing;
  return record;
}

TEST(RequestPlans, FollowTheStoredStateAndWhoAsks) {
  using enum TRequestKind;
  using enum TRequestAction;
  const THostDeferral hostWaits{"http://a.example:80", kNow + 60, "HTTP status 429"};
  const THostDeferral hostWaited{"http://a.example:80", kNow - 1, "HTTP status 429"};
  TFeedRecord unstored = NewRecord("http://a.example/feed");
  unstored.NotBefore = kNow + 60;
  unstored.NotBeforeReason = "retry-after";
  const struct {
    const char* Name;
    std::optional<TFeedRecord> Record;
    std::optional<THostDeferral> Deferral;
    TRequestKind Kind;
    TRequestAction Action;
    bool Conditional;
    TFetchResult Result;  // when no request is made
  } cases[] = {
      {"never fetched", std::nullopt, std::nullopt, Click, Ask, false, {}},
      {"stored, stale", Stored(), std::nullopt, Click, Ask, true, {}},
      {"fresh click", Stored(kNow + 1, "max-age"), std::nullopt, Click, ReadStored, true,
       TFetchResult::Fresh},
      {"fresh refresh", Stored(kNow + 1, "max-age"), std::nullopt, Refresh, Ask, true, {}},
      {"fresh background", Stored(kNow + 1, "expires"), std::nullopt, Background, Skip, true,
       TFetchResult::Fresh},
      {"freshness ends at its second",
       Stored(kNow, "max-age"),
       std::nullopt,
       Background,
       Ask,
       true,
       {}},
      {"host deferred click", Stored(), hostWaits, Click, ReadStored, true, TFetchResult::Deferred},
      {"host deferred background", Stored(), hostWaits, Background, Skip, true,
       TFetchResult::Deferred},
      {"host deferred refresh", Stored(), hostWaits, Refresh, Ask, true, {}},
      {"host deferral past", Stored(), hostWaited, Background, Ask, true, {}},
      {"feed deferred, none stored, click asks", unstored, std::nullopt, Click, Ask, false, {}},
      {"feed deferred background", unstored, std::nullopt, Background, Skip, false,
       TFetchResult::Deferred},
      {"gone click", Stored(0, "", TFeedStanding::Gone), std::nullopt, Click, Skip, true,
       TFetchResult::Gone},
      {"gone background", Stored(0, "", TFeedStanding::Gone), std::nullopt, Background, Skip, true,
       TFetchResult::Gone},
      {"gone refresh", Stored(0, "", TFeedStanding::Gone), std::nullopt, Refresh, Ask, true, {}},
  };
  for (const auto& c : cases) {
    const TRequestPlan plan = PlanRequest(c.Record, c.Deferral, c.Kind, kNow);
    EXPECT_EQ(plan.Action, c.Action) << c.Name;
    EXPECT_EQ(plan.Validators.has_value(), c.Conditional) << c.Name;
    if (c.Action != Ask) {
      EXPECT_EQ(plan.Result, c.Result) << c.Name;
    }
  }
  const TRequestPlan plan = PlanRequest(Stored(), std::nullopt, Click, kNow);
  EXPECT_EQ(plan.Validators->ETag, "W/\"1\"");
  EXPECT_EQ(plan.Validators->LastModified, "Sun, 31 Dec 2023 00:00:00 GMT");
}

TEST(LoadedAnswers, ReplaceCopyAndValidatorsOnA200AndKeepThemOnA304) {
  const struct {
    const char* Name;
    THttpAnswer Answer;
    std::string Body;
    TFetchResult Result;
    std::string Document, ETag, LastModified;
  } cases[] = {
      {"new bytes",
       {.Status = 200, .ETag = "\"2\""},
       "<rss>new</rss>",
       TFetchResult::Changed,
       "<rss>new</rss>",
       "\"2\"",
       ""},
      {"same bytes, new validators",
       {.Status = 200, .ETag = "\"3\"", .LastModified = "x"},
       "<rss/>",
       TFetchResult::Unchanged,
       "<rss/>",
       "\"3\"",
       "x"},
      {"a 200 without validators clears them",
       {.Status = 200},
       "<rss/>",
       TFetchResult::Unchanged,
       "<rss/>",
       "",
       ""},
      {"not modified",
       {.Status = 304, .ETag = "\"9\""},
       "",
       TFetchResult::NotModified,
       "<rss/>",
       "W/\"1\"",
       "Sun, 31 Dec 2023 00:00:00 GMT"},
      {"moved",
       {.Status = 200, .MovedTo = "http://b.example/feed"},
       "<rss/>",
       TFetchResult::Moved,
       "<rss/>",
       "",
       ""},
  };
  for (const auto& c : cases) {
    TFeedRecord before = Stored(0, "", TFeedStanding::Failing);
    before.Reason = "HTTP status 500";
    const TAnswerEffect effect = ApplyLoaded(before, c.Answer, c.Body, kNow);
    EXPECT_EQ(effect.Result, c.Result) << c.Name;
    EXPECT_EQ(effect.Record.Document, c.Document) << c.Name;
    EXPECT_EQ(effect.Record.ETag, c.ETag) << c.Name;
    EXPECT_EQ(effect.Record.LastModified, c.LastModified) << c.Name;
    EXPECT_EQ(effect.Record.FetchedAt, kNow) << c.Name;
    EXPECT_EQ(effect.Record.Reason, "") << c.Name;
    EXPECT_EQ(effect.Record.Standing,
              c.Answer.MovedTo.empty() ? TFeedStanding::Fine : TFeedStanding::Moved)
        << c.Name;
    EXPECT_EQ(effect.Record.MovedTo, c.Answer.MovedTo) << c.Name;
    EXPECT_FALSE(effect.Deferral) << c.Name;
  }
}

TEST(LoadedAnswers, KeepTheServersDateAndHowLongTheCopyStaysFresh) {
  const TAnswerEffect effect = ApplyLoaded(
      Stored(kNow + 50, "retry-after"),
      {.Status = 304, .Date = "Mon, 01 Jan 2024 00:00:00 GMT", .CacheControl = "max-age=60"}, "",
      kNow);
  EXPECT_EQ(effect.Record.ServerDate, kNow);
  EXPECT_EQ(effect.Record.NotBefore, kNow + 60);
  EXPECT_EQ(effect.Record.NotBeforeReason, "max-age");
  const TAnswerEffect stale = ApplyLoaded(Stored(kNow + 50, "max-age"), {.Status = 200}, "", kNow);
  EXPECT_EQ(stale.Record.NotBefore, 0);
  EXPECT_EQ(stale.Record.NotBeforeReason, "");
}

TEST(FailedAnswers, MarkTheFeedAndDeferItsHostAsTheStatusAsks) {
  const struct {
    const char* Name;
    THttpAnswer Answer;
    TFetchResult Result;
    TFeedStanding Standing;
    TUnixTime DeferredUntil;  // 0: the host is not deferred
  } cases[] = {
      {"500", {.Status = 500}, TFetchResult::Failed, TFeedStanding::Failing, 0},
      {"no answer", {}, TFetchResult::Failed, TFeedStanding::Failing, 0},
      {"410", {.Status = 410}, TFetchResult::Gone, TFeedStanding::Gone, 0},
      {"429 in seconds",
       {.Status = 429, .RetryAfter = "120"},
       TFetchResult::Failed,
       TFeedStanding::Failing,
       kNow + 120},
      {"429 by date",
       {.Status = 429, .RetryAfter = "Mon, 01 Jan 2024 00:30:00 GMT"},
       TFetchResult::Failed,
       TFeedStanding::Failing,
       kNow + 1800},
      {"429 without", {.Status = 429}, TFetchResult::Failed, TFeedStanding::Failing, kNow + 3600},
      {"503 with",
       {.Status = 503, .RetryAfter = "30"},
       TFetchResult::Failed,
       TFeedStanding::Failing,
       kNow + 30},
      {"503 without", {.Status = 503}, TFetchResult::Failed, TFeedStanding::Failing, 0},
      {"500 ignores Retry-After",
       {.Status = 500, .RetryAfter = "30"},
       TFetchResult::Failed,
       TFeedStanding::Failing,
       0},
  };
  for (const auto& c : cases) {
    const TAnswerEffect effect = ApplyFailure(Stored(kNow + 600, "max-age"), c.Answer, "why", kNow);
    EXPECT_EQ(effect.Result, c.Result) << c.Name;
    EXPECT_EQ(effect.Record.Standing, c.Standing) << c.Name;
    EXPECT_EQ(effect.Record.Reason, "why") << c.Name;
    EXPECT_EQ(effect.Record.StandingSince, kNow) << c.Name;
    EXPECT_EQ(effect.Record.Document, "<rss/>") << c.Name;
    EXPECT_EQ(effect.Record.ETag, "W/\"1\"") << c.Name;
    EXPECT_EQ(effect.Deferral ? effect.Deferral->Until : 0, c.DeferredUntil) << c.Name;
    EXPECT_EQ(effect.Record.NotBefore, c.DeferredUntil) << c.Name;
    if (effect.Deferral) {
      EXPECT_EQ(effect.Deferral->Origin, "http://a.example:80") << c.Name;
    }
  }
}

TEST(FailedAnswers, KeepWhenTheFailuresBegan) {
  TFeedRecord failing = Stored(0, "", TFeedStanding::Failing);
  failing.StandingSince = kNow - 100;
  EXPECT_EQ(ApplyFailure(failing, {.Status = 500}, "why", kNow).Record.StandingSince, kNow - 100);
  EXPECT_EQ(ApplyFailure(failing, {.Status = 410}, "why", kNow).Record.StandingSince, kNow);
}

}  // namespace
}  // namespace vantle
