#include "source/source_db.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>
#include <unordered_map>
#include <utility>

#include "common/run_error.h"
#include "common/text.h"
#include "source/jet_sql.h"

namespace vodare {
namespace fs = std::filesystem;

namespace {

// Bumped whenever the cache's layout, the way values are stored or the text collation
// changes, so that an older cache is rebuilt rather than misread.
constexpr const char* kCacheFormat = "vodare-export-cache 2";
constexpr const char* kCacheFileName = ".vodare-export.cache";
constexpr const char* kTextCollation = "JETTEXT";
constexpr size_t kStatementCacheLimit = 512;

// Text comparison as the export's queries expect it: letters compared by their upper-case
// forms, beyond ASCII too. Indexes on text columns are built with it, so lookups use them.
int CompareJetText(void*, int na, const void* a, int nb, const void* b) {
  // Most keys are ASCII: compare those bytes here, and hand the rest from the first other
  // character on to the full comparison.
  const auto* pa = static_cast<const unsigned char*>(a);
  const auto* pb = static_cast<const unsigned char*>(b);
  const int n = std::min(na, nb);
  int i = 0;
  for (; i < n; ++i) {
    unsigned ca = pa[i], cb = pb[i];
    if ((ca | cb) & 0x80) break;
    if (ca != cb) {
      if (ca - 'a' < 26) ca -= 32;
      if (cb - 'a' < 26) cb -= 32;
      if (ca != cb) return ca < cb ? -1 : 1;
    }
  }
  if (i == n) return na == nb ? 0 : (na < nb ? -1 : 1);
  a = pa + i;
  b = pb + i;
  na -= i;
  nb -= i;
  return CompareNoCase(std::string_view(static_cast<const char*>(a), static_cast<size_t>(na)),
                       std::string_view(static_cast<const char*>(b), static_cast<size_t>(nb)));
}

std::string_view ArgText(sqlite3_value* v) {
  const unsigned char* p = sqlite3_value_text(v);
  return p ? std::string_view(reinterpret_cast<const char*>(p),
                              static_cast<size_t>(sqlite3_value_bytes(v)))
           : std::string_view();
}

void ResultText(sqlite3_context* c, const std::string& s) {
  sqlite3_result_text(c, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// The Jet text functions a query may use, counting characters rather than bytes.
void FnUCase(sqlite3_context* c, int, sqlite3_value** v) {
  if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
  ResultText(c, UCase(ArgText(v[0])));
}
void FnLen(sqlite3_context* c, int, sqlite3_value** v) {
  if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
  sqlite3_result_int64(c, static_cast<sqlite3_int64>(Len(ArgText(v[0]))));
}
void FnLeft(sqlite3_context* c, int, sqlite3_value** v) {
  if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
  ResultText(c, Left(ArgText(v[0]),
                     static_cast<size_t>(std::max<sqlite3_int64>(0, sqlite3_value_int64(v[1])))));
}
void FnRight(sqlite3_context* c, int, sqlite3_value** v) {
  if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
  ResultText(c, Right(ArgText(v[0]),
                      static_cast<size_t>(std::max<sqlite3_int64>(0, sqlite3_value_int64(v[1])))));
}
void FnMid(sqlite3_context* c, int argc, sqlite3_value** v) {
  if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
  sqlite3_int64 start = std::max<sqlite3_int64>(1, sqlite3_value_int64(v[1]));
  size_t count = argc > 2
                     ? static_cast<size_t>(std::max<sqlite3_int64>(0, sqlite3_value_int64(v[2])))
                     : std::string_view::npos;
  ResultText(c, Mid(ArgText(v[0]), static_cast<size_t>(start), count));
}

void RegisterJetFunctions(sqlite3* db) {
  sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, CompareJetText, nullptr);
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  sqlite3_create_function_v2(db, "UCASE", 1, flags, nullptr, FnUCase, nullptr, nullptr, nullptr);
  sqlite3_create_function_v2(db, "LEN", 1, flags, nullptr, FnLen, nullptr, nullptr, nullptr);
  sqlite3_create_function_v2(db, "LEFT", 2, flags, nullptr, FnLeft, nullptr, nullptr, nullptr);
  sqlite3_create_function_v2(db, "RIGHT", 2, flags, nullptr, FnRight, nullptr, nullptr, nullptr);
  sqlite3_create_function_v2(db, "MID", 2, flags, nullptr, FnMid, nullptr, nullptr, nullptr);
  sqlite3_create_function_v2(db, "MID", 3, flags, nullptr, FnMid, nullptr, nullptr, nullptr);
  // A name the query does not know is an error, never a text.
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}

// The engine's message in the words the stages' error lines carry.
std::string Describe(std::string_view message) {
  auto after = [&](std::string_view prefix) -> std::optional<std::string> {
    if (message.substr(0, prefix.size()) == prefix)
      return std::string(message.substr(prefix.size()));
    return std::nullopt;
  };
  if (auto t = after("no such table: ")) return "Table '" + *t + "' does not exist.";
  if (auto c = after("no such column: ")) return "Field '" + *c + "' does not exist.";
  if (auto f = after("no such function: ")) return "Undefined function '" + *f + "' in expression.";
  return std::string(message);
}

[[noreturn]] void Raise(sqlite3* db) { throw RunTimeError(Describe(sqlite3_errmsg(db)), 3000); }

void Exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = err ? err : "unknown error";
    sqlite3_free(err);
    throw RunTimeError(Describe(msg), 3000);
  }
}

class Stmt {
 public:
  Stmt(sqlite3* db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &s_, nullptr) !=
        SQLITE_OK)
      Raise(db);
  }
  ~Stmt() { sqlite3_finalize(s_); }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;
  sqlite3_stmt* get() const { return s_; }
  bool Step() {
    int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Raise(db_);
  }
  void Text(int i, std::string_view s) {
    sqlite3_bind_text(s_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  }
  std::string ColumnText(int i) const {
    const unsigned char* p = sqlite3_column_text(s_, i);
    return p ? std::string(reinterpret_cast<const char*>(p),
                           static_cast<size_t>(sqlite3_column_bytes(s_, i)))
             : std::string();
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* s_ = nullptr;
};

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;

DbHandle OpenDb(const std::string& path, int flags) {
  sqlite3* db = nullptr;
  // One connection per opening, used by one thread: SQLite's own locking is not needed.
  int rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  DbHandle handle(db);
  if (rc != SQLITE_OK) {
    std::string msg = db ? sqlite3_errmsg(db) : "out of memory";
    throw RunTimeError("Cannot open " + path + ": " + msg, 3000);
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, 10000);
  RegisterJetFunctions(db);
  return handle;
}

// ---- The folder ----

bool HasExtension(const fs::path& p, std::string_view ext) {
  return EqualsNoCase(p.extension().string(), ext);
}

struct TableFile {
  std::string table;  // file name without extension, as spelt on disk
  std::string file;
  fs::path path;
};

struct FolderScan {
  std::vector<TableFile> tables;
  std::vector<std::string> messages;  // files left out
  std::vector<ExportFinding> findings;
  std::string fingerprint;  // what the cache is built from
};

FolderScan ScanFolder(const fs::path& folder) {
  FolderScan scan;
  std::vector<fs::directory_entry> entries;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
    std::error_code ec;
    if (e.is_regular_file(ec)) {
      entries.push_back(e);
      continue;
    }
    // A table's name that holds no table: the table is not there, and the user hears why.
    if (!HasExtension(e.path(), ".dbf")) continue;
    const std::string file = e.path().filename().string();
    std::string why;
    if (e.is_directory(ec))
      why = "the name " + file + " is a folder, not a table";
    else if (e.is_symlink(ec) && !fs::exists(e.path(), ec))
      why = file + " is a link to " + fs::read_symlink(e.path(), ec).string() +
            ", which does not exist";
    else
      why = file + " is not a file that can be read";
    scan.findings.push_back({FindingLevel::kError, e.path().stem().string(), "", why});
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return a.path().filename().string() < b.path().filename().string();
  });
  std::map<std::string, TableFile> by_key;  // folded table name -> file
  std::string fp = std::string(kCacheFormat) + "\n";
  for (const fs::directory_entry& e : entries) {
    const fs::path& p = e.path();
    bool table = HasExtension(p, ".dbf");
    if (!table && !HasExtension(p, ".dbt") && !HasExtension(p, ".fpt") && !HasExtension(p, ".cpg"))
      continue;
    std::error_code ec;
    auto size = fs::file_size(p, ec);
    auto mtime = fs::last_write_time(p, ec).time_since_epoch().count();
    fp += p.filename().string() + "|" + std::to_string(size) + "|" + std::to_string(mtime) + "\n";
    if (!table) continue;
    TableFile tf{p.stem().string(), p.filename().string(), p};
    auto [it, inserted] = by_key.try_emplace(FoldKey(tf.table), tf);
    if (!inserted) {
      scan.messages.push_back("Error reading table " + tf.table + ": the file " + tf.file +
                              " names the same table as " + it->second.file + " and is left out");
      // Which of the two is the export's own cannot be known: neither is trusted.
      scan.findings.push_back({FindingLevel::kError, it->second.table, "",
                               "the files " + it->second.file + " and " + tf.file +
                                   " both hold this table (their names differ only in letter "
                                   "case); remove the one that is not the export's"});
    }
  }
  for (auto& [key, tf] : by_key) scan.tables.push_back(std::move(tf));
  scan.fingerprint = std::move(fp);
  return scan;
}

