// The palette and fonts made into GDI objects; failures are raised.
#include "platform/ui_theme.h"
#include "platform/window.h"

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
    return PaletteOf(TThemeMode::Light, SystemColours());
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

TBrushHandle MakeBrush(TColour colour) {
    TBrushHandle brush(::CreateSolidBrush(colour));
    if (!brush)
        RaiseLastWin32Error("CreateSolidBrush");
    return brush;
}

TPenHandle MakePen(TColour colour) {
    TPenHandle pen(::CreatePen(PS_SOLID, 1, colour));
    if (!pen)
        RaiseLastWin32Error("CreatePen");
    return pen;
}

void FillClient(HWND window, HDC dc, HBRUSH brush) {
    RECT rc;
    ::GetClientRect(window, &rc);
    ::FillRect(dc, &rc, brush);
}
