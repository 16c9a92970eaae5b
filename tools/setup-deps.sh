#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine.
# Safe to run again: packages already present are skipped.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev llvm-14
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  googletest libbenchmark-dev
  wine64 xvfb xauth xdotool imagemagick x11-utils
  nsis osslsigncode zip unzip openssl python3 nginx-light dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# apt-get source needs deb-src entries; derive them from the machine's own sources.
ensure_deb_src() {
  local out=/etc/apt/sources.list.d/corvane-src.sources
  [ -f "$out" ] && return 0
  if grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/*.sources || grep -qs '^deb-src' /etc/apt/sources.list; then
    return 0
  fi
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$out"
  elif [ -f /etc/apt/sources.list ]; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/corvane-src.list
    touch "$out"
  fi
  echo updated
}

need_update=0
[ "$(ensure_deb_src)" = updated ] && need_update=1
if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
