#!/usr/bin/env bash
# Installs what is missing, builds corvane.exe and starts it under Wine: on the current X
# display, or on a virtual one when there is none. Its files live in build/run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash tools/setup-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target corvane
mkdir -p build/run
cp build/windows/src/app/corvane.exe build/run/corvane.exe

source tools/wine-env.sh
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  source tools/xvfb.sh
  start_xvfb
  echo "No X display here: Corvane runs on the virtual display $DISPLAY."
  echo "A screenshot is written to build/run/screenshot.png every 10 seconds;"
  echo "take one yourself with: DISPLAY=$DISPLAY import -window root shot.png"
  ( while sleep 10; do import -window root build/run/screenshot.png 2>/dev/null || true; done ) &
  trap 'kill $! 2>/dev/null; kill $CORVANE_XVFB_PID 2>/dev/null || true' EXIT
fi
corvane_wine_prefix
echo "Starting Corvane (close it from its menu, or press Ctrl+C here)."
"$CORVANE_WINE" build/run/corvane.exe
