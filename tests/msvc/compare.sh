#!/usr/bin/env bash
# Runs the Visual C++ client and its g++ twin and compares their lines.
# Usage: compare.sh RUNNER... -- CLIENT.exe TWIN.exe
set -uo pipefail
runner=()
while [ "$1" != "--" ]; do runner+=("$1"); shift; done
shift
client=$1 twin=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"${runner[@]}" "$client" | tr -d '\r' > "$out/client"
rc_client=${PIPESTATUS[0]}
"${runner[@]}" "$twin" | tr -d '\r' > "$out/twin"
rc_twin=${PIPESTATUS[0]}
cat "$out/client"
fail=0
[ "$rc_client" -eq 0 ] || { echo "client exited with $rc_client"; fail=1; }
[ "$rc_twin" -eq 0 ] || { echo "twin exited with $rc_twin"; fail=1; }
grep -q '^end: 0 failures$' "$out/client" || { echo "client did not finish"; fail=1; }
if ! diff "$out/twin" "$out/client" > "$out/diff"; then
  echo "client and twin differ (< twin, > client):"
  cat "$out/diff"
  fail=1
fi
[ "$fail" -ne 0 ] || echo "client and twin agree on $(wc -l < "$out/client") lines"
exit $fail
