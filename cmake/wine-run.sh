#!/bin/sh
# Runs a Windows test program under wine64 with a prefix of the build's own.
# Usage: wine-run.sh PREFIX program [args...]
prefix=$1
shift
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$prefix/drive_c" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
exec /usr/lib/wine/wine64 "$@"
