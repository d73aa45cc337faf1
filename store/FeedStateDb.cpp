#include "store/FeedStateDb.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <utility>

#include "Exception.h"
#include "store/FeedStateSchema.h"
#include "store/ItemMarks.h"

namespace vantle {

namespace {

constexpr std::string_view StateFileName = ".vantle-state.sqlite";
constexpr std::string_view DamagedSuffix = ".damaged";

constexpr std::pair<TFeedStanding, std::string_view> StandingNames[] = {
    {TFeedStanding::Fine, "fine"},
    {TFeedStanding::Failing, "failing"},
    {TFeedStanding::Gone, "gone"},
    {TFeedStanding::Moved, "moved"},
};

std::string_view StandingName(TFeedStanding standing) {
  for (const auto& [value, name] : StandingNames) {
    if (value == standing) return name;
  }
  return StandingNames[0].second;
}

TFeedStanding StandingNamed(std::string_view name) {
  for (const auto& [value, known] : StandingNames) {
    if (known == name) return value;
  }
  return TFeedStanding::Fine;
}

int LatestSchemaVersion() {
  return FeedStateSchemaSteps().back().Version;
}

TFeedRecord ReadFeedRow(const std::string& link, const TSqliteStatement& row) {
  TFeedRecord record;
  record.Link = link;
  record.HasDocument = !row.IsNull(0);
  record.Document = row.Bytes(0);
  record.ContentType = row.Bytes(1);
  record.ETag = row.Bytes(2);
  record.LastModified = row.Bytes(3);
  record.FetchedAt = row.Int(4);
  record.ServerDate = row.Int(5);
  record.NotBefore = row.Int(6);
  record.NotBeforeReason = row.Bytes(7);
  record.Standing = StandingNamed(row.Bytes(8));
  record.StandingSince = row.Int(9);
  record.Reason = row.Bytes(10);
  record.MovedTo = row.Bytes(11);
  return record;
}

void BindFeedRow(TSqliteStatement& statement, const TFeedRecord& record) {
  statement.BindText(1, record.Link);
  if (record.HasDocument) {
    statement.BindBlob(2, record.Document);
  } else {
    statement.BindNull(2);
  }
  statement.BindText(3, record.ContentType)
      .BindBlob(4, record.ETag)
      .BindBlob(5, record.LastModified)
      .BindInt(6, record.FetchedAt)
      .BindInt(7, record.ServerDate)
      .BindInt(8, record.NotBefore)
      .BindText(9, record.NotBeforeReason)
      .BindText(10, StandingName(record.Standing))
      .BindInt(11, record.StandingSince)
      .BindText(12, record.Reason)
      .BindText(13, record.MovedTo);
}

// Puts the file in WAL mode, which it keeps. The switch does not wait for another
// connection; when that one is switching too, its switch serves this connection as well,
// since SQLite follows the file's mode at the next read.
void UseWriteAheadLog(TSqliteDb& db) {
  try {
    db.Exec("PRAGMA journal_mode = WAL");
  } catch (const TSqliteError& error) {
    if (!error.IsBusy()) throw;
  }
}

// Moves the file at `path` to `path` + ".damaged"; one that cannot move is deleted, so a
// fresh database never meets it.
void MoveAside(const std::string& path) {
  const std::string damaged = path + std::string(DamagedSuffix);
  if (::rename(path.c_str(), damaged.c_str()) != 0 && errno != ENOENT) ::unlink(path.c_str());
}

}  // namespace

TFeedStateDb::TFeedStateDb(std::string dataDir) : FPath(PathOf(dataDir)) {}

TFeedStateDb::~TFeedStateDb() = default;

std::string TFeedStateDb::PathOf(const std::string& dataDir) {
  return dataDir + std::string(StateFileName);
}

std::optional<TFeedRecord> TFeedStateDb::Find(const std::string& link) {
  std::optional<TFeedRecord> found;
  Read([&](TSqliteDb& db) {
    TSqliteStatement select(db,
                            "SELECT document, content_type, etag, last_modified, fetched_at, "
                            "server_date, not_before, not_before_reason, standing, "
                            "standing_since, reason, moved_to FROM feeds WHERE link = ?1");
    select.BindText(1, link);
    if (select.Step()) found = ReadFeedRow(link, select);
  });
  return found;
}

void TFeedStateDb::Save(const TFeedRecord& record) {
  Write([&](TSqliteDb& db) {
    TSqliteStatement insert(db,
                            "INSERT OR REPLACE INTO feeds (link, document, content_type, etag, "
                            "last_modified, fetched_at, server_date, not_before, "
                            "not_before_reason, standing, standing_since, reason, moved_to) "
                            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)");
    BindFeedRow(insert, record);
    insert.Step();
  });
}

std::optional<THostDeferral> TFeedStateDb::Deferral(const std::string& origin) {
  std::optional<THostDeferral> found;
  Read([&](TSqliteDb& db) {
    TSqliteStatement select(db, "SELECT deferred_until, reason FROM hosts WHERE origin = ?1");
    select.BindText(1, origin);
    if (select.Step()) found = THostDeferral{origin, select.Int(0), select.Bytes(1)};
  });
  return found;
}

void TFeedStateDb::Defer(const THostDeferral& deferral) {
  Write([&](TSqliteDb& db) {
    TSqliteStatement insert(
        db, "INSERT OR REPLACE INTO hosts (origin, deferred_until, reason) VALUES (?1, ?2, ?3)");
    insert.BindText(1, deferral.Origin).BindInt(2, deferral.Until).BindText(3, deferral.Reason);
    insert.Step();
  });
}

void TFeedStateDb::Move(const std::string& from, const std::string& to) {
  Write([&](TSqliteDb& db) {
    TSqliteTransaction transaction(db);
    // OR REPLACE drops the row `to` may have, in the same statement.
    TSqliteStatement update(db, "UPDATE OR REPLACE feeds SET link = ?2 WHERE link = ?1");
    update.BindText(1, from).BindText(2, to);
    update.Step();
    TItemMarks(db).Move(from, to);
    transaction.Commit();
  });
}

std::optional<std::string> TFeedStateDb::Setting(const std::string& key) {
  std::optional<std::string> found;
  Read([&](TSqliteDb& db) {
    TSqliteStatement select(db, "SELECT value FROM settings WHERE key = ?1");
    select.BindText(1, key);
    if (select.Step()) found = select.Bytes(0);
  });
  return found;
}

void TFeedStateDb::SetSetting(const std::string& key, const std::string& value) {
  Write([&](TSqliteDb& db) {
    TSqliteStatement insert(db, "INSERT OR REPLACE INTO settings (key, value) VALUES (?1, ?2)");
    insert.BindText(1, key).BindText(2, value);
    insert.Step();
  });
}

void TFeedStateDb::RecordItems(const std::string& link, const std::vector<std::string>& identities,
                               TUnixTime now) {
  Write([&](TSqliteDb& db) { TItemMarks(db).Record(link, identities, now); });
}

void TFeedStateDb::MarkRead(const std::string& link) {
  Write([&](TSqliteDb& db) { TItemMarks(db).MarkRead(link); });
}

int TFeedStateDb::UnreadCount(const std::string& link) {
  int count = 0;
  Read([&](TSqliteDb& db) { count = TItemMarks(db).UnreadCount(link); });
  return count;
}

std::map<std::string, int> TFeedStateDb::UnreadCounts() {
  std::map<std::string, int> counts;
  Read([&](TSqliteDb& db) { counts = TItemMarks(db).UnreadCounts(); });
  return counts;
}

bool TFeedStateDb::Run(const TWork& work) {
  const std::lock_guard lock(FMutex);
  for (bool retried = false;; retried = true) {
    try {
      if (!FDb && !FNewer) Open();
      if (FNewer) return false;
      work(*FDb);
      return true;
    } catch (const TSqliteError& error) {
      if (!error.IsDamage() || retried) throw;
      SetAside();
    }
  }
}

bool TFeedStateDb::Read(const TWork& work) {
  try {
    return Run(work);
  } catch (const TSqliteError&) {
    // A state that cannot be read is as none kept: the feed is fetched in full.
    return false;
  }
}

void TFeedStateDb::Write(const TWork& work) {
  try {
    Run(work);
  } catch (const TSqliteError& error) {
    throw Exception("Cannot save the feed state \"" + FPath + "\". " + error.Message());
  }
}

void TFeedStateDb::Open() {
  auto db = std::make_unique<TSqliteDb>(FPath);
  NoteOpenedFile();
  db->Exec("PRAGMA busy_timeout = 1000");
  // Asked before WAL mode is set, which would rewrite a newer file's header.
  bool newer = SchemaVersionOf(*db) > LatestSchemaVersion();
  if (!newer) {
    UseWriteAheadLog(*db);
    db->Exec("PRAGMA synchronous = NORMAL");
    newer = MigrateSchema(*db) == TSchemaFit::Newer;
  }
  if (newer) {
    db->SkipCheckpointOnClose();
    FNewer = true;
    return;
  }
  FDb = std::move(db);
}

void TFeedStateDb::NoteOpenedFile() {
  struct stat file {};
  if (::stat(FPath.c_str(), &file) != 0) return;
  FDevice = file.st_dev;
  FInode = file.st_ino;
}

void TFeedStateDb::SetAside() {
  FDb.reset();
  struct stat file {};
  const bool replaced =
      ::stat(FPath.c_str(), &file) == 0 && (file.st_dev != FDevice || file.st_ino != FInode);
  if (replaced) return;  // another process set it aside and started afresh
  MoveAside(FPath);
  MoveAside(FPath + "-wal");
  MoveAside(FPath + "-shm");
}

}  // namespace vantle
