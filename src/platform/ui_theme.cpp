// The mode in force and its palette and fonts made into GDI objects; failures are raised.
#include "platform/ui_theme.h"
#include "platform/dark_mode.h"
#include "platform/window.h"

namespace {

// Windows' app mode: light where it says nothing.
bool AppsUseLightTheme() {
    DWORD value = 1, size = sizeof value;
    return ::RegGetValueA(HKEY_CURRENT_USER,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                          "AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &value,
                          &size) != ERROR_SUCCESS ||
           value != 0;
}

bool HighContrastOn() {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

// As Windows tells every window of a new visual style.
BOOL CALLBACK TellThemeChanged(HWND window, LPARAM) {
    ::SendMessageA(window, WM_THEMECHANGED, 0, 0);
    return TRUE;
}

} // namespace

TUiTheme& TUiTheme::Instance() {
    static TUiTheme* instance = new TUiTheme; // never destroyed, as the application
    return *instance;
}

TUiTheme::TUiTheme() : dark_(std::make_unique<TDarkMode>()) {}

void TUiTheme::SystemChanged(bool notify) {
    const TThemeMode mode = ThemeModeFor(setting_, AppsUseLightTheme(), HighContrastOn());
    if (mode != mode_) {
        mode_ = mode;
        dark_->SetMenusDark(mode == TThemeMode::Dark);
        notify = true;
    }
    if (notify)
        ::EnumThreadWindows(::GetCurrentThreadId(), TellThemeChanged, 0);
}

void TUiTheme::ApplyTo(HWND window) {
    dark_->ThemeWindow(window, mode_ == TThemeMode::Dark);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

bool TUiTheme::DrawsButtons() const {
    return mode_ == TThemeMode::Dark && !dark_->HasDarkStyles();
}

uint32_t TUiTheme::Report() const {
    return static_cast<uint32_t>(mode_) | dark_->Found() << 4 | dark_->Called() << 12;
}

TSystemColours SystemColours() {
    TSystemColours s;
    s.Window = ::GetSysColor(COLOR_WINDOW);
    s.WindowText = ::GetSysColor(COLOR_WINDOWTEXT);
    s.GrayText = ::GetSysColor(COLOR_GRAYTEXT);
    s.Highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    s.HotLight = ::GetSysColor(COLOR_HOTLIGHT);
    s.ButtonFace = ::GetSysColor(COLOR_BTNFACE);
    s.ButtonText = ::GetSysColor(COLOR_BTNTEXT);
    s.InfoBackground = ::GetSysColor(COLOR_INFOBK);
    s.InfoText = ::GetSysColor(COLOR_INFOTEXT);
    return s;
}

TPalette UiPalette() {
    return PaletteOf(TUiTheme::Instance().Mode(), SystemColours());
}

TFontHandle MakeFont(const TFontSpec& spec) {
    LOGFONTA lf{};
    lf.lfHeight = spec.Height;
    lf.lfWeight = (spec.Styles & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (spec.Styles & fsItalic) ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynA(lf.lfFaceName, spec.Face, LF_FACESIZE);
    TFontHandle font(::CreateFontIndirectA(&lf));
    if (!font)
        RaiseLastWin32Error("CreateFontIndirect");
    return font;
}

TFontHandle MakeFont(const std::string& face, int points, unsigned styles, int dpi) {
    return MakeFont(TFontSpec{face.c_str(), -::MulDiv(points, dpi, 72), styles});
}

TFontHandle MakeUiFont(TUiFont font, int dpi, unsigned styles) {
    return MakeFont(UiFontSpec(font, dpi, styles));
}

void FillClient(HWND window, HDC dc, TColour colour) {
    RECT rc;
    ::GetClientRect(window, &rc);
    FillSolid(dc, rc, colour);
}

void FillSolid(HDC dc, const RECT& rc, TColour colour) {
    ::SetDCBrushColor(dc, colour);
    ::FillRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

void FrameSolid(HDC dc, const RECT& rc, TColour colour) {
    ::SetDCBrushColor(dc, colour);
    ::FrameRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}
