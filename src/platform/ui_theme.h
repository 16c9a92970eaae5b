// The mode of Corvane's own windows (light, dark, high contrast), their palette and fonts as
// GDI objects, and the system's colours that the palette is chosen from.
#pragma once
#include "platform/handle.h"
#include "theme/palette.h"
#include "theme/ui_font.h"

#include <cstdint>
#include <memory>
#include <string>

class TDarkMode;

// The mode in force, from the user's setting, Windows' app mode and high contrast. When it
// changes, every top-level window of the user-interface thread is sent WM_THEMECHANGED and
// takes UiPalette() and ApplyTo() again.
class TUiTheme {
  public:
    static TUiTheme& Instance();
    TThemeMode Mode() const { return mode_; }
    // The user's "theme"; Windows' app mode and high contrast are read again.
    void SetSetting(TThemeSetting setting) {
        setting_ = setting;
        SystemChanged(false);
    }
    // Windows' app mode, high contrast or its colours may have changed (WM_SETTINGCHANGE,
    // WM_SYSCOLORCHANGE); colours: the windows hear of it even when the mode stays.
    void SystemChanged(bool colours);
    // A top-level window's title bar and controls in the mode in force, all repainted.
    void ApplyTo(HWND window);
    // Push buttons that the windows draw themselves: dark mode where Windows has no dark style.
    bool DrawsButtons() const;
    // For tests: the mode (bits 0-1), TDarkMode's Found() (bits 4-10) and Called() (bits 12-17).
    uint32_t Report() const;

  private:
    TUiTheme(); // looks Windows' entry points up

    TThemeSetting setting_ = TThemeSetting::System;
    TThemeMode mode_ = TThemeMode::Light;
    std::unique_ptr<TDarkMode> dark_;
};

// The system's colours as GetSysColor gives them now.
TSystemColours SystemColours();
// The palette the windows draw with, in the mode in force.
TPalette UiPalette();

TFontHandle MakeFont(const TFontSpec& spec);
// A face at a size in points, with TFontStyle flags, for the given DPI: the meter's own font.
TFontHandle MakeFont(const std::string& face, int points, unsigned styles, int dpi);
TFontHandle MakeUiFont(TUiFont font, int dpi, unsigned styles = fsRegular);

// A window's ground: its whole client area filled with a colour (for WM_ERASEBKGND).
void FillClient(HWND window, HDC dc, TColour colour);
// A rectangle filled or framed in a colour, through the DC's brush: no GDI object is made.
void FillSolid(HDC dc, const RECT& rc, TColour colour);
void FrameSolid(HDC dc, const RECT& rc, TColour colour);
