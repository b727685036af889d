#!/usr/bin/env bash
# Builds the plug-in and its command-line host, renders the built-in demo through the plug-in and
# plots its impulse response, then says where everything is.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

out="$PWD/build/demo"
mkdir -p "$out"
build/release/quadecho render "$out/quadecho-demo.wav"
build/release/quadecho plot "$out/quadecho-impulse-response.svg"

echo
echo "Plug-in module:   $PWD/build/release/quadecho.so"
echo "LV2 bundle:       $PWD/build/release/lv2-bundles/quadecho.lv2"
echo "Demo to listen:   $out/quadecho-demo.wav"
echo "Impulse response: $out/quadecho-impulse-response.svg (open it in a browser)"
