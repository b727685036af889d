#!/usr/bin/env bash
# Builds libsndfile for 64-bit Windows, which Debian does not ship: from Debian's own source
# package, fetched with apt from the source archive, statically with the mingw-w64 toolchain,
# without the external libraries (so no FLAC, Ogg, Opus or MP3). Installed into
# build/sndfile-windows-x86_64, where the windows-x86_64 preset looks; kept for later runs.
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=$PWD/build/sndfile-windows-x86_64
if [ -f "$prefix/lib/cmake/SndFile/SndFileConfig.cmake" ]; then
  exit 0
fi
work=$PWD/build/sndfile-source
rm -rf "$work"
mkdir -p "$work"
echo "=== libsndfile for Windows, from Debian's source package ==="
(cd "$work" && apt-get source --download-only -qq libsndfile && dpkg-source -x --no-check ./*.dsc source >/dev/null)
cmake -S "$work/source" -B "$work/build" -G Ninja -Wno-dev \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-windows-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF \
  -DBUILD_TESTING=OFF -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DENABLE_CPACK=OFF -DINSTALL_MANPAGES=OFF \
  >/dev/null
cmake --build "$work/build" -j "$(nproc)" >/dev/null
cmake --install "$work/build" >/dev/null
rm -rf "$work"
