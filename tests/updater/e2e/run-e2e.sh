#!/bin/sh
# Runs the end-to-end driver under wine64 on a virtual X display, with a
# Wine prefix of its own.
# Usage: run-e2e.sh PREFIX DRIVER [args...]
# The driver plays the user through window messages, which a loaded machine
# can delay past what a case expects; cases that fail are run once more on
# their own, and the first run's report is kept in the log either way.
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
# Everything, start-up of the prefix included, talks to this one display;
# the server is stopped before the display goes away.
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  [ -d "$WINEPREFIX/drive_c" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  log=$(mktemp)
  /usr/lib/wine/wine64 "$@" >"$log" 2>&1
  rc=$?
  cat "$log"
  if [ "$rc" -ne 0 ]; then
    # Named failures only: a driver that died without naming any stays failed.
    failed=$(sed -n "s/^\[  FAILED  \] \([^ ,]*\).*/\1/p" "$log" | grep -v "^[0-9]" | sort -u | tr "\n" ":")
    if [ -n "$failed" ]; then
      echo "== running the failed cases once more: $failed"
      /usr/lib/wine/wine64 "$@" "--gtest_filter=$failed" 2>&1 && rc=0
    fi
  fi
  rm -f "$log"
  /usr/lib/wine/wineserver -k
  exit $rc' run-e2e "$@"
