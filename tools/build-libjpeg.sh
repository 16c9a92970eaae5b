#!/usr/bin/env bash
# Cross-builds libjpeg-turbo for the Windows target from Debian's source package.
# The result is cached in build/deps/libjpeg-win64 and reused by later builds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deps="$root/build/deps"
prefix="$deps/libjpeg-win64"
[ -f "$prefix/lib/libjpeg.a" ] && exit 0

mkdir -p "$deps/src"
cd "$deps/src"
if ! ls -d libjpeg-turbo-*/ >/dev/null 2>&1; then
  apt-get source -qq libjpeg-turbo >/dev/null 2>&1
fi
src="$(ls -d "$deps"/src/libjpeg-turbo-*/ | head -1)"
cmake -S "$src" -B "$deps/libjpeg-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DWITH_SIMD=0 -DENABLE_SHARED=0 -DWITH_TURBOJPEG=0 >/dev/null
cmake --build "$deps/libjpeg-build" --target install >/dev/null
echo "libjpeg-turbo built into $prefix"
