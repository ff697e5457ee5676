#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz with clang in build/fuzz and
# runs each for SECONDS (default 60): first over the kept regression inputs,
# then fuzzing from the fixtures named by the harness's "// seeds: DIR" line
# (tests/data/DIR, each file once per pixel kind). A crash fails the script
# and leaves its input in build/fuzz/artifacts/NAME/.
# FUZZ_CORPUS=DIR keeps the growing corpora there (default build/fuzz/corpus);
# FUZZ_RUNS=N stops each harness after N executions if that comes first.
# FUZZ_WORKERS=N runs N jobs of each harness side by side.
# FUZZ_MAX_LEN=N caps the input size (default 16384); FUZZ_TIMEOUT=S the
# seconds one input may take (default 10; longer on a loaded machine).
# FUZZ_SIMD=1 fuzzes the SIMD build of the library instead (the *_mmx.cpp
# kernels, UTILS_SIMD=1), built in build/fuzz-simd.
# Usage: fuzz.sh [SECONDS] [HARNESS...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-60}
shift || true
simd=OFF out=$top/build/fuzz
if [ "${FUZZ_SIMD:-0}" = 1 ]; then simd=ON out=$top/build/fuzz-simd; fi
CC=clang CXX=clang++ cmake -S "$top/tests/fuzz" -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ_SIMD=$simd >/dev/null
cmake --build "$out" -j"${FUZZ_JOBS:-2}" >/dev/null
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  for f in "$top"/tests/fuzz/fuzz_*.cpp; do harnesses+=("$(basename "$f" .cpp)"); done
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fail=0
for h in "${harnesses[@]}"; do
  bin=$out/$h
  seeds=$(sed -n 's|^// seeds: *||p' "$top/tests/fuzz/$h.cpp" | head -1)
  corpus=${FUZZ_CORPUS:-$out/corpus}/$h
  mkdir -p "$corpus" "$out/artifacts/$h"
  if [ -n "$seeds" ] && [ -d "$top/tests/data/$seeds" ]; then
    for f in "$top/tests/data/$seeds"/*; do
      case $f in *.ref|*.ppm) continue ;; esac
      for k in 0 1 2 3 4 5 6 13; do
        s=$corpus/seed-$k-$(basename "$f")
        [ -e "$s" ] || { printf "\\x$(printf %02x $k)" > "$s"; cat "$f" >> "$s"; }
      done
    done
  fi
  reg=$top/tests/fuzz/regressions/$h
  if [ -d "$reg" ] && [ -n "$(ls -A "$reg" 2>/dev/null)" ]; then
    echo "== $h: regression inputs"
    "$bin" "$reg"/* >/dev/null 2>&1 || { echo "$h fails on a kept regression input"; "$bin" "$reg"/* 2>&1 | tail -30; fail=1; continue; }
  fi
  echo "== $h: fuzzing ${secs}s"
  opts=(-max_total_time="$secs" -timeout="${FUZZ_TIMEOUT:-10}" -rss_limit_mb=2048 -max_len="${FUZZ_MAX_LEN:-16384}" -print_final_stats=1
        -artifact_prefix="$out/artifacts/$h/")
  workers=${FUZZ_WORKERS:-1}
  if [ "$workers" -le 1 ]; then
    if ! "$bin" "${opts[@]}" ${FUZZ_RUNS:+-runs=$FUZZ_RUNS} "$corpus" > "$out/$h.log" 2>&1; then
      echo "$h: finding, see $out/$h.log and $out/artifacts/$h/"
      tail -40 "$out/$h.log"
      fail=1
    fi
    logs=("$out/$h.log")
  else
    # Independent jobs over one shared corpus, FUZZ_RUNS split between them;
    # libFuzzer writes each job's log as fuzz-N.log in the working folder.
    jobdir=$out/$h-jobs
    rm -rf "$jobdir" && mkdir -p "$jobdir"
    (cd "$jobdir" && "$bin" "${opts[@]}" -jobs="$workers" -workers="$workers" \
        ${FUZZ_RUNS:+-runs=$(( FUZZ_RUNS / workers ))} "$corpus" > "$out/$h.log" 2>&1) || true
    logs=("$jobdir"/fuzz-*.log)
    if grep -lE '^==[0-9]+== ?ERROR|SUMMARY: .*Sanitizer|deadly signal' "${logs[@]}" >/dev/null 2>&1; then
      echo "$h: finding, see $jobdir and $out/artifacts/$h/"
      fail=1
    fi
  fi
  grep -hE 'stat::number_of_executed_units|stat::peak_rss_mb' "${logs[@]}" | sed "s|^|   $h |"
  grep -h 'stat::number_of_executed_units' "${logs[@]}" | awk -v h="$h" '{n += $2} END {if (NR > 1) print "   " h " executions in all: " n}'
done
exit $fail
