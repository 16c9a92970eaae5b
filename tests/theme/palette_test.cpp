// The palette each mode chooses and the program's fonts at a DPI.
#include "theme/palette.h"
#include "theme/ui_font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

namespace {

// Every colour of a palette, for checks that hold for each of them.
constexpr TColour TPalette::*kColours[] = {
    &TPalette::Face,     &TPalette::Page,         &TPalette::Window,     &TPalette::Text,
    &TPalette::GreyText, &TPalette::ButtonFace,   &TPalette::ButtonText, &TPalette::EditField,
    &TPalette::ChartIn,  &TPalette::ChartOut,     &TPalette::Grid,       &TPalette::Axis,
    &TPalette::Hover,    &TPalette::NoticeGround, &TPalette::NoticeText, &TPalette::Frame};
static_assert(sizeof(kColours) / sizeof(kColours[0]) * sizeof(TColour) == sizeof(TPalette),
              "every colour of TPalette is listed");

// A scheme whose colours are all different, so that each can be told where it went.
TSystemColours Scheme(TColour base) {
    TSystemColours s;
    TColour next = base;
    for (TColour* c : {&s.Window, &s.WindowText, &s.GrayText, &s.Highlight, &s.HotLight,
                       &s.ButtonFace, &s.ButtonText, &s.InfoBackground, &s.InfoText})
        *c = next++;
    return s;
}

// WCAG 2 contrast ratio of two colours.
double Contrast(TColour a, TColour b) {
    auto luminance = [](TColour c) {
        double sum = 0;
        const double weights[] = {0.2126, 0.7152, 0.0722};
        for (int i = 0; i < 3; ++i) {
            const double v = ((c >> (8 * i)) & 0xFF) / 255.0;
            sum += weights[i] * (v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return sum;
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(Palette, LightIsHowTheWindowsHaveAlwaysLooked) {
    const TSystemColours s = Scheme(0x100);
    const TPalette p = PaletteOf(TThemeMode::Light, s);
    EXPECT_EQ(p.Face, s.ButtonFace);
    EXPECT_EQ(p.Window, s.Window);
    EXPECT_EQ(p.Text, s.WindowText);
    EXPECT_EQ(p.NoticeGround, s.InfoBackground);
    EXPECT_EQ(p.NoticeText, s.InfoText);
    EXPECT_EQ(p.Page, Rgb(255, 255, 255));
    EXPECT_EQ(p.ChartIn, Rgb(30, 150, 54));
    EXPECT_EQ(p.ChartOut, Rgb(236, 116, 18));
    EXPECT_EQ(p.Hover, Rgb(220, 232, 250));
    EXPECT_EQ(p.Grid, Rgb(226, 229, 236));
    EXPECT_EQ(p.Axis, Rgb(128, 132, 140));
    EXPECT_EQ(p.Frame, Rgb(0, 0, 0));
}

// Dark mode's colours are its own, whatever the (light) system colours say, and legible: text
// on every ground at 4.5:1, the chart's marks on its ground at 3:1.
TEST(Palette, DarkIsItsOwnAndLegible) {
    const TPalette p = PaletteOf(TThemeMode::Dark, Scheme(0x100));
    const TPalette q = PaletteOf(TThemeMode::Dark, Scheme(0xABCD00));
    for (auto colour : kColours)
        EXPECT_EQ(p.*colour, q.*colour);
    for (TColour ground : {p.Face, p.Page, p.Window, p.EditField})
        EXPECT_GE(Contrast(p.Text, ground), 4.5) << std::hex << ground;
    EXPECT_GE(Contrast(p.ButtonText, p.ButtonFace), 4.5);
    EXPECT_GE(Contrast(p.NoticeText, p.NoticeGround), 4.5);
    EXPECT_GE(Contrast(p.GreyText, p.Face), 4.5);
    for (TColour mark : {p.ChartIn, p.ChartOut, p.Axis}) {
        EXPECT_GE(Contrast(mark, p.Window), 3.0) << std::hex << mark;
        EXPECT_GE(Contrast(mark, p.Hover), 3.0) << std::hex << mark;
    }
    EXPECT_LT(Contrast(p.Face, Rgb(0, 0, 0)), 1.5) << "a dark ground";
}

// High contrast takes every colour from the user's scheme, text on the grounds it is made for.
TEST(Palette, HighContrastTakesEveryColourFromTheScheme) {
    const TSystemColours s = Scheme(0x100);
    const TPalette p = PaletteOf(TThemeMode::HighContrast, s);
    std::set<TColour> scheme;
    for (TColour c = 0x100; c < 0x109; ++c)
        scheme.insert(c);
    for (auto colour : kColours)
        EXPECT_EQ(scheme.count(p.*colour), 1u) << std::hex << p.*colour;
    EXPECT_EQ(p.Text, s.WindowText);
    for (TColour ground : {p.Face, p.Page, p.Window, p.EditField})
        EXPECT_EQ(ground, s.Window);
    EXPECT_EQ(p.ButtonText, s.ButtonText);
    EXPECT_EQ(p.ButtonFace, s.ButtonFace);
    EXPECT_EQ(p.NoticeText, s.InfoText);
    EXPECT_NE(p.ChartIn, p.ChartOut);
    EXPECT_NE(p.ChartIn, p.Window);
    EXPECT_NE(p.ChartOut, p.Window);
}

// Every setting against Windows' app mode and high contrast, which wins over all of them.
TEST(ThemeMode, SettingAppModeAndHighContrast) {
    using S = TThemeSetting;
    using M = TThemeMode;
    struct Case {
        S setting;
        bool appsLight, highContrast;
        M mode;
    } cases[] = {{S::System, true, false, M::Light},        {S::System, false, false, M::Dark},
                 {S::Light, false, false, M::Light},        {S::Light, true, false, M::Light},
                 {S::Dark, true, false, M::Dark},           {S::Dark, false, false, M::Dark},
                 {S::System, false, true, M::HighContrast}, {S::Light, true, true, M::HighContrast},
                 {S::Dark, false, true, M::HighContrast}};
    for (const Case& c : cases)
        EXPECT_EQ(ThemeModeFor(c.setting, c.appsLight, c.highContrast), c.mode)
            << ThemeSettingText(c.setting) << " light " << c.appsLight << " hc " << c.highContrast;
    for (S s : {S::System, S::Light, S::Dark})
        EXPECT_EQ(ParseThemeSetting(ThemeSettingText(s)), s);
    for (const char* other : {"", "Dark", "dark ", "auto", "1"})
        EXPECT_EQ(ParseThemeSetting(other), S::System) << other;
}

// Sizes as Windows' MulDiv rounds them: 8 pt at 96 DPI is 10.67 pixels, drawn 11 high.
TEST(UiFont, FacesAndSizesAtEachDpi) {
    struct Case {
        TUiFont font;
        int dpi;
        const char* face;
        int height;
    } cases[] = {{TUiFont::Dialog, 96, "Tahoma", -11},   {TUiFont::Dialog, 120, "Tahoma", -13},
                 {TUiFont::Dialog, 144, "Tahoma", -16},  {TUiFont::Dialog, 192, "Tahoma", -21},
                 {TUiFont::Notice, 96, "Segoe UI", -12}, {TUiFont::Notice, 120, "Segoe UI", -15},
                 {TUiFont::Heading, 96, "Tahoma", -15},  {TUiFont::Heading, 120, "Tahoma", -19},
                 {TUiFont::Heading, 144, "Tahoma", -23}};
    for (const Case& c : cases) {
        const TFontSpec spec = UiFontSpec(c.font, c.dpi);
        EXPECT_EQ(std::string(spec.Face), c.face);
        EXPECT_EQ(spec.Height, c.height) << c.face << " at " << c.dpi;
    }
    EXPECT_EQ(UiFontSpec(TUiFont::Dialog, 96, fsBold | fsItalic).Styles, fsBold | fsItalic);
    EXPECT_EQ(UiFontSpec(TUiFont::Heading, 96).Styles, unsigned{fsBold});
}

} // namespace
