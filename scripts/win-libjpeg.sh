#!/usr/bin/env bash
# Cross-compiles Debian's libjpeg-turbo source package for one mingw-w64
# target: static, jpeg62 interface, no SIMD, with unwind tables so that the
# decoder's exceptions can pass through the codec. Prints the install prefix.
# The source and every build are cached outside the repository, keyed by
# version and target.
# Usage: win-libjpeg.sh TOOLCHAIN_FILE
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$1
arch=$(basename "$toolchain" .cmake)
cache=${KORVANTE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/korvante}
ver=$(apt-cache showsrc libjpeg-turbo 2>/dev/null | awk '/^Version:/{print $2; exit}')
[ -n "$ver" ] || { echo "win-libjpeg: no deb-src entry for libjpeg-turbo (run scripts/deps.sh)" >&2; exit 1; }
key=libjpeg-turbo-${ver//:/_}
root=$cache/$key
prefix=$root/$arch
if [ -f "$prefix/.done" ]; then echo "$prefix"; exit 0; fi
mkdir -p "$root"
exec 9>"$root/.lock"
flock 9
if [ ! -f "$root/src/.done" ]; then
  rm -rf "$root/src" "$root/fetch"
  mkdir -p "$root/fetch"
  (cd "$root/fetch" && apt-get source -qq --download-only libjpeg-turbo >&2 &&
     dpkg-source -x --no-check ./*.dsc src >&2)
  mv "$root/fetch/src" "$root/src"
  rm -rf "$root/fetch"
  touch "$root/src/.done"
fi
if [ ! -f "$prefix/.done" ]; then
  cflags="-O2 -fexceptions"
  case $arch in *i686*) cflags="$cflags -march=i586 -mno-mmx -mno-sse -mno-sse2 -mno-3dnow" ;; esac
  rm -rf "$root/build-$arch" "$prefix"
  cmake -S "$root/src" -B "$root/build-$arch" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="$cflags" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DWITH_SIMD=0 -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_TURBOJPEG=0 -DWITH_JPEG8=0 -DWITH_JPEG7=0 \
    -DWITH_ARITH_DEC=1 -DWITH_ARITH_ENC=1 >&2
  cmake --build "$root/build-$arch" -j"${KORVANTE_JOBS:-2}" --target jpeg-static >&2
  cmake --install "$root/build-$arch" >&2 || true
  # The install step also wants the programs; what the library needs is enough.
  mkdir -p "$prefix/lib" "$prefix/include"
  cp "$root/build-$arch"/libjpeg.a "$prefix/lib/" 2>/dev/null || true
  cp "$root/build-$arch"/jconfig.h "$root/src"/jpeglib.h "$root/src"/jmorecfg.h "$root/src"/jerror.h "$prefix/include/"
  touch "$prefix/.done"
fi
echo "$prefix"
