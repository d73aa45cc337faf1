#include "store/FeedStateSchema.h"

#include <optional>
#include <string>

#include "store/ItemMarks.h"

namespace vantle {

namespace {

// Version 1: per feed link what the fetcher keeps, per origin its deferral, and settings.
// Validators and documents are blobs so that no byte of them is ever converted.
constexpr std::string_view FeedsAndHosts = R"(
CREATE TABLE feeds (
  link TEXT PRIMARY KEY NOT NULL,
  document BLOB,
  content_type TEXT NOT NULL,
  etag BLOB NOT NULL,
  last_modified BLOB NOT NULL,
  fetched_at INTEGER NOT NULL,
  server_date INTEGER NOT NULL,
  not_before INTEGER NOT NULL,
  not_before_reason TEXT NOT NULL,
  standing TEXT NOT NULL CHECK (standing IN ('fine', 'failing', 'gone', 'moved')),
  standing_since INTEGER NOT NULL,
  reason TEXT NOT NULL,
  moved_to TEXT NOT NULL
);
CREATE TABLE hosts (
  origin TEXT PRIMARY KEY NOT NULL,
  deferred_until INTEGER NOT NULL,
  reason TEXT NOT NULL
);
CREATE TABLE settings (
  key TEXT PRIMARY KEY NOT NULL,
  value TEXT NOT NULL
);
)";

constexpr TSchemaStep Steps[] = {
    {1, FeedsAndHosts},
    {2, ItemMarksSchema},
};

// Current or Newer when `version` needs no step to reach `target`.
std::optional<TSchemaFit> FitWithoutSteps(int version, int target) {
  if (version > target) return TSchemaFit::Newer;
  if (version == target) return TSchemaFit::Current;
  return std::nullopt;
}

}  // namespace

std::span<const TSchemaStep> FeedStateSchemaSteps() {
  return Steps;
}

int SchemaVersionOf(TSqliteDb& db) {
  return static_cast<int>(db.QueryInt("PRAGMA user_version"));
}

TSchemaFit MigrateSchema(TSqliteDb& db, std::span<const TSchemaStep> steps) {
  const int target = steps.empty() ? 0 : steps.back().Version;
  // A database that needs no step is not locked for writing, so a writer beside it holds
  // nothing up.
  if (const auto fit = FitWithoutSteps(SchemaVersionOf(db), target)) return *fit;
  TSqliteTransaction transaction(db);
  const int version = SchemaVersionOf(db);
  if (const auto fit = FitWithoutSteps(version, target)) return *fit;
  for (const TSchemaStep& step : steps) {
    if (step.Version > version) db.Exec(std::string(step.Sql));
  }
  db.Exec("PRAGMA user_version = " + std::to_string(target));
  transaction.Commit();
  return TSchemaFit::Current;
}

}  // namespace vantle
