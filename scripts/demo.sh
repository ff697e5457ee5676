#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the library and its tool, and writes
# the gallery (every operation in every pixel format) to gallery/index.html.
# Usage: demo.sh [OUTDIR] [--screenshot]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
out=gallery shot=""
for a in "$@"; do
  case "$a" in --screenshot) shot=yes ;; *) out=$a ;; esac
done
# Only the compiler and the libraries surftool links; Chromium for the picture.
bash scripts/deps.sh demo ${shot:+gallery}
# A build of its own: tests and benchmarks need packages the demo leaves out.
cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=Release -DUTILS_BUILD_TESTS=OFF -DUTILS_BUILD_BENCH=OFF >/dev/null
cmake --build build/demo -j"$(nproc 2>/dev/null || echo 2)" --target surftool
build/demo/bin/surftool demo "$out"
# --screenshot also refreshes the picture of the page in docs/.
[ -z "$shot" ] || bash scripts/gallery-shot.sh build/demo/bin/surftool docs/gallery.png
