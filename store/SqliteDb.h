#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Exception.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vantle {

// A failed SQLite call: its result code and SQLite's own words for it.
class TSqliteError : public Exception {
 public:
  TSqliteError(int code, const std::string& message) : Exception(message), FCode(code) {}
  int Code() const { return FCode; }
  // True when the file is damaged (SQLITE_CORRUPT, SQLITE_NOTADB); a busy or locked file
  // never counts, it is only in use.
  bool IsDamage() const;
  // True when another connection holds the file (SQLITE_BUSY).
  bool IsBusy() const;

 private:
  int FCode;
};

// One connection to a database file, opened read-write (created when missing) and closed
// with the object. Its calls raise TSqliteError. Not for two threads at once.
class TSqliteDb {
 public:
  explicit TSqliteDb(const std::string& path);
  TSqliteDb(const TSqliteDb&) = delete;
  TSqliteDb& operator=(const TSqliteDb&) = delete;
  ~TSqliteDb();

  sqlite3* Get() const { return FDb; }
  // Runs `sql`, one or more statements, ignoring any rows.
  void Exec(const std::string& sql);
  // The integer the one-row, one-column query `sql` answers.
  int64_t QueryInt(const std::string& sql);
  // Closing will leave a write-ahead log as it is instead of copying it into the file.
  void SkipCheckpointOnClose();
  // Raises the error `code` with the connection's message.
  [[noreturn]] void Raise(int code) const;

 private:
  sqlite3* FDb = nullptr;
};

// One prepared statement of a connection, finalized with the object.
class TSqliteStatement {
 public:
  TSqliteStatement(TSqliteDb& db, std::string_view sql);
  TSqliteStatement(const TSqliteStatement&) = delete;
  TSqliteStatement& operator=(const TSqliteStatement&) = delete;
  ~TSqliteStatement();

  // Parameters count from 1; texts and blobs are copied, byte for byte.
  TSqliteStatement& BindText(int index, std::string_view text);
  TSqliteStatement& BindBlob(int index, std::string_view bytes);
  TSqliteStatement& BindInt(int index, int64_t value);
  TSqliteStatement& BindNull(int index);
  // Steps once: true when a row is ready, false when the statement is done.
  bool Step();
  // Makes the statement ready to run again; bindings are kept until bound anew.
  void Reset();
  // Columns count from 0; a NULL reads as empty or 0.
  bool IsNull(int column) const;
  std::string Bytes(int column) const;
  int64_t Int(int column) const;

 private:
  TSqliteDb& FDb;
  sqlite3_stmt* FStatement = nullptr;
};

// A write transaction (BEGIN IMMEDIATE), rolled back with the object unless Commit ran.
class TSqliteTransaction {
 public:
  explicit TSqliteTransaction(TSqliteDb& db);
  TSqliteTransaction(const TSqliteTransaction&) = delete;
  TSqliteTransaction& operator=(const TSqliteTransaction&) = delete;
  ~TSqliteTransaction();
  void Commit();

 private:
  TSqliteDb& FDb;
  bool FDone = false;
};

}  // namespace vantle
