#pragma once
// A thin hold on one SQLite file: statements prepared once and kept, values bound by position,
// and a transaction guard that rolls back unless it was committed. Failures raise RunTimeError
// with SQLite's own description, as the server raises its database errors.

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vodare::local {

class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Bindings are 1-based. A null optional binds NULL.
  Statement& Bind(int i, int64_t v);
  Statement& Bind(int i, int v) { return Bind(i, static_cast<int64_t>(v)); }
  Statement& Bind(int i, double v);
  Statement& Bind(int i, std::string_view v);
  Statement& Bind(int i, const char* v) { return Bind(i, std::string_view(v)); }
  Statement& Bind(int i, const std::string& v) { return Bind(i, std::string_view(v)); }
  // Bytes bound as a BLOB (copied, as every text is).
  Statement& BindBlob(int i, std::string_view bytes);
  Statement& BindNull(int i);
  // True while a row is available.
  bool Step();
  // Runs to the end and resets.
  void Run();
  void Reset();

  bool IsNull(int col) const;
  bool IsBlob(int col) const;
  int64_t Int(int col) const;
  double Real(int col) const;
  std::string Text(int col) const;
  std::string Blob(int col) const;
  sqlite3_stmt* raw() const { return stmt_; }

 private:
  void Bound(int i) {
    if (i >= 1 && i <= 64) bound_ |= uint64_t{1} << (i - 1);
  }
  // Binds a copy of text or bytes kept by the statement itself.
  void BindCopy(int i, std::string_view v, bool blob);

  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  // A run binds NULL to every parameter it left unbound, as if all had been cleared before it:
  // clearing them all after every run would cost each save more than the binding itself.
  int params_ = 0;
  uint64_t bound_ = 0;  // the parameters bound since the last reset
  bool fresh_ = true;   // not stepped since the last reset
  // The text of each parameter, copied into room the statement keeps for it: the engine's own
  // copy costs an allocation and a release per bound text, most of a save's binding.
  std::vector<std::string> copies_;
};

class Database {
 public:
  // Opens (and, when create is set, creates) the file; WAL journal, synchronous NORMAL.
  Database(const std::string& path, bool create);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  void Exec(std::string_view sql);
  // A statement kept for the life of the database, keyed by its text; reset before it is handed
  // out.
  Statement& Cached(std::string_view sql);
  int64_t LastInsertId() const;
  int Changes() const;
  sqlite3* raw() const { return db_; }
  const std::string& path() const { return path_; }

 private:
  class Checkpointer;
  static int WalHook(void* self, sqlite3* db, const char* name, int frames);

  std::string path_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<Checkpointer> checkpointer_;
  // Looked up by the statement's text without copying it.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, std::unique_ptr<Statement>, TextHash, std::equal_to<>> cache_;
};

// BEGIN IMMEDIATE on construction; ROLLBACK on destruction unless Commit() was called.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  void Commit();

 private:
  Database& db_;
  bool done_ = false;
};

[[noreturn]] void ThrowSqlite(sqlite3* db, std::string_view what);

}  // namespace vodare::local
