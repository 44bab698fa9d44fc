// The inventory voucher stage on a large sample export: a vouchers-only run into a fresh
// company whose masters exist first (saved from the export's names, not timed). Each size runs in a
// child process of its own so that its peak memory is its own.
//
//   bench_vouchers [N ...]      default: 50000 100000
//
// Prints, per size, the stage's time, vouchers per second and peak memory, then the ratio of
// the largest size's time to the smallest's. The CPU time of the stage is printed beside the
// wall time: on a machine shared with other work the wall time measures the machine's load.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/helpers.h"
#include "common/run_ui.h"
#include "context/run_context.h"
#include "context/run_destination.h"
#include "context/run_source.h"
#include "destination/connection.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/local_factory.h"
#include "export_writer/sample_export.h"
#include "source/lookups.h"
#include "source/source_db.h"
#include "vouchers/inventory_vouchers.h"
// The same masters the voucher stage tests save before their runs.
#include "../tests/vouchers/sample_masters.h"

namespace fs = std::filesystem;
using namespace vodare;

namespace {

double CpuSeconds() {
  struct rusage u {};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Result {
  double seconds = 0;
  double cpu_seconds = 0;
  int64_t saved = 0, read = 0;
};

Result RunOnce(int64_t vouchers, const fs::path& dir) {
  const fs::path export_dir = dir / "export";
  SampleExportOptions options;
  options.vouchers = vouchers;
  WriteSampleExport(export_dir.string(), options);

  const std::string program = (dir / "Vuvoda").string(), data = (dir / "Data").string();
  local::EnsureInstallation(program, data);
  local::NewCompany spec;
  spec.name = kSampleCompanyName;
  spec.state = "MAHARASHTRA";
  spec.years = {kSampleYear};
  std::string code = local::CompanyStore::Create(data, spec);

  SilentRunUi ui;
  RunContext ctx(ui);
  auto factory = local::MakeLocalAutomationFactory(program);
  ctx.factory = factory.get();
  ErrorList errors;
  if (!OpenSourceDb(ctx, export_dir.string(), errors) ||
      !ConnectDestination(ctx, program, data, code, static_cast<int16_t>(kSampleYear))) {
    std::fprintf(stderr, "could not open the sample or the company: %s%s\n", errors.Text().c_str(),
                 ctx.errors.Text().c_str());
    std::exit(2);
  }
  ctx.settings = ReadCompanySettings(ctx.destination);
  testing::SaveMastersForVouchers(ctx);
  ctx.errors.Clear();

  const Date from = Date::FromYmd(kSampleYear, 4, 1), to = Date::FromYmd(kSampleYear + 1, 3, 31);
  const double cpu_start = CpuSeconds();
  auto start = std::chrono::steady_clock::now();
  ImportInventoryVouchers(ctx, from, to);
  Result r;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.cpu_seconds = CpuSeconds() - cpu_start;
  if (const StageTally* t = ctx.summary.Find(kInventoryVoucherStage)) {
    r.saved = t->saved;
    r.read = t->read;
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int64_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoll(argv[i]));
  if (sizes.empty()) sizes = {50000, 100000};

  std::vector<double> times, cpu_times;
  for (int64_t n : sizes) {
    char pattern[] = "/tmp/vodare-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 2;
    int fds[2];
    if (pipe(fds) != 0) return 2;
    pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      Result r = RunOnce(n, pattern);
      if (write(fds[1], &r, sizeof r) != sizeof r) _exit(3);
      _exit(0);
    }
    close(fds[1]);
    Result r;
    ssize_t got = read(fds[0], &r, sizeof r);
    close(fds[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    std::error_code ec;
    fs::remove_all(pattern, ec);
    if (got != sizeof r || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "run of %lld vouchers failed\n", static_cast<long long>(n));
      return 1;
    }
    times.push_back(r.seconds);
    cpu_times.push_back(r.cpu_seconds);
    std::printf(
        "%lld vouchers: %lld records read, %lld saved in %.2f s = %.0f vouchers/s "
        "(stage CPU %.2f s = %.0f vouchers per CPU second), peak memory %.0f MB\n",
        static_cast<long long>(n), static_cast<long long>(r.read), static_cast<long long>(r.saved),
        r.seconds, r.read / r.seconds, r.cpu_seconds, r.read / r.cpu_seconds,
        usage.ru_maxrss / 1024.0);
    std::fflush(stdout);
  }
  if (times.size() >= 2)
    std::printf("time ratio %lld/%lld: %.2f (CPU %.2f)\n", static_cast<long long>(sizes.back()),
                static_cast<long long>(sizes.front()), times.back() / times.front(),
                cpu_times.back() / cpu_times.front());
  return 0;
}
