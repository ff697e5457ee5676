#!/usr/bin/env bash
# Builds the HTML API reference from include/utils.h with Doxygen; any
# warning (an undocumented export, a wrong parameter name) fails it.
# Usage: apidocs.sh [OUTDIR]   (default build/doxygen; the page is OUTDIR/html/index.html)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
out=${1:-build/doxygen}
mkdir -p "$out"
( cat docs/Doxyfile; echo "OUTPUT_DIRECTORY = $out" ) | doxygen -
test -s "$out/html/index.html"
echo "API reference: $out/html/index.html"
