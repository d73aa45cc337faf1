#pragma once

#include <map>
#include <string>
#include <vector>

#include "feedlib/FeedState.h"

struct sqlite3;

namespace vantle {

// Which items of each feed the user has seen, kept in the feed state's database. An item is
// new from the check or load that first saw it until its feed is read; the first sighting of
// a feed finds nothing new, so a fresh subscription does not light up. Identities of items
// gone from a feed for 30 days are forgotten. Each call is one transaction on `db`, which the
// caller owns and keeps to one thread at a time. Errors raise vantle::Exception with SQLite's
// message.
class TItemMarks {
 public:
  // How long an item may be gone from its feed before its identity is forgotten.
  static constexpr TUnixTime ForgetAfter = 30 * 24 * 60 * 60;

  explicit TItemMarks(sqlite3* db) : FDb(db) {}

  // Adds the tables to a database that has none of them.
  static void CreateTables(sqlite3* db);

  // Notes that `link` holds exactly `identities` at `now`.
  void Record(const std::string& link, const std::vector<std::string>& identities, TUnixTime now);
  // Marks every item now in `link` as seen.
  void MarkRead(const std::string& link);
  // The unseen items now in `link`.
  int UnreadCount(const std::string& link);
  // The links that hold unseen items, with their counts.
  std::map<std::string, int> UnreadCounts();
  // Gives the marks of `from` to `to` (the subscription's link changed), replacing any of `to`.
  void Move(const std::string& from, const std::string& to);

 private:
  sqlite3* FDb;
};

}  // namespace vantle
