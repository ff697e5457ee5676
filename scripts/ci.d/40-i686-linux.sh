#!/usr/bin/env bash
# The 32-bit code as the DLLs compile it, run: an i686 Linux build of both
# libraries with the DLLs' -march flags, its unit tests and differential
# programs under qemu-i386 on a Pentium II model (any SSE instruction traps),
# once under each x87 control word a game may leave set:
#   0x027F  53-bit precision, what Microsoft's runtime starts with
#   0x007F  24-bit precision, what Direct3D sets unless told otherwise
#   0x037F  64-bit precision, Linux's default
# In every mode the differential programs must print what the native x86_64
# build printed (build/release, made earlier by scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
b=build/i686-linux
native=${I686_NATIVE_BUILD:-build/release}
ref=$native/tests/diff/diff_PLAIN.txt
jobs=$(nproc 2>/dev/null || echo 2)
export QEMU_CPU=pentium2
qemu=/usr/bin/qemu-i386-static

mkdir -p "$b"
if [ ! -s "$ref" ]; then
  # The native differential test has not run: the native programs' output then.
  [ -x "$native/bin/diff_utils" ] || { echo "no native build in $native to compare with"; exit 1; }
  ref=$b/native-diff.txt
  "$native/bin/diff_utils" >"$ref"
fi

t0=$(date +%s)
cmake -S . -B "$b" -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux.cmake -DCMAKE_BUILD_TYPE=Release \
  -DUTILS_BUILD_BENCH=OFF -DUTILS_BUILD_TOOLS=OFF >/dev/null
cmake --build "$b" -j"$jobs"
t1=$(date +%s)

# Nothing of the mode matters to the updater's core: once.
"$qemu" "$b/bin/updater_tests" --gtest_brief=1 >"$b/updater_tests.log" 2>&1 ||
  { cat "$b/updater_tests.log"; echo "updater_tests failed under qemu-i386"; exit 1; }

# "N passed, M failed" from a GoogleTest log (--gtest_brief=1 leaves out the
# count of failures, so it is the ones that ran less the others).
counts() {
  local ran passed skipped
  ran=$(sed -n 's/^\[==========\] \([0-9]*\) tests\{0,1\} from .* ran\..*/\1/p' "$1")
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$1")
  # "1 test." in brief mode, "1 test, listed below:" otherwise.
  skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\}[.,].*/\1/p' "$1" | head -1)
  [ -n "$ran" ] || { echo "did not finish"; return; }
  echo "${passed:-0} passed, $((ran - ${passed:-0} - ${skipped:-0})) failed${skipped:+, $skipped skipped}"
}

bad=0
summary=""
for cw in 0x027F 0x007F 0x037F; do
  export UTILS_X87_CW=$cw
  out=$b/x87-$cw
  rm -rf "$out" && mkdir -p "$out"
  ms=$(date +%s)
  # Both unit test programs side by side, then the differential programs.
  pids=()
  for p in tests_utils tests_utilsmmx; do
    "$qemu" "$b/bin/$p" --gtest_brief=1 >"$out/$p.log" 2>&1 &
    pids+=($!)
  done
  rcs=()
  for pid in "${pids[@]}"; do
    if wait "$pid"; then rcs+=(0); else rcs+=($?); fi
  done
  dr=0
  cmake -DEMU="$qemu" -DPLAIN="$b/bin/diff_utils" -DSIMD="$b/bin/diff_utilsmmx" -DOUT="$out" \
    -P tests/diff/compare.cmake >"$out/differential.log" 2>&1 || dr=$?

  echo "--- x87 control word $cw"
  # One line from each of the four programs.
  grep -h "^x87 control word" "$out"/*.log | sort | uniq -c
  line="$cw:"
  i=0
  for p in tests_utils tests_utilsmmx; do
    c=$(counts "$out/$p.log")
    echo "$p: $c (exit ${rcs[$i]})"
    if [ "${rcs[$i]}" != 0 ]; then
      bad=1
      grep -E '^\[  FAILED  \]' "$out/$p.log" | head -40
      grep -q '^\[==========\]' "$out/$p.log" || tail -20 "$out/$p.log"
      echo "(whole log: $out/$p.log)"
    fi
    line="$line $p $c;"
    i=$((i + 1))
  done
  if [ "$dr" != 0 ]; then
    bad=1
    echo "differential: plain and MMX builds disagree or failed"
    tail -n 80 "$out/differential.log"
  fi
  for which in PLAIN SIMD; do
    if [ ! -s "$out/diff_$which.txt" ]; then
      bad=1; echo "differential: no output from the $which program"
    elif ! diff -u "$ref" "$out/diff_$which.txt" >"$out/native-vs-$which.diff"; then
      bad=1
      echo "differential: the i686 $which build differs from the native x86_64 build:"
      cat "$out/native-vs-$which.diff"
    fi
  done
  n=$(grep -c . "$out/diff_PLAIN.txt" 2>/dev/null || true)
  verdict="as native"
  [ "$dr" = 0 ] && cmp -s "$ref" "$out/diff_PLAIN.txt" && cmp -s "$ref" "$out/diff_SIMD.txt" || verdict="MISMATCH"
  echo "differential: ${n:-0} operations, $verdict"
  echo "time: $(( $(date +%s) - ms ))s"
  summary="$summary$line differential ${n:-0} operations $verdict
"
done
# Games that convert with fistp may also leave another rounding mode (24-bit
# precision with it): the differential programs must still print what native does.
# Chop and down at 24 bits, up at 53, chop at 64.
for cw in 0x0C7F 0x047F 0x0A7F 0x0F7F; do
  export UTILS_X87_CW=$cw
  out=$b/x87-rounding-$cw
  rm -rf "$out" && mkdir -p "$out"
  dr=0
  cmake -DEMU="$qemu" -DPLAIN="$b/bin/diff_utils" -DSIMD="$b/bin/diff_utilsmmx" -DOUT="$out" \
    -P tests/diff/compare.cmake >"$out/differential.log" 2>&1 || dr=$?
  verdict="as native"
  if [ "$dr" != 0 ] || ! cmp -s "$ref" "$out/diff_PLAIN.txt" || ! cmp -s "$ref" "$out/diff_SIMD.txt"; then
    bad=1
    verdict="MISMATCH"
    tail -n 40 "$out/differential.log"
    diff -u "$ref" "$out/diff_PLAIN.txt" || true
  fi
  summary="$summary$cw: differential $verdict
"
done
unset UTILS_X87_CW
t2=$(date +%s)

echo
echo "i686 under qemu-i386 (QEMU_CPU=$QEMU_CPU), per x87 control word:"
printf '%s' "$summary"
echo "updater_tests: $(counts "$b/updater_tests.log")"
echo "build $((t1 - t0))s, tests $((t2 - t1))s"
exit "$bad"
