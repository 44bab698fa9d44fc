// Opening a large export and the point lookups that the stages run millions of times.
//
//   bench_open_export EXPORT_DIR [LOOKUPS]
//
// Prints key=value lines: the first opening (load and indexes, from no cache), the reopening of
// the unchanged folder, and the rate of point lookups by key (GetSourceName of items, and
// GetAccountName), half of each. bench/open_export.sh runs it beside ogr2ogr.

#include <time.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/helpers.h"
#include "common/run_ui.h"
#include "context/run_context.h"
#include "context/run_source.h"
#include "source/lookups.h"
#include "source/source_db.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The process's processor time: on a machine shared with other work the wall clock overstates
// what a phase costs, so both are printed.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::vector<std::string> Codes(vodare::SourceDb& db, const char* sql) {
  std::vector<std::string> codes;
  vodare::Recordset rs = db.OpenSnapshot(sql);
  if (rs.RecordCount() > 0)
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) codes.push_back(vodare::NzTrim(rs.Field(0)));
  return codes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_open_export EXPORT_DIR [LOOKUPS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int64_t lookups = argc > 2 ? std::atoll(argv[2]) : 1000000;

  // From no cache at all: what a user meets the first time a folder is opened.
  vodare::ErrorList errors;
  {
    auto probe = vodare::OpenExport(folder, errors);
    if (!probe) {
      std::fprintf(stderr, "cannot open %s: %s\n", folder.c_str(), errors.Text().c_str());
      return 1;
    }
    std::string cache = probe->cache_path();
    probe.reset();
    std::filesystem::remove(cache);
  }
  errors.Clear();
  auto start = std::chrono::steady_clock::now();
  double cpu = CpuSeconds();
  auto db = vodare::OpenExport(folder, errors);
  double first = Seconds(start);
  double first_cpu = CpuSeconds() - cpu;
  if (!db || !db->rebuilt()) {
    std::fprintf(stderr, "the first opening did not build the cache\n");
    return 1;
  }
  db.reset();

  errors.Clear();
  start = std::chrono::steady_clock::now();
  db = vodare::OpenExport(folder, errors);
  double reopen = Seconds(start);
  if (!db || db->rebuilt()) {
    std::fprintf(stderr, "the reopening rebuilt the cache\n");
    return 1;
  }

  vodare::SilentRunUi ui;
  vodare::RunContext ctx(ui);
  ctx.source = db;
  std::vector<std::string> items = Codes(*db, "SELECT code FROM pro");
  std::vector<std::string> accounts = Codes(*db, "SELECT ordno FROM [order]");
  if (items.empty() || accounts.empty()) {
    std::fprintf(stderr, "the export has no items or no accounts\n");
    return 1;
  }
  uint64_t state = 12345, found = 0;
  start = std::chrono::steady_clock::now();
  cpu = CpuSeconds();
  for (int64_t i = 0; i < lookups; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    size_t pick = static_cast<size_t>(state >> 33);
    std::string name = (i % 2 == 0) ? vodare::GetSourceName(ctx, "ITEM", items[pick % items.size()])
                                    : vodare::GetAccountName(ctx, accounts[pick % accounts.size()]);
    found += !name.empty();
  }
  double lookup_s = Seconds(start);
  double lookup_cpu = CpuSeconds() - cpu;

  std::printf("first_open_s=%.3f\n", first);
  std::printf("first_open_cpu_s=%.3f\n", first_cpu);
  std::printf("reopen_s=%.3f\n", reopen);
  std::printf("lookups=%lld\n", static_cast<long long>(lookups));
  std::printf("lookups_found=%llu\n", static_cast<unsigned long long>(found));
  std::printf("lookups_s=%.3f\n", lookup_s);
  std::printf("lookups_per_s=%.0f\n", static_cast<double>(lookups) / lookup_s);
  std::printf("lookups_per_cpu_s=%.0f\n", static_cast<double>(lookups) / lookup_cpu);
  return 0;
}
