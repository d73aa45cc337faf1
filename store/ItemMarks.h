#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "feedlib/FeedState.h"
#include "store/SqliteDb.h"

namespace vantle {

// The feed state's tables of items seen (schema version 2). `present`: the item was in the
// feed at its last sighting; `seen`: the user read the feed while it was.
inline constexpr std::string_view ItemMarksSchema = R"(
CREATE TABLE item_feeds (
  link TEXT PRIMARY KEY NOT NULL,
  first_seen INTEGER NOT NULL
) WITHOUT ROWID;
CREATE TABLE item_marks (
  link TEXT NOT NULL,
  identity TEXT NOT NULL,
  last_seen INTEGER NOT NULL,
  present INTEGER NOT NULL,
  seen INTEGER NOT NULL,
  PRIMARY KEY (link, identity)
) WITHOUT ROWID;
)";

// Which items of each feed the user has seen. An item is new from the check or load that
// first saw it until its feed is read; the first sighting of a feed finds nothing new, so a
// fresh subscription does not light up. Identities of items gone from a feed for 30 days are
// forgotten. Works on a connection the caller keeps to one thread at a time; raises
// TSqliteError.
class TItemMarks {
 public:
  // How long an item may be gone from its feed before its identity is forgotten.
  static constexpr TUnixTime ForgetAfter = 30 * 24 * 60 * 60;

  explicit TItemMarks(TSqliteDb& db) : FDb(db) {}

  // Notes that `link` holds exactly `identities` at `now`, in one transaction.
  void Record(const std::string& link, const std::vector<std::string>& identities, TUnixTime now);
  // Marks every item now in `link` as seen.
  void MarkRead(const std::string& link);
  // The unseen items now in `link`.
  int UnreadCount(const std::string& link);
  // The links that hold unseen items, with their counts.
  std::map<std::string, int> UnreadCounts();
  // Gives the marks of `from` to `to` (the subscription's link changed), replacing any of
  // `to`; to run inside the caller's transaction.
  void Move(const std::string& from, const std::string& to);

 private:
  bool FeedKnown(const std::string& link);

  TSqliteDb& FDb;
};

}  // namespace vantle
