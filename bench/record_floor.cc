// The floor of a record's cost: what the automation interface cannot do without for each record
// it is sent, measured on the very records of a run, against what the run spent per record.
//
//   bench_record_floor [N]      default: 20000 inventory and 20000 accounting vouchers
//
// First a whole conversion run (masters and vouchers, as `vodare-cli convert --masters
// --vouchers --map-groups auto`) of a sample export of N + N vouchers into a fresh company,
// timed wall and CPU. Then, for every record the company's journal received, in the same order,
// the floor does only this: one pugixml parse of the record's text and one serialisation of it,
// and one SQLite transaction (WAL, synchronous NORMAL, the company file's page size and layout)
// holding the record's journal row with its text as the company stored it (packed texts are not
// packed again) and the very rows the company stored for it (voucher with all its parts, or
// master). Reading those rows out of the company file, and copying the log into the file, are
// not timed. It prints both costs per record and the run's as a multiple of the floor.
// VODARE_BENCH_KEEP=1 keeps the files.

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "app/run_driver.h"
#include "app/run_stages.h"
#include "app/status_report.h"
#include "common/gst_states.h"
#include "common/run_ui.h"
#include "context/run_context.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/journal_text.h"
#include "destination/local/local_factory.h"
#include "export_writer/sample_export.h"
#include "mapping/mapping_step.h"
#include "masters/stage_support.h"
#include "source/source_db.h"

namespace fs = std::filesystem;
using namespace vodare;
using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// The answers of `vodare-cli convert --same-state yes --batch-stock yes --alt-units yes
// --map-groups auto`, silently.
class BenchRunUi : public SilentRunUi {
 public:
  bool AskYesNo(const std::string&, const std::string& caption) override {
    return caption == "State Confirmation" || caption == "Feature Confirmation" ||
           caption == "Mapping Confirmation";
  }
  bool MapAccountGroups(const std::vector<std::string>& vodori_groups,
                        const std::vector<std::string>& vuvoda_groups, GroupPairs& pairs) override {
    pairs = AutoMapGroupLists(vodori_groups, vuvoda_groups);
    return true;
  }
};

void Check(int rc, sqlite3* db, const char* what) {
  if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
  std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
  std::exit(2);
}

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), db, sql.c_str());
  return st;
}

// The rows of one table that belong to one record, copied out of the company file in one
// ordered pass (the rows of a record lie together, in the order of the journal).
struct TableRows {
  std::string table;
  sqlite3_stmt* select = nullptr;  // in the company file, in record order
  int key_column = 0;
  sqlite3_stmt* insert = nullptr;  // in the floor's file
  int width = 0;
  bool at_row = false, started = false;
  std::vector<std::vector<sqlite3_value*>> rows;

  void Read(int64_t key) {
    Clear();
    if (!started) at_row = sqlite3_step(select) == SQLITE_ROW;
    started = true;
    while (at_row && sqlite3_column_int64(select, key_column) <= key) {
      if (sqlite3_column_int64(select, key_column) == key) {
        std::vector<sqlite3_value*> row(width);
        for (int i = 0; i < width; ++i) row[i] = sqlite3_value_dup(sqlite3_column_value(select, i));
        rows.push_back(std::move(row));
      }
      at_row = sqlite3_step(select) == SQLITE_ROW;
    }
  }
  void Write(sqlite3* db) {
    for (const auto& row : rows) {
      for (int i = 0; i < width; ++i) sqlite3_bind_value(insert, i + 1, row[i]);
      Check(sqlite3_step(insert), db, table.c_str());
      sqlite3_reset(insert);
    }
  }
  void Clear() {
    for (auto& row : rows)
      for (sqlite3_value* v : row) sqlite3_value_free(v);
    rows.clear();
  }
};

struct StringWriter final : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
};

}  // namespace

