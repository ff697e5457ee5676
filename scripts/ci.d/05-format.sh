#!/usr/bin/env bash
# Every C++ source is laid out as .clang-format says.
set -euo pipefail
bash "$(dirname "$0")/../format.sh" --check
