#!/usr/bin/env bash
# Opening a large export, side by side with ogr2ogr loading the same tables into SQLite.
#
#   bench/open_export.sh [VOUCHERS]        (default 100000: about half a million voucher lines)
#
# Builds the release tree, writes a sample export, then measures: the first opening (load and
# indexes), a reopening of the unchanged folder, 1,000,000 point lookups by key, and the peak
# memory of the process; and the time ogr2ogr -f SQLite takes over the same folder.
# Targets: first opening no slower than ogr2ogr, reopening under 0.5 s, at least 200,000
# lookups a second, peak memory under 300 MB. Set BENCH_DIR to keep the files.
set -euo pipefail
cd "$(dirname "$0")/.."
vouchers=${1:-100000}

scripts/setup
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null

work=${BENCH_DIR:-$(mktemp -d)}
[ -n "${BENCH_DIR:-}" ] || trap 'rm -rf "$work"' EXIT
mkdir -p "$work"
export_dir=$work/export
rm -rf "$export_dir"
build/release/src/vodare-cli sample-export "$export_dir" --vouchers "$vouchers" >/dev/null
echo "export: $vouchers inventory vouchers, $(du -sh "$export_dir" | cut -f1) of tables in $export_dir"

# ogr2ogr: every table of the folder into one SQLite file.
rm -f "$work/ogr.sqlite"
start=$(date +%s.%N)
/usr/bin/time -f '%U %S' -o "$work/ogr_time.txt" ogr2ogr -f SQLite "$work/ogr.sqlite" "$export_dir"
end=$(date +%s.%N)
ogr=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
ogr_cpu=$(awk '{print $1 + $2}' "$work/ogr_time.txt")

echo "load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) processors"
# Ours, under /usr/bin/time for the peak memory.
/usr/bin/time -v -o "$work/time.txt" build/release/bench/bench_open_export "$export_dir" \
  >"$work/bench.txt"
cat "$work/bench.txt"
first=$(grep '^first_open_s=' "$work/bench.txt" | cut -d= -f2)
reopen=$(grep '^reopen_s=' "$work/bench.txt" | cut -d= -f2)
rate=$(grep '^lookups_per_s=' "$work/bench.txt" | cut -d= -f2)
peak_kb=$(grep 'Maximum resident set size' "$work/time.txt" | awk '{print $NF}')
peak_mb=$(awk -v k="$peak_kb" 'BEGIN { print k / 1024 }')

calc() { awk "BEGIN { print $1 }"; }
verdict() { if [ "$(calc "($1) ? 1 : 0")" = 1 ]; then echo "met"; else echo "MISSED"; fi; }
printf '\n%-34s %12s   %s\n' "measure" "value" "target"
printf '%-34s %10.2f s   no slower than ogr2ogr (%.2f s): %s\n' "first opening (load + indexes)" \
  "$first" "$ogr" "$(verdict "$first <= $ogr")"
printf '%-34s %10.2f     ogr2ogr time / first opening\n' "ratio" "$(calc "$ogr / $first")"
printf '%-34s %10.2f s   ogr2ogr %.2f s (processor time, for a loaded machine)\n' \
  "first opening, processor time" "$(grep '^first_open_cpu_s=' "$work/bench.txt" | cut -d= -f2)" \
  "$ogr_cpu"
printf '%-34s %10.3f s   < 0.5 s: %s\n' "reopening, folder unchanged" "$reopen" \
  "$(verdict "$reopen < 0.5")"
printf '%-34s %10.0f /s  >= 200000/s: %s\n' "point lookups" "$rate" "$(verdict "$rate >= 200000")"
printf '%-34s %10.0f /s  per second of processor time\n' "point lookups, processor time" \
  "$(grep '^lookups_per_cpu_s=' "$work/bench.txt" | cut -d= -f2)"
printf '%-34s %10.1f MB  < 300 MB: %s\n' "peak memory" "$peak_mb" "$(verdict "$peak_mb < 300")"
