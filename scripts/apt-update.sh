#!/usr/bin/env bash
# apt-get update that waits (up to 5 minutes) while another apt holds the
# package lists' lock: apt's DPkg::Lock::Timeout covers only dpkg's lock.
set -uo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
err=$(mktemp)
trap 'rm -f "$err"' EXIT
for _ in $(seq 60); do
  $SUDO apt-get -o DPkg::Lock::Timeout=300 update -qq "$@" 2>"$err" && exit 0
  grep -q "lock" "$err" || { cat "$err" >&2; exit 1; }
  sleep 5
done
cat "$err" >&2
exit 1
