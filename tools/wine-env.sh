# Sourced by the scripts that run Windows programs: one Wine prefix inside the build folder.
corvane_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$corvane_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64
if command -v wine >/dev/null 2>&1; then
  CORVANE_WINE="$(command -v wine)"
else
  CORVANE_WINE=/usr/lib/wine/wine64
fi
export CORVANE_WINE
# Create the prefix once; the first start takes a while.
corvane_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$CORVANE_WINE" wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver64 -w 2>/dev/null || true
  fi
}
