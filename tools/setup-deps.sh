#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine.
# Safe to run again: packages already present are skipped.
set -euo pipefail

# make: CMake's default generator, which the presets and the release test use; iproute2: the
# network namespaces of the renumbering test; fonts-wqy-microhei: Chinese letters for the
# windows under Wine; zlib1g-dev: the reference of the inflater's fuzz target.
packages=(
  cmake make ninja-build g++ clang libclang-rt-14-dev llvm-14
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  googletest libbenchmark-dev
  wine64 xvfb xauth xdotool imagemagick x11-utils
  nsis osslsigncode zip unzip openssl python3 nginx-light iproute2 fonts-wqy-microhei
  zlib1g-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  echo "Installing: ${missing[*]}"
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
