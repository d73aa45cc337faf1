#include "FetchRules.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "AsciiText.h"
#include "RFC822DateTime.h"

namespace vantle {

namespace {

constexpr TUnixTime kDay = 24 * 60 * 60;
constexpr TUnixTime kHour = 60 * 60;
// TDateTime's day of 1 January 1970.
constexpr double kUnixEpochDay = 25569.0;

// A count of seconds: digits only.
std::optional<TUnixTime> Seconds(std::string_view text) {
  text = TrimAsciiSpace(text);
  TUnixTime value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
    return std::nullopt;
  return value;
}

// The max-age directive of a Cache-Control value; none when absent or unreadable.
std::optional<TUnixTime> MaxAge(std::string_view cacheControl) {
  while (!cacheControl.empty()) {
    const size_t comma = cacheControl.find(',');
    std::string_view directive = TrimAsciiSpace(cacheControl.substr(0, comma));
    cacheControl = comma == std::string_view::npos ? "" : cacheControl.substr(comma + 1);
    const size_t equals = directive.find('=');
    if (AsciiLower(TrimAsciiSpace(directive.substr(0, equals))) != "max-age") continue;
    if (equals == std::string_view::npos) return std::nullopt;
    std::string_view value = TrimAsciiSpace(directive.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return Seconds(value);
  }
  return std::nullopt;
}

bool IsWaitingReason(const TFeedRecord& record) {
  return record.NotBeforeReason == "retry-after";
}

}  // namespace

const char* FetchResultName(TFetchResult result) {
  switch (result) {
    case TFetchResult::Changed:
      return "changed";
    case TFetchResult::Unchanged:
      return "unchanged";
    case TFetchResult::NotModified:
      return "not-modified";
    case TFetchResult::Fresh:
      return "fresh";
    case TFetchResult::Deferred:
      return "deferred";
    case TFetchResult::Gone:
      return "gone";
    case TFetchResult::Moved:
      return "moved";
    case TFetchResult::Failed:
      break;
  }
  return "failed";
}

std::optional<TUnixTime> ParseHttpDate(std::string_view text) {
  text = TrimAsciiSpace(text);
  // Every HTTP date is GMT; a date without a time is no HTTP date.
  if (text.find(':') == std::string_view::npos) return std::nullopt;
  TRFC822DateTime date;
  date.ParseRFC822(text);
  if (date.DateTime == 0) return std::nullopt;
  return static_cast<TUnixTime>(std::llround((date.DateTime - kUnixEpochDay) * kDay));
}

std::optional<TUnixTime> RetryAfterTime(std::string_view value, TUnixTime now) {
  if (const std::optional<TUnixTime> delay = Seconds(value)) return now + *delay;
  if (const std::optional<TUnixTime> date = ParseHttpDate(value)) return std::max(*date, now);
  return std::nullopt;
}

std::optional<TFreshness> FreshnessOf(const THttpAnswer& answer, TUnixTime now) {
  TFreshness freshness;
  TUnixTime lifetime = 0;
  if (const std::optional<TUnixTime> maxAge = MaxAge(answer.CacheControl)) {
    lifetime = *maxAge - Seconds(answer.Age).value_or(0);
    freshness.Reason = "max-age";
  } else if (const std::optional<TUnixTime> expires = ParseHttpDate(answer.Expires)) {
    lifetime = *expires - ParseHttpDate(answer.Date).value_or(now);
    freshness.Reason = "expires";
  } else {
    return std::nullopt;
  }
  if (lifetime <= 0) return std::nullopt;
  freshness.Until = now + std::min(lifetime, kDay);
  return freshness;
}

std::string PermanentTarget(const std::vector<THop>& chain) {
  std::string target;
  for (size_t i = 0; i + 1 < chain.size(); ++i) {
    if (chain[i].Status != 301 && chain[i].Status != 308) break;
    const std::string& next = chain[i + 1].Url;
    if (AsciiLower(chain[i].Url).starts_with("https:") && AsciiLower(next).starts_with("http:"))
      break;
    target = next;
  }
  return target;
}

std::string OriginOf(std::string_view link) {
  const size_t colon = link.find("://");
  if (colon == std::string_view::npos) return {};
  const std::string scheme = AsciiLower(link.substr(0, colon));
  if (scheme != "http" && scheme != "https") return {};
  std::string_view authority = link.substr(colon + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos)
    authority.remove_prefix(at + 1);
  std::string_view host = authority, port;
  const size_t bracket = authority.find(']');
  const size_t portColon = authority.find(':', bracket == std::string_view::npos ? 0 : bracket);
  if (portColon != std::string_view::npos) {
    host = authority.substr(0, portColon);
    port = authority.substr(portColon + 1);
  }
  if (port.empty()) port = scheme == "https" ? "443" : "80";
  return scheme + "://" + AsciiLower(host) + ":" + std::string(port);
}

TRequestPlan PlanRequest(const std::optional<TFeedRecord>& record,
                         const std::optional<THostDeferral>& deferral, TRequestKind kind,
                         TUnixTime now) {
  TRequestPlan plan;
  const bool stored = record && record->HasDocument;
  if (stored) plan.Validators = TValidators{record->ETag, record->LastModified};
  if (kind == TRequestKind::Refresh) return plan;

  if (record && record->Standing == TFeedStanding::Gone) {
    plan.Action = TRequestAction::Skip;
    plan.Result = TFetchResult::Gone;
    return plan;
  }
  const bool hostWaits = deferral && deferral->Until > now;
  const bool feedWaits = record && record->NotBefore > now;
  if (!hostWaits && !feedWaits) return plan;
  plan.Result =
      hostWaits || IsWaitingReason(*record) ? TFetchResult::Deferred : TFetchResult::Fresh;
  if (kind == TRequestKind::Background) {
    plan.Action = TRequestAction::Skip;
  } else if (stored) {
    plan.Action = TRequestAction::ReadStored;
  }
  return plan;
}

TFeedRecord NewRecord(const std::string& link) {
  TFeedRecord record;
  record.Link = link;
  return record;
}

TAnswerEffect ApplyLoaded(TFeedRecord record, const THttpAnswer& answer, const std::string& body,
                          TUnixTime now) {
  TAnswerEffect effect;
  if (answer.Status == 304) {
    effect.Result = TFetchResult::NotModified;
  } else {
    effect.Result = record.HasDocument && record.Document == body ? TFetchResult::Unchanged
                                                                  : TFetchResult::Changed;
    record.HasDocument = true;
    record.Document = body;
    record.ContentType = answer.ContentType;
    record.ETag = answer.ETag;
    record.LastModified = answer.LastModified;
  }
  record.FetchedAt = now;
  record.ServerDate = ParseHttpDate(answer.Date).value_or(0);
  const std::optional<TFreshness> freshness = FreshnessOf(answer, now);
  record.NotBefore = freshness ? freshness->Until : 0;
  record.NotBeforeReason = freshness ? freshness->Reason : "";
  record.Standing = answer.MovedTo.empty() ? TFeedStanding::Fine : TFeedStanding::Moved;
  record.StandingSince = answer.MovedTo.empty() ? 0 : now;
  record.Reason.clear();
  record.MovedTo = answer.MovedTo;
  if (!answer.MovedTo.empty()) effect.Result = TFetchResult::Moved;
  effect.Record = std::move(record);
  return effect;
}

TAnswerEffect ApplyFailure(TFeedRecord record, const THttpAnswer& answer, const std::string& reason,
                           TUnixTime now) {
  TAnswerEffect effect;
  const TFeedStanding standing =
      answer.Status == 410 ? TFeedStanding::Gone : TFeedStanding::Failing;
  if (record.Standing != standing) record.StandingSince = now;
  record.Standing = standing;
  record.Reason = reason;
  record.MovedTo.clear();
  effect.Result = standing == TFeedStanding::Gone ? TFetchResult::Gone : TFetchResult::Failed;
  // A failure ends the stored copy's freshness: only the server's wish to wait stands.
  record.NotBefore = 0;
  record.NotBeforeReason.clear();
  std::optional<TUnixTime> until;
  if (answer.Status == 429 || answer.Status == 503) until = RetryAfterTime(answer.RetryAfter, now);
  if (answer.Status == 429 && !until) until = now + kHour;
  if (until && *until > now) {
    record.NotBefore = *until;
    record.NotBeforeReason = "retry-after";
    effect.Deferral = THostDeferral{OriginOf(record.Link), *until,
                                    "HTTP status " + std::to_string(answer.Status)};
  }
  effect.Record = std::move(record);
  return effect;
}

}  // namespace vantle