// ---- Building the cache ----

std::string DeclaredType(char dbase_type) {
  switch (dbase_type) {
    case 'C':
    case 'M':
    case 'V':
    case 'W':
      return std::string("TEXT COLLATE ") + kTextCollation;
    case 'D':
    case 'T':
    case '@':
      return "DATE";
    case 'L':
      return "BOOLEAN";
    case 'N':
    case 'F':
    case 'B':
    case 'O':
    case 'Y':
      return "REAL";
    case 'I':
    case '+':
      return "INTEGER";
    default:
      return "";
  }
}

// Column names unique within the table (ignoring case): a repeated name becomes NAME_2, ...
std::vector<std::string> UniqueColumnNames(const std::vector<DbfField>& fields) {
  std::vector<std::string> names;
  std::set<std::string> taken;
  for (size_t i = 0; i < fields.size(); ++i) {
    std::string base = Trim(fields[i].name);
    if (base.empty()) base = "FIELD" + std::to_string(i + 1);
    std::string name = base;
    for (int n = 2; taken.count(FoldKey(name)); ++n) name = base + "_" + std::to_string(n);
    taken.insert(FoldKey(name));
    names.push_back(name);
  }
  return names;
}

void BindValue(sqlite3_stmt* s, int i, const Value& v) {
  switch (v.storage().index()) {
    case 0:
      sqlite3_bind_null(s, i);
      break;
    case 1:
      sqlite3_bind_text(s, i, v.Text().data(), static_cast<int>(v.Text().size()), SQLITE_STATIC);
      break;
    case 2:
      sqlite3_bind_double(s, i, v.Double());
      break;
    case 3:
      sqlite3_bind_int64(s, i, v.Integer());
      break;
    case 4:
      sqlite3_bind_int(s, i, v.Bool() ? 1 : 0);
      break;
    case 5:
      sqlite3_bind_int64(s, i, v.DateValue().Serial());
      break;
  }
}

