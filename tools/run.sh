#!/usr/bin/env bash
# Installs what is missing, builds corvane.exe and starts it under Wine: on the current X
# display, or on a virtual one when there is none. Its files and its Wine prefix live in
# build/run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash tools/setup-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target corvane
mkdir -p build/run
cp build/windows/src/app/corvane.exe build/run/corvane.exe

# A prefix of its own: one prefix shown on two displays at once (this one and a test run's)
# confuses Wine's windows and tray icons.
export WINEPREFIX="${WINEPREFIX:-$root/build/run/wineprefix}"
source tools/wine-env.sh
desktop=()
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  source tools/xvfb.sh
  start_xvfb
  # Without a window manager and a tray, Wine puts its own tray strip over the top-left corner
  # of the screen, where Corvane's window is. A Wine desktop of the screen's size has a taskbar
  # at the bottom that holds the tray icon; it closes itself when Corvane, its only program, ends.
  size="$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*x[0-9]*\) .*/\1/p')"
  desktop=(explorer "/desktop=Corvane,$size")
  ( while sleep 10; do import -window root build/run/screenshot.png 2>/dev/null || true; done ) &
  screenshots=$!
  # The display goes last, once Wine's own processes in this prefix have ended.
  stop_display() {
    kill "$screenshots" 2>/dev/null || true
    timeout 30 /usr/lib/wine/wineserver64 -w 2>/dev/null || true
    kill "$CORVANE_XVFB_PID" 2>/dev/null || true
  }
  trap stop_display EXIT
  echo "No X display here: Corvane runs on the virtual display $DISPLAY, in a Wine desktop:"
  echo "its window at the top-left corner, its tray icon at the right end of the taskbar."
  echo "To see it, open build/run/screenshot.png (written every 10 seconds), or take a"
  echo "screenshot yourself: DISPLAY=$DISPLAY import -window root shot.png"
else
  echo "Corvane shows a small blue window at the top-left corner of the display $DISPLAY."
fi
corvane_wine_prefix
echo "Right-click the window for its menu. Close Corvane from there, or press Ctrl+C here."
setsid "$CORVANE_WINE" "${desktop[@]}" build/run/corvane.exe &
corvane=$!
# Ctrl+C asks Corvane to close, as its menu would, so that it saves its files. The request is
# made from inside Corvane's Wine desktop, if any: windows of another desktop cannot be reached.
close_corvane() {
  "$CORVANE_WINE" "${desktop[@]}" taskkill /im corvane.exe >/dev/null 2>&1 || true
  wait "$corvane" || true
}
trap 'close_corvane; exit 130' INT TERM
wait "$corvane"
