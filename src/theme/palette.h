// The colours of Corvane's own windows (dialogs, the History window and its chart, the notice)
// in light and dark app mode and in high contrast. The floating meter's colours are the user's.
#pragma once
#include <cstdint>

// 0x00BBGGRR, red in the low byte, as Windows' COLORREF.
using TColour = uint32_t;

constexpr TColour Rgb(uint32_t red, uint32_t green, uint32_t blue) {
    return red | green << 8 | blue << 16;
}

enum class TThemeMode { Light, Dark, HighContrast };

// The user's "Appearance": as Windows' app mode, or always light or dark.
enum class TThemeSetting { System, Light, Dark };

// High contrast wins over the setting; "as Windows" follows Windows' app mode.
TThemeMode ThemeModeFor(TThemeSetting setting, bool appsUseLightTheme, bool highContrast);
// "system", "light", "dark" as stored; any other text is "system".
TThemeSetting ParseThemeSetting(const char* text);
const char* ThemeSettingText(TThemeSetting setting);

// The system's colours (GetSysColor) that light mode and high contrast take.
struct TSystemColours {
    TColour Window = 0, WindowText = 0, GrayText = 0;
    TColour Highlight = 0, HotLight = 0;
    TColour ButtonFace = 0, ButtonText = 0;
    TColour InfoBackground = 0, InfoText = 0;
};

struct TPalette {
    TColour Face = 0;   // the dialogs' ground
    TColour Page = 0;   // the about box's ground
    TColour Window = 0; // the History chart's ground
    TColour Text = 0;   // on each of these
    TColour GreyText = 0;
    TColour ButtonFace = 0, ButtonText = 0;
    TColour EditField = 0;             // edit fields' and lists' ground, under Text
    TColour ChartIn = 0, ChartOut = 0; // received and sent: bars and legend
    TColour Grid = 0, Axis = 0;
    TColour Hover = 0; // behind the bar under the pointer or chosen with the keys
    TColour NoticeGround = 0, NoticeText = 0;
    TColour Frame = 0; // around a colour swatch
};

// Light mode keeps the system's colours where the windows always took them, dark mode has its
// own, and high contrast takes every colour from the system's scheme.
TPalette PaletteOf(TThemeMode mode, const TSystemColours& system);
