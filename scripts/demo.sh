#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the library and its tool, and writes
# the gallery (every operation in every pixel format) to gallery/index.html.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc 2>/dev/null || echo 2)" --target surftool
build/release/bin/surftool demo "${1:-gallery}"
