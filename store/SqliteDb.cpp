#include "store/SqliteDb.h"

#include <sqlite3.h>

namespace vantle {

bool TSqliteError::IsDamage() const {
  const int primary = FCode & 0xff;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool TSqliteError::IsBusy() const {
  return (FCode & 0xff) == SQLITE_BUSY;
}

TSqliteDb::TSqliteDb(const std::string& path) {
  // The caller serializes its calls, so SQLite's own mutex would only cost.
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  const int result = sqlite3_open_v2(path.c_str(), &FDb, flags, nullptr);
  if (result != SQLITE_OK) {
    const std::string message = FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(result);
    sqlite3_close_v2(FDb);
    throw TSqliteError(result, message);
  }
  sqlite3_extended_result_codes(FDb, 1);
}

TSqliteDb::~TSqliteDb() {
  sqlite3_close_v2(FDb);
}

void TSqliteDb::Exec(const std::string& sql) {
  const int result = sqlite3_exec(FDb, sql.c_str(), nullptr, nullptr, nullptr);
  if (result != SQLITE_OK) Raise(result);
}

int64_t TSqliteDb::QueryInt(const std::string& sql) {
  TSqliteStatement statement(*this, sql);
  return statement.Step() ? statement.Int(0) : 0;
}

void TSqliteDb::SkipCheckpointOnClose() {
  sqlite3_db_config(FDb, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

void TSqliteDb::Raise(int code) const {
  throw TSqliteError(code, sqlite3_errmsg(FDb));
}

TSqliteStatement::TSqliteStatement(TSqliteDb& db, std::string_view sql) : FDb(db) {
  const int result =
      sqlite3_prepare_v2(db.Get(), sql.data(), static_cast<int>(sql.size()), &FStatement, nullptr);
  if (result != SQLITE_OK) db.Raise(result);
}

TSqliteStatement::~TSqliteStatement() {
  sqlite3_finalize(FStatement);
}

TSqliteStatement& TSqliteStatement::BindText(int index, std::string_view text) {
  const int result = sqlite3_bind_text64(FStatement, index, text.data(), text.size(),
                                         SQLITE_TRANSIENT, SQLITE_UTF8);
  if (result != SQLITE_OK) FDb.Raise(result);
  return *this;
}

TSqliteStatement& TSqliteStatement::BindBlob(int index, std::string_view bytes) {
  // A null pointer would bind NULL; an empty blob is kept as empty.
  const char* data = bytes.data() ? bytes.data() : "";
  const int result = sqlite3_bind_blob64(FStatement, index, data, bytes.size(), SQLITE_TRANSIENT);
  if (result != SQLITE_OK) FDb.Raise(result);
  return *this;
}

TSqliteStatement& TSqliteStatement::BindInt(int index, int64_t value) {
  const int result = sqlite3_bind_int64(FStatement, index, value);
  if (result != SQLITE_OK) FDb.Raise(result);
  return *this;
}

TSqliteStatement& TSqliteStatement::BindNull(int index) {
  const int result = sqlite3_bind_null(FStatement, index);
  if (result != SQLITE_OK) FDb.Raise(result);
  return *this;
}

bool TSqliteStatement::Step() {
  const int result = sqlite3_step(FStatement);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  FDb.Raise(result);
}

bool TSqliteStatement::IsNull(int column) const {
  return sqlite3_column_type(FStatement, column) == SQLITE_NULL;
}

std::string TSqliteStatement::Bytes(int column) const {
  // Asking for the blob first keeps a text's bytes as stored, with no conversion.
  const auto* data = static_cast<const char*>(sqlite3_column_blob(FStatement, column));
  const int size = sqlite3_column_bytes(FStatement, column);
  return data ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

int64_t TSqliteStatement::Int(int column) const {
  return sqlite3_column_int64(FStatement, column);
}

void TSqliteStatement::Reset() {
  sqlite3_reset(FStatement);
}

TSqliteTransaction::TSqliteTransaction(TSqliteDb& db) : FDb(db) {
  FDb.Exec("BEGIN IMMEDIATE");
}

TSqliteTransaction::~TSqliteTransaction() {
  if (FDone) return;
  try {
    FDb.Exec("ROLLBACK");
  } catch (const TSqliteError&) {
    // SQLite rolls back by itself after the errors that leave no transaction open.
  }
}

void TSqliteTransaction::Commit() {
  FDb.Exec("COMMIT");
  FDone = true;
}

}  // namespace vantle
