#!/usr/bin/env bash
# A long fuzzing campaign over every harness (or those named), one after another:
# each runs for SECONDS (default 3600) or RUNS executions (default 10
# million), whichever ends first. The corpora grow in CORPUS (default
# ~/.cache/korvante/fuzz-corpus), outside the tree, so that a later campaign
# starts where this one stopped. Findings are left as in scripts/fuzz.sh;
# copy them into tests/fuzz/regressions/NAME/ once fixed.
# FUZZ_WORKERS=N runs N jobs of each harness at once; FUZZ_SIMD=1 fuzzes the
# SIMD build (see fuzz.sh).
# Usage: fuzz-campaign.sh [SECONDS] [RUNS] [CORPUS] [HARNESS...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-3600}
runs=${2:-10000000}
corpus=${3:-$HOME/.cache/korvante/fuzz-corpus}
shift 3 2>/dev/null || shift $#
mkdir -p "$corpus"
start=$(date +%s)
status=0
FUZZ_CORPUS=$corpus FUZZ_RUNS=$runs bash "$top/scripts/fuzz.sh" "$secs" "$@" || status=$?
echo "campaign: $(( $(date +%s) - start )) s, corpora in $corpus ($(find "$corpus" -type f | wc -l) inputs)"
exit $status
