#!/usr/bin/env bash
# Builds and runs every test on all three targets: x86_64 natively, i686 and powerpc under qemu.
# Then, natively: the whole suite again under the address and undefined-behaviour sanitizers and
# under the thread sanitizer, and the fuzzer for a bounded time (QUADECHO_FUZZ_SECONDS, 60).
# Each step is a preset of CMakePresets.json, built in build/<preset>: build/native, build/asan, ...
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests

jobs=$(nproc)
fuzz_seconds=${QUADECHO_FUZZ_SECONDS:-60}

# Any sanitizer finding stops its test program. (Tests that hand the module to a host built
# elsewhere are not registered in the sanitizer builds: an instrumented module cannot load there.)
run_preset() {
  local name=$1
  echo "=== $name ==="
  cmake --preset "$name" >/dev/null
  cmake --build --preset "$name" -j "$jobs"
  ctest --preset "$name" -j "$jobs"
}

# libFuzzer with the address and undefined-behaviour sanitizers; the deprecated opcodes are
# answered in this build, so the fuzzer reaches every opcode's code. New inputs it finds stay in
# the build directory; fuzz/corpus is only read.
run_fuzzer() {
  local dir=build/fuzz
  echo "=== fuzz ($fuzz_seconds s) ==="
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "$jobs"
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

for preset in native i686 powerpc asan tsan; do
  run_preset "$preset"
done
run_fuzzer
echo "All targets passed."
