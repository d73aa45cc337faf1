#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FeedState.h"

namespace vantle {

// Who asks for a feed, which decides how far the publisher's wishes bind.
enum class TRequestKind {
  Click,       // a click in the feed list: may read a fresh or deferred stored copy
  Refresh,     // F5 on the feed shown or the feed dialog's Test: always asks
  Background,  // a check of all subscriptions: never asks before the publisher allows
};

// How one feed request ended.
enum class TFetchResult {
  Changed,      // a 200 whose body differs from the stored copy (or none was stored)
  Unchanged,    // a 200 with the stored copy's bytes
  NotModified,  // a 304: the stored copy is current
  Fresh,        // no request: the stored copy is within its max-age or Expires
  Deferred,     // no request: the host or feed asked to wait (Retry-After)
  Gone,         // a 410 now or before; no request in the background
  Moved,        // permanent redirects led to another address, which loaded as a feed
  Failed,       // anything else that did not load as a feed
};

// The word a result is printed as: "changed", "unchanged", "not-modified", "fresh",
// "deferred", "gone", "moved", "failed".
const char* FetchResultName(TFetchResult result);

// The validators a conditional request sends back, exactly as they were received.
struct TValidators {
  std::string ETag;
  std::string LastModified;
};

// One response of a redirect chain: the address asked and the status it answered.
struct THop {
  std::string Url;
  long Status = 0;
};

// What a web request came to, as far as the rules read it. Header values are as received
// (surrounding whitespace dropped), "" when absent.
struct THttpAnswer {
  long Status = 0;  // the final status; 0 when no answer came
  std::string ETag{};
  std::string LastModified{};
  std::string Date{};
  std::string CacheControl{};  // every Cache-Control header of the final answer, joined by ", "
  std::string Expires{};
  std::string Age{};
  std::string RetryAfter{};
  std::string ContentType{};
  std::string MovedTo{};    // the address the leading permanent redirects reached; "" for none
  uint64_t BytesMoved = 0;  // header bytes plus body bytes of the whole transfer
  // "<link>: <cause>" when the answer is no document (a failed transfer, a status outside
  // 200-299, a 304 that was not asked for); "" otherwise.
  std::string Failure{};
};

// Seconds since the epoch of an HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT"; RFC 850's form
// too), none when the text is no date.
std::optional<TUnixTime> ParseHttpDate(std::string_view text);

// The time a Retry-After value (delay seconds or an HTTP date) names, counted from `now`;
// none when absent or unreadable. A date in the past gives `now`.
std::optional<TUnixTime> RetryAfterTime(std::string_view value, TUnixTime now);

// Until when an answer received at `now` stays fresh, and why ("max-age" or "expires"):
// Cache-Control max-age less Age, else Expires counted from the answer's Date (from `now`
// without one); at most 24 hours. None when neither is given or the answer is stale already.
struct TFreshness {
  TUnixTime Until = 0;
  std::string Reason;
};
std::optional<TFreshness> FreshnessOf(const THttpAnswer& answer, TUnixTime now);

// The address the permanent redirects (301, 308) at the start of `chain` lead to; "" when the
// chain does not start with one. Any other status ends the run, and so does a step from
// https to http, which is never taken for good.
std::string PermanentTarget(const std::vector<THop>& chain);

// The origin of a web link: scheme and host lower-cased, the port explicit
// ("https://example.org:443"); "" for a link that is no http or https address.
std::string OriginOf(std::string_view link);

// What to do about one feed request.
enum class TRequestAction {
  Ask,         // make the request (conditional when Validators is set)
  ReadStored,  // no request: load the stored copy
  Skip,        // no request and nothing to load: Result says why
};

struct TRequestPlan {
  TRequestAction Action = TRequestAction::Ask;
  std::optional<TValidators> Validators;       // sent when asking; none: an unconditional request
  TFetchResult Result = TFetchResult::Failed;  // for ReadStored and Skip
};

// The plan for a request of `kind` at `now`, given what is kept of the feed and its host.
TRequestPlan PlanRequest(const std::optional<TFeedRecord>& record,
                         const std::optional<THostDeferral>& deferral, TRequestKind kind,
                         TUnixTime now);

// What is kept of a feed never fetched.
TFeedRecord NewRecord(const std::string& link);

// What an answer changes: the feed's record, the host's deferral and the result.
struct TAnswerEffect {
  TFeedRecord Record;
  std::optional<THostDeferral> Deferral;  // none: the host's deferral stays as it is
  TFetchResult Result = TFetchResult::Failed;
};

// The effect of an answer that loaded as a feed at `now`: a 200 whose `body` loaded, or a
// 304 that the stored copy answered (body unused).
TAnswerEffect ApplyLoaded(TFeedRecord record, const THttpAnswer& answer, const std::string& body,
                          TUnixTime now);

// The effect of a request for record.Link that did not load as a feed: `reason` says why, as
// the error page words it (the answer's Failure, or the load's error for a body that was no
// feed).
TAnswerEffect ApplyFailure(TFeedRecord record, const THttpAnswer& answer, const std::string& reason,
                           TUnixTime now);

}  // namespace vantle
