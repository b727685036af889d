#!/usr/bin/env bash
# Builds the plug-in module and says where it is.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUADECHO_TESTS=OFF -DQUADECHO_BENCH=OFF >/dev/null
cmake --build build/release -j "$(nproc)"
module=$(find "$PWD/build/release" -maxdepth 2 -name 'quadecho.so' -print -quit)
echo "Plug-in module: ${module:-not built}"
