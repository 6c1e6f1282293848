#!/usr/bin/env bash
# Builds the release preset, runs every benchmark, the memory test and the cold starts, and
# rewrites docs/dev/performance.md from their results (scripts/bench_page.py).
#
#   scripts/run-bench.sh            everything (several minutes)
#   XMT_BENCH_QUICK=1 scripts/run-bench.sh   shorter runs (0.1 s a case), for a first look
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release

results="$root/build/release/bench-results"
rm -rf "$results"
mkdir -p "$results"
cd build/release  # the programs keep their host folders below out/bench here
rm -rf out/bench

min_time=()
if [[ -n "${XMT_BENCH_QUICK:-}" ]]; then min_time=(--benchmark_min_time=0.1); fi

# Let the build's own load settle first (at most three minutes), so that the figures are the
# programs' own.
for _ in $(seq 36); do
  awk '{ exit !($1 < 1.0) }' /proc/loadavg && break
  sleep 5
done
uptime > "$results/load_before.txt"
for program in pattern_bench pattern_rules_bench signals_bench signals_io_bench bsp_bench \
    momentum_scaling_bench momentum_bench log_bench; do
  echo "=== $program"
  "bin/$program" "${min_time[@]}" --benchmark_out="$results/$program.json" \
    --benchmark_out_format=json
done
echo "=== rrs_bench"
bin/rrs_bench "${min_time[@]}" --benchmark_filter=PerCall \
  --benchmark_out="$results/rrs_bench.json" --benchmark_out_format=json

# Where a log line's instructions go (user space, counted by callgrind over the lines of the
# case without commits): the trace log table's profile.
echo "=== log line profile"
if command -v valgrind >/dev/null; then
  valgrind --tool=callgrind --toggle-collect='*LogLines*' \
    --callgrind-out-file="$results/log_line.callgrind" bin/log_bench \
    --benchmark_filter=BM_LogLine_noCommit --benchmark_min_time=0.05 >/dev/null 2>&1
  callgrind_annotate --inclusive=yes --threshold=100 "$results/log_line.callgrind" \
    > "$results/log_line_profile.txt"
  callgrind_annotate --tree=calling "$results/log_line.callgrind" >> "$results/log_line_profile.txt"
fi

echo "=== history_memory_test"
XMT_ROOT=out/bench/memory/root XMT_HOST_DIR=out/bench/memory bin/history_memory_test | tee "$results/history_memory.txt"

echo "=== cold_start"
for library in XMT_PATTERN XMT_SIGNALS XMT_MOMENTUM; do
  for run in 1 2 3 4 5; do bin/cold_start "$library"; done
done | tee "$results/cold_start.txt"
uptime > "$results/load_after.txt"

cd "$root"
python3 scripts/bench_page.py "$results" docs/dev/performance.md
echo "wrote docs/dev/performance.md"
