#!/usr/bin/env bash
# Checks the i686 kit without running it (this machine cannot run 32-bit
# code): every export of the native library is exported by both DLLs, the
# DLLs import only Windows system DLLs, utils.dll holds no SIMD instruction
# and utilsmmx.dll nothing beyond MMX. Both also export every declaration of
# utils.h under its Visual C++ name, and a client built as Visual C++ would
# build it links against them by those names alone.
# Usage: check-kit.sh I686_BUILD_DIR NATIVE_BUILD_DIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
kit=$1/bin
native=$2/lib
objdump=i686-w64-mingw32-objdump
fail=0
system_dlls='^(KERNEL32|USER32|GDI32|ADVAPI32|COMCTL32|COMDLG32|SHELL32|OLE32|msvcrt|VERSION|WINMM)\.dll$'

exports_of_dll() { $objdump -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF} t&&/^$/{t=0}' | sort -u; }
imports_of() { $objdump -p "$1" | awk '/DLL Name:/{print $3}' | sort -u; }

# The native library's exported symbols from our own header: C++ names and
# lu_gPaleta. Instantiations of the standard library's templates (std::vector
# members) are exported by the ELF build as libstdc++ marks them, but are not
# ours to export from the DLLs.
nm -D --defined-only "$native/libutils.so" | awk '{print $3}' | grep -E '^(_Z|lu_gPaleta)' |
  grep -v -E '^_Z(N[KV]*)?St' | sort -u > /tmp/kit-native-exports.txt
echo "native exports: $(wc -l < /tmp/kit-native-exports.txt)"

for dll in utils.dll utilsmmx.dll; do
  f=$kit/$dll
  [ -f "$f" ] || { echo "missing $f"; fail=1; continue; }
  exports_of_dll "$f" > /tmp/kit-$dll.txt
  missing=$(comm -23 /tmp/kit-native-exports.txt /tmp/kit-$dll.txt || true)
  if [ -n "$missing" ]; then echo "$dll lacks exports:"; echo "$missing" | head -20; fail=1; fi
  bad=$(imports_of "$f" | grep -v -i -E "$system_dlls" || true)
  if [ -n "$bad" ]; then echo "$dll imports non-system DLLs: $bad"; fail=1; fi
  echo "$dll: $(wc -l < /tmp/kit-$dll.txt) exports, imports $(imports_of "$f" | tr '\n' ' ')"
done

bash "$top/scripts/check-msvc-exports.sh" i686 "$kit/utils.dll" "$kit/utilsmmx.dll" || fail=1
client=$1/msvc-client
bash "$top/tests/msvc/link-client.sh" i686 "$client" "$client" utils utilsmmx || fail=1
for lib in utils utilsmmx; do
  bash "$top/tests/msvc/check-imports.sh" i686 "$client/msvc_client_$lib.exe" "$kit/$lib.dll" || fail=1
done

count() { $objdump -d --no-show-raw-insn "$1" | grep -c -E "$2" || true; }
n=$(count "$kit/utils.dll" '%(x|y)mm[0-9]|%mm[0-7]')
echo "utils.dll: $n instructions on MMX or SSE registers"
[ "$n" -eq 0 ] || fail=1
n=$(count "$kit/utilsmmx.dll" '%(x|y)mm[0-9]')
echo "utilsmmx.dll: $n instructions on SSE registers, $(count "$kit/utilsmmx.dll" '%mm[0-7]') on MMX registers"
[ "$n" -eq 0 ] || fail=1

# Every extra program of the kit imports only system DLLs or our own.
for exe in "$kit"/*.exe "$kit"/*.dll; do
  [ -e "$exe" ] || continue
  bad=$(imports_of "$exe" | grep -v -i -E "$system_dlls" | grep -v -i -E '^(CPUID|PATCHW32|utils|utilsmmx)\.dll$' || true)
  if [ -n "$bad" ]; then echo "$(basename "$exe") imports $bad"; fail=1; fi
done
exit $fail
