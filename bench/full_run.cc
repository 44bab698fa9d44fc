// A whole conversion run (masters and vouchers) of a large sample export into a fresh local
// company, through the same driver and stages as `vodare-cli convert`, with the groups mapped
// automatically. The sample carries as many accounting (ledger) vouchers as inventory vouchers.
//
//   bench_full_run [N ...]      default: 50000 100000
//
// For each size a first child process writes the sample and creates the company, and a second
// one runs the conversion, so that the peak memory printed is the run's own. Per size it prints
// the run's wall and CPU seconds, each stage's seconds and records per second, the peak memory,
// the sizes of the company's file, its write-ahead log and its journal table, and the run
// summary with every tally checked to balance; then the ratio of the largest size's time to the
// smallest's, and each target marked met or MISSED. VODARE_BENCH_KEEP=1 keeps the files.

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
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
#include "destination/local/local_factory.h"
#include "export_writer/sample_export.h"
#include "mapping/mapping_step.h"
#include "masters/ledgers.h"
#include "masters/stage_support.h"
#include "source/source_db.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/inventory_vouchers.h"

namespace fs = std::filesystem;
using namespace vodare;
using Clock = std::chrono::steady_clock;

namespace {

// The targets of a run of 100,000 inventory and 100,000 accounting vouchers on this machine.
constexpr double kRunSecondsTarget = 120;
constexpr double kAccountingRateTarget = 5000;
constexpr double kRatioTarget = 2.1;
constexpr double kPeakMbTarget = 300;

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// The process's peak resident memory so far.
double PeakMb() {
  struct rusage u {};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024.0;
}

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// The answers `vodare-cli convert --same-state yes --batch-stock yes --alt-units yes
// --map-groups auto` gives, without a word on the terminal: the error list is written nowhere.
class BenchRunUi : public SilentRunUi {
 public:
  bool AskYesNo(const std::string&, const std::string& caption) override {
    return caption == "State Confirmation" || caption == "Feature Confirmation" ||
           caption == "Mapping Confirmation";
  }
  bool MapAccountGroups(const std::vector<std::string>& vodori_groups,
                        const std::vector<std::string>& vuvoda_groups, GroupPairs& pairs) override {
    pairs = AutoMapGroupLists(vodori_groups, vuvoda_groups);
    mapped = pairs.size();
    offered = vodori_groups.size();
    return true;
  }
  size_t mapped = 0, offered = 0;
};

// What the parent needs to compare the sizes; the rest the run's child prints itself.
struct Result {
  double seconds = 0;
  double cpu_seconds = 0;
  double accounting_rate = 0;        // vouchers read (saved or not) per second
  double accounting_saved_rate = 0;  // vouchers saved per second
  bool balanced = false;
  bool completed = false;
};

struct Folders {
  fs::path export_dir, program, data;
  explicit Folders(const fs::path& root)
      : export_dir(root / "export"), program(root / "Vuvoda"), data(root / "Data") {}
};

// Writes the sample and creates the company (in a child process of its own); returns the code.
std::string Prepare(int64_t vouchers, const Folders& f) {
  SampleExportOptions options;
  options.vouchers = vouchers;
  options.ledger_vouchers = vouchers;
  SampleExportSummary written = WriteSampleExport(f.export_dir.string(), options);
  std::printf("sample of %lld vouchers:", static_cast<long long>(vouchers));
  for (const auto& [table, rows] : written.tables)
    std::printf(" %s %lld", table.c_str(), static_cast<long long>(rows));
  std::printf("\n");
  local::EnsureInstallation(f.program.string(), f.data.string());
  local::NewCompany company;
  company.name = kSampleCompanyName;
  company.state = GetStateName("27");
  company.years = {kSampleYear};
  return local::CompanyStore::Create(f.data.string(), company);
}

int64_t FileSize(const fs::path& p) {
  std::error_code ec;
  auto n = fs::file_size(p, ec);
  return ec ? -1 : static_cast<int64_t>(n);
}

double Mb(int64_t bytes) { return bytes / (1024.0 * 1024.0); }

// The company file's make-up: the journal table's rows and text, and the pages of each table
// and index when this SQLite has the dbstat table.
void PrintStoreMakeUp(const fs::path& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    std::printf("  store: cannot open %s\n", file.c_str());
    sqlite3_close(db);
    return;
  }
  auto each = [&](const char* sql, const std::function<void(sqlite3_stmt*)>& row) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
      sqlite3_finalize(st);
      return false;
    }
    while (sqlite3_step(st) == SQLITE_ROW) row(st);
    sqlite3_finalize(st);
    return true;
  };
  each(
      "SELECT count(*), coalesce(sum(length(text)), 0), coalesce(sum(length(message)), 0) "
      "FROM journal",
      [](sqlite3_stmt* st) {
        std::printf(
            "  journal table: %lld rows, %.1f MB of packed record text, %.1f MB of messages\n",
            static_cast<long long>(sqlite3_column_int64(st, 0)), Mb(sqlite3_column_int64(st, 1)),
            Mb(sqlite3_column_int64(st, 2)));
      });
  int64_t page_size = 0, pages = 0, free_pages = 0;
  each("PRAGMA page_size", [&](sqlite3_stmt* st) { page_size = sqlite3_column_int64(st, 0); });
  each("PRAGMA page_count", [&](sqlite3_stmt* st) { pages = sqlite3_column_int64(st, 0); });
  each("PRAGMA freelist_count",
       [&](sqlite3_stmt* st) { free_pages = sqlite3_column_int64(st, 0); });
  std::printf("  pages: %lld of %lld bytes, %lld free\n", static_cast<long long>(pages),
              static_cast<long long>(page_size), static_cast<long long>(free_pages));
  const int64_t total = pages * page_size;
  bool any = false;
  bool ok = each(
      "SELECT name, sum(pgsize), sum(payload), count(*) FROM dbstat GROUP BY name "
      "ORDER BY 2 DESC",
      [&](sqlite3_stmt* st) {
        if (!any) std::printf("  %-34s %9s %6s %9s\n", "table or index", "MB", "share", "payload");
        any = true;
        const int64_t bytes = sqlite3_column_int64(st, 1);
        if (bytes * 200 < total) return;  // under half a per cent: left out
        std::printf("  %-34s %9.1f %5.1f%% %9.1f\n",
                    reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), Mb(bytes),
                    100.0 * bytes / std::max<int64_t>(total, 1), Mb(sqlite3_column_int64(st, 2)));
      });
  if (!ok) std::printf("  (this SQLite has no dbstat table: no page count per table)\n");
  sqlite3_close(db);
}

