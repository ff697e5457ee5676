#!/usr/bin/env bash
# Installs the build into a scratch prefix, then builds and runs an outside
# program against it through find_package(utils) and through pkg-config.
# Usage: run.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1
work=$2
src=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$src" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
libdir=$(dirname "$(find "$work/prefix" -name 'libutils.so' | head -n 1)")
LD_LIBRARY_PATH=$libdir "$work/cmake/consumer_plain"
LD_LIBRARY_PATH=$libdir "$work/cmake/consumer_simd"
export PKG_CONFIG_PATH=$libdir/pkgconfig
for lib in utils utilsmmx; do
  # shellcheck disable=SC2046
  c++ -std=c++17 "$src/consumer.cpp" -o "$work/pc_$lib" $(pkg-config --cflags --libs "$lib")
  LD_LIBRARY_PATH=$libdir "$work/pc_$lib"
done
readelf -d "$libdir/libutils.so" | grep -q 'SONAME.*libutils.so.1'
readelf -d "$libdir/libutilsmmx.so" | grep -q 'SONAME.*libutilsmmx.so.1'
echo "installed tree works through find_package and pkg-config"
