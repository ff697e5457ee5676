#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the library and its tool, and writes
# the gallery (every operation in every pixel format) to gallery/index.html.
# Usage: demo.sh [OUTDIR] [--screenshot]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc 2>/dev/null || echo 2)" --target surftool
out=gallery shot=""
for a in "$@"; do
  case "$a" in --screenshot) shot=yes ;; *) out=$a ;; esac
done
build/release/bin/surftool demo "$out"
# --screenshot also refreshes the picture of the page in docs/.
[ -z "$shot" ] || bash scripts/gallery-shot.sh build/release/bin/surftool docs/gallery.png
