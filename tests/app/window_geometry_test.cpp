// The anchored layout of the main window.
#include "app/window_geometry.h"

#include <gtest/gtest.h>

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