// Indexes of the engine's own for the lookups that the stages run per record; they only make
// those lookups fast and never change the rows or their order.
struct EngineIndex {
  const char* table;
  std::vector<const char*> columns;
};
const std::vector<EngineIndex>& EngineIndexes() {
  static const std::vector<EngineIndex> kIndexes = {
      {"mdis", {"challan"}},           {"probat", {"code"}},
      {"support", {"LCODE", "PCode"}}, {"SaleType", {"Scode", "Sgcode"}},
      {"SaleType", {"Sgcode"}},        {"ACGROUP", {"ORDNO"}},
      {"support", {"Aliase"}},
  };
  return kIndexes;
}

struct LoadedTable {
  std::string name;
  std::vector<std::string> columns;
};

void CreateEngineIndexes(sqlite3* db, const std::vector<LoadedTable>& loaded) {
  for (const EngineIndex& ix : EngineIndexes()) {
    auto t = std::find_if(loaded.begin(), loaded.end(),
                          [&](const LoadedTable& lt) { return EqualsNoCase(lt.name, ix.table); });
    if (t == loaded.end()) continue;
    std::string cols, name = std::string("vodare_") + ix.table;
    bool all = true;
    for (const char* c : ix.columns) {
      auto col = std::find_if(t->columns.begin(), t->columns.end(),
                              [&](const std::string& n) { return EqualsNoCase(n, c); });
      if (col == t->columns.end()) {
        all = false;
        break;
      }
      if (!cols.empty()) cols += ", ";
      cols += QuoteSqlName(*col);
      name += std::string("_") + c;
    }
    if (!all) continue;
    Exec(db,
         "CREATE INDEX " + QuoteSqlName(name) + " ON " + QuoteSqlName(t->name) + " (" + cols + ")");
  }
}

