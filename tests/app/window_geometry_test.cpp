// Snapping to the screen edges and the anchored layout of the main window.
#include "app/window_geometry.h"

#include <gtest/gtest.h>

namespace {

const TRectI kWorkArea{0, 0, 1280, 994}; // a task bar of 30 pixels below

struct SnapCase {
    int left, top, wantLeft, wantTop;
};

TEST(SnapPositionTest, EdgesCloserThanFivePixelsSnap) {
    const SnapCase cases[] = {
        {3, 100, 0, 100},               // 3 from the left edge
        {5, 100, 5, 100},               // exactly 5 does not snap
        {-4, 100, 0, 100},              // partly beyond the left edge, still within 4
        {-5, 100, -5, 100},             // 5 beyond stays
        {100, 4, 100, 0},               // top
        {1280 - 180 - 4, 50, 1100, 50}, // right edge 4 from the work area's right
        {1280 - 180 - 5, 50, 1095, 50}, // 5 from it stays
        {200, 994 - 228 - 4, 200, 766}, // bottom 4 above the work area's bottom
        {200, 994 - 228 + 3, 200, 766}, // bottom 3 below it
        {0, 0, 0, 0},                   // the position (0, 0) is left alone
        {2, 3, 0, 0},                   // both edges snap together
    };
    for (const SnapCase& c : cases) {
        int left = c.left, top = c.top;
        SnapPosition(left, top, 180, 228, kWorkArea);
        EXPECT_EQ(left, c.wantLeft) << "from " << c.left << "," << c.top;
        EXPECT_EQ(top, c.wantTop) << "from " << c.left << "," << c.top;
    }
}

TEST(SnapPositionTest, ZeroExemptionIsOnlyForBothCoordinatesZero) {
    int left = 0, top = 3;
    SnapPosition(left, top, 180, 228, kWorkArea);
    EXPECT_EQ(top, 0);
    // A window as wide as the work area at x = 0 sits flush on both sides.
    left = 2, top = 300;
    SnapPosition(left, top, 1280, 228, kWorkArea);
    EXPECT_EQ(left, 0);
}

TEST(MoveIntoWorkAreaTest, ComesBackAsLittleAsItTakes) {
    struct {
        int left, top, width, wantLeft, wantTop;
    } const cases[] = {
        {300, -32768, 180, 300, 0},  // above every monitor: only the top moves
        {5000, 100, 180, 1100, 100}, // right of it: the right edge onto the work area's
        {-3000, 2000, 180, 0, 766},  // below and left of it
        {-3000, 100, 2000, 0, 100},  // wider than the work area: its left edge counts
    };
    for (const auto& c : cases) {
        int left = c.left, top = c.top;
        MoveIntoWorkArea(left, top, c.width, 228, kWorkArea);
        EXPECT_EQ(left, c.wantLeft) << "from " << c.left << "," << c.top;
        EXPECT_EQ(top, c.wantTop) << "from " << c.left << "," << c.top;
    }
}

TEST(MainLayoutTest, DesignSizeGivesTheDesignPlaces) {
    TMainLayout l = LayoutMainWindow(170, 194, 96);
    EXPECT_EQ(l.Image.Left, 55);
    EXPECT_EQ(l.Image.Top, 90);
    EXPECT_EQ(l.Image.Width(), 137);
    EXPECT_EQ(l.Stats.Left, 8);
    EXPECT_EQ(l.Stats.Width(), 152);
    EXPECT_EQ(l.Stats.Height(), 159);
    EXPECT_EQ(l.QuotaBar.Top, 175);
    EXPECT_EQ(l.QuotaBar.Width(), 157);
    EXPECT_EQ(l.QuotaBar.Height(), 14);
}

TEST(MainLayoutTest, AnchorsFollowTheDefaultSize) {
    TMainLayout l = LayoutMainWindow(180, 228, 96);
    // Right and bottom anchored: the same distances to those edges as at design size.
    EXPECT_EQ(l.Image.Left, 65);
    EXPECT_EQ(l.Image.Top, 124);
    EXPECT_EQ(l.Image.Right - 180, 192 - 170);
    // All four anchors: the text grows with the window.
    EXPECT_EQ(l.Stats.Left, 8);
    EXPECT_EQ(l.Stats.Top, 8);
    EXPECT_EQ(l.Stats.Width(), 162);
    EXPECT_EQ(l.Stats.Height(), 193);
    // Left, right and bottom: the bar keeps its height and its gap to the bottom.
    EXPECT_EQ(l.QuotaBar.Left, 6);
    EXPECT_EQ(l.QuotaBar.Width(), 167);
    EXPECT_EQ(l.QuotaBar.Top, 209);
    EXPECT_EQ(l.QuotaBar.Height(), 14);
}

TEST(MainLayoutTest, ScalesWithTheDpi) {
    TMainLayout l = LayoutMainWindow(360, 456, 192);
    EXPECT_EQ(l.Stats.Left, 16);
    EXPECT_EQ(l.Stats.Width(), 324);
    EXPECT_EQ(l.QuotaBar.Height(), 28);
    EXPECT_EQ(l.QuotaBar.Top, 456 - 10 - 28);
}

TEST(MainLayoutTest, TinyWindowsNeverGiveNegativeSizes) {
    TMainLayout l = LayoutMainWindow(5, 5, 96);
    EXPECT_GE(l.Stats.Width(), 0);
    EXPECT_GE(l.Stats.Height(), 0);
    EXPECT_GE(l.QuotaBar.Width(), 0);
}

} // namespace
