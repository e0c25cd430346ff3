#!/usr/bin/env bash
# Measures whether the WebAssembly build of the core draws the native build's pixels: builds
# web_same_pixels.cpp with g++ and with em++ (both -ffp-contract=off, as the program and the page
# are built), runs both over the same sweeps and canvas sizes and compares the raster after
# every curve, and the segments each curve handed to the canvas. Takes a few minutes.
#   bench/web_same_pixels.sh [WIDTHxHEIGHT...]     (default: device pixel ratios 1 and 2)
set -euo pipefail
cd "$(dirname "$0")/.."

out=build/same-pixels
mkdir -p "$out"
sources=(bench/web_same_pixels.cpp turtle/raster.cpp turtle/canvas.cpp turtle/turtle.cpp
         curves/koch_curves.cpp curves/angle_colours.cpp sweeps/decimal_text.cpp
         sweeps/number_text.cpp sweeps/sweeps.cpp sweeps/render.cpp)
flags=(-std=c++20 -ffp-contract=off -I.)

export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
g++ -O2 "${flags[@]}" "${sources[@]}" -o "$out/native"
# Node fetches a .wasm by URL unless the instance is made synchronously.
em++ -O3 "${flags[@]}" -mnontrapping-fptoint -mbulk-memory "${sources[@]}" -sENVIRONMENT=node \
  -sWASM_ASYNC_COMPILATION=0 -sALLOW_MEMORY_GROWTH=1 -o "$out/wasm.js"

"$out/native" "$@" > "$out/native.txt"
node "$out/wasm.js" "$@" > "$out/wasm.txt"

/usr/bin/python3 - "$out/native.txt" "$out/wasm.txt" <<'EOF'
import collections
import sys

native = open(sys.argv[1]).read().splitlines()
wasm = open(sys.argv[2]).read().splitlines()
if len(native) != len(wasm):
    sys.exit(f"the builds drew different numbers of curves: {len(native)} and {len(wasm)}")
curves = collections.Counter()
pixels = collections.Counter()
segments = collections.Counter()
for a, b in zip(native, wasm):
    fa, fb = a.split(), b.split()
    case = " ".join(fa[:4])
    curves[case] += 1
    pixels[case] += fa[7] != fb[7]
    segments[case] += fa[9] != fb[9]
for case in curves:
    print(f"{case:32} {curves[case]:4} curves: pixels differ after {pixels[case]:3}, "
          f"segments differ in {segments[case]:3}")
total = sum(pixels.values())
print(f"{len(native)} curves in {len(curves)} sweeps: "
      f"{'the same pixels after every curve' if total == 0 else f'{total} rasters differ'}; "
      f"segments differ in {sum(segments.values())} curves")
sys.exit(1 if total else 0)
EOF
