#include "Db.h"

#include <sodium.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace sorami::site {
namespace {

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS site(
  id INTEGER PRIMARY KEY,
  name BLOB NOT NULL UNIQUE,
  host BLOB NOT NULL,
  sysuser BLOB NOT NULL UNIQUE,
  dynkey BLOB UNIQUE,           -- stored form: prefix "$" key
  dynname BLOB UNIQUE,          -- the part after the first "$", what GETDYN asks for
  public INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS member(
  id INTEGER PRIMARY KEY,
  site_id INTEGER NOT NULL REFERENCES site(id),
  nick BLOB NOT NULL,
  passhash BLOB NOT NULL,
  UNIQUE(site_id, nick));
CREATE TABLE IF NOT EXISTS letter(
  id INTEGER PRIMARY KEY,
  sender_id INTEGER NOT NULL REFERENCES member(id),
  received BLOB NOT NULL,
  fromdate BLOB NOT NULL, toname BLOB, tolist BLOB, cc BLOB, bcc BLOB, replyto BLOB,
  title BLOB, honbun BLOB, kankei BLOB, shubetsu BLOB);
CREATE TABLE IF NOT EXISTS attachment(
  letter_id INTEGER NOT NULL REFERENCES letter(id),
  seq INTEGER NOT NULL,
  name BLOB NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(letter_id, seq));
-- One row per recipient. Its number (random digits) is the server number the recipient's client
-- downloads attachments with; fetched is when it was first delivered (seconds since 1970).
-- Fetched rows are kept (taken = 1) so read receipts can still be matched.
CREATE TABLE IF NOT EXISTS delivery(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  letter_id INTEGER NOT NULL REFERENCES letter(id),
  member_id INTEGER NOT NULL REFERENCES member(id),
  taken INTEGER NOT NULL DEFAULT 0,
  number BLOB,
  fetched INTEGER);
CREATE INDEX IF NOT EXISTS delivery_member ON delivery(member_id, taken);
CREATE TABLE IF NOT EXISTS receipt(
  id INTEGER PRIMARY KEY,
  member_id INTEGER NOT NULL REFERENCES member(id),
  fromdate BLOB NOT NULL,
  confirmed BLOB NOT NULL,
  reader_id INTEGER NOT NULL REFERENCES member(id),
  deposited INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS claim(
  id INTEGER PRIMARY KEY,
  received BLOB NOT NULL,
  fields BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS notice(
  id INTEGER PRIMARY KEY CHECK (id = 1),
  text BLOB NOT NULL);
)";

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
  throw std::runtime_error(what + ": " + sqlite3_errmsg(db));
}

}  // namespace

Stmt::Stmt(sqlite3* db, const char* sql) : db_(db) {
  if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) Fail(db, "prepare");
}

Stmt::~Stmt() { sqlite3_finalize(stmt_); }

Stmt& Stmt::Bind(int index, std::string_view bytes) {
  // An empty BLOB must still be a BLOB, not NULL: give SQLite a valid pointer.
  const char* data = bytes.empty() ? "" : bytes.data();
  if (sqlite3_bind_blob64(stmt_, index, data, bytes.size(), SQLITE_TRANSIENT) != SQLITE_OK) {
    Fail(db_, "bind");
  }
  return *this;
}

Stmt& Stmt::Bind(int index, std::int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail(db_, "bind");
  return *this;
}

Stmt& Stmt::BindNull(int index) {
  if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) Fail(db_, "bind");
  return *this;
}

bool Stmt::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(db_, "step");
}

void Stmt::Run() {
  while (Step()) {
  }
}

void Stmt::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::string Stmt::Text(int column) const { return std::string(View(column)); }

std::string_view Stmt::View(int column) const {
  const void* p = sqlite3_column_blob(stmt_, column);
  int n = sqlite3_column_bytes(stmt_, column);
  return p ? std::string_view(static_cast<const char*>(p), static_cast<std::size_t>(n))
           : std::string_view();
}

std::int64_t Stmt::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

bool Stmt::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

Db::Db(const std::string& path, bool create) {
  // A connection serves one request or command on one thread at a time: SQLite need not lock
  // around every call on it.
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw std::runtime_error("cannot open database " + path + ": " + msg);
  }
  sqlite3_busy_timeout(db_, 10000);
  Exec("PRAGMA foreign_keys = ON");
}

Db::~Db() { sqlite3_close(db_); }

void Db::Exec(const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = err ? err : "error";
    sqlite3_free(err);
    throw std::runtime_error(std::string("sqlite: ") + msg);
  }
}

void Db::CreateSchema() {
  Exec("PRAGMA journal_mode = WAL");
  Exec(kSchema);
  Upgrade();
}

void Db::Upgrade() {
  bool numbered = false;
  for (Stmt s(db_, "PRAGMA table_info(delivery)"); s.Step();) numbered |= s.Text(1) == "number";
  if (!numbered) {
    // A database made before message numbers were random: its deliveries get their numbers
    // now; the old, counted ones no longer open attachments.
    Exec("ALTER TABLE delivery ADD COLUMN number BLOB");
    Exec("ALTER TABLE delivery ADD COLUMN fetched INTEGER");
    std::vector<std::int64_t> ids;
    for (Stmt s(db_, "SELECT id FROM delivery"); s.Step();) ids.push_back(s.Int(0));
    for (std::int64_t id : ids) {
      Stmt(db_, "UPDATE delivery SET number = ?1 WHERE id = ?2")
          .Bind(1, RandomNumber())
          .Bind(2, id)
          .Run();
    }
  }
  Exec("CREATE UNIQUE INDEX IF NOT EXISTS delivery_number ON delivery(number)");
}

std::string RandomNumber() {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
  std::uint64_t bits = 0;
  randombytes_buf(&bits, sizeof bits);
  char text[24];
  std::snprintf(text, sizeof text, "%020llu", static_cast<unsigned long long>(bits));
  return text;
}

bool Db::HasSchema() {
  Stmt s(db_, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'delivery'");
  return s.Step() && s.Int(0) == 1;
}

Transaction::Transaction(Db& db) : db_(db) { db_.Exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
  if (!done_) {
    try {
      db_.Exec("ROLLBACK");
    } catch (...) {
    }
  }
}

void Transaction::Commit() {
  db_.Exec("COMMIT");
  done_ = true;
}

}  // namespace sorami::site
