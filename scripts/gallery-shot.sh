#!/usr/bin/env bash
# Photographs the top of the gallery page in headless Chromium and writes it,
# scaled to 1280 pixels wide, as docs/gallery.png (or OUT.png).
# Usage: gallery-shot.sh [SURFTOOL [OUT.png]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$top/build/release/bin/surftool}
out=${2:-$top/docs/gallery.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" demo "$work/gallery" >/dev/null
# Wide enough for the operation column and all seven formats side by side.
timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$work/profile" \
  --hide-scrollbars --window-size=2160,2700 --screenshot="$work/shot.png" \
  "file://$work/gallery/index.html" >/dev/null 2>&1
[ -s "$work/shot.png" ] || { echo "gallery-shot.sh: chromium took no screenshot" >&2; exit 1; }
# 256 colours keep the file small; the gallery is mostly flat colour.
convert "$work/shot.png" -resize 1280x -dither None -colors 256 -strip "PNG8:$out"
echo "wrote $out ($(stat -c %s "$out") bytes)"