// Reads every table into a new cache file at path. Entries for what could not be read go to
// messages (and into the cache, so that a reuse reports them again).
// An unreadable value as the cache keeps it: a blob that no comparison or conversion of the
// engine takes for a number or a date, holding the expected kind and the text as it stood.
void BindUnreadable(sqlite3_stmt* s, int i, char kind, const Value& v) {
  std::string blob(1, kind);
  if (v.IsText()) blob += v.Text();
  sqlite3_bind_blob(s, i, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
}

void StoreFindings(sqlite3* db, const std::vector<ExportFinding>& findings) {
  Stmt st(db, "INSERT INTO _vodare_findings(level, tbl, place, fault) VALUES (?,?,?,?)");
  for (const ExportFinding& f : findings) {
    sqlite3_bind_int(st.get(), 1, f.level == FindingLevel::kError ? 1 : 0);
    st.Text(2, f.table);
    st.Text(3, f.place);
    st.Text(4, f.fault);
    st.Step();
    sqlite3_reset(st.get());
  }
}

// The records of one table, decoded on a thread of their own while the cache takes the ones
// before them: decoding and storing each take about half of an opening. Batches go over in
// order; a reader's failure goes over as what the next batch would have been.
class RowsAhead {
 public:
  struct Batch {
    std::vector<std::vector<Value>> rows;
    std::vector<std::pair<size_t, DbfReader::Unreadable>> unreadable;  // (row, field)
    size_t count = 0;
  };

  explicit RowsAhead(ExportTableReader& reader) : reader_(reader), thread_([this] { Read(); }) {}
  ~RowsAhead() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  // The next batch, or nullptr at the end; rethrows the reader's failure in its place.
  Batch* Next() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (taken_) {
      spare_.push_back(std::move(full_.front()));
      full_.pop_front();
      taken_ = false;
      changed_.notify_all();
    }
    changed_.wait(lock, [&] { return !full_.empty() || done_; });
    if (full_.empty()) {
      if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
      return nullptr;
    }
    taken_ = true;
    return full_.front().get();
  }

 private:
  static constexpr size_t kRows = 256;
  static constexpr size_t kAhead = 4;

  void Read() {
    try {
      for (bool more = true; more;) {
        std::unique_ptr<Batch> batch;
        {
          std::unique_lock<std::mutex> lock(mutex_);
          changed_.wait(lock, [&] { return stop_ || full_.size() + taken_ < kAhead; });
          if (stop_) return;
          if (!spare_.empty()) {
            batch = std::move(spare_.back());
            spare_.pop_back();
          }
        }
        if (!batch) batch = std::make_unique<Batch>();
        batch->count = 0;
        batch->unreadable.clear();
        while (batch->count < kRows) {
          if (batch->rows.size() <= batch->count) batch->rows.emplace_back();
          if (!reader_.Next(batch->rows[batch->count])) {
            more = false;
            break;
          }
          for (const DbfReader::Unreadable& u : reader_.unreadable())
            batch->unreadable.emplace_back(batch->count, u);
          ++batch->count;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (batch->count > 0) full_.push_back(std::move(batch));
        if (!more) done_ = true;
        changed_.notify_all();
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      error_ = std::current_exception();
      done_ = true;
      changed_.notify_all();
    }
  }

  ExportTableReader& reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Batch>> full_;
  std::vector<std::unique_ptr<Batch>> spare_;
  bool taken_ = false, done_ = false, stop_ = false;
  std::exception_ptr error_;
  std::thread thread_;  // last: it starts reading once the rest is in place
};

void BuildCache(const std::string& path, const FolderScan& scan,
                const ExportTableReaderFactory& open_table, std::vector<std::string>& messages,
                std::vector<ExportFinding>& findings) {
  DbHandle handle = OpenDb(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  sqlite3* db = handle.get();
  // Nothing of a half-built file is ever used (it is renamed into place when complete), so
  // the build needs neither a journal nor syncing. Sorts for the indexes beyond the page cache
  // go to temporary files, not memory: a year of ledger postings would otherwise be sorted
  // whole in memory.
  Exec(db,
       "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE;"
       "PRAGMA cache_size=-65536; PRAGMA temp_store=FILE;");
  Exec(db,
       "BEGIN;"
       "CREATE TABLE _vodare_meta(key TEXT PRIMARY KEY, value TEXT);"
       "CREATE TABLE _vodare_messages(seq INTEGER PRIMARY KEY, text TEXT);"
       "CREATE TABLE _vodare_findings(seq INTEGER PRIMARY KEY, level INTEGER, tbl TEXT,"
       " place TEXT, fault TEXT);"
       "CREATE TABLE _vodare_tables(seq INTEGER PRIMARY KEY, name TEXT, file TEXT);"
       "CREATE TABLE _vodare_columns(table_name TEXT, position INTEGER, name TEXT, type TEXT,"
       " width INTEGER, decimals INTEGER);");
  messages = scan.messages;
  findings = scan.findings;
  std::vector<LoadedTable> loaded;
  for (const TableFile& tf : scan.tables) {
    std::unique_ptr<ExportTableReader> reader;
    bool created = false;
    try {
      reader = open_table(tf.path.string());
      const std::vector<DbfField>& fields = reader->fields();
      std::vector<std::string> names = UniqueColumnNames(fields);
      std::string create = "CREATE TABLE " + QuoteSqlName(tf.table) + " (";
      std::string insert = "INSERT INTO " + QuoteSqlName(tf.table) + " VALUES (";
      for (size_t i = 0; i < fields.size(); ++i) {
        create += (i ? ", " : "") + QuoteSqlName(names[i]) + " " + DeclaredType(fields[i].type);
        insert += i ? ",?" : "?";
      }
      if (fields.empty()) throw std::runtime_error("the table has no fields");
      Exec(db, create + ")");
      created = true;
      Stmt ins(db, insert + ")");
      {
        RowsAhead ahead(*reader);
        while (RowsAhead::Batch* batch = ahead.Next()) {
          auto unreadable = batch->unreadable.begin();
          for (size_t r = 0; r < batch->count; ++r) {
            const std::vector<Value>& row = batch->rows[r];
            for (size_t i = 0; i < fields.size(); ++i) {
              if (i < row.size())
                BindValue(ins.get(), static_cast<int>(i + 1), row[i]);
              else
                sqlite3_bind_null(ins.get(), static_cast<int>(i + 1));
            }
            for (; unreadable != batch->unreadable.end() && unreadable->first == r; ++unreadable) {
              const DbfReader::Unreadable& u = unreadable->second;
              if (u.field < fields.size() && u.field < row.size())
                BindUnreadable(ins.get(), static_cast<int>(u.field + 1), u.kind, row[u.field]);
            }
            ins.Step();
            sqlite3_reset(ins.get());
          }
        }
      }
      Stmt meta(db, "INSERT INTO _vodare_columns VALUES (?,?,?,?,?,?)");
      for (size_t i = 0; i < fields.size(); ++i) {
        meta.Text(1, tf.table);
        sqlite3_bind_int64(meta.get(), 2, static_cast<sqlite3_int64>(i));
        meta.Text(3, names[i]);
        meta.Text(4, std::string(1, fields[i].type));
        sqlite3_bind_int(meta.get(), 5, fields[i].length);
        sqlite3_bind_int(meta.get(), 6, fields[i].decimals);
        meta.Step();
        sqlite3_reset(meta.get());
      }
      Stmt tmeta(db, "INSERT INTO _vodare_tables(name, file) VALUES (?,?)");
      tmeta.Text(1, tf.table);
      tmeta.Text(2, tf.file);
      tmeta.Step();
      loaded.push_back({tf.table, names});
      for (const std::string& w : reader->warnings())
        messages.push_back("Warning reading table " + tf.table + ": " + w);
      std::vector<ExportFinding> own = reader->findings();
      if (own.empty())
        for (const std::string& w : reader->warnings())
          own.push_back({FindingLevel::kWarning, tf.table, "", w});
      for (ExportFinding& f : own) {
        f.table = tf.table;
        findings.push_back(std::move(f));
      }
    } catch (const std::exception& e) {
      // One broken table does not keep the others from opening.
      if (created) Exec(db, "DROP TABLE IF EXISTS " + QuoteSqlName(tf.table));
      messages.push_back("Error reading table " + tf.table + ": " + e.what());
      findings.push_back({FindingLevel::kError, tf.table, "",
                          std::string("the table cannot be read: ") + e.what()});
    }
  }
  CreateEngineIndexes(db, loaded);
  Stmt msg(db, "INSERT INTO _vodare_messages(text) VALUES (?)");
  for (const std::string& m : messages) {
    msg.Text(1, m);
    msg.Step();
    sqlite3_reset(msg.get());
  }
  StoreFindings(db, findings);
  Stmt fp(db, "INSERT INTO _vodare_meta VALUES ('fingerprint', ?)");
  fp.Text(1, scan.fingerprint);
  fp.Step();
  Exec(db, "COMMIT");
}

// The cache's stored fingerprint, or empty when the file is missing or unreadable.
std::string StoredFingerprint(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return {};
  try {
    DbHandle db = OpenDb(path, SQLITE_OPEN_READONLY);
    Stmt s(db.get(), "SELECT value FROM _vodare_meta WHERE key='fingerprint'");
    return s.Step() ? s.ColumnText(0) : std::string();
  } catch (const std::exception&) {
    return {};
  }
}

std::vector<std::string> StoredMessages(sqlite3* db) {
  std::vector<std::string> out;
  Stmt s(db, "SELECT text FROM _vodare_messages ORDER BY seq");
  while (s.Step()) out.push_back(s.ColumnText(0));
  return out;
}

std::vector<ExportFinding> StoredFindings(sqlite3* db) {
  std::vector<ExportFinding> out;
  Stmt s(db, "SELECT level, tbl, place, fault FROM _vodare_findings ORDER BY seq");
  while (s.Step())
    out.push_back({sqlite3_column_int(s.get(), 0) ? FindingLevel::kError : FindingLevel::kWarning,
                   s.ColumnText(1), s.ColumnText(2), s.ColumnText(3)});
  return out;
}

std::string FolderHash(const std::string& text) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  char buf[17];
  snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return buf;
}

// A file of the build's own in the cache's folder; false when the folder cannot hold one.
bool ReserveBuildFile(const fs::path& dir, std::string& out) {
  // Two programs may open the same folder at once: each builds into a file of its own.
  static std::atomic<unsigned> counter{0};
  static const unsigned process_tag = std::random_device{}();
  fs::path p = dir / (std::string(kCacheFileName) + ".build-" + std::to_string(process_tag) + "-" +
                      std::to_string(counter++));
  std::ofstream probe(p, std::ios::binary | std::ios::trunc);
  if (!probe) return false;
  probe.close();
  out = p.string();
  return true;
}

// The translation of a Jet text that must be a SELECT: only a SELECT opens a recordset.
JetStatement TranslateSelect(std::string_view jet_sql) {
  JetStatement st = TranslateJet(jet_sql);
  if (st.kind != JetStatementKind::kSelect)
    throw RunTimeError("Only SELECT statements open a recordset.", 3000);
  return st;
}

// Steps a query once and appends the row it reached to data; false when there was none.
bool StepRow(sqlite3* db, sqlite3_stmt* s, const std::vector<char>& kinds, RecordsetData& data) {
  int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE) return false;
  if (rc != SQLITE_ROW) Raise(db);
  data.StartRow();
  const int width = static_cast<int>(kinds.size());
  for (int i = 0; i < width; ++i) {
    switch (sqlite3_column_type(s, i)) {
      case SQLITE_NULL:
        data.AppendNull();
        break;
      case SQLITE_INTEGER: {
        sqlite3_int64 v = sqlite3_column_int64(s, i);
        if (kinds[i] == 'D')
          data.AppendDate(Date::FromSerial(static_cast<int32_t>(v)));
        else if (kinds[i] == 'L')
          data.AppendBool(v != 0);
        else
          data.AppendInteger(v);
        break;
      }
      case SQLITE_FLOAT:
        data.AppendDouble(sqlite3_column_double(s, i));
        break;
      case SQLITE_BLOB: {
        // A value of the export that could not be read: its kind, then its text.
        const char* b = static_cast<const char*>(sqlite3_column_blob(s, i));
        std::string_view blob(b ? b : "", static_cast<size_t>(sqlite3_column_bytes(s, i)));
        char kind = blob.empty() ? 'N' : blob.front();
        data.AppendUnreadable(kind, blob.empty() ? blob : blob.substr(1));
        break;
      }
      default: {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
        data.AppendText(
            std::string_view(t ? t : "", static_cast<size_t>(sqlite3_column_bytes(s, i))));
      }
    }
  }
  return true;
}

}  // namespace

