#!/usr/bin/env bash
# Every libFuzzer harness for a minute, after its kept regression inputs.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/fuzz.sh 60
