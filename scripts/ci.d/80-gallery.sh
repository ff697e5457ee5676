#!/usr/bin/env bash
# The demo's gallery page loads in a browser with no broken picture.
set -euo pipefail
bash tests/gallery/check.sh build/release/bin/surftool
