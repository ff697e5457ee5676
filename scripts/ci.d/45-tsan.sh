#!/usr/bin/env bash
# The decoders on several threads at once under ThreadSanitizer: both unit
# test programs built with -fsanitize=thread (library included) in
# build/tsan, running only the decoder thread test (tests/decode/
# threads_test.cpp: GIF in both forms, alpha planes, JPEG, four threads).
# Any data race, or any byte unlike the single-thread run, fails the step.
# KV_THREAD_ROUNDS=N sets the rounds per thread (default 30 here).
set -euo pipefail
cd "$(dirname "$0")/../.."
b=build/tsan
jobs=$(nproc 2>/dev/null || echo 2)
t0=$(date +%s)
cmake -S . -B "$b" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS=-fsanitize=thread -DCMAKE_CXX_FLAGS=-fsanitize=thread \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread \
  -DUTILS_BUILD_BENCH=OFF -DUTILS_BUILD_TOOLS=OFF >/dev/null
cmake --build "$b" -j"$jobs" --target tests_utils tests_utilsmmx
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
export KV_THREAD_ROUNDS=${KV_THREAD_ROUNDS:-30}
for t in tests_utils tests_utilsmmx; do
  echo "== $t under ThreadSanitizer"
  "$b/bin/$t" --gtest_filter='DecodeThreads.*'
done
echo "tsan: both programs clean in $(( $(date +%s) - t0 ))s"