// ---- SourceDb ----

struct SourceDb::Impl {
  struct Prepared {
    sqlite3_stmt* stmt = nullptr;
    std::shared_ptr<std::vector<std::string>> names = std::make_shared<std::vector<std::string>>();
    std::vector<char> kinds;  // 'D' date, 'L' flag, 0 as stored
    ~Prepared() { sqlite3_finalize(stmt); }
  };

  std::string folder;
  std::string cache_path;
  bool rebuilt = false;
  std::vector<ExportFinding> findings;
  DbHandle db;
  std::unordered_map<std::string, std::unique_ptr<Prepared>> statements;  // by SQLite text
  // Translations by the Jet text's literal pattern, so that a point lookup repeated with other
  // codes is neither translated nor prepared again.
  struct Translation {
    Prepared* prepared = nullptr;
    std::vector<JetLiteralUse> uses;
    std::vector<std::string> inline_literals;  // literals written into the SQL, as written
  };
  std::unordered_map<std::string, Translation> translations;
  std::set<std::string> shown_errors;
  std::string pattern;
  std::vector<std::string_view> literals;

  // The prepared statement for a Jet SELECT and the values to bind to it.
  Prepared& Select(std::string_view jet_sql, std::vector<Value>& params) {
    params.clear();
    bool readable = JetLiteralPattern(jet_sql, pattern, literals);
    if (readable) {
      auto it = translations.find(pattern);
      if (it != translations.end() && Serves(it->second)) return Bind(it->second, params);
      if (it != translations.end()) {
        AppendLiterals(pattern);
        it = translations.find(pattern);
        if (it != translations.end()) return Bind(it->second, params);
      }
    }
    JetStatement st = TranslateSelect(jet_sql);
    Prepared& p = Prepare(st);
    if (readable && st.literal_uses.size() == literals.size()) {
      Translation t{&p, st.literal_uses, {}};
      for (size_t i = 0; i < literals.size(); ++i)
        if (st.literal_uses[i] == JetLiteralUse::kInline)
          t.inline_literals.emplace_back(literals[i]);
      translations.emplace(pattern, std::move(t));
    }
    params = std::move(st.params);
    return p;
  }

