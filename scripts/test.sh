#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test:
# native Release, native with ASan+UBSan, the i686 kit checks, and the
# x86_64 Windows build under Wine; then each step in scripts/ci.d.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc 2>/dev/null || echo 2)
start=$(date +%s)
step() { echo; echo "=== $* ($(( $(date +%s) - start ))s)"; }

step "installing packages"
bash scripts/deps.sh

step "native Release build"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$jobs"
(cd build/release && ctest --output-on-failure -j"$jobs")

step "native build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DUTILS_SANITIZE=ON \
  -DUTILS_BUILD_BENCH=OFF -DUTILS_BUILD_TOOLS=OFF >/dev/null
cmake --build build/asan -j"$jobs"
(cd build/asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$jobs")

step "i686 Windows kit"
cmake -S . -B build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DUTILS_BUILD_TESTS=OFF >/dev/null
cmake --build build/i686 -j"$jobs"
bash scripts/check-kit.sh build/i686 build/release

step "x86_64 Windows build, tests under Wine"
cmake -S . -B build/w64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
cmake --build build/w64 -j"$jobs"
(cd build/w64 && ctest --output-on-failure)

for s in scripts/ci.d/*.sh; do
  [ -e "$s" ] || continue
  step "$s"
  bash "$s"
done

step "all tests passed"
