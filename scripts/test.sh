#!/usr/bin/env bash
# Builds and runs every test on all four Linux targets: x86_64 natively, i686, powerpc and aarch64
# under qemu. Then, natively: the whole suite again under the address and undefined-behaviour sanitizers
# and under the thread sanitizer; every suite that calls the audio path with each such call under
# the real-time sanitizer; the release build with warnings as errors; and the four fuzzers for a
# bounded time (QUADECHO_FUZZ_SECONDS, 60, for the hostile host, half that for each of the others).
# Last Windows: the 32-bit DLL built and its export and import tables checked (no 32-bit x86 code
# runs on these machines, wine's neither); the 64-bit DLL and tool, their suite under wine64, the
# tool's renders compared with the Linux tool's, and the zip.
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

# libFuzzer with the address and undefined-behaviour sanitizers: the hostile host (the deprecated
# opcodes are answered in this build, so the fuzzer reaches every opcode's code), then for half as
# long each the program and bank file reader, the hostile CLAP host and the LV2 control values.
# New inputs they find stay in the build directory; the corpora in fuzz/ are only read.
run_fuzzer() {
  local dir=build/fuzz
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "$jobs"
  fuzz_one quadecho_fuzz corpus "$fuzz_seconds"
  fuzz_one quadecho_preset_fuzz preset-corpus $((fuzz_seconds / 2))
  fuzz_one quadecho_clap_fuzz clap-corpus $((fuzz_seconds / 2))
  fuzz_one quadecho_lv2_fuzz lv2-corpus $((fuzz_seconds / 2))
}
fuzz_one() {
  local dir=build/fuzz target=$1 corpus=$2 seconds=$3
  echo "=== $target ($seconds s) ==="
  rm -rf "$dir/$corpus" "$dir/findings"
  mkdir -p "$dir/$corpus" "$dir/findings"
  if ! "$dir/fuzz/$target" -max_total_time="$seconds" -timeout=10 -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$dir/findings/" "$dir/$corpus" "fuzz/$corpus" >"$dir/$target.log" 2>&1; then
    tail -n 80 "$dir/$target.log"
    echo "The fuzzer found a fault; reproduce it with: $dir/fuzz/$target $dir/findings/<file>"
    exit 1
  fi
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::new_units_added)' "$dir/$target.log"
  echo "$target: no findings"
}

# wine in a prefix of its own under build/, headless, with one wineserver kept running for the
# whole suite: otherwise each test program starts a server of its own, which takes seconds. The
# server, and the background processes wine starts with the prefix, are started here, detached
# from ctest: started by a test program, they would hold ctest's output open until they end.
wine_dir=/usr/lib/wine
run_windows() {
  export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  setsid "$wine_dir/wineserver" -p </dev/null >/dev/null 2>&1 &
  trap '"$wine_dir/wineserver" -k 2>/dev/null || true' EXIT
  sleep 1 # the server's socket is up
  "$wine_dir/wine64" wineboot --init </dev/null >/dev/null 2>&1
  # The 32-bit DLL first: the 64-bit build's zip test packs it.
  echo "=== windows-i686 (built and checked) ==="
  cmake --preset windows-i686 >/dev/null
  cmake --build --preset windows-i686 -j "$jobs"
  cmake -DOBJDUMP=i686-w64-mingw32-objdump -DPE=ON -DMODULE=build/windows-i686/quadecho.dll \
    -P tests/effect/CheckExports.cmake
  scripts/sndfile-windows.sh
  run_preset windows-x86_64
}

# What scripts/demo.sh builds, optimised further than the test builds: a warning only -O3 gives
# fails here, in a folder of its own so that the demo's build stays as a newcomer gets it.
run_release_warnings() {
  echo "=== release (warnings as errors) ==="
  cmake --preset release -B build/release-werror -DQUADECHO_WERROR=ON >/dev/null
  cmake --build build/release-werror -j "$jobs"
}

for preset in native i686 powerpc aarch64 asan tsan rtsan; do
  run_preset "$preset"
done
run_release_warnings
run_fuzzer
run_windows
echo "All targets passed."
