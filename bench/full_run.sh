#!/usr/bin/env bash
# A whole conversion run (masters, inventory and accounting vouchers) into a fresh company.
#
#   bench/full_run.sh [N ...]        (default 50000 100000)
#
# Builds bench_full_run in the release tree and runs it: for each size the sample export holds
# N inventory vouchers and N accounting vouchers, and the run goes through the same driver and
# stages as `vodare-cli convert --masters --vouchers --map-groups auto`. It prints the run's wall
# and CPU time stage by stage, the peak memory, the company file's, write-ahead log's and
# journal's sizes, and the targets: whole run under 120 s, at least 5,000 accounting vouchers a
# second, time at the largest size at most 2.1 times the smallest's, peak memory under 300 MB.
# Set VODARE_BENCH_KEEP=1 to keep the files it writes (under /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build --preset release -j2 --target bench_full_run >/dev/null
echo "load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) processors"
exec build/release/bench/bench_full_run "$@"
