#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "FeedState.h"
#include "FetchRules.h"

namespace vantle {

class TSimpleRSS;

// Seconds since the epoch now; tests give a clock of their own.
using TClock = std::function<TUnixTime()>;
TUnixTime SystemClock();

// The cause of a fetch failure "<link>: <cause>", without the link.
std::string FailureCause(const std::string& failure, const std::string& link);

// How a load by TFeedSource ended.
struct TLoadOutcome {
  TFetchResult Result = TFetchResult::Changed;
  long Status = 0;                // the final HTTP status; 0 without a request or an answer
  std::optional<uint64_t> Bytes;  // what the transfer moved; none without a request
  std::string Reason;             // why a gone feed is gone; "" otherwise
  std::string MovedTo;            // the new address of a moved feed; "" otherwise
};

// Loads feed links into a reader by the publishers' rules (conditional requests, max-age,
// Retry-After, permanent redirects, 410), keeping what it learns in a feed state.
class TFeedSource {
 public:
  // Without `state` every load is TSimpleRSS::LoadFromLink, as if no rule existed.
  explicit TFeedSource(IFeedState* state, TClock clock = SystemClock);

  // Loads `link` into `reader` for a request of `kind`, through the reader's fetch options
  // and progress. A stored copy that answers (a 304, or no request) is parsed as a fresh
  // download of the same bytes would be. Raises as LoadFromLink does when the link does not
  // load as a feed, after keeping what the answer taught; a click on a gone feed, which is not
  // asked again, raises EFetchError "<link>: <reason>; ...". A background request that is not
  // made (fresh, deferred, gone) loads nothing and only reports. Links that are no web
  // address, and every link without state, load as LoadFromLink loads them.
  TLoadOutcome Load(TSimpleRSS& reader, const std::string& link, TRequestKind kind) const;

  // Settles the answer to a request for record.Link (`body` being what a 200 brought): loads
  // the document into `reader` (the stored copy for a 304) and keeps what the answer taught.
  // When it does not load as a feed the outcome says why and `error` holds what Load raises.
  TLoadOutcome Settle(TSimpleRSS& reader, TFeedRecord record, const THttpAnswer& answer,
                      const std::string& body, std::exception_ptr& error) const;

 private:
  TLoadOutcome Ask(TSimpleRSS& reader, TFeedRecord record, const TRequestPlan& plan) const;
  void Keep(const TAnswerEffect& effect) const;

  IFeedState* FState;
  TClock FClock;
};

}  // namespace vantle
