#!/usr/bin/env bash
# The Visual C++ client imports from the DLL by Microsoft names only, every one
# of them exported by the DLL, and nothing else but msvcrt.dll.
# Usage: check-imports.sh i686|x86_64 CLIENT.exe DLL
set -euo pipefail
objdump=$1-w64-mingw32-objdump
exe=$2 dll=$3
name=$(basename "$dll")
imports=$($objdump -p "$exe" | awk '
  /DLL Name:/ {d=$3; print "dll", d; next}
  /Hint\/Ord/ {t=1; next}
  /^$/ {t=0}
  t && NF >= 3 {print "name", d, $3}')
exports=$($objdump -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF} t&&/^$/{t=0}' | sort -u)
fail=0
bad_dlls=$(awk '$1=="dll"{print $2}' <<<"$imports" | grep -v -x -i -e "$name" -e msvcrt.dll || true)
[ -z "$bad_dlls" ] || { echo "$(basename "$exe") imports from $bad_dlls"; fail=1; }
ours=$(awk -v d="$name" '$1=="name" && tolower($2)==tolower(d) {print $3}' <<<"$imports" | sort -u)
n=$(grep -c . <<<"$ours" || true)
[ "$n" -gt 0 ] || { echo "$(basename "$exe") imports nothing from $name"; fail=1; }
gcc=$(grep -v '^?' <<<"$ours" || true)
[ -z "$gcc" ] || { echo "$(basename "$exe") imports names that are not Visual C++ ones:"; echo "$gcc"; fail=1; }
missing=$(comm -23 <(echo "$ours") <(echo "$exports"))
[ -z "$missing" ] || { echo "$name does not export:"; echo "$missing"; fail=1; }
[ "$fail" -ne 0 ] || echo "$(basename "$exe"): $n Visual C++ names from $name, all exported"
exit $fail
