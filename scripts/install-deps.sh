#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, skipping what is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ binutils pkg-config
  g++-i686-linux-gnu g++-powerpc-linux-gnu qemu-user
  googletest libgtest-dev libbenchmark-dev
  libsndfile1-dev libcli11-dev
  clang-14 libclang-rt-14-dev libfuzzer-14-dev llvm-14
  dpkg-dev
  # A real host and a foreign module for the tool's tests.
  ardour zam-plugins
)
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
