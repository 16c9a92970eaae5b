// Tests of a period's figures per program and the programs' share of the adapter's bytes.
#include "apps/app_totals.h"

#include <gtest/gtest.h>

namespace {

const int64_t kHour = 486000 * int64_t{3600};

TEST(AppTotals, AreSummedOverThePeriodLargestFirstWithOtherLastAndTheirShares) {
    const std::vector<TAppHour> hours = {
        {kHour - 3600, "a.exe", 1000, 0}, // before the period
        {kHour, "", 200, 100},
        {kHour, "a.exe", 100, 0},
        {kHour, "b.exe", 50, 50},
        {kHour + 3600, "c.exe", 0, 200},
        {kHour + 3600, "a.exe", 0, 100},
        {kHour + 7200, "c.exe", 9000, 0}, // after it
    };
    const std::vector<TAppTotal> totals = AppTotalsOf(hours, kHour, kHour + 3600);
    ASSERT_EQ(4u, totals.size());
    const char* order[] = {"a.exe", "c.exe", "b.exe", ""};
    const uint64_t in[] = {100, 0, 50, 200}, out[] = {100, 200, 50, 100};
    const double share[] = {25, 25, 12.5, 37.5};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(order[i], totals[i].Program);
        EXPECT_EQ(in[i], totals[i].In);
        EXPECT_EQ(out[i], totals[i].Out);
        EXPECT_DOUBLE_EQ(share[i], totals[i].Share);
    }
    EXPECT_TRUE(AppTotalsOf(hours, kHour + 3 * 3600, kHour + 9 * 3600).empty());
}

TEST(AppTotals, ShareOfTheAdapterIsShownAsItIsAlsoOverAHundred) {
    const std::vector<TAppTotal> totals = {{"a.exe", 600, 200, 0}, {"", 100, 100, 0}};
    double percent = -1;
    ASSERT_TRUE(ProgramsShareOfAdapter(totals, 1250, percent));
    EXPECT_DOUBLE_EQ(80, percent);
    ASSERT_TRUE(ProgramsShareOfAdapter(totals, 800, percent));
    EXPECT_DOUBLE_EQ(125, percent);
    EXPECT_FALSE(ProgramsShareOfAdapter(totals, 0, percent));
}

} // namespace
