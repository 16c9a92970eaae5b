// Docking on the taskbar: every edge, scale and monitor, with rectangles worked out by hand.
#include "platform/taskbar_placement.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr auto L = TTaskbarEdge::Left, T = TTaskbarEdge::Top, R = TTaskbarEdge::Right,
               B = TTaskbarEdge::Bottom;
constexpr auto Wrapped = TDockText::Wrapped, Smallest = TDockText::Smallest;
constexpr unsigned kAutoHide = 1, kHiddenNow = 2;
const TRectI M{0, 0, 1920, 1080}; // the primary monitor
// Gaps before the anchor: 4, 5, 6 and 8 pixels at 96, 120, 144 and 192 DPI.

struct PlaceCase {
    const char* what;
    TTaskbarEdge edge;
    int dpi;
    TRectI monitor, bar, area, icon; // bar: the taskbar window's rectangle
    TTextSize text;
    TRectI want; // empty: hidden
    TDockText how = TDockText::AsMeasured;
    unsigned flags = 0;
    TTextSize smallest{}, wrapped{}; // wrapped: only at a width at least its own
    TRectI shell{};                  // empty: the same as the bar
};

std::string Text(const TRectI& r) {
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) +
           "," + std::to_string(r.Bottom);
}

TEST(PlaceOnTaskbarTest, TableOfScenes) {
    // clang-format off
    const PlaceCase cases[] = {
        // Beside the notification area, every edge at every scale.
        {"bottom 100%", B, 96, M, {0, 1040, 1920, 1080}, {1700, 1040, 1920, 1080}, {}, {88, 30},
         {1608, 1045, 1696, 1075}},
        {"bottom 125%", B, 120, M, {0, 1030, 1920, 1080}, {1650, 1030, 1920, 1080}, {}, {110, 38},
         {1535, 1036, 1645, 1074}},
        {"bottom 150%", B, 144, M, {0, 1020, 1920, 1080}, {1600, 1020, 1920, 1080}, {}, {132, 45},
         {1462, 1027, 1594, 1072}},
        {"bottom 200%", B, 192, M, {0, 1000, 1920, 1080}, {1480, 1000, 1920, 1080}, {}, {176, 60},
         {1296, 1010, 1472, 1070}},
        {"top 100%", T, 96, M, {0, 0, 1920, 40}, {1700, 0, 1920, 40}, {}, {88, 30},
         {1608, 5, 1696, 35}},
        {"top 125%", T, 120, M, {0, 0, 1920, 50}, {1650, 0, 1920, 50}, {}, {110, 38},
         {1535, 6, 1645, 44}},
        {"top 150%", T, 144, M, {0, 0, 1920, 60}, {1600, 0, 1920, 60}, {}, {132, 45},
         {1462, 7, 1594, 52}},
        {"top 200%", T, 192, M, {0, 0, 1920, 80}, {1480, 0, 1920, 80}, {}, {176, 60},
         {1296, 10, 1472, 70}},
        {"left 100%", L, 96, M, {0, 0, 62, 1080}, {0, 900, 62, 1080}, {}, {56, 30},
         {3, 866, 59, 896}},
        {"left 125%", L, 120, M, {0, 0, 78, 1080}, {0, 870, 78, 1080}, {}, {70, 38},
         {4, 827, 74, 865}},
        {"left 150%", L, 144, M, {0, 0, 93, 1080}, {0, 840, 93, 1080}, {}, {84, 45},
         {4, 789, 88, 834}},
        {"left 200%", L, 192, M, {0, 0, 124, 1080}, {0, 780, 124, 1080}, {}, {112, 60},
         {6, 712, 118, 772}},
        {"right 100%", R, 96, M, {1858, 0, 1920, 1080}, {1858, 900, 1920, 1080}, {}, {56, 30},
         {1861, 866, 1917, 896}},
        {"right 125%", R, 120, M, {1842, 0, 1920, 1080}, {1842, 870, 1920, 1080}, {}, {70, 38},
         {1846, 827, 1916, 865}},
        {"right 150%", R, 144, M, {1827, 0, 1920, 1080}, {1827, 840, 1920, 1080}, {}, {84, 45},
         {1831, 789, 1915, 834}},
        {"right 200%", R, 192, M, {1796, 0, 1920, 1080}, {1796, 780, 1920, 1080}, {}, {112, 60},
         {1802, 712, 1914, 772}},
        // The area empty at start-up: beside our own icon; with neither, at the far end.
        {"bottom, icon", B, 96, M, {0, 1040, 1920, 1080}, {}, {1760, 1048, 1784, 1072}, {88, 30},
         {1668, 1045, 1756, 1075}},
        {"top 150%, icon", T, 144, M, {0, 0, 1920, 60}, {}, {1690, 12, 1726, 48}, {132, 45},
         {1552, 7, 1684, 52}},
        {"left 125%, icon", L, 120, M, {0, 0, 78, 1080}, {}, {20, 1000, 50, 1030}, {70, 38},
         {4, 957, 74, 995}},
        {"right 200%, icon", R, 192, M, {1796, 0, 1920, 1080}, {}, {1830, 960, 1878, 1008},
         {112, 60}, {1802, 892, 1914, 952}},
        {"bottom 125%, far end", B, 120, M, {0, 1030, 1920, 1080}, {}, {}, {110, 38},
         {1805, 1036, 1915, 1074}},
        {"top 200%, far end", T, 192, M, {0, 0, 1920, 80}, {}, {}, {176, 60},
         {1736, 10, 1912, 70}},
        {"left 150%, far end", L, 144, M, {0, 0, 93, 1080}, {}, {}, {84, 45},
         {4, 1029, 88, 1074}},
        {"right 100%, far end", R, 96, M, {1858, 0, 1920, 1080}, {}, {}, {56, 30},
         {1861, 1046, 1917, 1076}},
        {"area off the bar, icon on it", B, 192, M, {0, 1000, 1920, 1080}, {-500, 0, -300, 80},
         {1500, 1016, 1548, 1064}, {176, 60}, {1316, 1010, 1492, 1070}},
        // Auto-hide, a shell that disagrees with the window, no taskbar at all.
        {"auto-hide shown", B, 96, M, {0, 1040, 1920, 1080}, {1700, 1040, 1920, 1080}, {},
         {88, 30}, {1608, 1045, 1696, 1075}, TDockText::AsMeasured, kAutoHide},
        {"auto-hide shown, right", R, 144, M, {1827, 0, 1920, 1080}, {1827, 840, 1920, 1080}, {},
         {84, 45}, {1831, 789, 1915, 834}, TDockText::AsMeasured, kAutoHide},
        {"auto-hide hidden", B, 96, M, {0, 1040, 1920, 1080}, {1700, 1040, 1920, 1080}, {},
         {88, 30}, {}, TDockText::AsMeasured, kAutoHide | kHiddenNow},
        {"auto-hide hidden, left", L, 192, M, {0, 0, 124, 1080}, {0, 780, 124, 1080}, {},
         {112, 60}, {}, TDockText::AsMeasured, kAutoHide | kHiddenNow},
        {"shell's 1-pixel sliver, 20-pixel window", B, 96, {0, 0, 1024, 768}, {0, 748, 1024, 768},
         {}, {1000, 750, 1016, 766}, {88, 30}, {926, 750, 996, 766}, Smallest, kAutoHide,
         {70, 16}, {}, {0, 767, 1024, 768}},
        {"no taskbar window, the shell's rectangle", B, 96, M, {}, {1700, 1040, 1920, 1080}, {},
         {88, 30}, {1608, 1045, 1696, 1075}, TDockText::AsMeasured, 0, {}, {},
         {0, 1040, 1920, 1080}},
        {"no taskbar", B, 96, M, {}, {}, {}, {88, 30}, {}},
        {"window beyond the monitor, cut to it", B, 96, M, {-2, 1038, 1922, 1082}, {}, {},
         {88, 30}, {1828, 1044, 1916, 1074}},
        // Secondary monitors left of and above the primary.
        {"left monitor, bottom", B, 96, {-1920, 0, 0, 1080}, {-1920, 1040, 0, 1080},
         {-220, 1040, 0, 1080}, {}, {88, 30}, {-312, 1045, -224, 1075}},
        {"monitor above, top 150%", T, 144, {0, -1080, 1920, 0}, {0, -1080, 1920, -1020},
         {1600, -1080, 1920, -1020}, {}, {132, 45}, {1462, -1073, 1594, -1028}},
        {"left monitor, left 125%", L, 120, {-1280, -200, 0, 824}, {-1280, -200, -1202, 824},
         {-1280, 600, -1202, 824}, {}, {70, 38}, {-1276, 557, -1206, 595}},
        {"left monitor, right 200%, far end", R, 192, {-2560, -1440, 0, 0}, {-124, -1440, 0, 0},
         {}, {}, {112, 60}, {-118, -68, -6, -8}},
        {"upper-left monitor, bottom 200%, icon", B, 192, {-1920, -1080, 0, 0},
         {-1920, -80, 0, 0}, {}, {-300, -64, -252, -16}, {176, 60}, {-484, -70, -308, -10}},
        // Text wider than a vertical bar: wrapped to its width, else at the smallest size.
        {"left, wrapped", L, 96, M, {0, 0, 62, 1080}, {0, 900, 62, 1080}, {}, {88, 30},
         {2, 836, 60, 896}, Wrapped, 0, {60, 24}, {58, 60}},
        {"left, no wrap fits, smallest", L, 96, M, {0, 0, 62, 1080}, {0, 900, 62, 1080}, {},
         {88, 30}, {1, 872, 61, 896}, Smallest, 0, {60, 24}, {70, 60}},
        {"right 125%, smallest", R, 120, M, {1842, 0, 1920, 1080}, {1842, 870, 1920, 1080}, {},
         {110, 38}, {1843, 835, 1919, 865}, Smallest, 0, {76, 30}},
        {"right, nothing fits", R, 96, M, {1858, 0, 1920, 1080}, {1858, 900, 1920, 1080}, {},
         {88, 30}, {}, Smallest, 0, {66, 24}},
        {"left monitor, left 200%, wrapped", L, 192, {-1920, 0, 0, 1080}, {-1920, 0, -1796, 1080},
         {-1920, 780, -1796, 1080}, {}, {176, 60}, {-1918, 652, -1798, 772}, Wrapped, 0, {},
         {120, 120}},
        {"left 150%, wrapped too tall, smallest", L, 144, M, {0, 0, 93, 1080}, {0, 60, 93, 1080},
         {}, {132, 45}, {1, 14, 91, 54}, Smallest, 0, {90, 40}, {90, 90}},
        // Exact fits and one pixel over.
        {"left, as wide as the bar", L, 96, M, {0, 0, 62, 1080}, {0, 900, 62, 1080}, {}, {62, 30},
         {0, 866, 62, 896}},
        {"bottom, exactly the room left of the area", B, 96, M, {0, 1040, 1920, 1080},
         {100, 1040, 1920, 1080}, {}, {96, 30}, {0, 1045, 96, 1075}},
        {"bottom, a pixel over the room", B, 96, M, {0, 1040, 1920, 1080},
         {100, 1040, 1920, 1080}, {}, {97, 30}, {}},
        {"bottom, as tall as the bar", B, 96, M, {0, 1040, 1920, 1080}, {1700, 1040, 1920, 1080},
         {}, {88, 40}, {1608, 1040, 1696, 1080}},
        {"bottom, taller than the bar, smallest", B, 96, M, {0, 1040, 1920, 1080},
         {1700, 1040, 1920, 1080}, {}, {88, 41}, {1616, 1048, 1696, 1072}, Smallest, 0, {80, 24}},
        {"nothing to show", B, 96, M, {0, 1040, 1920, 1080}, {1700, 1040, 1920, 1080}, {}, {}, {}},
    };
    // clang-format on
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        TTaskbarScene scene;
        scene.Edge = c.edge;
        scene.WindowRect = c.bar;
        scene.ShellRect = c.shell.Width() > 0 ? c.shell : c.bar;
        scene.NotifyRect = c.area;
        scene.IconRect = c.icon;
        scene.Monitor = c.monitor;
        scene.Dpi = c.dpi;
        scene.AutoHide = c.flags & kAutoHide;
        scene.HiddenNow = c.flags & kHiddenNow;
        scene.Text = c.text;
        scene.Smallest = c.smallest;
        if (c.wrapped.Width > 0)
            scene.WrapTo = [&c](int width) {
                return width >= c.wrapped.Width ? c.wrapped : c.text;
            };
        const auto place = PlaceOnTaskbar(scene);
        EXPECT_EQ(place ? Text(place->Rect) : "hidden", c.want.Width() ? Text(c.want) : "hidden");
        if (place && c.want.Width()) {
            EXPECT_EQ(place->Text, c.how);
        }
    }
}

} // namespace
