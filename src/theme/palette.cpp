// The mode in force, and the three palettes: light as the windows have always looked, dark after
// the system's own dark surfaces, high contrast from the user's scheme.
#include "theme/palette.h"

#include <cstring>

namespace {

TPalette LightPalette(const TSystemColours& s) {
    TPalette p;
    p.Face = s.ButtonFace;
    p.Page = Rgb(255, 255, 255);
    p.Window = s.Window;
    p.Text = s.WindowText;
    p.GreyText = s.GrayText;
    p.ButtonFace = s.ButtonFace;
    p.ButtonText = s.ButtonText;
    p.EditField = s.Window;
    p.ChartIn = Rgb(30, 150, 54);
    p.ChartOut = Rgb(236, 116, 18);
    p.Grid = Rgb(226, 229, 236);
    p.Axis = Rgb(128, 132, 140);
    p.Hover = Rgb(220, 232, 250);
    p.NoticeGround = s.InfoBackground;
    p.NoticeText = s.InfoText;
    p.Frame = Rgb(0, 0, 0);
    return p;
}

// Cards, fields and the chart one step lighter than the dialog's ground, as in the system's
// dark apps; the chart's colours brighter, so that they stand out on it.
TPalette DarkPalette() {
    TPalette p;
    p.Face = Rgb(32, 32, 32);
    p.Page = p.Window = p.EditField = p.NoticeGround = Rgb(43, 43, 43);
    p.Text = p.ButtonText = p.NoticeText = Rgb(255, 255, 255);
    p.GreyText = p.Frame = Rgb(157, 157, 157);
    p.ButtonFace = Rgb(51, 51, 51);
    p.ChartIn = Rgb(76, 194, 100);
    p.ChartOut = Rgb(255, 146, 56);
    p.Grid = Rgb(66, 66, 66);
    p.Axis = Rgb(140, 140, 140);
    p.Hover = Rgb(40, 58, 84);
    return p;
}

// Only pairs the scheme promises to be legible: text on the window colour, button text on
// button faces. Bars take the highlight and link colours; the hovered bar is marked by its
// figures alone, since the scheme has no third colour that both bars stand out from.
TPalette HighContrastPalette(const TSystemColours& s) {
    TPalette p;
    p.Face = p.Page = p.Window = p.EditField = s.Window;
    p.Text = p.Axis = p.Frame = s.WindowText;
    p.GreyText = p.Grid = s.GrayText;
    p.ButtonFace = s.ButtonFace;
    p.ButtonText = s.ButtonText;
    p.ChartIn = s.Highlight;
    p.ChartOut = s.HotLight;
    p.Hover = s.Window;
    p.NoticeGround = s.InfoBackground;
    p.NoticeText = s.InfoText;
    return p;
}

constexpr const char* kSettingTexts[] = {"system", "light", "dark"};

} // namespace

TThemeMode ThemeModeFor(TThemeSetting setting, bool appsUseLightTheme, bool highContrast) {
    if (highContrast)
        return TThemeMode::HighContrast;
    const bool dark =
        setting == TThemeSetting::System ? !appsUseLightTheme : setting == TThemeSetting::Dark;
    return dark ? TThemeMode::Dark : TThemeMode::Light;
}

TThemeSetting ParseThemeSetting(const char* text) {
    for (int i = 1; i < 3; ++i) {
        if (std::strcmp(text, kSettingTexts[i]) == 0)
            return static_cast<TThemeSetting>(i);
    }
    return TThemeSetting::System;
}

const char* ThemeSettingText(TThemeSetting setting) {
    return kSettingTexts[static_cast<int>(setting)];
}

TPalette PaletteOf(TThemeMode mode, const TSystemColours& system) {
    switch (mode) {
    case TThemeMode::Dark:
        return DarkPalette();
    case TThemeMode::HighContrast:
        return HighContrastPalette(system);
    case TThemeMode::Light:
        break;
    }
    return LightPalette(system);
}