  bool Serves(const Translation& t) const {
    size_t k = 0;
    for (size_t i = 0; i < t.uses.size(); ++i)
      if (t.uses[i] == JetLiteralUse::kInline && literals[i] != t.inline_literals[k++])
        return false;
    return true;
  }
  void AppendLiterals(std::string& key) const {
    key += '\x1e';
    for (std::string_view l : literals) {
      key += l;
      key += '\x1f';
    }
  }
  Prepared& Bind(const Translation& t, std::vector<Value>& params) const {
    for (size_t i = 0; i < t.uses.size(); ++i)
      if (t.uses[i] != JetLiteralUse::kInline)
        params.push_back(JetLiteralValue(literals[i], t.uses[i]));
    return *t.prepared;
  }

  // A statement of its own for the translated text, with its fields' names and kinds.
  std::unique_ptr<Prepared> Compile(const JetStatement& st) const {
    const std::string& sql = st.sql;
    auto p = std::make_unique<Prepared>();
    if (sqlite3_prepare_v3(db.get(), sql.c_str(), static_cast<int>(sql.size()),
                           SQLITE_PREPARE_PERSISTENT, &p->stmt, nullptr) != SQLITE_OK) {
      // Tell what is wrong with the text as written, not with the order clause added to it.
      std::string message = sqlite3_errmsg(db.get());
      sqlite3_stmt* as_written = nullptr;
      if (st.written_length < sql.size() &&
          sqlite3_prepare_v2(db.get(), sql.c_str(), static_cast<int>(st.written_length),
                             &as_written, nullptr) != SQLITE_OK)
        message = sqlite3_errmsg(db.get());
      sqlite3_finalize(as_written);
      throw RunTimeError(Describe(message), 3000);
    }
    int n = sqlite3_column_count(p->stmt);
    for (int i = 0; i < n; ++i) {
      const char* name = sqlite3_column_name(p->stmt, i);
      p->names->emplace_back(name ? name : "");
      const char* decl = sqlite3_column_decltype(p->stmt, i);
      char kind = 0;
      if (decl && EqualsNoCase(decl, "DATE")) kind = 'D';
      if (decl && EqualsNoCase(decl, "BOOLEAN")) kind = 'L';
      p->kinds.push_back(kind);
    }
    return p;
  }

  Prepared& Prepare(const JetStatement& st) {
    const std::string& sql = st.sql;
    auto it = statements.find(sql);
    if (it != statements.end()) return *it->second;
    if (statements.size() >= kStatementCacheLimit) {
      translations.clear();
      statements.clear();
    }
    return *statements.emplace(sql, Compile(st)).first->second;
  }
};

