#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantle {

// Seconds since the epoch, UTC.
using TUnixTime = int64_t;

// How a feed stood after the last answer for it.
enum class TFeedStanding {
  Fine,     // the last request loaded as a feed, or none was made yet
  Failing,  // the last request failed; StandingSince is when the failures began
  Gone,     // the server said 410: no background request until the user asks again
  Moved,    // a permanent redirect led to MovedTo, which loaded as a feed
};

// What is kept of one feed link between fetches.
struct TFeedRecord {
  std::string Link;
  // The last document that loaded as a feed, byte for byte, and its Content-Type (whose
  // charset decides how the bytes read). Empty Document with HasDocument false: none kept.
  bool HasDocument = false;
  std::string Document;
  std::string ContentType;
  // Validators exactly as received with Document, empty when the server sent none.
  std::string ETag;
  std::string LastModified;
  TUnixTime FetchedAt = 0;   // when the last answer came; 0 before any
  TUnixTime ServerDate = 0;  // that answer's Date header; 0 when it had none
  // No background request, and no click that may read the stored copy, before this time;
  // NotBeforeReason says why ("max-age", "expires", "retry-after"). 0: no such limit.
  TUnixTime NotBefore = 0;
  std::string NotBeforeReason;
  TFeedStanding Standing = TFeedStanding::Fine;
  TUnixTime StandingSince = 0;  // when the standing began; 0 for Fine
  std::string Reason;           // why Failing or Gone, as the error page words it
  std::string MovedTo;          // the new address when Moved
};

// A host (scheme, host and port) that asked not to be asked before a time.
struct THostDeferral {
  std::string Origin;  // "https://example.org:443": scheme and host lower-cased, port explicit
  TUnixTime Until = 0;
  std::string Reason;  // e.g. "HTTP status 429"
};

// Where feed state lives between runs. The fetcher asks it for what it knows of a link and
// tells it what it received; the store library keeps it in a database beside the group files.
// Implementations are safe to call from any thread; every call is one short transaction.
class IFeedState {
 public:
  virtual ~IFeedState() = default;
  // What is kept of `link`, none for a link never fetched.
  virtual std::optional<TFeedRecord> Find(const std::string& link) = 0;
  // Replaces what is kept of record.Link by `record`, document and validators together.
  virtual void Save(const TFeedRecord& record) = 0;
  // The deferral of `origin` that is still kept, if any (past ones may be returned).
  virtual std::optional<THostDeferral> Deferral(const std::string& origin) = 0;
  // Keeps `deferral`, replacing the origin's earlier one.
  virtual void Defer(const THostDeferral& deferral) = 0;
  // Moves what is kept of `from` to `to` (a subscription's link changed), replacing any
  // record of `to`; nothing happens when `from` has none.
  virtual void Move(const std::string& from, const std::string& to) = 0;
};

}  // namespace vantle
