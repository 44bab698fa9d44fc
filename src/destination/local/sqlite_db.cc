#include "destination/local/sqlite_db.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "common/run_error.h"
#include "destination/local/log_writes.h"

namespace vodare::local {

namespace {
constexpr int kPageSize = 1024;
// Log frames (pages) after which the log is copied into the file.
constexpr int kCheckpointFrames = 20000;
// The longest parameter a statement copies into room of its own.
constexpr size_t kKeptCopy = 64 * 1024;
}  // namespace

// Copies the write-ahead log into the company file on a thread and connection of its own. Each
// copy ends waiting for the disk; done here, the saves go on meanwhile. The saving connection
// then copies only what came after (a little) so that the log starts again from its beginning.
class Database::Checkpointer {
 public:
  explicit Checkpointer(const std::string& path) : path_(path), thread_([this] { Loop(); }) {}
  ~Checkpointer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  // Starts a copy unless one is under way.
  void Request() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (busy_) return;
      busy_ = wanted_ = true;
    }
    wake_.notify_one();
  }
  // True once after each finished copy.
  bool TakeFinished() {
    std::lock_guard<std::mutex> lock(mutex_);
    bool finished = finished_;
    finished_ = false;
    return finished;
  }

 private:
  void Loop() {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
      sqlite3_close(db);
      db = nullptr;
    }
    if (db) {
      sqlite3_busy_timeout(db, 5000);
      sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
      wake_.wait(lock, [this] { return stop_ || wanted_; });
      if (stop_) break;
      wanted_ = false;
      lock.unlock();
      // Without a connection of its own nothing is copied here; the saving connection's own
      // copies (below) still keep the log bounded.
      if (db) sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
      lock.lock();
      busy_ = false;
      finished_ = true;
    }
    lock.unlock();
    sqlite3_close(db);
  }

  std::string path_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false, wanted_ = false, busy_ = false, finished_ = false;
  std::thread thread_;  // last: it starts once the members it uses exist
};

// After each commit, with the log's length in frames.
int Database::WalHook(void* self_ptr, sqlite3* db, const char*, int frames) {
  auto* self = static_cast<Database*>(self_ptr);
  if (frames < kCheckpointFrames) return SQLITE_OK;
  if (!self->checkpointer_) {
    try {
      self->checkpointer_ = std::make_unique<Checkpointer>(self->path_);
    } catch (const std::exception&) {
      // No thread to be had: copy here, as a plain connection does.
      sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
      return SQLITE_OK;
    }
  }
  if (self->checkpointer_->TakeFinished() || frames >= 4 * kCheckpointFrames) {
    // The rest of the log; the next transaction then writes the log from its start.
    sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  } else {
    self->checkpointer_->Request();
  }
  return SQLITE_OK;
}

void ThrowSqlite(sqlite3* db, std::string_view what) {
  std::string message(what);
  if (db) {
    message += ": ";
    message += sqlite3_errmsg(db);
  }
  throw RunTimeError(message);
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
  const char* tail = nullptr;
  if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &stmt_, &tail) != SQLITE_OK) {
    ThrowSqlite(db, "Database error");
  }
  params_ = sqlite3_bind_parameter_count(stmt_);
  copies_.resize(static_cast<size_t>(std::max(params_, 0)));
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::Bind(int i, int64_t v) {
  Bound(i);
  sqlite3_bind_int64(stmt_, i, v);
  return *this;
}
Statement& Statement::Bind(int i, double v) {
  Bound(i);
  sqlite3_bind_double(stmt_, i, v);
  return *this;
}
void Statement::BindCopy(int i, std::string_view v, bool blob) {
  Bound(i);
  const char* data = v.data();
  auto destructor = SQLITE_TRANSIENT;
  // The engine copies what is not kept here: a text without any storage (it binds NULL), a
  // parameter outside the statement's (the engine refuses it) and a long text, so that no
  // statement keeps that much room for good. The room stays the statement's until the parameter
  // is bound again, so the engine may read it in place for as long as it holds the binding.
  if (data && i >= 1 && i <= params_ && v.size() <= kKeptCopy) {
    std::string& copy = copies_[static_cast<size_t>(i - 1)];
    copy.assign(v);
    data = copy.data();
    destructor = SQLITE_STATIC;
  }
  if (blob)
    sqlite3_bind_blob(stmt_, i, data, static_cast<int>(v.size()), destructor);
  else
    sqlite3_bind_text(stmt_, i, data, static_cast<int>(v.size()), destructor);
}
Statement& Statement::Bind(int i, std::string_view v) {
  BindCopy(i, v, false);
  return *this;
}
Statement& Statement::BindBlob(int i, std::string_view bytes) {
  BindCopy(i, bytes, true);
  return *this;
}
Statement& Statement::BindNull(int i) {
  Bound(i);
  sqlite3_bind_null(stmt_, i);
  return *this;
}

