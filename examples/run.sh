#!/usr/bin/env bash
# Installs a build into a scratch prefix, builds the examples against it
# through find_package(utils), runs them and checks every PNG they write.
# Usage: run.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1
work=$2
src=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work/out"
work=$(cd "$work" && pwd)
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$src" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake" -j2 >/dev/null
libdir=$(dirname "$(find "$work/prefix" -name 'libutilsmmx.so' | head -n 1)")
export LD_LIBRARY_PATH=$libdir
"$work/cmake/bmp_sprite" "$src/data/sprite.bmp" "$work/out/sprite.png"
"$work/cmake/gif_frames" "$src/data/anim.gif" "$work/out/frames.png"
"$work/cmake/mix8" "$work/out/mix8.png"
# Each PNG opens, has the size its program gives it and is not one flat colour.
/usr/bin/python3 - "$work/out" <<'PY'
import sys
from PIL import Image
want = {"sprite.png": (160, 100), "frames.png": (6 * 42 + 2, 28), "mix8.png": (128, 96)}
for name, size in want.items():
    im = Image.open(f"{sys.argv[1]}/{name}")
    im.load()
    assert im.size == size, f"{name}: {im.size}, expected {size}"
    colours = im.convert("RGB").getcolors(1 << 16)
    assert colours is None or len(colours) > 4, f"{name}: only {len(colours)} colours"
    print(f"{name}: {im.size[0]} x {im.size[1]}, {len(colours) if colours else 'many'} colours")
PY
echo "examples built and run against the installed tree"
