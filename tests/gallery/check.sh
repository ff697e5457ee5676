#!/usr/bin/env bash
# Writes the gallery, opens it in headless Chromium and fails unless every
# picture loaded. With a second argument, also saves a screenshot there.
# Usage: check.sh SURFTOOL [SCREENSHOT.png]
set -euo pipefail
tool=$1
shot=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" demo "$work/gallery" >/dev/null
flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking
       --disable-component-update --disable-sync --user-data-dir="$work/profile")
title=$(timeout 120 chromium "${flags[@]}" --dump-dom "file://$work/gallery/index.html" 2>/dev/null |
        grep -o '<title>[^<]*</title>' || true)
echo "$title"
case "$title" in
  *" 0 broken"*) ;;
  *) echo "the gallery did not load cleanly"; exit 1 ;;
esac
n=$(echo "$title" | sed -E 's/.*gallery: ([0-9]+) images.*/\1/')
[ "$n" -gt 0 ] || { echo "the gallery holds no pictures"; exit 1; }
if [ -n "$shot" ]; then
  timeout 120 chromium "${flags[@]}" --hide-scrollbars --window-size=1600,1200 --screenshot="$shot" \
    "file://$work/gallery/index.html" >/dev/null 2>&1
  [ -s "$shot" ] && echo "screenshot: $shot"
fi
