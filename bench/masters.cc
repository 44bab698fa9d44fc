// A masters run of a large sample export into a fresh local company, timed stage by stage.
// Usage: bench_masters [ITEMS] [BATCHES] [LEDGERS]   (defaults 20000 60000 10000)
// Prints the master saves (one save = one SaveMasterFromXML call), the seconds each stage took,
// the saves per second end to end, and the peak memory of the process.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "common/run_ui.h"
#include "context/run_context.h"
#include "context/run_destination.h"
#include "context/run_source.h"
#include "destination/connection.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/local_factory.h"
#include "destination/local/reports.h"
#include "export_writer/sample_export.h"
#include "masters/account_groups.h"
#include "masters/items.h"
#include "masters/ledgers.h"
#include "masters/material_centres.h"
#include "masters/stage_support.h"
#include "source/source_db.h"

namespace fs = std::filesystem;
using namespace vodare;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// CPU seconds of the process so far: the machine may be shared, so wall time alone says little.
double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// One save is one SaveMasterFromXML call: every record the company saved or refused. The batch
// details travel inside their items and are not calls of their own.
int64_t Saves(const RunSummary& summary) {
  int64_t n = 0;
  for (const StageTally& t : summary.stages())
    if (t.stage != kTallyBatchDetails) n += t.saved + t.refused;
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  SampleExportOptions sample;
  sample.vouchers = 100;
  sample.items = argc > 1 ? std::atoll(argv[1]) : 20000;
  sample.batches = argc > 2 ? std::atoll(argv[2]) : 60000;
  sample.ledgers = argc > 3 ? std::atoll(argv[3]) : 10000;
  sample.ledger_vouchers = 0;

  char pattern[] = "/tmp/vodare-bench-masters-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  fs::path root = pattern;
  const std::string export_dir = (root / "export").string();
  const std::string program = (root / "Vuvoda").string();
  const std::string data = (root / "Data").string();

  auto t0 = Clock::now();
  WriteSampleExport(export_dir, sample);
  local::EnsureInstallation(program, data);
  local::NewCompany spec;
  spec.name = kSampleCompanyName;
  spec.state = "MAHARASHTRA";
  spec.years = {kSampleYear};
  std::string code = local::CompanyStore::Create(data, spec);
  auto t1 = Clock::now();

  SilentRunUi ui;
  RunContext ctx(ui);
  auto factory = local::MakeLocalAutomationFactory(program);
  ctx.factory = factory.get();
  ErrorList errors;
  if (!ConnectDestination(ctx, program, data, code, static_cast<int16_t>(kSampleYear))) {
    std::fprintf(stderr, "company did not open: %s\n", ctx.errors.Text().c_str());
    return 1;
  }
  ctx.settings = ReadCompanySettings(ctx.destination);
  ctx.destination.CompanyApi->EnableItemMastNotes = true;
  ctx.destination.CompanyApi->EnableAccMastNotes = true;
  ctx.destination.CompanyApi->MultiGodown = true;
  ctx.destination.CompanyApi->DLNoEnabled = true;
  auto t2 = Clock::now();
  if (!OpenSourceDb(ctx, export_dir, errors)) {
    std::fprintf(stderr, "export did not open: %s\n", errors.Text().c_str());
    return 1;
  }
  auto t3 = Clock::now();
  ctx.errors.Clear();

  struct Step {
    const char* name;
    std::function<void(RunContext&)> run;
  };
  const Step steps[] = {{"items", ImportItems},
                        {"material centres", ImportMaterialCentres},
                        {"account groups", ImportAccountGroups},
                        {"ledgers", ImportLedgers},
                        {"tax types", ImportTaxTypes}};
  std::printf("sample: %lld items, %lld batches, %lld ledgers (writing + company: %.2f s)\n",
              static_cast<long long>(sample.items), static_cast<long long>(sample.batches),
              static_cast<long long>(sample.ledgers), Seconds(t0, t1));
  std::printf("opening the export (load + indexes): %.2f s; connecting: %.2f s\n", Seconds(t2, t3),
              Seconds(t1, t2));
  auto start = Clock::now();
  const double cpu_start = CpuSeconds();
  for (const Step& step : steps) {
    int64_t before = Saves(ctx.summary);
    auto a = Clock::now();
    double cpu_a = CpuSeconds();
    step.run(ctx);
    double cpu = CpuSeconds() - cpu_a;
    auto b = Clock::now();
    int64_t saves = Saves(ctx.summary) - before;
    std::printf("  %-17s %8lld saves %8.2f s wall %10.0f saves/s | %6.2f s CPU %10.0f saves/s\n",
                step.name, static_cast<long long>(saves), Seconds(a, b),
                saves / std::max(Seconds(a, b), 1e-9), cpu, saves / std::max(cpu, 1e-9));
  }
  auto end = Clock::now();
  const double cpu_total = CpuSeconds() - cpu_start;
  int64_t saves = Saves(ctx.summary);
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  std::printf(
      "masters run: %lld saves in %.2f s wall = %.0f saves/s; %.2f s CPU = %.0f saves/s; "
      "peak memory %.1f MB\n",
      static_cast<long long>(saves), Seconds(start, end),
      saves / std::max(Seconds(start, end), 1e-9), cpu_total, saves / std::max(cpu_total, 1e-9),
      usage.ru_maxrss / 1024.0);
  std::printf("error entries: %zu\n", ctx.errors.size());
  for (const StageTally& t : ctx.summary.stages())
    std::printf("  %-28s read %lld saved %lld refused %lld failed %lld skipped %lld%s\n",
                t.stage.c_str(), static_cast<long long>(t.read), static_cast<long long>(t.saved),
                static_cast<long long>(t.refused), static_cast<long long>(t.failed),
                static_cast<long long>(t.Skipped()), t.Balanced() ? "" : "  (UNBALANCED)");
  std::error_code ec;
  if (!std::getenv("VODARE_BENCH_KEEP"))
    fs::remove_all(root, ec);
  else
    std::printf("kept: %s\n", root.c_str());
  return 0;
}
