#!/usr/bin/env bash
# The API reference builds from the header with no Doxygen warning.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/apidocs.sh build/doxygen
