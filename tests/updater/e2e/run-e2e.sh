#!/bin/sh
# Runs the end-to-end driver under wine64 on a virtual X display, with a
# Wine prefix of its own.
# Usage: run-e2e.sh PREFIX DRIVER [args...]
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
# Everything, start-up of the prefix included, talks to this one display;
# the server is stopped before the display goes away.
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  [ -d "$WINEPREFIX/drive_c" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wine64 "$@"
  rc=$?
  /usr/lib/wine/wineserver -k
  exit $rc' run-e2e "$@"
