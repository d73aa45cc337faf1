#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FetchRules.h"

namespace vantle {
namespace {

// 2024-01-01 00:00:00 UTC.
constexpr TUnixTime kNow = 1704067200;
constexpr std::optional<TUnixTime> kNone;

TEST(FetchRules, ReadRetryAfterAsSecondsOrAnHttpDateInGmt) {
  const std::pair<const char*, std::optional<TUnixTime>> cases[] = {
      {"120", kNow + 120},
      {" 0 ", kNow},
      {"Mon, 01 Jan 2024 01:02:03 GMT", kNow + 3723},
      {"Monday, 01-Jan-24 00:00:10 GMT", kNow + 10},
      {"Sun, 31 Dec 2023 23:00:00 GMT", kNow},  // a date past counts as now
      {"Mon, 01 Jan 2024", kNone},
      {"-5", kNone},
      {"", kNone},
  };
  for (const auto& [value, expected] : cases)
    EXPECT_EQ(RetryAfterTime(value, kNow), expected) << value;
}

TEST(FetchRules, TakeFreshnessFromMaxAgeLessAgeElseExpiresFromDateForADayAtMost) {
  const struct {
    THttpAnswer Answer;
    TUnixTime Until;  // 0: not fresh
    const char* Reason;
  } cases[] = {
      {{.CacheControl = "public, MAX-AGE=\"300\""}, kNow + 300, "max-age"},
      {{.CacheControl = "max-age=600", .Age = "100"}, kNow + 500, "max-age"},
      {{.CacheControl = "max-age=600", .Age = "700"}, 0, ""},
      {{.CacheControl = "max-age=999999"}, kNow + 86400, "max-age"},
      {{.CacheControl = "max-age=0", .Expires = "Mon, 01 Jan 2024 01:00:00 GMT"}, 0, ""},
      {{.Date = "Sun, 31 Dec 2023 00:00:00 GMT", .Expires = "Sun, 31 Dec 2023 00:10:00 GMT"},
       kNow + 600,
       "expires"},
      {{.Expires = "Mon, 01 Jan 2024 00:05:00 GMT"}, kNow + 300, "expires"},
      {{.Expires = "0"}, 0, ""},
      {{.CacheControl = "no-store"}, 0, ""},
  };
  for (const auto& c : cases) {
    const std::optional<TFreshness> freshness = FreshnessOf(c.Answer, kNow);
    const std::string name = c.Answer.CacheControl + "|" + c.Answer.Expires;
    EXPECT_EQ(freshness ? freshness->Until : 0, c.Until) << name;
    EXPECT_EQ(freshness ? freshness->Reason : "", c.Reason) << name;
  }
}

TEST(FetchRules, MoveAFeedOnlyByTheLeadingPermanentRedirectsAndNeverDownToHttp) {
  const std::pair<std::vector<THop>, const char*> cases[] = {
      {{{"http://a/f", 200}}, ""},
      {{{"http://a/f", 301}, {"https://b/f", 308}, {"https://c/f", 200}}, "https://c/f"},
      {{{"http://a/f", 301}, {"http://b/f", 302}, {"http://c/f", 200}}, "http://b/f"},
      {{{"http://a/f", 302}, {"http://b/f", 301}, {"http://c/f", 200}}, ""},
      {{{"https://a/f", 301}, {"http://b/f", 200}}, ""},
  };
  for (const auto& [chain, expected] : cases) EXPECT_EQ(PermanentTarget(chain), expected);
  EXPECT_EQ(OriginOf("HTTPS://u@Example.org/feed"), "https://example.org:443");
  EXPECT_EQ(OriginOf("http://[::1]:81/f"), "http://[::1]:81");
}

TFeedRecord Stored(TUnixTime notBefore, const char* reason, TFeedStanding standing) {
  TFeedRecord record = NewRecord("http://a.example/feed");
  record.HasDocument = true;
  record.ETag = "W/\"1\"";
  record.NotBefore = notBefore;
  record.NotBeforeReason = reason;
  record.Standing = standing;
  return record;
}

TEST(FetchRules, PlanARequestByWhatIsKeptAndWhoAsks) {
  using enum TRequestKind;
  using enum TRequestAction;
  using enum TFetchResult;
  const auto fine = TFeedStanding::Fine;
  const TFeedRecord stale = Stored(0, "", fine), fresh = Stored(kNow + 1, "max-age", fine),
                    ended = Stored(kNow, "max-age", fine),
                    gone = Stored(0, "", TFeedStanding::Gone);
  TFeedRecord waiting = NewRecord(stale.Link);  // Retry-After, no copy
  waiting.NotBefore = kNow + 60;
  waiting.NotBeforeReason = "retry-after";
  const THostDeferral host{"http://a.example:80", kNow + 60, "HTTP status 429"};
  const struct {
    std::optional<TFeedRecord> Record;
    std::optional<THostDeferral> Host;
    TRequestKind Kind;
    TRequestAction Action;
    TFetchResult Result;  // without a request
  } cases[] = {
      {std::nullopt, std::nullopt, Click, Ask, {}},
      {stale, std::nullopt, Click, Ask, {}},
      {fresh, std::nullopt, Click, ReadStored, Fresh},
      {fresh, std::nullopt, Refresh, Ask, {}},
      {fresh, std::nullopt, Background, Skip, Fresh},
      {ended, std::nullopt, Background, Ask, {}},
      {stale, host, Click, ReadStored, Deferred},
      {stale, host, Background, Skip, Deferred},
      {stale, host, Refresh, Ask, {}},
      {waiting, std::nullopt, Click, Ask, {}},
      {waiting, std::nullopt, Background, Skip, Deferred},
      {gone, std::nullopt, Click, Skip, Gone},
      {gone, std::nullopt, Refresh, Ask, {}},
  };
  int index = 0;
  for (const auto& c : cases) {
    const TRequestPlan plan = PlanRequest(c.Record, c.Host, c.Kind, kNow);
    EXPECT_EQ(plan.Action, c.Action) << index;
    EXPECT_EQ(plan.Validators.has_value(), c.Record && c.Record->HasDocument) << index;
    EXPECT_EQ(c.Action == Ask ? TFetchResult{} : plan.Result, c.Result) << index;
    ++index;
  }
}

TEST(FetchRules, MarkAFailedFeedAndDeferItsHostAsTheStatusAsks) {
  const struct {
    THttpAnswer Answer;
    TFeedStanding Standing;
    TUnixTime Until;  // of the host's deferral; 0: none
  } cases[] = {
      {{.Status = 500, .RetryAfter = "30"}, TFeedStanding::Failing, 0},
      {{.Status = 410}, TFeedStanding::Gone, 0},
      {{.Status = 429, .RetryAfter = "120"}, TFeedStanding::Failing, kNow + 120},
      {{.Status = 429}, TFeedStanding::Failing, kNow + 3600},
      {{.Status = 503, .RetryAfter = "30"}, TFeedStanding::Failing, kNow + 30},
      {{.Status = 503}, TFeedStanding::Failing, 0},
  };
  for (const auto& c : cases) {
    TFeedRecord failing = Stored(kNow + 600, "max-age", TFeedStanding::Failing);
    failing.StandingSince = kNow - 100;
    const TAnswerEffect effect = ApplyFailure(failing, c.Answer, "why", kNow);
    EXPECT_EQ(effect.Record.Standing, c.Standing) << c.Answer.Status;
    EXPECT_EQ(effect.Record.StandingSince, c.Standing == failing.Standing ? kNow - 100 : kNow);
    EXPECT_EQ(effect.Record.ETag, "W/\"1\"") << c.Answer.Status;
    EXPECT_EQ(effect.Record.NotBefore, c.Until) << c.Answer.Status;
    EXPECT_EQ(effect.Deferral ? effect.Deferral->Until : 0, c.Until) << c.Answer.Status;
  }
}

}  // namespace
}  // namespace vantle
