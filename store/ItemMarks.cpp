#include "store/ItemMarks.h"

#include <sqlite3.h>

#include <string_view>

#include "utils/Exception.h"

namespace vantle {

namespace {

// `present` says the item was in the feed at its last sighting; `seen` that the user read the
// feed while it was.
constexpr const char* CreateSql = R"(
CREATE TABLE item_feeds (link TEXT PRIMARY KEY, first_seen INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE items (
  link TEXT NOT NULL, identity TEXT NOT NULL, last_seen INTEGER NOT NULL,
  present INTEGER NOT NULL, seen INTEGER NOT NULL,
  PRIMARY KEY (link, identity)) WITHOUT ROWID;
)";

[[noreturn]] void Fail(sqlite3* db) {
  throw Exception(std::string("Unable to keep the items seen: ") + sqlite3_errmsg(db));
}

void Execute(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db);
}

// One prepared statement, run once or stepped through its rows.
class TStatement {
 public:
  TStatement(sqlite3* db, std::string_view sql) : FDb(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &FStatement, nullptr) !=
        SQLITE_OK)
      Fail(db);
  }
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;
  ~TStatement() { sqlite3_finalize(FStatement); }

  TStatement& Bind(int index, const std::string& text) {
    Check(sqlite3_bind_text(FStatement, index, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT));
    return *this;
  }
  TStatement& Bind(int index, int64_t value) {
    Check(sqlite3_bind_int64(FStatement, index, value));
    return *this;
  }
  // True while a row is there to read.
  bool Step() {
    const int result = sqlite3_step(FStatement);
    if (result != SQLITE_ROW && result != SQLITE_DONE) Fail(FDb);
    return result == SQLITE_ROW;
  }
  // Runs a statement again with new values.
  void Reset() { sqlite3_reset(FStatement); }
  int64_t Integer(int column) const { return sqlite3_column_int64(FStatement, column); }
  std::string Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(FStatement, column));
    return text == nullptr ? std::string()
                           : std::string(text, sqlite3_column_bytes(FStatement, column));
  }

 private:
  void Check(int result) const {
    if (result != SQLITE_OK) Fail(FDb);
  }

  sqlite3* FDb;
  sqlite3_stmt* FStatement = nullptr;
};

// Commits when Commit is called, otherwise rolls back.
class TTransaction {
 public:
  explicit TTransaction(sqlite3* db) : FDb(db) { Execute(db, "BEGIN IMMEDIATE"); }
  TTransaction(const TTransaction&) = delete;
  TTransaction& operator=(const TTransaction&) = delete;
  ~TTransaction() {
    if (!FDone) sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void Commit() {
    Execute(FDb, "COMMIT");
    FDone = true;
  }

 private:
  sqlite3* FDb;
  bool FDone = false;
};

bool FeedKnown(sqlite3* db, const std::string& link) {
  return TStatement(db, "SELECT 1 FROM item_feeds WHERE link = ?").Bind(1, link).Step();
}

}  // namespace

void TItemMarks::CreateTables(sqlite3* db) {
  Execute(db, CreateSql);
}

void TItemMarks::Record(const std::string& link, const std::vector<std::string>& identities,
                        TUnixTime now) {
  TTransaction transaction(FDb);
  const bool known = FeedKnown(FDb, link);
  if (!known) {
    TStatement(FDb, "INSERT INTO item_feeds (link, first_seen) VALUES (?, ?)")
        .Bind(1, link)
        .Bind(2, now)
        .Step();
  }
  TStatement(FDb, "UPDATE items SET present = 0 WHERE link = ?").Bind(1, link).Step();
  TStatement sighting(FDb,
                      "INSERT INTO items (link, identity, last_seen, present, seen) "
                      "VALUES (?, ?, ?, 1, ?) ON CONFLICT (link, identity) "
                      "DO UPDATE SET last_seen = excluded.last_seen, present = 1");
  for (const std::string& identity : identities) {
    sighting.Bind(1, link).Bind(2, identity).Bind(3, now).Bind(4, int64_t{known ? 0 : 1}).Step();
    sighting.Reset();
  }
  TStatement(FDb, "DELETE FROM items WHERE link = ? AND present = 0 AND last_seen <= ?")
      .Bind(1, link)
      .Bind(2, now - ForgetAfter)
      .Step();
  transaction.Commit();
}

void TItemMarks::MarkRead(const std::string& link) {
  TStatement(FDb, "UPDATE items SET seen = 1 WHERE link = ? AND present = 1").Bind(1, link).Step();
}

int TItemMarks::UnreadCount(const std::string& link) {
  TStatement count(FDb, "SELECT count(*) FROM items WHERE link = ? AND present = 1 AND seen = 0");
  count.Bind(1, link).Step();
  return static_cast<int>(count.Integer(0));
}

std::map<std::string, int> TItemMarks::UnreadCounts() {
  std::map<std::string, int> counts;
  TStatement rows(FDb,
                  "SELECT link, count(*) FROM items WHERE present = 1 AND seen = 0 GROUP BY link");
  while (rows.Step()) counts.emplace(rows.Text(0), static_cast<int>(rows.Integer(1)));
  return counts;
}

void TItemMarks::Move(const std::string& from, const std::string& to) {
  if (from == to) return;
  TTransaction transaction(FDb);
  if (FeedKnown(FDb, from)) {
    for (const char* table : {"items", "item_feeds"}) {
      TStatement(FDb, std::string("DELETE FROM ") + table + " WHERE link = ?").Bind(1, to).Step();
      TStatement(FDb, std::string("UPDATE ") + table + " SET link = ? WHERE link = ?")
          .Bind(1, to)
          .Bind(2, from)
          .Step();
    }
  }
  transaction.Commit();
}

}  // namespace vantle
