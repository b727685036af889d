#!/usr/bin/env bash
# Installs what building (and, with --tests, testing) needs on Debian 12, skipping what is
# already there.
set -euo pipefail

# What building the plug-in and its command-line host needs.
packages=(cmake ninja-build g++ binutils pkg-config libsndfile1-dev libcli11-dev)
# What the tests need besides: the cross compilers and qemu for the other two processors,
# GoogleTest (the library for native builds, its sources for the cross builds) and Google
# Benchmark, clang's sanitizers and libFuzzer, the packaging tools, and a real host and a
# foreign module for the command-line host's tests.
test_packages=(
  g++-i686-linux-gnu g++-powerpc-linux-gnu qemu-user
  googletest libgtest-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev libfuzzer-14-dev llvm-14
  dpkg-dev
  ardour zam-plugins
)
if [ "${1:-}" = "--tests" ]; then
  packages+=("${test_packages[@]}")
  shift
fi
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