bool Statement::Step() {
  if (fresh_) {
    fresh_ = false;
    const int known = std::min(params_, 64);
    for (int i = 1; i <= known; ++i)
      if (!(bound_ >> (i - 1) & 1)) sqlite3_bind_null(stmt_, i);
  }
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  std::string message = std::string("Database error: ") + sqlite3_errmsg(db_);
  sqlite3_reset(stmt_);
  throw RunTimeError(message);
}

void Statement::Run() {
  while (Step()) {
  }
  Reset();
}

void Statement::Reset() {
  sqlite3_reset(stmt_);
  // Beyond what the record of bound parameters holds, all are cleared as before.
  if (params_ > 64) sqlite3_clear_bindings(stmt_);
  bound_ = 0;
  fresh_ = true;
}

bool Statement::IsNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
bool Statement::IsBlob(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_BLOB; }
int64_t Statement::Int(int col) const { return sqlite3_column_int64(stmt_, col); }
double Statement::Real(int col) const { return sqlite3_column_double(stmt_, col); }
std::string Statement::Text(int col) const {
  const unsigned char* p = sqlite3_column_text(stmt_, col);
  if (!p) return {};
  return std::string(reinterpret_cast<const char*>(p),
                     static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
}

std::string Statement::Blob(int col) const {
  const void* p = sqlite3_column_blob(stmt_, col);
  if (!p) return {};
  return std::string(static_cast<const char*>(p),
                     static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
}

Database::Database(const std::string& path, bool create) : path_(path) {
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.c_str(), &db_, flags, GatheredLogVfs()) != SQLITE_OK) {
    std::string message = "Cannot open the company file " + path;
    if (db_) message += std::string(": ") + sqlite3_errmsg(db_);
    sqlite3_close(db_);
    db_ = nullptr;
    throw RunTimeError(message);
  }
  sqlite3_busy_timeout(db_, 5000);
  sqlite3_extended_result_codes(db_, 1);
  // A crash loses at most the last records and never half of one; commits do not wait for
  // the disk.
  // Small pages: each commit writes every page it touched, and a record touches the end of a
  // few tables, so small pages keep the bytes written per record low.
  if (create) Exec("PRAGMA page_size=" + std::to_string(kPageSize));
  Exec("PRAGMA journal_mode=WAL");
  Exec("PRAGMA synchronous=NORMAL");
  sqlite3_wal_hook(db_, &Database::WalHook, this);  // in place of the automatic checkpoint
  // A modest page cache: the end of every transaction walks the cache, so a large one costs
  // each save more than the reads it spares (the file's pages stay in the system's cache).
  Exec("PRAGMA cache_size=-2000");
}

Database::~Database() {
  checkpointer_.reset();  // its connection closes first, so that closing this one ends the log
  cache_.clear();
  if (db_) sqlite3_close(db_);
}

void Database::Exec(std::string_view sql) {
  std::string text(sql);
  char* err = nullptr;
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string message = std::string("Database error: ") + (err ? err : "unknown");
    sqlite3_free(err);
    throw RunTimeError(message);
  }
}

Statement& Database::Cached(std::string_view sql) {
  auto it = cache_.find(sql);
  if (it == cache_.end()) {
    it = cache_.emplace(std::string(sql), std::make_unique<Statement>(db_, sql)).first;
  } else {
    it->second->Reset();
  }
  return *it->second;
}

int64_t Database::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }
int Database::Changes() const { return sqlite3_changes(db_); }

Transaction::Transaction(Database& db) : db_(db) { db_.Cached("BEGIN IMMEDIATE").Run(); }

Transaction::~Transaction() {
  if (!done_) sqlite3_exec(db_.raw(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::Commit() {
  db_.Cached("COMMIT").Run();
  done_ = true;
}

}  // namespace vodare::local
