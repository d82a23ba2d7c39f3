#!/usr/bin/env bash
# Installs what is needed, builds bench/ in release mode, checks that the fast paths give the
# plain paths' results, runs every benchmark and prints one table. Every ratio compares two
# figures measured in the same run of the same program.
source "$(dirname "$0")/scripts/setup-common.sh"
# The script engine is only the formulas' yardstick; the program and the tests do without it.
qivra_install qt6-declarative-dev
export QT_QPA_PLATFORM=offscreen
build="$QIVRA_ROOT/build/bench"
mkdir -p "$build"
echo "bench: building bench/ (Release) in $build"
{
  cmake -S "$QIVRA_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQIVRA_BUILD_BENCH=ON -DQIVRA_BUILD_TESTS=OFF &&
    cmake --build "$build" -j 2 --target bench_results_check bench_formulas bench_feed bench_window bench_plans bench_stats bench_archive
} >"$build/build.log" 2>&1 || {
  tail -40 "$build/build.log" >&2
  echo "bench: the build failed (whole log in $build/build.log)" >&2
  exit 1
}

bin="$build/bench"
log="$build/bench.log"
table="$build/bench-table.md"
: >"$log"
export BENCHMARK_COLOR=false

# The check fails loudly, and nothing is measured, when the fast paths disagree.
rows="$("$bin/bench_results_check" 2>>"$log")" || {
  echo "bench: the fast paths do not give the plain paths' results (details in $log):" >&2
  grep 'RESULTS CHECK FAILED' "$log" >&2
  exit 1
}
{
  echo "| Figure | Measured | Baseline in the same run | Ratio | Target | Holds |"
  echo "|---|---|---|---|---|---|"
  echo "$rows"
  "$bin/bench_formulas" --benchmark_min_time=0.5 2>>"$log"
  "$bin/bench_feed" --benchmark_min_time=0.5 2>>"$log"
  "$bin/bench_window" 2>>"$log"
  "$bin/bench_stats" --benchmark_min_time=0.2 2>>"$log"
  "$bin/bench_archive" 2>>"$log"
} | tee -a "$log" | grep --line-buffered '^|' | tee "$table"
# The plan marking and plan-view figures have no target of their own; they go to the log.
"$bin/bench_plans" --benchmark_min_time=0.2 >>"$log" 2>&1
echo
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'); load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "benchmark details: $log; table: $table"
