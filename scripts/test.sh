#!/usr/bin/env bash
# Builds and runs every test on all three targets: x86_64 natively, i686 and powerpc under qemu.
# Then, natively: the whole suite again under the address and undefined-behaviour sanitizers and
# under the thread sanitizer, and the fuzzer for a bounded time (QUADECHO_FUZZ_SECONDS, 60).
# Build directories go under QUADECHO_BUILD_PREFIX (build/): build/x86_64, build/asan, ...
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests

jobs=$(nproc)
prefix=${QUADECHO_BUILD_PREFIX:-build/}
fuzz_seconds=${QUADECHO_FUZZ_SECONDS:-60}

run_target() {
  local name=$1; shift
  echo "=== $name ==="
  cmake -S . -B "$prefix$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUADECHO_WERROR=ON "$@" >/dev/null
  cmake --build "$prefix$name" -j "$jobs"
  (cd "$prefix$name" && ctest --output-on-failure -j "$jobs" --timeout 600)
}

# Any sanitizer finding stops its test program. (Tests that hand the module to a host built
# elsewhere are not registered in these builds: an instrumented module cannot load there.)
run_sanitized() {
  local name=$1 sanitizers=$2
  run_target "$name" -DQUADECHO_SANITIZE="$sanitizers" -DQUADECHO_BENCH=OFF
}

# libFuzzer with the address and undefined-behaviour sanitizers; the deprecated opcodes are
# answered in this build, so the fuzzer reaches every opcode's code. New inputs it finds stay in
# the build directory; fuzz/corpus is only read.
run_fuzzer() {
  local dir=${prefix}fuzz
  echo "=== fuzz ($fuzz_seconds s) ==="
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUADECHO_WERROR=ON \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DQUADECHO_TESTS=OFF -DQUADECHO_BENCH=OFF \
    -DQUADECHO_FUZZ=ON -DQUADECHO_SANITIZE=address,undefined -DQUADECHO_DEPRECATED_INTERFACE=ON >/dev/null
  cmake --build "$dir" -j "$jobs" --target quadecho_fuzz
  rm -rf "$dir/corpus" "$dir/findings"
  mkdir -p "$dir/corpus" "$dir/findings"
  if ! "$dir/fuzz/quadecho_fuzz" -max_total_time="$fuzz_seconds" -timeout=10 -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$dir/findings/" "$dir/corpus" fuzz/corpus >"$dir/fuzz.log" 2>&1; then
    tail -n 80 "$dir/fuzz.log"
    echo "The fuzzer found a fault; reproduce it with: $dir/fuzz/quadecho_fuzz $dir/findings/<file>"
    exit 1
  fi
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::new_units_added)' "$dir/fuzz.log"
  echo "fuzz: no findings"
}

run_target x86_64
run_target i686 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686.cmake
run_target powerpc -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-powerpc.cmake
run_sanitized asan address,undefined
run_sanitized tsan thread
run_fuzzer
echo "All targets passed."
