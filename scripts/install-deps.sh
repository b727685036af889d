#!/usr/bin/env bash
# Installs what building (and, with --tests, testing) needs on Debian 12, skipping what is
# already there.
set -euo pipefail

# What building the plug-in (both formats) and its command-line host (with its PNG pictures) needs.
packages=(cmake ninja-build g++ binutils pkg-config libsndfile1-dev libpng-dev libcli11-dev lv2-dev)
# What the tests need besides: the cross compilers and qemu for the other three processors, the
# C and C++ runtimes, libsndfile and libpng for 64-bit ARM (Debian's multiarch: the ARM tool's),
# GoogleTest (the library for native builds, its sources for the cross builds) and Google
# Benchmark, clang's sanitizers (the real-time one from LLVM 19) and libFuzzer, the packaging
# tools with Debian's checker and manual-page maker, two real hosts and a foreign module for the
# command-line host's tests, LV2's validator and command-line hosts, and mingw-w64 and wine for
# the Windows builds.
test_packages=(
  g++-i686-linux-gnu g++-powerpc-linux-gnu g++-aarch64-linux-gnu qemu-user
  libc6:arm64 libstdc++6:arm64 libsndfile1-dev:arm64 libpng-dev:arm64
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64
  googletest libgtest-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev libfuzzer-14-dev llvm-14 libclang-rt-19-dev
  dpkg-dev lintian help2man
  ardour zam-plugins qtractor lilv-utils sordi
  debootstrap
)
tests=no
if [ "${1:-}" = "--tests" ]; then
  packages+=("${test_packages[@]}")
  tests=yes
  shift
fi
packages+=("$@")

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# The Windows tool's libsndfile is built from Debian's source package (scripts/sndfile-windows.sh),
# which apt fetches only with source entries beside the binary ones.
if [ "$tests" = yes ] && ! apt-cache showsrc libsndfile 2>/dev/null | grep -q '^Package: libsndfile$'; then
  echo "Adding Debian's source archive to apt's sources"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/quadecho-src.sources >/dev/null
  else
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/quadecho-src.list >/dev/null
  fi
  "${sudo_cmd[@]}" apt-get update -qq
fi

# Packages for 64-bit ARM come from the same archive once dpkg takes that architecture.
if [ "$tests" = yes ] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
  echo "Adding arm64 to dpkg's architectures"
  "${sudo_cmd[@]}" dpkg --add-architecture arm64
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
