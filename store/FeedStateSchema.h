#pragma once

#include <span>
#include <string_view>

#include "store/SqliteDb.h"

namespace vantle {

// One step of the feed state's schema: the statements that turn version Version - 1 into
// Version in place, keeping what the older version holds.
struct TSchemaStep {
  int Version;
  std::string_view Sql;
};

// The steps of this program's schema, from an empty database on; the last one's version is
// the one this program reads and writes.
std::span<const TSchemaStep> FeedStateSchemaSteps();

// How a database's schema stands against the steps this program knows.
enum class TSchemaFit {
  Current,  // brought to the last step's version
  Newer,    // written by a newer program: to be left alone
};

// The version the database says it has (PRAGMA user_version; 0 when new).
int SchemaVersionOf(TSqliteDb& db);

// Brings `db` to the last of `steps` in one write transaction, running each step above the
// version the database has (another process may have migrated it since it was first asked);
// a newer database is left as it is. Raises TSqliteError.
TSchemaFit MigrateSchema(TSqliteDb& db,
                         std::span<const TSchemaStep> steps = FeedStateSchemaSteps());

}  // namespace vantle
