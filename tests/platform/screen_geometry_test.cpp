// Snapping to the screen edges and coming back into the work area.
#include "platform/screen_geometry.h"

#include <gtest/gtest.h>

#include <climits>

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
    // The farthest places a stored value can give snap nowhere and overflow nothing.
    left = INT_MIN, top = INT_MIN;
    SnapPosition(left, top, 180, 228, kWorkArea);
    EXPECT_EQ(left, INT_MIN);
    EXPECT_EQ(top, INT_MIN);
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

// A remembered place may hold anything: no sum overflows, and the window ends up no larger than
// the work area, in it unless it fits where it was on a monitor.
TEST(PlaceRememberedTest, HostileValuesNeitherOverflowNorLeaveTheWorkArea) {
    const TRectI far = WindowRect(2147483600, -5, 2147483600, 10);
    EXPECT_EQ(far.Right, INT_MAX);
    EXPECT_EQ(far.Bottom, 5);
    EXPECT_EQ(WindowRect(INT_MIN, 0, INT_MAX, 1).Right, -1);
    struct {
        int left, top, width, height;
        bool onAMonitor;
        TRectI want;
    } const cases[] = {
        {INT_MAX - 47, INT_MAX - 47, INT_MAX - 47, INT_MAX - 47, false, kWorkArea},
        {100, 120, 700, 450, true, {100, 120, 800, 570}},    // where it was
        {1000, 100, 700, 450, true, {1000, 100, 1700, 550}}, // partly on a monitor: stays
        {100, 100, 5000, 450, true, {0, 100, 1280, 550}},    // wider than the work area
        {-3000, 100, 700, 450, false, {0, 100, 700, 550}},   // on a monitor that is gone
    };
    for (const auto& c : cases) {
        int left = c.left, top = c.top, width = c.width, height = c.height;
        PlaceRemembered(left, top, width, height, c.onAMonitor, kWorkArea);
        const TRectI got = WindowRect(left, top, width, height);
        EXPECT_EQ(got.Left, c.want.Left) << c.left;
        EXPECT_EQ(got.Top, c.want.Top) << c.left;
        EXPECT_EQ(got.Right, c.want.Right) << c.left;
        EXPECT_EQ(got.Bottom, c.want.Bottom) << c.left;
    }
}

} // namespace
