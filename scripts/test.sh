#!/usr/bin/env bash
# Builds and runs every test on all three targets: x86_64 natively, i686 and powerpc under qemu.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
run_target() {
  local name=$1; shift
  echo "=== $name ==="
  cmake -S . -B "build/$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUADECHO_WERROR=ON "$@" >/dev/null
  cmake --build "build/$name" -j "$jobs"
  (cd "build/$name" && ctest --output-on-failure -j "$jobs" --timeout 600)
}

run_target x86_64
run_target i686 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686.cmake
run_target powerpc -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-powerpc.cmake
echo "All targets passed."
