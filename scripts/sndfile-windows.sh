#!/usr/bin/env bash
# Builds libsndfile for 64-bit Windows, which Debian does not ship: from Debian's own source
# package, fetched with apt from the source archive, statically with the mingw-w64 toolchain,
# without the external libraries (so no FLAC, Ogg, Opus or MP3). Installed into
# build/sndfile-windows-x86_64, where the windows-x86_64 preset looks; kept for later runs.
# Beside it, in share/quadecho-notice, what the Windows zip's notice needs, since the tool links it
# statically: the package version built and its licence texts (the LGPL, Debian's copyright record
# of every part, and the ALAC codec's Apache licence).
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=$PWD/build/sndfile-windows-x86_64
notice=$prefix/share/quadecho-notice
if [ -f "$prefix/lib/cmake/SndFile/SndFileConfig.cmake" ] && [ -s "$notice/version" ] && [ -f "$notice/COPYING" ] \
  && [ -f "$notice/copyright" ] && [ -f "$notice/ALAC-LICENSE" ]; then
  exit 0
fi
# A prefix without the notice is rebuilt whole: the version written must be the one built.
rm -rf "$prefix"
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
# Written last, so that an interrupted build leaves a prefix the test above rebuilds.
mkdir -p "$notice"
cp "$work/source/COPYING" "$notice/COPYING"
cp "$work/source/debian/copyright" "$notice/copyright"
cp "$work/source/src/ALAC/LICENSE" "$notice/ALAC-LICENSE"
dpkg-parsechangelog -l "$work/source/debian/changelog" -S Version >"$notice/version"
rm -rf "$work"
