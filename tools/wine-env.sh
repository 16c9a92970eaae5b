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
  corvane_chinese_letters
}
# Wine draws Tahoma with DejaVu Sans, which has no Chinese letters: linked to WenQuanYi Micro
# Hei (fonts-wqy-microhei) they are drawn in it, and the Latin ones stay as they were. A link
# for Tahoma itself would draw every letter in WenQuanYi.
corvane_chinese_letters() {
  grep -q '^"DejaVu Sans"=str(7):"wqy-microhei' "$WINEPREFIX/system.reg" 2>/dev/null && return
  "$CORVANE_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v 'DejaVu Sans' /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver64 -w 2>/dev/null || true
}
