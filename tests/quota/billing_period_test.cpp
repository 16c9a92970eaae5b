// Billing periods on the calendar, and the quota figures of a period replayed day by day
// through the real usage log.
#include "../log/log_test_support.h"
#include "quota/billing_period.h"

namespace {

using namespace logtest;

constexpr uint64_t MB = uint64_t{1} << 20;

double Day(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

TEST(BillingPeriod, StartDaysPastAMonthsEndTakeItsLastDay) {
    struct Case {
        double today;
        int startDay;
        double first, last;
    };
    const Case cases[] = {
        {Day(2025, 3, 15), 1, Day(2025, 3, 1), Day(2025, 3, 31)},
        {Day(2024, 2, 10), 1, Day(2024, 2, 1), Day(2024, 2, 29)},
        {Day(2025, 3, 14), 15, Day(2025, 2, 15), Day(2025, 3, 14)},
        {Day(2025, 1, 5), 15, Day(2024, 12, 15), Day(2025, 1, 14)},
        {Day(2025, 2, 27), 28, Day(2025, 1, 28), Day(2025, 2, 27)},
        {Day(2025, 3, 1), 29, Day(2025, 2, 28), Day(2025, 3, 28)},
        {Day(2024, 2, 29), 29, Day(2024, 2, 29), Day(2024, 3, 28)},
        {Day(2024, 2, 28), 29, Day(2024, 1, 29), Day(2024, 2, 28)},
        {Day(2025, 4, 29), 30, Day(2025, 3, 30), Day(2025, 4, 29)},
        {Day(2025, 2, 28), 30, Day(2025, 2, 28), Day(2025, 3, 29)},
        {Day(2025, 1, 31), 31, Day(2025, 1, 31), Day(2025, 2, 27)},
        {Day(2025, 4, 30) + 0.9, 31, Day(2025, 4, 30), Day(2025, 5, 30)},
        {Day(2025, 12, 31), 31, Day(2025, 12, 31), Day(2026, 1, 30)},
        {Day(2024, 3, 1), 31, Day(2024, 2, 29), Day(2024, 3, 30)},
        {Day(2025, 3, 15), 0, Day(2025, 3, 1), Day(2025, 3, 31)}, // out of range: clamped
    };
    for (const Case& c : cases) {
        const TBillingPeriod p = BillingPeriodOf(c.today, c.startDay);
        EXPECT_EQ(p.First, c.first) << c.today << " day " << c.startDay;
        EXPECT_EQ(p.Last, c.last) << c.today << " day " << c.startDay;
    }
    // Every day of three years, for every start day: periods follow each other without gap.
    for (int startDay = 1; startDay <= 31; ++startDay) {
        for (double today = Day(2023, 1, 1); today < Day(2026, 1, 1); ++today) {
            const TBillingPeriod p = BillingPeriodOf(today, startDay);
            ASSERT_TRUE(p.First <= today && today <= p.Last) << today << " day " << startDay;
            ASSERT_EQ(BillingPeriodOf(p.Last + 1, startDay).First, p.Last + 1) << today;
            ASSERT_GE(p.Last - p.First + 1, 28);
            ASSERT_LE(p.Last - p.First + 1, 31);
        }
    }
}

using QuotaReplay = LogFileTest;

// March 2025 replayed: 10 MB on every full day and 3 MB so far today. The forecast is then
// 303 MB from the second day on (93 MB on the first), and 250 MB run out on 26 March.
TEST_F(QuotaReplay, ForecastAndRunOutDayOverAMonth) {
    const TQuotaTerms terms{250, 1, ldIn};
    for (int day = 1; day <= 31; ++day) {
        SetNow(Day(2025, 3, day) + 0.5);
        AddToLog(3 * MB, 1, Day(2025, 3, day));
        const TQuotaFigures f = CurrentQuotaFigures(terms);
        const uint64_t counted = (10 * (day - 1) + 3) * MB;
        ASSERT_EQ(f.Counted, counted) << day;
        EXPECT_EQ(f.Used.Out, static_cast<uint64_t>(day)) << day;
        EXPECT_EQ(f.Forecast, (day == 1 ? 93 : 303) * MB) << day;
        EXPECT_EQ(f.DaysLeft, 32 - day);
        EXPECT_EQ(f.LeftBytes, counted < 250 * MB ? 250 * MB - counted : 0) << day;
        if (day > 1 && counted < 250 * MB)
            EXPECT_EQ(f.RunOutDay, Day(2025, 3, 26)) << day;
        else
            EXPECT_FALSE(f.RunOutDay) << day;
        AddToLog(7 * MB, 0, Day(2025, 3, day));
    }
}

// Records before and after the period, and the same log seen with another start day.
TEST_F(QuotaReplay, ChangingTheStartDayRecountsFromTheLog) {
    AddToLog(1 * MB, 0, Day(2025, 3, 14));
    AddToLog(5 * MB, 0, Day(2025, 3, 15));
    AddToLog(4 * MB, 0, Day(2025, 3, 20));
    AddToLog(8 * MB, 0, Day(2025, 4, 15));
    AddToLog(16 * MB, 0, Day(2025, 2, 28));
    SetNow(Day(2025, 3, 20) + 0.25);
    EXPECT_EQ(CurrentQuotaFigures({1000, 1, ldInOut}).Counted, 10 * MB);
    const TQuotaFigures f = CurrentQuotaFigures({1000, 15, ldInOut});
    EXPECT_EQ(f.Counted, 9 * MB);
    EXPECT_EQ(f.DaysLeft, 26);               // 20 March to 14 April
    EXPECT_EQ(f.Forecast, 9 * MB + 25 * MB); // 5 MB over 5 full days, 25 days to go
    EXPECT_EQ(CurrentQuotaFigures({1000, 1, ldOut}).Counted, 0u);
}

} // namespace
