// The quota's figures with free hours left out and the provider's figure taken in, from
// synthetic daily and hourly history in Central European time.
#include "history_test_support.h"
#include "history/billed_quota.h"
#include "quota/quota_settings.h"

namespace {

using namespace historytest;

constexpr uint64_t MB = uint64_t{1} << 20;

double Day(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

// Every UTC hour from `first` up to `last` carries `perHour` received, and the days hold
// exactly what their local hours hold, as the daily log and the hourly store would.
struct THistory {
    std::vector<THourRecord> Hours;
    std::vector<TLogRecord> Days;

    void AddHours(int64_t first, int64_t last, uint64_t perHour) {
        for (int64_t t = first; t < last; t += 3600) {
            Hours.push_back({static_cast<uint32_t>(t / 3600), perHour, 0});
            AddDay(LocalTimeOf(t, &CentralEurope).DayNumber, perHour, 0);
        }
    }
    void AddDay(double day, uint64_t in, uint64_t out) {
        for (TLogRecord& r : Days) {
            if (r.Date == day) {
                r.InBytes += in;
                r.OutBytes += out;
                return;
            }
        }
        Days.push_back({day, in, out});
    }
    TQuotaFigures Figures(const TQuotaTerms& terms, double now) const {
        return BilledQuotaFigures(terms, now, TDayTable{Days}, Hours, &CentralEurope);
    }
};

TQuotaTerms WithFreeHours(const std::string& text) {
    TQuotaTerms terms{1000, 1, ldIn};
    EXPECT_TRUE(ParseFreeHours(text, terms.FreeHours)) << text;
    return terms;
}

TEST(BilledQuota, FreeHoursAcrossMidnightLeaveOutLocalHours) {
    THistory h;
    h.AddDay(Day(2025, 3, 5), 54 * MB, 0); // before the hourly store: counts in full
    // Local 10 March 00:00 (UTC+1) to 11 March 12:00, 1 MB an hour.
    h.AddHours(UtcSeconds(2025, 3, 9, 23), UtcSeconds(2025, 3, 11, 11), MB);
    const TQuotaFigures f = h.Figures(WithFreeHours(" 22:00 - 06:00 "), Day(2025, 3, 11) + 0.5);
    // 8 free hours on the 10th (00-06, 22-24), 6 on the 11th so far.
    EXPECT_EQ(f.Counted, (54 + 24 + 12 - 14) * MB);
    EXPECT_EQ(f.Used.In, f.Counted);
    // 70 MB over the 10 full days before today, 20 days to come.
    EXPECT_EQ(f.Forecast, f.Counted + 140 * MB);
    EXPECT_EQ(f.LeftBytes, 1000 * MB - f.Counted);
}

// 02:00-04:00 is two local hours, three on the night the clocks go back and one on the night
// they go forward; the hours of a local day outside the period are not the period's.
TEST(BilledQuota, FreeHoursFollowTheWallClockAcrossSummerTime) {
    THistory h;
    h.AddHours(UtcSeconds(2025, 3, 28, 0), UtcSeconds(2025, 4, 1, 0), 1);
    h.AddHours(UtcSeconds(2025, 10, 24, 0), UtcSeconds(2025, 10, 28, 0), 1);
    const TQuotaTerms terms = WithFreeHours("2:00-04:00");
    const uint64_t march = h.Figures({1000, 1, ldIn}, Day(2025, 3, 31) + 0.9).Counted;
    const uint64_t october = h.Figures({1000, 1, ldIn}, Day(2025, 10, 31) + 0.9).Counted;
    EXPECT_EQ(h.Figures(terms, Day(2025, 3, 31) + 0.9).Counted, march - (2 + 2 + 1 + 2));
    EXPECT_EQ(h.Figures(terms, Day(2025, 10, 31) + 0.9).Counted, october - (2 + 2 + 3 + 2));
}

TEST(BilledQuota, ProvidersFigureHoldsForItsPeriodOnly) {
    THistory h;
    for (int d = 1; d <= 10; ++d)
        h.AddDay(Day(2025, 3, d), 10 * MB, 1 * MB);
    TQuotaTerms terms{1000, 1, ldInOut};
    const double now = Day(2025, 3, 10) + 0.5;
    const TQuotaFigures plain = h.Figures(terms, now);
    ASSERT_EQ(plain.Counted, 110 * MB);

    // The provider says 150 MB; then 5 MB more come in.
    terms.Correction = TQuotaCorrection{Day(2025, 3, 1), 150 * MB, plain.Counted};
    h.AddDay(Day(2025, 3, 10), 5 * MB, 0);
    TQuotaFigures f = h.Figures(terms, now);
    EXPECT_EQ(f.Counted, 155 * MB);
    EXPECT_EQ(f.Used.In + f.Used.Out, f.Counted);
    EXPECT_EQ(f.LeftBytes, 845 * MB);
    EXPECT_GT(f.Forecast, plain.Forecast);

    // A figure below what was received takes the rest from what was sent.
    terms.Correction->Provider = 60 * MB;
    f = h.Figures(terms, now);
    EXPECT_EQ(f.Counted, 65 * MB);
    EXPECT_EQ(f.Used.In + f.Used.Out, 65 * MB);

    // Logs emptied since: the provider's figure stays the floor.
    EXPECT_EQ(THistory{}.Figures(terms, now).Counted, 60 * MB);

    // The next period starts without it, and one for another period is ignored.
    h.AddDay(Day(2025, 4, 1), 7 * MB, 0);
    EXPECT_EQ(h.Figures(terms, Day(2025, 4, 1) + 0.5).Counted, 7 * MB);
    terms.Correction->PeriodFirst = Day(2025, 2, 1);
    EXPECT_EQ(h.Figures(terms, now).Counted, 115 * MB);
}

// With neither set, the figures are the daily log's, whatever the hourly store holds.
TEST(BilledQuota, WithoutFreeHoursOrCorrectionTheFiguresAreTheLogs) {
    THistory h;
    h.AddDay(Day(2025, 2, 20), 9 * MB, 0);
    h.AddHours(UtcSeconds(2025, 3, 1, 0), UtcSeconds(2025, 3, 4, 5), 3 * MB);
    const TQuotaTerms terms{100, 15, ldIn};
    const double now = Day(2025, 3, 4) + 0.3;
    const TQuotaFigures f = h.Figures(terms, now);
    const TQuotaFigures expected =
        QuotaFiguresOf(terms, now, TDayTable{h.Days}(Day(2025, 2, 15), Day(2025, 3, 14)),
                       TDayTable{h.Days}(Day(2025, 2, 15), Day(2025, 3, 3)));
    EXPECT_EQ(f.Counted, expected.Counted);
    EXPECT_EQ(f.Forecast, expected.Forecast);
    EXPECT_EQ(f.RunOutDay, expected.RunOutDay);
    EXPECT_EQ(f.Period.First, Day(2025, 2, 15));
}

TEST(QuotaSettingsText, FreeHoursAndProvidersFigure) {
    uint32_t hours = 0;
    EXPECT_TRUE(ParseFreeHours("", hours));
    EXPECT_EQ(hours, 0u);
    EXPECT_TRUE(ParseFreeHours("23:00-24:00", hours));
    EXPECT_EQ(hours, 1u << 23);
    for (const char* bad : {"02:30-08:00", "2-8", "02:00", "08:00-08:00", "00:00-24:00",
                            "25:00-03:00", "-1:00-03:00", "02:00-08:00x", "a2:00-08:00"})
        EXPECT_FALSE(ParseFreeHours(bad, hours)) << bad;

    const std::optional<TQuotaCorrection> c = ParseQuotaCorrection("2026-12-01 12345678901 77");
    ASSERT_TRUE(c);
    EXPECT_EQ(FormatQuotaCorrection(*c), "2026-12-01 12345678901 77");
    for (const char* bad : {"", "2026-12-01 5", "2026-12-01 -5 0", "2026-13-01 5 0", "x 5 0"})
        EXPECT_FALSE(ParseQuotaCorrection(bad)) << bad;

    uint64_t bytes = 0;
    EXPECT_TRUE(ParseMegabytes(" 12595,2 ", bytes));
    EXPECT_EQ(bytes, 13207024435u); // 12595.2 x 2^20, rounded
    for (const char* bad : {"", "12.", "-5", "1.2.3", "1e3", "9000000000000"})
        EXPECT_FALSE(ParseMegabytes(bad, bytes)) << bad;
}

} // namespace
