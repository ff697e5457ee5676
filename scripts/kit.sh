#!/usr/bin/env bash
# Packs the 32-bit Windows kit as OUTDIR/korvante-kit.zip: both builds of
# utils, the updater with its two outside DLLs, a patch made by patchmake
# and a README.txt, flat, under the names the updater looks for.
#
# Usage: kit.sh [OUTDIR] [OLD_FOLDER NEW_FOLDER]
#   OUTDIR defaults to build/kit. With two folders the patch turns the game
#   files of OLD_FOLDER into those of NEW_FOLDER; without, a small sample
#   patch is made. The i686 cross build (KIT_I686_BUILD, default build/i686)
#   and the native build that holds patchmake (KIT_NATIVE_BUILD, default
#   build/release) are configured if missing and brought up to date.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
usage() { echo "usage: kit.sh [OUTDIR] [OLD_FOLDER NEW_FOLDER]" >&2; exit 2; }
[ $# -le 3 ] && [ $# -ne 2 ] || usage
case "${1:-}" in -h|--help) usage ;; esac
out=$(mkdir -p "${1:-$top/build/kit}" && cd "${1:-$top/build/kit}" && pwd)
old=${2:-} new=${3:-}
if [ -n "$old" ]; then
  [ -d "$old" ] && [ -d "$new" ] || { echo "kit.sh: $old and $new must both be folders" >&2; exit 2; }
  old=$(cd "$old" && pwd) new=$(cd "$new" && pwd)
fi
i686=${KIT_I686_BUILD:-$top/build/i686}
native=${KIT_NATIVE_BUILD:-$top/build/release}
jobs=$(nproc 2>/dev/null || echo 2)

if [ ! -f "$i686/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$i686" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DUTILS_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$i686" -j"$jobs" --target utils utilsmmx updater cpuid patchw32
if [ ! -f "$native/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$native" -j"$jobs" --target patchmake patchapply

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/kit
mkdir -p "$stage"
for f in utils.dll utilsmmx.dll updater.exe CPUID.dll PATCHW32.DLL; do
  cp "$i686/bin/$f" "$stage/$f"
  # Debug sections and local symbols only: the export tables stay.
  i686-w64-mingw32-strip --strip-unneeded "$stage/$f"
done

if [ -z "$old" ]; then
  # A stand-in installation before and after: one file changed, one added.
  old=$work/old new=$work/new
  mkdir -p "$old" "$new/dati"
  printf 'KORVANTE\r\nversione 1.0\r\n' > "$old/leggimi.txt"
  printf 'KORVANTE\r\nversione 1.1\r\n' > "$new/leggimi.txt"
  printf '1.1\r\n' > "$new/dati/versione.txt"
  sample=yes
else
  sample=no
fi
"$native/bin/patchmake" "$old" "$new" "$stage/QMBPATCH36.RTP"
# The patch must do what it says before it ships: applied to a copy of the
# old files, every file of the new folder comes out.
cp -r "$old" "$work/check"
"$native/bin/patchapply" "$stage/QMBPATCH36.RTP" "$work/check" >/dev/null
wrong=$(diff -r -q "$new" "$work/check" | grep -v "^Only in $work/check" || true)
[ -z "$wrong" ] || { echo "kit.sh: the patch does not rebuild $new:"; echo "$wrong"; exit 1; } >&2

{
  echo "KORVANTE update kit"
  echo
  echo "Run updater.exe from this folder, on the computer where KORVANTE is"
  echo "installed. It finds the game through the registry"
  echo "(HKEY_LOCAL_MACHINE\\SOFTWARE\\BRELLOWAY\\KORVANTE, value DIR), copies"
  echo "utilsmmx.dll, or utils.dll on a processor without MMX, to the game's"
  echo "utils.dll, deletes save\\partido.dat, and applies QMBPATCH36.RTP when"
  echo "you press \"Installare\"."
  echo
  echo "  updater.exe      the update program (Italian)"
  echo "  utils.dll        imaging library, plain build for any Pentium"
  echo "  utilsmmx.dll     the same library with MMX kernels"
  echo "  CPUID.dll        processor probe used by the updater (HasMMX)"
  echo "  PATCHW32.DLL     patch engine, copied to the system folder"
  echo "  QMBPATCH36.RTP   the patch"
  echo
  if [ "$sample" = yes ]; then
    echo "This kit carries a sample patch: it changes leggimi.txt (version 1.0"
    echo "to 1.1) and adds dati\\versione.txt, so it only applies to a folder"
    echo "that holds that leggimi.txt."
  else
    echo "The patch brings the game's files to the release it was made for."
  fi
  echo
  echo "Built $(date -u +%Y-%m-%d) from commit $(git -C "$top" rev-parse --short HEAD 2>/dev/null || echo unknown)."
} | sed 's/$/\r/' > "$stage/README.txt"

zipfile=$out/korvante-kit.zip
rm -f "$zipfile"
(cd "$stage" && zip -q -X "$zipfile" README.txt updater.exe utils.dll utilsmmx.dll CPUID.dll PATCHW32.DLL QMBPATCH36.RTP)
echo "wrote $zipfile"
unzip -l "$zipfile"
