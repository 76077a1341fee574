// A small SQLite layer: one connection per request or command (so several server processes
// and threads can share one database file in WAL mode), prepared statements and write
// transactions. Every text is bound and read as a BLOB, so code page 932 bytes are stored
// exactly as received and compare byte for byte.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace sorami::site {

class Stmt {
 public:
  Stmt(sqlite3* db, const char* sql);
  ~Stmt();
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  Stmt& Bind(int index, std::string_view bytes);
  Stmt& Bind(int index, std::int64_t value);
  Stmt& BindNull(int index);
  // Runs one step; true while it yields a row.
  bool Step();
  // Runs the statement to its end.
  void Run();
  // Makes the statement ready to run again with new bindings.
  void Reset();
  std::string Text(int column) const;
  // The same bytes without a copy, valid until the next Step or Reset.
  std::string_view View(int column) const;
  std::int64_t Int(int column) const;
  bool IsNull(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

class Db {
 public:
  // Opens an existing database; with `create`, makes the file when it is missing.
  explicit Db(const std::string& path, bool create = false);
  ~Db();
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  void Exec(const char* sql);
  Stmt Prepare(const char* sql) { return Stmt(db_, sql); }
  std::int64_t LastId() const { return sqlite3_last_insert_rowid(db_); }
  int Changes() const { return sqlite3_changes(db_); }
  // Creates the tables when they are missing and switches the file to WAL.
  void CreateSchema();
  // Brings a database made by an earlier version up to the current tables.
  void Upgrade();
  // Whether the file holds the service's tables (an uninitialised file is refused).
  bool HasSchema();

 private:
  sqlite3* db_ = nullptr;
};

// A message number: 64 random bits as 20 decimal digits, so that nobody can guess another
// member's number (it opens that member's attachments).
std::string RandomNumber();

// A write transaction (BEGIN IMMEDIATE): rolled back unless Commit() was called.
class Transaction {
 public:
  explicit Transaction(Db& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  Db& db_;
  bool done_ = false;
};

}  // namespace sorami::site
