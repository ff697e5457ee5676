#!/usr/bin/env bash
# The example programs build against the installed release tree, run, and
# write valid PNGs.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash examples/run.sh build/release build/examples
