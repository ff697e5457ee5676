#!/usr/bin/env bash
# Every declaration of include/utils.h is exported under its Visual C++ name
# by each DLL given, bound to the same code as its GCC name (or, where the
# conventions differ, to its adapter). The list comes from the header itself.
# Usage: check-msvc-exports.sh i686|x86_64 DLL...
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
arch=$1
shift
clang=$(command -v clang++ || command -v clang++-14)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 "$top/cmake/msvc_exports.py" --arch "$arch" --clang "$clang" \
  --header "$top/include/utils.h" --table "$tmp/table"
fail=0
for dll in "$@"; do
  # "NAME RVA" for every exported name.
  "$arch-w64-mingw32-objdump" -p "$dll" | awk '
    /^Export Address Table -- /{t=1; next}
    /\[Ordinal\/Name Pointer\] Table/{t=2; next}
    /^$/{t=0}
    t && /^[ \t]*\[/{gsub(/[][]/, " ")}
    t==1 && /Export RVA/{rva[$1]=$4}
    t==2 && /^[ \t]*[0-9]/{print $2, rva[$1]}
  ' > "$tmp/exports"
  name=$(basename "$dll")
  if ! out=$(awk -v dll="$name" '
      NR==FNR {rva[$1]=$2; next}
      { n++
        if (!($1 in rva)) { print dll " lacks " $1 " (" $2 ")"; bad++; next }
        if ($3 == $2 && rva[$1] != rva[$2]) { print dll ": " $1 " is not bound to " $2; bad++ }
        if ($3 != $2) { adapted++; if (rva[$1] == rva[$2]) { print dll ": " $1 " is bound to " $2 ", not its adapter"; bad++ } }
      }
      END { if (bad) exit 1; print dll ": " n " Visual C++ names, " adapted+0 " through adapters" }
    ' "$tmp/exports" "$tmp/table"); then
    fail=1
  fi
  echo "$out"
done
exit $fail
