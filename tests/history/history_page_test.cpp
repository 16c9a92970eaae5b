// Tests of the History window's pages, value axis and chart layout: buckets of days, months
// and years, hours in local time across both summer-time changes, navigation and averages.
#include "history/history_chart.h"
#include "history/history_page.h"
#include "history_test_support.h"

#include <limits>

namespace {

using namespace historytest;

THistoryClock ClockAt(int64_t utc) {
    return {utc, &CentralEurope};
}

// Hours with records, one per UTC hour, 1 byte in and 2 out for each, from..to inclusive.
THistoryData HoursBetween(int64_t fromUtc, int64_t toUtc) {
    THistoryData data;
    for (int64_t t = fromUtc; t <= toUtc; t += 3600)
        data.Hours.push_back({static_cast<uint32_t>(t / 3600), 1, 2});
    data.HasHours = true;
    data.FirstHour = data.Hours.front().Hour;
    data.LastHour = data.Hours.back().Hour;
    return data;
}

TEST(HistoryPage, HoursAreShownInLocalTimeWithoutADoubleOrMissingHour) {
    struct Case {
        int month;
        const char* beforeChange; // local names of the UTC hours 00:00 and 01:00 of the day
        const char* afterChange;
    } cases[] = {{3, "Sun 30 Mar 2025 01:00 (UTC+01:00)", "Sun 30 Mar 2025 03:00 (UTC+02:00)"},
                 {10, "Sun 26 Oct 2025 02:00 (UTC+02:00)", "Sun 26 Oct 2025 02:00 (UTC+01:00)"}};
    for (const Case& c : cases) {
        const int day = c.month == 3 ? 30 : 26;
        const int64_t midnightUtc = UtcSeconds(2025, c.month, day, 0);
        const THistoryData data = HoursBetween(midnightUtc - 86400, midnightUtc + 86400);
        const THistoryClock clock = ClockAt(midnightUtc + 12 * 3600);
        const THistoryCursor cursor{THistoryView::Hours, midnightUtc / 3600 + 24};
        const THistoryPage page = BuildHistoryPage(cursor, data, clock);
        ASSERT_EQ(48u, page.Bars.size());
        EXPECT_EQ(c.beforeChange, page.Bars[23].Name);
        EXPECT_EQ(c.afterChange, page.Bars[24].Name);
        EXPECT_EQ(48u * 3, page.TotalIn + page.TotalOut);
        EXPECT_TRUE(page.CanGoBack);
        EXPECT_FALSE(page.CanGoForward);
        EXPECT_EQ(cursor, StepCursor(StepCursor(cursor, -1), 1));
    }
}

class DaysAndMonths : public ::testing::Test {
  protected:
    const double kMarch1 = EncodeDate(2025, 3, 1);
    std::vector<TLogRecord> records = {
        {kMarch1, 100, 10},
        {kMarch1 + 14, 5, 5},
        {kMarch1 + 14, 1, 1},                             // a second record of one date adds up
        {kMarch1 + 14.75, 2, 2},                          // a time fraction is dropped
        {kMarch1 - 1, 7, 7},                              // 28 February
        {std::numeric_limits<double>::quiet_NaN(), 9, 9}, // no date: left out
    };
    THistoryData data;
    const THistoryClock clock = ClockAt(UtcSeconds(2025, 3, 20, 11));
    void SetUp() override { data.Days = DayTotalsOf(records); }
};

TEST_F(DaysAndMonths, AMonthByDayWithItsTotalAverageAndNavigation) {
    const THistoryCursor march = CurrentCursor(THistoryView::Days, clock);
    const THistoryPage page = BuildHistoryPage(march, data, clock);
    EXPECT_EQ("March 2025", page.Title);
    ASSERT_EQ(31u, page.Bars.size());
    EXPECT_EQ(100u, page.Bars[0].In);
    EXPECT_EQ(8u, page.Bars[14].In);
    EXPECT_EQ(8u, page.Bars[14].Out);
    EXPECT_EQ("Sat 15 March 2025", page.Bars[14].Name);
    EXPECT_EQ(126u, page.TotalIn + page.TotalOut);
    EXPECT_EQ(6u, page.DailyAverage); // 126 bytes over 1 to 20 March
    EXPECT_TRUE(page.CanGoBack);
    EXPECT_FALSE(page.CanGoForward);

    const THistoryPage february = BuildHistoryPage(StepCursor(march, -1), data, clock);
    EXPECT_EQ("February 2025", february.Title);
    ASSERT_EQ(28u, february.Bars.size());
    EXPECT_EQ(14u, february.TotalIn + february.TotalOut);
    EXPECT_EQ(14u, february.DailyAverage); // the log began on its last day
    EXPECT_FALSE(february.CanGoBack);
    EXPECT_TRUE(february.CanGoForward);
}

TEST_F(DaysAndMonths, TwoYearsByMonthAndAllYears) {
    const THistoryPage months =
        BuildHistoryPage(CurrentCursor(THistoryView::Months, clock), data, clock);
    EXPECT_EQ("2024 to 2025", months.Title);
    ASSERT_EQ(24u, months.Bars.size());
    EXPECT_EQ("February 2025", months.Bars[13].Name);
    EXPECT_EQ(14u, months.Bars[13].In + months.Bars[13].Out);
    EXPECT_EQ(126u, months.Bars[14].In + months.Bars[14].Out);
    EXPECT_EQ("2024", months.Bars[0].AxisLabel);
    EXPECT_EQ("Feb", months.Bars[1].AxisLabel);

    data.Days.insert(data.Days.begin(), {static_cast<int>(EncodeDate(2022, 6, 1)), 1000, 0});
    const THistoryPage years =
        BuildHistoryPage(CurrentCursor(THistoryView::Years, clock), data, clock);
    ASSERT_EQ(4u, years.Bars.size());
    EXPECT_EQ("2022", years.Bars[0].Name);
    EXPECT_EQ(1000u, years.Bars[0].In);
    EXPECT_EQ(0u, years.Bars[1].In + years.Bars[2].In);
    EXPECT_EQ(140u, years.Bars[3].In + years.Bars[3].Out);
    EXPECT_FALSE(years.CanGoBack || years.CanGoForward);
}

// Records of 2^63 bytes: a sum past 2^64 shows as the largest value, never wrapped to a small one.
TEST(HistoryPage, SumsPastTwoTo64SaturateInsteadOfWrapping) {
    constexpr uint64_t half = uint64_t{1} << 63;
    const double march15 = EncodeDate(2025, 3, 15);
    THistoryData data;
    data.Days = DayTotalsOf({{march15, half, half}, {march15, half, half}, {march15 + 1, half, 0}});
    ASSERT_EQ(2u, data.Days.size());
    EXPECT_EQ(UINT64_MAX, data.Days[0].In);
    EXPECT_EQ(UINT64_MAX, data.Days[0].Out);
    const THistoryClock clock = ClockAt(UtcSeconds(2025, 3, 16, 11));
    const char max[] = "16777216,00 TB";
    for (THistoryView view : {THistoryView::Days, THistoryView::Months, THistoryView::Years}) {
        const THistoryPage page = BuildHistoryPage(CurrentCursor(view, clock), data, clock);
        EXPECT_EQ(UINT64_MAX, page.TotalIn);
        EXPECT_EQ(UINT64_MAX / 2 + 1, page.DailyAverage); // over 15 and 16 March
        EXPECT_EQ(std::string("Total ") + max + " (in " + max + ", out " + max +
                      "), daily average 8388608,00 TB",
                  PageSummary(page, ','));
    }
    THistoryBar bar;
    bar.In = UINT64_MAX;
    bar.Out = 1;
    EXPECT_EQ(": total 16777216,00 TB (18446744073709551615 bytes)\r\n"
              "In 16777216,00 TB (18446744073709551615 bytes), out 1 bytes (1 bytes)",
              BarFigures(bar, ','));

    // One hour of the largest value, an hour old: its day would hold 24 of them.
    THistoryData hours;
    hours.Hours = {{1000000, UINT64_MAX, 0}};
    hours.HasHours = true;
    hours.FirstHour = hours.LastHour = 1000000;
    const THistoryPage page = BuildHistoryPage({THistoryView::Hours, 1000000}, hours,
                                               ClockAt(int64_t{1000000} * 3600 + 60));
    EXPECT_EQ(UINT64_MAX, page.DailyAverage);
}

// Each view of the table, paged Back from the present until there is nothing further back,
// counts every logged hour or day once: its pages neither overlap nor leave a gap.
TEST(HistoryPage, PagesOfEveryViewTileTimeBackToTheFirstRecord) {
    const int64_t now = UtcSeconds(2025, 3, 20, 11);
    const THistoryClock clock = ClockAt(now);
    THistoryData data = HoursBetween(now - 500 * 3600, now);
    const int first = static_cast<int>(EncodeDate(2023, 2, 10)), today = first + 769;
    for (int day = first; day <= today; ++day)
        data.Days.push_back({day, 1, 0});
    for (int i = 0; i < kHistoryViewCount; ++i) {
        const THistoryView view = static_cast<THistoryView>(i);
        THistoryCursor cursor = CurrentCursor(view, clock);
        uint64_t counted = 0;
        for (int pages = 0; pages < 100; ++pages) {
            const THistoryPage page = BuildHistoryPage(cursor, data, clock);
            counted += page.TotalIn;
            if (!page.CanGoBack)
                break;
            cursor = StepCursor(cursor, -1);
        }
        const bool hours = kHistoryViews[i].Bar == THistoryUnit::Hour;
        EXPECT_EQ(counted, hours ? 501u : 770u) << i;
    }
}

TEST(ValueAxis, RoundStepsInPowersOf1024) {
    struct Case {
        uint64_t largest;
        int maxSteps;
        const char* top; // the label of the last step, decimal comma
        int steps;
    } cases[] = {
        {0, 5, "1,0 KB", 5},             // an empty chart is 1 KB high
        {3879731, 5, "4 MB", 4},         // 3.7 MB
        {4u << 20, 4, "4 MB", 4},        // a value on a step stays on it
        {1100ull << 20, 5, "1,5 GB", 3}, // 1100 MB is more than a gigabyte
        {3ull << 40, 10, "3,0 TB", 6},
        {1023, 2, "1,0 KB", 2},
    };
    for (const Case& c : cases) {
        const TValueAxis axis = ChooseValueAxis(c.largest, c.maxSteps);
        EXPECT_EQ(c.top, axis.Label(axis.Steps, ',')) << c.largest;
        EXPECT_EQ(c.steps, axis.Steps) << c.largest;
        EXPECT_GE(axis.TopBytes(), static_cast<long double>(c.largest));
    }
}

TEST(ChartLayout, BarsScaleWithTheAxisLabelsDoNotOverlapAndPointsFindTheirBar) {
    const THistoryData data = HoursBetween(UtcSeconds(2025, 3, 1, 0), UtcSeconds(2025, 3, 2, 23));
    THistoryPage page = BuildHistoryPage({THistoryView::Hours, data.LastHour}, data,
                                         ClockAt(UtcSeconds(2025, 3, 3, 0)));
    page.Bars[5].In = 2048;
    page.Bars[6].In = 1024;
    TChartMetrics metrics;
    metrics.TextWidth = [](const std::string& text) { return 6 * static_cast<int>(text.size()); };
    for (int width : {300, 640, 1600}) {
        const TChartLayout layout = LayoutHistoryChart(page, width, 300, metrics);
        ASSERT_EQ(48u, layout.Bars.size());
        EXPECT_NEAR(layout.Bars[5].In.Height(), 2 * layout.Bars[6].In.Height(), 1);
        EXPECT_GE(layout.Bars[7].Out.Height(), 1); // two bytes still show
        for (size_t i = 1; i < layout.XLabels.size(); ++i)
            EXPECT_GE(layout.XLabels[i].X - layout.XLabels[i - 1].X, 6 * 5) << width;
        for (int i : {0, 17, 47}) {
            const TRectI& slot = layout.Bars[i].Slot;
            EXPECT_EQ(i, BarAtPoint(layout, (slot.Left + slot.Right) / 2, slot.Bottom - 1));
        }
        EXPECT_EQ(-1, BarAtPoint(layout, layout.Plot.Left - 1, layout.Plot.Bottom - 1));
        EXPECT_EQ(-1, BarAtPoint(layout, layout.Plot.Left + 1, layout.Plot.Top - 1));
    }
}

// One stray record 560 years back: the years come in groups that fit at the narrowest column,
// labelled with their first and last year, and their sums and the page's totals stay exact.
TEST(ChartLayout, YearsThatDoNotFitComeInGroupsAndTheChartNeverGoesBlank) {
    THistoryData data;
    data.Days = DayTotalsOf({{EncodeDate(1465, 6, 1), 7, 1}, {EncodeDate(2025, 3, 1), 100, 10}});
    const THistoryClock clock = ClockAt(UtcSeconds(2025, 3, 20, 11));
    const THistoryPage page =
        BuildHistoryPage(CurrentCursor(THistoryView::Years, clock), data, clock);
    ASSERT_EQ(561u, page.Bars.size());
    TChartMetrics metrics;
    metrics.TextWidth = [](const std::string& text) { return 6 * static_cast<int>(text.size()); };
    struct Case {
        int width;
        const char *first, *last;
    } cases[] = {{300, "1460-1469", "2020-2029"},
                 {640, "1465-1469", "2025-2029"},
                 {1600, "1464-1465", "2024-2025"},
                 {9000, "1465", "2025"}};
    for (const Case& c : cases) {
        const THistoryPage shown = FitBarsToWidth(page, c.width, 300, metrics);
        const TChartLayout layout = LayoutHistoryChart(shown, c.width, 300, metrics);
        ASSERT_EQ(shown.Bars.size(), layout.Bars.size()) << c.width;
        EXPECT_EQ(c.first, shown.Bars.front().Name);
        EXPECT_EQ(7u, shown.Bars.front().In);
        EXPECT_EQ(c.last, shown.Bars.back().Name);
        EXPECT_EQ(110u, shown.Bars.back().In + shown.Bars.back().Out);
        EXPECT_EQ(page.TotalIn, shown.TotalIn);
        EXPECT_GE(layout.Bars.back().Slot.Width(), 4);
        EXPECT_GE(layout.Bars.back().In.Height(), 1);
        ASSERT_FALSE(layout.XLabels.empty());
        const int labelWidth = 6 * static_cast<int>(shown.Bars.front().AxisLabel.size());
        for (size_t i = 1; i < layout.XLabels.size(); ++i)
            EXPECT_GE(layout.XLabels[i].X - layout.XLabels[i - 1].X, labelWidth) << c.width;
    }
}

TEST(HistoryFigures, ExactBytesBesideRoundedUnits) {
    THistoryBar bar;
    bar.Name = "Sat 15 March 2025";
    bar.In = 1234567;
    bar.Out = 512;
    EXPECT_EQ("Sat 15 March 2025: total 1,18 MB (1235079 bytes)\r\n"
              "In 1,18 MB (1234567 bytes), out 512 bytes (512 bytes)",
              BarFigures(bar, ','));
}

} // namespace