SourceDb::SourceDb(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SourceDb::~SourceDb() = default;

const std::string& SourceDb::folder() const { return impl_->folder; }
const std::string& SourceDb::cache_path() const { return impl_->cache_path; }
bool SourceDb::rebuilt() const { return impl_->rebuilt; }
size_t SourceDb::PreparedStatementCount() const { return impl_->statements.size(); }

const std::vector<ExportFinding>& SourceDb::findings() const { return impl_->findings; }

bool SourceDb::FirstTimeShown(const std::string& text) {
  return impl_->shown_errors.insert(text).second;
}
void SourceDb::ResetShownErrors() { impl_->shown_errors.clear(); }

Recordset SourceDb::OpenSnapshot(std::string_view jet_sql) {
  Recordset whole;
  ForEachBatch(jet_sql, 0, [&](Recordset& rs) { whole = std::move(rs); });
  return whole;
}

void SourceDb::ForEachBatch(std::string_view jet_sql, size_t batch_rows,
                            const std::function<void(Recordset&)>& batch) {
  std::vector<Value> params;
  Impl::Prepared& p = impl_->Select(jet_sql, params);
  sqlite3_stmt* s = p.stmt;
  struct Reset {
    sqlite3_stmt* s;
    ~Reset() {
      sqlite3_reset(s);
      sqlite3_clear_bindings(s);
    }
  } reset{s};
  for (size_t i = 0; i < params.size(); ++i) BindValue(s, static_cast<int>(i + 1), params[i]);
  auto data = std::make_shared<RecordsetData>(p.names);
  bool handed = false;
  auto hand_on = [&] {
    data->Shrink();
    Recordset rs(std::move(data));
    handed = true;
    batch(rs);
    data = std::make_shared<RecordsetData>(p.names);
  };
  while (StepRow(impl_->db.get(), s, p.kinds, *data)) {
    if (batch_rows > 0 && data->RowCount() >= batch_rows) hand_on();
  }
  // The last rows; a selection of none is handed on as one empty batch only when whole.
  if (data->RowCount() > 0 || (!handed && batch_rows == 0)) hand_on();
}

struct SourceCursor::Impl {
  sqlite3* db = nullptr;
  std::unique_ptr<SourceDb::Impl::Prepared> prepared;
  size_t batch_rows = 0;
  bool done = false;
};

SourceCursor::SourceCursor(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SourceCursor::~SourceCursor() = default;

std::unique_ptr<SourceCursor> SourceDb::OpenCursor(std::string_view jet_sql, size_t batch_rows) {
  JetStatement st = TranslateSelect(jet_sql);
  auto impl = std::make_unique<SourceCursor::Impl>();
  impl->db = impl_->db.get();
  impl->prepared = impl_->Compile(st);
  impl->batch_rows = batch_rows > 0 ? batch_rows : 1;
  for (size_t i = 0; i < st.params.size(); ++i)
    BindValue(impl->prepared->stmt, static_cast<int>(i + 1), st.params[i]);
  return std::unique_ptr<SourceCursor>(new SourceCursor(std::move(impl)));
}

bool SourceCursor::Next(Recordset& batch) {
  Impl& c = *impl_;
  if (c.done) return false;
  auto data = std::make_shared<RecordsetData>(c.prepared->names);
  try {
    while (data->RowCount() < c.batch_rows &&
           StepRow(c.db, c.prepared->stmt, c.prepared->kinds, *data)) {
    }
  } catch (...) {
    c.done = true;
    throw;
  }
  if (data->RowCount() < c.batch_rows) c.done = true;
  if (data->RowCount() == 0) return false;
  data->Shrink();
  batch = Recordset(std::move(data));
  return true;
}

void SourceDb::Execute(std::string_view jet_sql) {
  JetStatement st = TranslateJet(jet_sql);
  if (st.kind != JetStatementKind::kCreateIndex)
    throw RunTimeError("Only CREATE INDEX statements are run on the export.", 3000);
  sqlite3* db = impl_->db.get();
  std::string table;
  {
    Stmt s(
        db,
        "SELECT name FROM _vodare_tables WHERE name = ?1 COLLATE NOCASE "
        "AND EXISTS (SELECT 1 FROM sqlite_master WHERE type='table' AND name = ?1 COLLATE NOCASE)");
    s.Text(1, st.table_name);
    if (!s.Step()) throw RunTimeError("Table '" + st.table_name + "' does not exist.", 3078);
    table = s.ColumnText(0);
  }
  for (const std::string& column : st.index_columns) {
    Stmt s(db, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2 COLLATE NOCASE");
    s.Text(1, table);
    s.Text(2, column);
    if (!s.Step())
      throw RunTimeError("Field '" + column + "' does not exist in table '" + table + "'.", 3191);
  }
  {
    Stmt s(db, "SELECT 1 FROM sqlite_master WHERE type='index' AND name = ?1 COLLATE NOCASE");
    s.Text(1, st.index_name);
    if (s.Step()) throw RunTimeError("Index already exists.", 3375);
  }
  Exec(db, st.sql);
}

std::string SourceDb::QueryPlan(std::string_view jet_sql) {
  JetStatement st = TranslateJet(jet_sql);
  Stmt s(impl_->db.get(), "EXPLAIN QUERY PLAN " + st.sql);
  for (size_t i = 0; i < st.params.size(); ++i)
    BindValue(s.get(), static_cast<int>(i + 1), st.params[i]);
  std::string plan;
  while (s.Step()) plan += s.ColumnText(3) + "\n";
  return plan;
}

std::vector<SourceTableInfo> SourceDb::Tables() {
  sqlite3* db = impl_->db.get();
  std::vector<SourceTableInfo> tables;
  {
    Stmt s(db, "SELECT name, file FROM _vodare_tables ORDER BY name COLLATE NOCASE");
    while (s.Step()) tables.push_back({s.ColumnText(0), s.ColumnText(1), {}, 0});
  }
  Stmt cols(db,
            "SELECT name, type, width, decimals FROM _vodare_columns WHERE table_name = ? "
            "ORDER BY position");
  for (SourceTableInfo& t : tables) {
    cols.Text(1, t.name);
    while (cols.Step()) {
      std::string type = cols.ColumnText(1);
      t.columns.push_back({cols.ColumnText(0), type.empty() ? '?' : type[0],
                           sqlite3_column_int(cols.get(), 2), sqlite3_column_int(cols.get(), 3)});
    }
    sqlite3_reset(cols.get());
    Stmt count(db, "SELECT count(*) FROM " + QuoteSqlName(t.name));
    if (count.Step()) t.row_count = sqlite3_column_int64(count.get(), 0);
  }
  return tables;
}

// ---- Opening ----

std::shared_ptr<SourceDb> OpenExport(const std::string& folder, ErrorList& errors,
                                     const SourceOpenOptions& options) {
  try {
    std::error_code ec;
    fs::path dir(folder);
    if (folder.empty() || !fs::is_directory(dir, ec))
      throw RunTimeError("'" + folder + "' is not a valid path.", 3044);
    if (!options.open_table) throw RunTimeError("No reader for the export's tables.", 3000);
    // "X" and "X/" are the same folder, and so is any other spelling of its path.
    dir = fs::weakly_canonical(fs::absolute(dir, ec), ec);
    if (!dir.has_filename() && dir.has_parent_path()) dir = dir.parent_path();
    FolderScan scan = ScanFolder(dir);

    fs::path fallback_dir = options.fallback_cache_folder.empty()
                                ? fs::temp_directory_path() / "vodare-export-cache"
                                : fs::path(options.fallback_cache_folder);
    fs::path own_dir = options.cache_folder.empty() ? dir : fs::path(options.cache_folder);
    std::vector<fs::path> places = {
        own_dir / kCacheFileName,
        fallback_dir / (FolderHash(dir.lexically_normal().string()) + ".cache")};
    auto impl = std::make_unique<SourceDb::Impl>();
    impl->folder = folder;
    for (const fs::path& place : places) {
      if (StoredFingerprint(place.string()) == scan.fingerprint) {
        impl->cache_path = place.string();
        break;
      }
    }
    std::vector<std::string> messages;
    if (impl->cache_path.empty()) {
      for (const fs::path& place : places) {
        std::string build;
        fs::create_directories(place.parent_path(), ec);
        if (!ReserveBuildFile(place.parent_path(), build)) continue;
        try {
          BuildCache(build, scan, options.open_table, messages, impl->findings);
        } catch (...) {
          fs::remove(build, ec);
          throw;
        }
        // Where the old cache cannot be replaced (a system that keeps open files in place),
        // this opening uses the new file under its build name and the next one builds again.
        fs::rename(build, place, ec);
        impl->cache_path = ec ? build : place.string();
        impl->rebuilt = true;
        break;
      }
      if (impl->cache_path.empty())
        throw RunTimeError("No folder can hold the export's cache (" + dir.string() + ", " +
                               fallback_dir.string() + ").",
                           3051);
    }
    impl->db = OpenDb(impl->cache_path, SQLITE_OPEN_READWRITE);
    // The stages' own indexes and ordered listings sort beyond the page cache in temporary
    // files, as the build does.
    Exec(impl->db.get(),
         "PRAGMA synchronous=OFF; PRAGMA cache_size=-32768; PRAGMA temp_store=FILE;");
    if (!impl->rebuilt) {
      messages = StoredMessages(impl->db.get());
      impl->findings = StoredFindings(impl->db.get());
    }
    for (const std::string& m : messages) errors.Add(kOpeningStage, "", m);
    sqlite3* handle = impl->db.get();
    std::shared_ptr<SourceDb> db(new SourceDb(std::move(impl)));
    CreateSourceIndexes(*db, errors);
    // From here on the cache is only read. Keeping the read lock between queries spares each
    // of the stages' millions of point lookups the locking and cache checks of the file;
    // other openings of the same folder may still read it.
    Exec(handle, "PRAGMA locking_mode=EXCLUSIVE");
    return db;
  } catch (const std::exception& e) {
    errors.Add(kOpeningStage, "", std::string("Error in OpenDBCon: ") + e.what());
    return nullptr;
  }
}

bool CreateSourceIndexes(SourceDb& db, ErrorList& errors) {
  static constexpr const char* kStatements[] = {
      "CREATE INDEX itemname_idx ON pro (billname);",
      "CREATE INDEX itemCode_idx ON pro (code);",
      "CREATE INDEX vcn_idx ON mdis (vcn);",
      "CREATE INDEX accMaster_idx ON mdis (codeP);",
      "CREATE INDEX invDate_idx ON mdis ([Date]);",
      "CREATE INDEX vchCode_idx ON dis (Voucher);",
      "CREATE INDEX refsVchCode_idx ON pend (Voucher);",
      "CREATE INDEX refsVcn_idx ON pend (Vcn);",
      "CREATE INDEX voucher_idx ON gledger (Voucher);",
      "CREATE INDEX accDate_idx ON gledger ([Date]);",
      "CREATE INDEX bthItem_idx ON probat (BillName);",
      "CREATE INDEX batchName_idx ON probat (BatchNo);",
      "CREATE INDEX accName_idx ON [order] (Parnam);",
      "CREATE INDEX accCode_idx ON [order] (ORDNO);",
      "CREATE INDEX partyCode_idx ON SaleType (Scode);",
      "CREATE INDEX Remark_idx ON support (Remark);",
  };
  try {
    for (const char* statement : kStatements) {
      try {
        db.Execute(statement);
      } catch (const std::exception& e) {
        errors.Add(kOpeningStage, statement,
                   std::string("Error creating index: ") + statement + " - " + e.what());
      }
    }
    return true;
  } catch (const std::exception& e) {
    errors.Add(kOpeningStage, "", std::string("Error in CreateIndexes: ") + e.what());
    return false;
  }
}

Recordset GetRecordset(SourceDb* db, RunUi& ui, std::string_view jet_sql) {
  std::string message;
  try {
    if (!db) throw RunTimeError(kObjectNotSet, 91);
    return db->OpenSnapshot(jet_sql);
  } catch (const std::exception& e) {
    message = std::string("Error: ") + e.what();
  }
  // One box per distinct failure: an export that lacks a table must not ask the user to close
  // one box per record. The failure still reaches the stage, which records every record.
  if (!db || db->FirstTimeShown(message))
    ui.ShowMessage(message, "Error", MessageIcon::kExclamation);
  return Recordset();
}

namespace {
// Carries a caller's own failure out through the batches, apart from the export's.
struct CallerFailed {
  std::exception_ptr error;
};
}  // namespace

bool ForEachRecordBatch(SourceDb* db, RunUi& ui, std::string_view jet_sql, size_t batch_rows,
                        const std::function<void(Recordset&)>& batch) {
  std::string message;
  try {
    if (!db) throw RunTimeError(kObjectNotSet, 91);
    db->ForEachBatch(jet_sql, batch_rows, [&](Recordset& rs) {
      try {
        batch(rs);
      } catch (...) {
        throw CallerFailed{std::current_exception()};
      }
    });
    return true;
  } catch (const CallerFailed& f) {
    std::rethrow_exception(f.error);
  } catch (const std::exception& e) {
    message = std::string("Error: ") + e.what();
  }
  // As GetRecordset: one box per distinct failure.
  if (!db || db->FirstTimeShown(message))
    ui.ShowMessage(message, "Error", MessageIcon::kExclamation);
  return false;
}

void ConfigureSqliteForProcess() { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); }

}  // namespace vodare
