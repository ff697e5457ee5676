#!/usr/bin/env bash
# Builds the client as a Visual C++ program would be: clang in MSVC mode, no
# C++ runtime, linked by lld-link against import libraries that hold only the
# Microsoft names of utils.h (made from the header) and a few msvcrt.dll
# functions (and calloc, which clang makes of malloc and memset). Writes OUTDIR/msvc_client_LIB.exe for each LIB.
# Usage: link-client.sh i686|x86_64 WORKDIR OUTDIR LIB...
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
arch=$1 work=$2 out=$3
shift 3
find_tool() { for t in "$@"; do command -v "$t" && return; done; echo "no $1" >&2; exit 1; }
clang=$(find_tool clang++ clang++-14)
lld=$(find_tool lld-link lld-link-14)
dlltool=$(find_tool llvm-dlltool llvm-dlltool-14)
case $arch in
  i686) triple=i686-pc-windows-msvc machine=i386 ;;
  x86_64) triple=x86_64-pc-windows-msvc machine=i386:x86-64 ;;
  *) echo "unknown arch $arch" >&2; exit 1 ;;
esac
mkdir -p "$work" "$out"

printf 'LIBRARY msvcrt.dll\nEXPORTS\n  printf\n  malloc\n  calloc\n  free\n  memset\n  memcpy\n  memcmp\n  exit\n' > "$work/msvcrt.def"
"$dlltool" -m "$machine" -d "$work/msvcrt.def" -l "$work/msvcrt.lib"

"$clang" --target="$triple" -std=c++17 -O2 -fno-exceptions -fno-rtti -fno-stack-protector \
  -fno-threadsafe-statics -I"$top/include" -c "$top/tests/msvc/client.cpp" -o "$work/client-$arch.obj"

for lib in "$@"; do
  python3 "$top/cmake/msvc_exports.py" --arch "$arch" --clang "$clang" --header "$top/include/utils.h" \
    --import-def "$lib.dll" "$work/$lib-msvc.def"
  "$dlltool" -m "$machine" -d "$work/$lib-msvc.def" -l "$work/$lib-msvc.lib"
  # clang asks for libcmt and oldnames; this program has no Visual C++ runtime.
  "$lld" -nologo -nodefaultlib -entry:client_start -subsystem:console -out:"$out/msvc_client_$lib.exe" \
    "$work/client-$arch.obj" "$work/$lib-msvc.lib" "$work/msvcrt.lib"
done
