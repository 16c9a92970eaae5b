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
  screenshots=$!
  trap 'kill $CORVANE_XVFB_PID $screenshots 2>/dev/null || true' EXIT
fi
corvane_wine_prefix
echo "Starting Corvane (close it from its menu, or press Ctrl+C here)."
setsid "$CORVANE_WINE" build/run/corvane.exe &
corvane=$!
# Ctrl+C asks Corvane to close, as its menu would, so that it saves its files.
close_corvane() {
  "$CORVANE_WINE" taskkill /im corvane.exe >/dev/null 2>&1 || true
  wait "$corvane" || true
}
trap 'close_corvane; exit 130' INT TERM
wait "$corvane"
