#!/usr/bin/env bash
# The Windows kit zip from the i686 and native builds made earlier: exactly
# the files the updater needs, every program 32-bit.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=build/kit
KIT_NATIVE_BUILD=build/release bash scripts/kit.sh "$out" >/dev/null
zip=$out/korvante-kit.zip
want='CPUID.dll
PATCHW32.DLL
QMBPATCH36.RTP
README.txt
updater.exe
utils.dll
utilsmmx.dll'
got=$(unzip -Z1 "$zip" | LC_ALL=C sort)
if [ "$got" != "$(echo "$want" | LC_ALL=C sort)" ]; then
  echo "the kit holds:"; echo "$got"; echo "expected:"; echo "$want"; exit 1
fi
unzip -tq "$zip"
x=$(mktemp -d)
trap 'rm -rf "$x"' EXIT
unzip -q "$zip" -d "$x"
for f in updater.exe utils.dll utilsmmx.dll CPUID.dll PATCHW32.DLL; do
  grep -q 'file format pei-i386' <<<"$(i686-w64-mingw32-objdump -f "$x/$f")" || { echo "$f is not a 32-bit Windows image"; exit 1; }
done
# Stripped for shipping, with every export the build has.
exports() { i686-w64-mingw32-objdump -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF} t&&/^$/{t=0}'; }
for f in utils.dll utilsmmx.dll CPUID.dll PATCHW32.DLL; do
  n=$(exports "build/i686/bin/$f" | wc -l)
  [ "$n" -gt 0 ] && [ "$(exports "$x/$f")" = "$(exports "build/i686/bin/$f")" ] ||
    { echo "$f in the kit lacks exports of the build ($n)"; exit 1; }
done
# The updater finds the patch engine, the probe and the two builds by these names.
names=$(strings -a "$x/updater.exe")
for n in QMBPATCH36.RTP PATCHW32.DLL utilsmmx.dll utils.dll; do
  grep -q -x "$n" <<<"$names" || { echo "updater.exe does not name $n"; exit 1; }
done
grep -q 'DLL Name: CPUID.dll' <<<"$(i686-w64-mingw32-objdump -p "$x/updater.exe")" || { echo "updater.exe does not import CPUID.dll"; exit 1; }
[ -s "$x/QMBPATCH36.RTP" ] && [ -s "$x/README.txt" ]
echo "kit: $(unzip -Z1 "$zip" | wc -l) files, $(stat -c %s "$zip") bytes"