int main(int argc, char** argv) {
  vodare::ConfigureSqliteForProcess();  // as the program's own mains do, for the floor's SQLite too
  const int64_t n = argc > 1 ? std::atoll(argv[1]) : 20000;
  char pattern[] = "/tmp/vodare-bench-floor-XXXXXX";
  if (!mkdtemp(pattern)) return 2;
  const fs::path root(pattern);
  const fs::path export_dir = root / "export", program = root / "Vuvoda", data = root / "Data";

  SampleExportOptions options;
  options.vouchers = n;
  options.ledger_vouchers = n;
  WriteSampleExport(export_dir.string(), options);
  local::EnsureInstallation(program.string(), data.string());
  local::NewCompany company;
  company.name = kSampleCompanyName;
  company.state = GetStateName("27");
  company.years = {kSampleYear};
  const std::string code = local::CompanyStore::Create(data.string(), company);
  const fs::path file = data / code / local::kCompanyFileName;

  // The run.
  unsetenv(kUsageEndpointVariable);
  RunInputs inputs;
  inputs.vuvoda_path = program.string() + "/";
  inputs.vuvoda_data_path = data.string() + "/";
  inputs.company_code = code;
  inputs.company_name = kSampleCompanyName;
  inputs.fin_year_text = std::to_string(kSampleYear);
  inputs.vodori_data_path = export_dir.string();
  inputs.from_date = Date::FromYmd(kSampleYear, 4, 1);
  inputs.to_date = Date::FromYmd(kSampleYear + 1, 3, 31);
  inputs.masters = true;
  inputs.vouchers = true;
  RunStages stages = DefaultRunStages();
  stages.ReconcileRun = nullptr;  // the comparison of the books afterwards is no record's cost
  double run_wall = 0, run_cpu = 0;
  {
    BenchRunUi ui;
    RunContext ctx(ui);
    auto factory = local::MakeLocalAutomationFactory(program.string());
    ctx.factory = factory.get();
    const double cpu = CpuSeconds();
    const auto a = Clock::now();
    RunResult result = RunConversion(ctx, inputs, stages);
    run_wall = Seconds(a, Clock::now());
    run_cpu = CpuSeconds() - cpu;
    if (result.outcome != RunOutcome::kCompleted && result.outcome != RunOutcome::kPartial) {
      std::fprintf(stderr, "the run ended early: %s\n", result.error_text.c_str());
      return 1;
    }
  }

  // The floor, over the journal of the run.
  sqlite3* company_db = nullptr;
  Check(sqlite3_open_v2(file.c_str(), &company_db, SQLITE_OPEN_READONLY, nullptr), company_db,
        "open the company");
  const fs::path floor_file = root / "floor.sqlite";
  sqlite3* floor = nullptr;
  Check(sqlite3_open(floor_file.c_str(), &floor), floor, "open the floor's file");
  int page_size = 4096;
  {
    sqlite3_stmt* st = Prepare(company_db, "PRAGMA page_size");
    if (sqlite3_step(st) == SQLITE_ROW) page_size = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
  }
  Check(sqlite3_exec(floor,
                     ("PRAGMA page_size=" + std::to_string(page_size) +
                      "; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; "
                      "PRAGMA wal_autocheckpoint=0;")
                         .c_str(),
                     nullptr, nullptr, nullptr),
        floor, "set the floor's file up");
  {
    sqlite3_stmt* st = Prepare(
        company_db, "SELECT sql FROM sqlite_master WHERE sql IS NOT NULL ORDER BY type DESC");
    Check(sqlite3_exec(floor, "BEGIN", nullptr, nullptr, nullptr), floor, "BEGIN");
    while (sqlite3_step(st) == SQLITE_ROW)
      Check(sqlite3_exec(floor, reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), nullptr,
                         nullptr, nullptr),
            floor, "the layout");
    Check(sqlite3_exec(floor, "COMMIT", nullptr, nullptr, nullptr), floor, "COMMIT");
    sqlite3_finalize(st);
  }
  auto table = [&](const std::string& name, const std::string& key) {
    TableRows t;
    t.table = name;
    t.select = Prepare(company_db, "SELECT *, " + key + " FROM " + name + " WHERE " + key +
                                       " IS NOT NULL ORDER BY " + key + ", rowid");
    t.width = sqlite3_column_count(t.select) - 1;
    t.key_column = t.width;
    std::string marks;
    for (int i = 0; i < t.width; ++i) marks += i ? ",?" : "?";
    t.insert = Prepare(floor, "INSERT INTO " + name + " VALUES(" + marks + ")");
    return t;
  };
  TableRows master = table("master", "journal_seq");
  TableRows voucher = table("voucher", "journal_seq");
  std::vector<TableRows> parts;
  for (const char* name :
       {"voucher_item", "voucher_batch", "voucher_sundry", "voucher_entry", "voucher_bill_ref"})
    parts.push_back(table(name, "voucher_id"));
  sqlite3_stmt* journal =
      Prepare(company_db,
              "SELECT seq, at, operation, kind, text, accepted, message FROM journal ORDER BY seq");
  sqlite3_stmt* journal_insert = Prepare(floor,
                                         "INSERT INTO journal(seq, at, operation, kind, text, "
                                         "accepted, message) VALUES(?,?,?,?,?,?,?)");
  sqlite3_stmt* begin = Prepare(floor, "BEGIN IMMEDIATE");
  sqlite3_stmt* commit = Prepare(floor, "COMMIT");

  double floor_wall = 0, floor_cpu = 0;
  int64_t records = 0, text_bytes = 0, since_checkpoint = 0;
  StringWriter out;
  while (sqlite3_step(journal) == SQLITE_ROW) {
    const int64_t seq = sqlite3_column_int64(journal, 0);
    std::string text;
    if (sqlite3_column_type(journal, 4) == SQLITE_BLOB) {
      text = local::UnpackJournalText(
          std::string_view(static_cast<const char*>(sqlite3_column_blob(journal, 4)),
                           static_cast<size_t>(sqlite3_column_bytes(journal, 4))));
    } else {
      text = reinterpret_cast<const char*>(sqlite3_column_text(journal, 4));
    }
    master.Read(seq);
    voucher.Read(seq);
    const int64_t voucher_id = voucher.rows.empty() ? 0 : sqlite3_value_int64(voucher.rows[0][0]);
    for (TableRows& t : parts) t.Read(voucher_id);

    const double cpu = CpuSeconds();
    const auto a = Clock::now();
    {
      pugi::xml_document doc;
      doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
      out.text.clear();
      doc.print(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    }
    Check(sqlite3_step(begin), floor, "BEGIN");
    sqlite3_reset(begin);
    sqlite3_bind_int64(journal_insert, 1, seq);
    sqlite3_bind_value(journal_insert, 2, sqlite3_column_value(journal, 1));
    sqlite3_bind_value(journal_insert, 3, sqlite3_column_value(journal, 2));
    sqlite3_bind_value(journal_insert, 4, sqlite3_column_value(journal, 3));
    sqlite3_bind_value(journal_insert, 5, sqlite3_column_value(journal, 4));
    sqlite3_bind_value(journal_insert, 6, sqlite3_column_value(journal, 5));
    sqlite3_bind_value(journal_insert, 7, sqlite3_column_value(journal, 6));
    Check(sqlite3_step(journal_insert), floor, "journal");
    sqlite3_reset(journal_insert);
    master.Write(floor);
    voucher.Write(floor);
    for (TableRows& t : parts) t.Write(floor);
    Check(sqlite3_step(commit), floor, "COMMIT");
    sqlite3_reset(commit);
    floor_wall += Seconds(a, Clock::now());
    floor_cpu += CpuSeconds() - cpu;
    // The log is copied into the file outside the floor (the store does it on a thread of its
    // own); only the transactions count.
    if (++since_checkpoint == 2000) {
      sqlite3_wal_checkpoint_v2(floor, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
      since_checkpoint = 0;
    }
    ++records;
    text_bytes += static_cast<int64_t>(text.size());
  }
  for (sqlite3_stmt* st : {journal, journal_insert, begin, commit, master.select, master.insert,
                           voucher.select, voucher.insert})
    sqlite3_finalize(st);
  for (TableRows& t : parts) {
    t.Clear();
    sqlite3_finalize(t.select);
    sqlite3_finalize(t.insert);
  }
  master.Clear();
  voucher.Clear();
  sqlite3_close(floor);
  sqlite3_close(company_db);

  const double per = 1e6 / std::max<int64_t>(records, 1);
  std::printf("%lld inventory and %lld accounting vouchers: %lld records, %.1f MB of record text\n",
              static_cast<long long>(n), static_cast<long long>(n), static_cast<long long>(records),
              text_bytes / (1024.0 * 1024.0));
  std::printf("%-34s %9s %9s %12s %12s\n", "", "wall s", "CPU s", "wall us/rec", "CPU us/rec");
  std::printf("%-34s %9.2f %9.2f %12.1f %12.1f\n", "the run (export to company)", run_wall, run_cpu,
              run_wall * per, run_cpu * per);
  std::printf("%-34s %9.2f %9.2f %12.1f %12.1f\n", "the floor (parse, print, commit)", floor_wall,
              floor_cpu, floor_wall * per, floor_cpu * per);
  std::printf("the run per record: %.2f times the floor's wall, %.2f times its CPU\n",
              run_wall / std::max(floor_wall, 1e-9), run_cpu / std::max(floor_cpu, 1e-9));
  if (std::getenv("VODARE_BENCH_KEEP")) {
    std::printf("kept: %s\n", pattern);
  } else {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  return 0;
}
