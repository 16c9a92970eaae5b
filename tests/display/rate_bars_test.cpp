// Tests of the tray icon's bars: their heights against the peak and the peak's memory.
#include "display/rate_bars.h"

#include <gtest/gtest.h>

namespace {

TEST(BarHeight, Table) {
    struct Case {
        uint32_t rate;
        uint64_t peak;
        int pixels, height;
    };
    const Case cases[] = {
        {0, 1024, 14, 0},                   // nothing: no bar
        {1, 1u << 30, 14, 1},               // a trickle still shows
        {1024, 1024, 14, 14},               // the peak fills it
        {5000, 1024, 14, 14},               // above the peak stays inside
        {512, 1024, 14, 7},                 // half
        {110, 1024, 14, 2},                 // 1.504 rounds up
        {4294967294u, 4294967295u, 30, 30}, // no overflow near the 32-bit top
        {500, 1000, 0, 0},                  // no room, no bar
    };
    for (const Case& c : cases)
        EXPECT_EQ(BarHeight(c.rate, c.peak, c.pixels), c.height)
            << c.rate << " of " << c.peak << " in " << c.pixels;
}

TEST(RateBars, ScaleFollowsTheLastSecondsPeakAndForgetsOlderOnes) {
    TRateBars bars;
    EXPECT_EQ(bars.Peak(), TRateBars::kMinPeak);
    EXPECT_EQ(bars.Heights(14).In, 0);
    bars.Add(100, 8000); // the peak: out
    EXPECT_EQ(bars.Heights(14).In, 1);
    EXPECT_EQ(bars.Heights(14).Out, 14);
    for (size_t second = 1; second < TRateBars::kSeconds; ++second)
        bars.Add(4000, 2000);
    EXPECT_EQ(bars.Peak(), 8000u); // still within the last seconds
    EXPECT_EQ(bars.Heights(14).In, 7);
    EXPECT_EQ(bars.Heights(14).Out, 4); // 3.5 rounds up
    bars.Add(4000, 2000);               // the 8000 drops out
    EXPECT_EQ(bars.Peak(), 4000u);
    EXPECT_EQ(bars.Heights(14).In, 14);
    EXPECT_EQ(bars.Heights(14).Out, 7);
    for (size_t second = 0; second < TRateBars::kSeconds; ++second)
        bars.Add(10, 0);
    EXPECT_EQ(bars.Peak(), TRateBars::kMinPeak); // quiet again: chatter stays small
    EXPECT_EQ(bars.Heights(14).In, 1);
    EXPECT_EQ(bars.Heights(14).Out, 0);
}

} // namespace