struct StageTimes {
  std::string name;
  const char* tally;  // the stage's own tally line, for its record count
  double wall = 0, cpu = 0;
  double peak_mb = 0;  // the process's peak by the stage's end
  int64_t read = 0, saved = 0;
  bool ran = false;
};

// Wraps a stage hook so that its wall and CPU seconds and its tally's growth are recorded.
RunStages::Stage Timed(RunStages::Stage stage, StageTimes& times) {
  if (!stage) return stage;
  return [stage, &times](RunContext& ctx, const StageArgs& args) {
    const StageTally* before = ctx.summary.Find(times.tally);
    const int64_t read0 = before ? before->read : 0, saved0 = before ? before->saved : 0;
    const double cpu = CpuSeconds();
    const auto a = Clock::now();
    stage(ctx, args);
    times.wall += Seconds(a, Clock::now());
    times.cpu += CpuSeconds() - cpu;
    times.ran = true;
    times.peak_mb = PeakMb();
    if (const StageTally* after = ctx.summary.Find(times.tally)) {
      times.read += after->read - read0;
      times.saved += after->saved - saved0;
    }
  };
}

// The conversion itself, in the run's child process.
Result Run(const Folders& f, const std::string& code) {
  std::vector<StageTimes> times = {{"items", kTallyItems},
                                   {"material centres", kTallyMaterialCentres},
                                   {"account groups", kTallyAccountGroups},
                                   {"ledgers", kTallyLedgers},
                                   {"tax types", kTallyTaxTypes},
                                   {"inventory vouchers", kInventoryVoucherStage},
                                   {"accounting vouchers", kAccountingVoucherStage}};
  RunStages stages = DefaultRunStages();
  stages.ImportItems = Timed(stages.ImportItems, times[0]);
  stages.ImportMaterialCentres = Timed(stages.ImportMaterialCentres, times[1]);
  stages.ImportAccountGroups = Timed(stages.ImportAccountGroups, times[2]);
  stages.ImportLedgers = Timed(stages.ImportLedgers, times[3]);
  stages.ImportTaxTypes = Timed(stages.ImportTaxTypes, times[4]);
  stages.ImportInventoryVouchers = Timed(stages.ImportInventoryVouchers, times[5]);
  stages.ImportAccountingVouchers = Timed(stages.ImportAccountingVouchers, times[6]);
  // The run is timed without the comparison of the books with the export that follows it.
  stages.ReconcileRun = nullptr;
  // The steps around the stages, timed the same way.
  double open_s = 0, connect_s = 0, configure_s = 0, mapping_s = 0, open_peak = 0;
  auto open_export = stages.OpenSourceDb;
  stages.OpenSourceDb = [&](RunContext& ctx, const std::string& folder, ErrorList& error) {
    const auto a = Clock::now();
    bool ok = open_export(ctx, folder, error);
    open_s += Seconds(a, Clock::now());
    open_peak = PeakMb();
    return ok;
  };
  auto connect_company = stages.ConnectDestination;
  stages.ConnectDestination = [&](RunContext& ctx, const std::string& program,
                                  const std::string& data, const std::string& company, int16_t year,
                                  ErrorList& error) {
    const auto a = Clock::now();
    bool ok = connect_company(ctx, program, data, company, year, error);
    connect_s += Seconds(a, Clock::now());
    return ok;
  };
  auto configure_company = stages.ConfigureDestination;
  stages.ConfigureDestination = [&](RunContext& ctx, int16_t masters_value) {
    const auto a = Clock::now();
    configure_company(ctx, masters_value);
    configure_s += Seconds(a, Clock::now());
  };
  auto map_groups = stages.MapAccountGroups;
  stages.MapAccountGroups = [&](RunContext& ctx) {
    const auto a = Clock::now();
    map_groups(ctx);
    mapping_s += Seconds(a, Clock::now());
  };
  // The usage report stays switched off: nothing leaves the machine.
  unsetenv(kUsageEndpointVariable);

  RunInputs inputs;
  inputs.vuvoda_path = f.program.string() + "/";
  inputs.vuvoda_data_path = f.data.string() + "/";
  inputs.company_code = code;
  inputs.company_name = kSampleCompanyName;
  inputs.fin_year_text = std::to_string(kSampleYear);
  inputs.vodori_data_path = f.export_dir.string();
  inputs.from_date = Date::FromYmd(kSampleYear, 4, 1);
  inputs.to_date = Date::FromYmd(kSampleYear + 1, 3, 31);
  inputs.masters = true;
  inputs.vouchers = true;

  Result r;
  const fs::path file = f.data / code / local::kCompanyFileName;
  BenchRunUi ui;
  RunSummary summary;
  RunOutcome outcome;
  size_t error_entries = 0;
  int64_t file_at_end = 0, wal_at_end = 0;
  {
    RunContext ctx(ui);
    auto factory = local::MakeLocalAutomationFactory(f.program.string());
    ctx.factory = factory.get();
    const double cpu = CpuSeconds();
    const auto a = Clock::now();
    RunResult result = RunConversion(ctx, inputs, stages);
    r.seconds = Seconds(a, Clock::now());
    r.cpu_seconds = CpuSeconds() - cpu;
    outcome = result.outcome;
    summary = ctx.summary;
    error_entries = result.errors.size();
    file_at_end = FileSize(file);
    wal_at_end = FileSize(fs::path(file.string() + "-wal"));
    if (outcome != RunOutcome::kCompleted && outcome != RunOutcome::kPartial)
      std::printf("run ended early: %s\n", result.error_text.c_str());
  }
  r.completed = outcome == RunOutcome::kCompleted || outcome == RunOutcome::kPartial;

  std::printf("run: %s, %zu error entries; %.2f s wall, %.2f s CPU\n", OutcomeName(outcome),
              error_entries, r.seconds, r.cpu_seconds);
  std::printf("  %-20s %6.2f s wall (peak memory by then %.1f MB)\n", "opening the export", open_s,
              open_peak);
  std::printf("  %-20s %6.2f s wall\n", "connecting (twice)", connect_s);
  std::printf("  %-20s %6.2f s wall\n", "configuring", configure_s);
  std::printf("  %-20s %6.2f s wall (%zu of %zu groups paired)\n", "group mapping", mapping_s,
              ui.mapped, ui.offered);
  std::printf("  %-20s %6s %6s %8s %8s %10s %10s %10s %9s\n", "stage", "wall s", "CPU s", "read",
              "saved", "read/s", "read/CPU s", "saved/s", "peak MB");
  for (const StageTimes& t : times) {
    if (!t.ran) continue;
    std::printf("  %-20s %6.2f %6.2f %8lld %8lld %10.0f %10.0f %10.0f %9.1f\n", t.name.c_str(),
                t.wall, t.cpu, static_cast<long long>(t.read), static_cast<long long>(t.saved),
                t.read / std::max(t.wall, 1e-9), t.read / std::max(t.cpu, 1e-9),
                t.saved / std::max(t.wall, 1e-9), t.peak_mb);
  }
  const StageTimes& accounting = times.back();
  r.accounting_rate = accounting.read / std::max(accounting.wall, 1e-9);
  r.accounting_saved_rate = accounting.saved / std::max(accounting.wall, 1e-9);

  r.balanced = true;
  std::printf("  %-32s %8s %8s %8s %8s %8s %8s\n", "tally", "read", "saved", "refused", "failed",
              "skipped", "unreached");
  for (const StageTally& t : summary.stages()) {
    r.balanced = r.balanced && t.Balanced();
    std::printf("  %-32s %8lld %8lld %8lld %8lld %8lld %8lld%s\n", t.stage.c_str(),
                static_cast<long long>(t.read), static_cast<long long>(t.saved),
                static_cast<long long>(t.refused), static_cast<long long>(t.failed),
                static_cast<long long>(t.Skipped()), static_cast<long long>(t.not_reached),
                t.Balanced() ? "" : "  UNBALANCED");
    for (const auto& [rule, count] : t.skipped)
      std::printf("      skipped: %lld %s\n", static_cast<long long>(count), rule.c_str());
  }
  std::printf("  tallies %s\n", r.balanced ? "balanced" : "NOT balanced");

  std::printf("store: %s\n", file.c_str());
  std::printf("  at the run's end: file %.1f MB, write-ahead log %.1f MB\n", Mb(file_at_end),
              Mb(std::max<int64_t>(wal_at_end, 0)));
  const int64_t wal_closed = FileSize(fs::path(file.string() + "-wal"));
  if (wal_closed < 0)
    std::printf("  once closed:      file %.1f MB, write-ahead log removed\n", Mb(FileSize(file)));
  else
    std::printf("  once closed:      file %.1f MB, write-ahead log %.1f MB\n", Mb(FileSize(file)),
                Mb(wal_closed));
  PrintStoreMakeUp(file);
  return r;
}

