#!/usr/bin/env bash
# Runs the benchmarks of both builds, five repetitions each, and writes
# bench/README.md from their JSON through bench/report.py.
#
# Usage: bench.sh [FILTER]
#   FILTER is a --benchmark_filter regular expression (default: all).
#   BENCH_BUILD   native Release build folder (default build/release)
#   BENCH_OUT     the page to write (default bench/README.md)
#   BENCH_MIN_TIME  seconds per repetition, for shorter runs (Google
#                   Benchmark's own default when unset)
#   BENCH_REPORT_ONLY=1  rewrites the page from the last run's JSON
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
filter=${1:-}
build=${BENCH_BUILD:-build/release}
page=${BENCH_OUT:-bench/README.md}
json=$build/bench-json
if [ -z "${BENCH_REPORT_ONLY:-}" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target bench_utils bench_utilsmmx
  mkdir -p "$json"
  # Interleaved repetitions: a slow spell of the machine spreads over every
  # benchmark instead of landing on one side of a pair.
  flags=(--benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
         --benchmark_report_aggregates_only=true --benchmark_out_format=json)
  [ -n "$filter" ] && flags+=("--benchmark_filter=$filter")
  [ -n "${BENCH_MIN_TIME:-}" ] && flags+=("--benchmark_min_time=$BENCH_MIN_TIME")
  start=$(date +%s)
  for lib in utils utilsmmx; do
    echo "bench_$lib ..."
    "$build/bin/bench_$lib" "${flags[@]}" --benchmark_out="$json/bench_$lib.json" >"$json/bench_$lib.txt"
  done
  echo $(( $(date +%s) - start )) > "$json/seconds"
fi
took=$(cat "$json/seconds" 2>/dev/null || echo 0)
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)

rerun="bash scripts/bench.sh${filter:+ '$filter'}"
[ -n "${BENCH_MIN_TIME:-}" ] && rerun="BENCH_MIN_TIME=$BENCH_MIN_TIME $rerun"
mkdir -p "$(dirname "$page")"
{
  python3 bench/report.py --markdown --rerun="$rerun" --build-type="${build_type:-?}" \
    utils="$json/bench_utils.json" utilsmmx="$json/bench_utilsmmx.json"
  echo
  echo "Both runs took $((took / 60)) min $((took % 60)) s$([ -n "$filter" ] && echo ", benchmarks matching \`$filter\`")" \
       "at commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown)."
  if [ -n "${BENCH_MIN_TIME:-}" ]; then
    echo "Each repetition ran for at least $BENCH_MIN_TIME s instead of Google Benchmark's default 0.5 s."
  fi
} > "$page"
echo "wrote $page in ${took}s"
