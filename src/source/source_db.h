#pragma once
// The export folder as one database. Every table of the folder is loaded into one SQLite file
// kept beside the tables (or in a temporary folder when the export folder is read-only) and
// reused while none of the files it was built from changed. Queries are written in the Jet
// dialect (jet_sql.h) and come back as snapshot recordsets.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_entries.h"
#include "common/run_ui.h"
#include "common/value.h"
#include "source/dbf.h"
#include "source/export_findings.h"
#include "source/recordset.h"

namespace vodare {

// One table as the loader reads it: its fields, then its live records one by one.
class ExportTableReader {
 public:
  virtual ~ExportTableReader() = default;
  virtual const std::vector<DbfField>& fields() const = 0;
  // The next record (one value per field, field order); false at the end. May throw: the table
  // is then left out and reported.
  virtual bool Next(std::vector<Value>& row) = 0;
  // What did not stop the reading but is worth telling (truncated data, missing memo file...).
  virtual std::vector<std::string> warnings() const = 0;
  // The same as findings, complete once Next has returned false; a reader that has none of its
  // own tells its warnings as warnings of the table.
  virtual std::vector<ExportFinding> findings() const { return {}; }
  // The fields of the last row whose value could not be read (kept as text), with the kind
  // that was expected ('N' a number, 'D' a date).
  // Asked after every row, so it hands back the reader's own list.
  virtual const std::vector<DbfReader::Unreadable>& unreadable() const {
    static const std::vector<DbfReader::Unreadable> kNone;
    return kNone;
  }
};

// Opens the table file at path; throws (DbfError or any std::exception) for a broken table.
using ExportTableReaderFactory =
    std::function<std::unique_ptr<ExportTableReader>(const std::string& path)>;

// The dBASE reader behind ExportTableReader.
std::unique_ptr<ExportTableReader> OpenDbfTable(const std::string& path);

// SQLite's settings for the whole process, the export's connections and the company's alike, made
// before the first connection opens: no count of the memory SQLite holds, a count that takes a
// lock on every allocation of every thread (a twentieth of a run's work) and that nothing reads.
// Once SQLite is in use the call changes nothing.
void ConfigureSqliteForProcess();

struct SourceOpenOptions {
  // How a table file is read (OpenDbfTable for the program; tests may read other forms).
  ExportTableReaderFactory open_table;
  // Where the cache is kept: the export folder when empty.
  std::string cache_folder;
  // Where it goes when that folder cannot hold it: the system's temporary folder when empty.
  std::string fallback_cache_folder;
};

struct SourceColumnInfo {
  std::string name;  // as the table names it (a repeated name gets a name of its own)
  char type = 'C';   // dBASE type
  int width = 0;
  int decimals = 0;
};

struct SourceTableInfo {
  std::string name;  // the file's name without extension, as spelt on disk
  std::string file;  // the file's name
  std::vector<SourceColumnInfo> columns;
  int64_t row_count = 0;  // counted when asked
};

class SourceCursor;

class SourceDb {
 public:
  ~SourceDb();
  SourceDb(const SourceDb&) = delete;
  SourceDb& operator=(const SourceDb&) = delete;

  // The export folder and the cache file that serves it.
  const std::string& folder() const;
  const std::string& cache_path() const;
  // True when this opening (re)built the cache, false when it reused it.
  bool rebuilt() const;

  // Runs a Jet SELECT and returns its rows. Raises RunTimeError with the engine's description.
  Recordset OpenSnapshot(std::string_view jet_sql);
  // Runs a Jet SELECT and hands its rows on in order, at most batch_rows at a time (all at once
  // when 0), each batch a snapshot of its own that lives until the next: a listing of millions
  // of rows never holds more than one batch. Raises as OpenSnapshot; what the callback raises
  // goes through.
  void ForEachBatch(std::string_view jet_sql, size_t batch_rows,
                    const std::function<void(Recordset&)>& batch);
  // The rows of a Jet SELECT read forward a batch at a time, on a statement of the cursor's
  // own: a stage that walks one listing in step with its other queries keeps it open between
  // them. The cursor must not outlive this database. Raises as OpenSnapshot.
  std::unique_ptr<SourceCursor> OpenCursor(std::string_view jet_sql, size_t batch_rows);
  // Runs a Jet CREATE INDEX. Raises RunTimeError ("Index already exists.", a missing table or
  // field...) when it cannot.
  void Execute(std::string_view jet_sql);

  // How the engine runs a Jet SELECT (one line per step), to see which indexes serve it.
  std::string QueryPlan(std::string_view jet_sql);

  // The tables with their columns and live row counts, in name order.
  std::vector<SourceTableInfo> Tables();

  // What the opening found wrong with the folder and its tables (kept with the cache, so a
  // reuse tells the same), in the order found.
  const std::vector<ExportFinding>& findings() const;

  // Failed-query texts already shown to the user: true the first time a text is offered.
  bool FirstTimeShown(const std::string& text);
  // Forgets them: a new run shows each again once.
  void ResetShownErrors();

  // How many distinct statements are prepared and kept (for tests of the statement cache).
  size_t PreparedStatementCount() const;

  struct Impl;

 private:
  friend std::shared_ptr<SourceDb> OpenExport(const std::string&, ErrorList&,
                                              const SourceOpenOptions&);
  explicit SourceDb(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

class SourceCursor {
 public:
  ~SourceCursor();
  SourceCursor(const SourceCursor&) = delete;
  SourceCursor& operator=(const SourceCursor&) = delete;
  // The next rows (at most the cursor's batch) as a snapshot of their own; false, with batch
  // left as it was, once the last row has been handed on. Raises RunTimeError with the
  // engine's description.
  bool Next(Recordset& batch);

  struct Impl;

 private:
  friend class SourceDb;
  explicit SourceCursor(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// The stage the opening's entries are filed under.
inline constexpr const char* kOpeningStage = "Export opening";

// Opens the export folder: loads (or reuses) the cache and builds the indexes. Entries for
// tables that could not be read, reader warnings and index failures are added to errors; they
// do not stop the opening. A failure that does adds "Error in OpenDBCon: " + why and returns
// null.
std::shared_ptr<SourceDb> OpenExport(const std::string& folder, ErrorList& errors,
                                     const SourceOpenOptions& options);
// The same over the dBASE tables of the folder.
std::shared_ptr<SourceDb> OpenExport(const std::string& folder, ErrorList& errors);

// The sixteen indexes the stages' lookups use. One "Error creating index: " entry per failed
// statement; true unless something outside the statements failed.
bool CreateSourceIndexes(SourceDb& db, ErrorList& errors);

// A snapshot of the Jet text on the export database (null: none open). On failure the user is
// shown "Error: " + description (caption "Error", once per distinct text until the folder is
// opened again or the errors are reset) and nothing is returned.
Recordset GetRecordset(SourceDb* db, RunUi& ui, std::string_view jet_sql);
// The rows of the Jet text in batches (ForEachBatch) on the export database. On a failure of
// the export the user is shown the message as GetRecordset shows it, and false is returned
// (the batches handed on before it stand).
bool ForEachRecordBatch(SourceDb* db, RunUi& ui, std::string_view jet_sql, size_t batch_rows,
                        const std::function<void(Recordset&)>& batch);

}  // namespace vodare