// Runs fn in a child process; false when it did not end normally with status 0.
bool InChild(const std::function<void()>& fn, struct rusage* usage) {
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    fn();
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  struct rusage u {};
  wait4(pid, &status, 0, &u);
  if (usage) *usage = u;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  vodare::ConfigureSqliteForProcess();  // as the program's own mains do
  std::vector<int64_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoll(argv[i]));
  if (sizes.empty()) sizes = {50000, 100000};

  std::vector<Result> results;
  std::vector<double> peaks;
  for (int64_t n : sizes) {
    char pattern[] = "/tmp/vodare-bench-full-XXXXXX";
    if (!mkdtemp(pattern)) return 2;
    const Folders folders{fs::path(pattern)};
    std::printf("\n== %lld inventory vouchers and %lld accounting vouchers ==\n",
                static_cast<long long>(n), static_cast<long long>(n));
    int fds[2];
    if (pipe(fds) != 0) return 2;
    const auto prepared_at = Clock::now();
    bool ok = InChild(
        [&] {
          close(fds[0]);
          std::string code;
          try {
            code = Prepare(n, folders);
          } catch (const std::exception& e) {
            std::fprintf(stderr, "the sample or the company could not be made: %s\n", e.what());
            _exit(2);
          }
          if (write(fds[1], code.data(), code.size()) != static_cast<ssize_t>(code.size()))
            _exit(3);
        },
        nullptr);
    close(fds[1]);
    char buf[64] = {};
    ssize_t got = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    if (!ok || got <= 0) return 1;
    const std::string code(buf, static_cast<size_t>(got));
    std::printf("sample written and company %s created in %.2f s (not part of the run)\n",
                code.c_str(), Seconds(prepared_at, Clock::now()));

    if (pipe(fds) != 0) return 2;
    struct rusage usage {};
    ok = InChild(
        [&] {
          close(fds[0]);
          Result r = Run(folders, code);
          if (write(fds[1], &r, sizeof r) != sizeof r) _exit(3);
        },
        &usage);
    close(fds[1]);
    Result r;
    got = read(fds[0], &r, sizeof r);
    close(fds[0]);
    if (!std::getenv("VODARE_BENCH_KEEP")) {
      std::error_code ec;
      fs::remove_all(pattern, ec);
    } else {
      std::printf("kept: %s\n", pattern);
    }
    if (!ok || got != sizeof r) {
      std::fprintf(stderr, "the run of %lld vouchers failed\n", static_cast<long long>(n));
      return 1;
    }
    const double peak = usage.ru_maxrss / 1024.0;
    std::printf("peak memory of the run's process: %.1f MB\n", peak);
    results.push_back(r);
    peaks.push_back(peak);
  }

  auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
  const Result& last = results.back();
  std::printf("\n%-36s %10s   %s\n", "measure (largest size)", "value", "target");
  std::printf("%-36s %8.2f s   < %.0f s: %s (CPU %.2f s)\n", "whole run", last.seconds,
              kRunSecondsTarget, verdict(last.seconds < kRunSecondsTarget), last.cpu_seconds);
  std::printf("%-36s %8.0f /s  >= %.0f/s: %s\n", "accounting vouchers read", last.accounting_rate,
              kAccountingRateTarget, verdict(last.accounting_rate >= kAccountingRateTarget));
  std::printf("%-36s %8.0f /s  >= %.0f/s: %s\n", "accounting vouchers saved",
              last.accounting_saved_rate, kAccountingRateTarget,
              verdict(last.accounting_saved_rate >= kAccountingRateTarget));
  if (results.size() >= 2) {
    const double ratio = last.seconds / results.front().seconds;
    std::printf("%-36s %8.2f     <= %.1f: %s (CPU %.2f)\n",
                ("time ratio " + std::to_string(sizes.back()) + "/" + std::to_string(sizes.front()))
                    .c_str(),
                ratio, kRatioTarget, verdict(ratio <= kRatioTarget),
                last.cpu_seconds / results.front().cpu_seconds);
  }
  std::printf("%-36s %8.1f MB  < %.0f MB: %s\n", "peak memory", peaks.back(), kPeakMbTarget,
              verdict(peaks.back() < kPeakMbTarget));
  bool all_balanced = true, all_completed = true;
  for (const Result& r : results) {
    all_balanced = all_balanced && r.balanced;
    all_completed = all_completed && r.completed;
  }
  std::printf("%-36s %10s   %s\n", "tallies", all_balanced ? "balanced" : "UNBALANCED",
              all_completed ? "every run completed" : "a run ended early");
  return all_balanced && all_completed ? 0 : 1;
}
