#include "store/ItemMarks.h"

namespace vantle {

bool TItemMarks::FeedKnown(const std::string& link) {
  TSqliteStatement known(FDb, "SELECT 1 FROM item_feeds WHERE link = ?1");
  return known.BindText(1, link).Step();
}

void TItemMarks::Record(const std::string& link, const std::vector<std::string>& identities,
                        TUnixTime now) {
  TSqliteTransaction transaction(FDb);
  const bool known = FeedKnown(link);
  if (!known) {
    TSqliteStatement(FDb, "INSERT INTO item_feeds (link, first_seen) VALUES (?1, ?2)")
        .BindText(1, link)
        .BindInt(2, now)
        .Step();
  }
  TSqliteStatement(FDb, "UPDATE item_marks SET present = 0 WHERE link = ?1")
      .BindText(1, link)
      .Step();
  TSqliteStatement sighting(FDb,
                            "INSERT INTO item_marks (link, identity, last_seen, present, seen) "
                            "VALUES (?1, ?2, ?3, 1, ?4) ON CONFLICT (link, identity) "
                            "DO UPDATE SET last_seen = excluded.last_seen, present = 1");
  sighting.BindText(1, link).BindInt(3, now).BindInt(4, known ? 0 : 1);
  for (const std::string& identity : identities) {
    sighting.BindText(2, identity).Step();
    sighting.Reset();
  }
  TSqliteStatement(FDb,
                   "DELETE FROM item_marks WHERE link = ?1 AND present = 0 AND last_seen <= ?2")
      .BindText(1, link)
      .BindInt(2, now - ForgetAfter)
      .Step();
  transaction.Commit();
}

void TItemMarks::MarkRead(const std::string& link) {
  TSqliteStatement(FDb, "UPDATE item_marks SET seen = 1 WHERE link = ?1 AND present = 1")
      .BindText(1, link)
      .Step();
}

int TItemMarks::UnreadCount(const std::string& link) {
  TSqliteStatement count(
      FDb, "SELECT count(*) FROM item_marks WHERE link = ?1 AND present = 1 AND seen = 0");
  count.BindText(1, link).Step();
  return static_cast<int>(count.Int(0));
}

std::map<std::string, int> TItemMarks::UnreadCounts() {
  std::map<std::string, int> counts;
  TSqliteStatement rows(
      FDb, "SELECT link, count(*) FROM item_marks WHERE present = 1 AND seen = 0 GROUP BY link");
  while (rows.Step()) counts.emplace(rows.Bytes(0), static_cast<int>(rows.Int(1)));
  return counts;
}

void TItemMarks::Move(const std::string& from, const std::string& to) {
  if (from == to || !FeedKnown(from)) return;
  for (const std::string table : {"item_marks", "item_feeds"}) {
    TSqliteStatement(FDb, "DELETE FROM " + table + " WHERE link = ?1").BindText(1, to).Step();
    TSqliteStatement(FDb, "UPDATE " + table + " SET link = ?2 WHERE link = ?1")
        .BindText(1, from)
        .BindText(2, to)
        .Step();
  }
}

}  // namespace vantle
