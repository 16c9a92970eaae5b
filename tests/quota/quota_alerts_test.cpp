// Quota alerts: once each per billing period, remembered as text between runs, the quota
// settings they come from, and the quota bar's figures.
#include "quota/quota_alerts.h"
#include "quota/quota_bar.h"
#include "quota/quota_settings.h"

#include <gtest/gtest.h>

#include "log/calendar.h"
#include "config/mem_ini_file.h"

namespace {

constexpr uint64_t MB = uint64_t{1} << 20;

// The replayed March of the forecast test: 10 MB a full day, 3 MB so far today, 250 MB quota.
TQuotaFigures March(int day) {
    const TLogAmounts period{(10 * uint64_t(day - 1) + 3) * MB, 0};
    const TLogAmounts before{10 * uint64_t(day - 1) * MB, 0};
    return QuotaFiguresOf({250, 1, ldIn}, EncodeDate(2025, 3, day) + 0.5, period, before);
}

// Each day is a new run that reads the record from the text the last run left.
TEST(QuotaAlerts, EachOncePerPeriodAcrossRestarts) {
    std::string stored;
    std::vector<std::string> seen;
    for (int day = 1; day <= 31; ++day) {
        for (int tick = 0; tick < 2; ++tick) {
            TShownAlerts shown = ParseShownAlerts(stored);
            const TQuotaFigures f = March(day);
            if (auto alert = NextQuotaAlert({80, 100}, f, shown)) {
                seen.push_back(std::to_string(day) + ": " +
                               QuotaAlertText(*alert, f, 250, "26/03/2025", 2, '.'));
            }
            stored = FormatShownAlerts(shown);
        }
    }
    const std::vector<std::string> expected = {
        "4: At this rate the quota runs out on 26/03/2025",
        "21: 80% of the quota reached: 203.00MB of 250MB used",
        "26: 100% of the quota reached: 253.00MB of 250MB used"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(stored, "2025-03-01:80,100,pace");

    // The next period starts afresh: 80 % on its second day; no pace alert before its fourth.
    TShownAlerts shown = ParseShownAlerts(stored);
    const TQuotaFigures april =
        QuotaFiguresOf({250, 1, ldIn}, EncodeDate(2025, 4, 2), {240 * MB, 0}, {230 * MB, 0});
    ASSERT_TRUE(april.RunOutDay);
    const auto alert = NextQuotaAlert({80, 100}, april, shown);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->Percent, 80);
    EXPECT_FALSE(NextQuotaAlert({80, 100}, april, shown));
    EXPECT_EQ(FormatShownAlerts(shown), "2025-03-01:80,100,pace;2025-04-01:80");
}

// The clock set back into March and forward into April again: no alert of either period comes
// twice, also across restarts, from a record of one period as older versions wrote it.
TEST(QuotaAlerts, NoneRepeatsInAPeriodWhateverTheClockDoes) {
    const TQuotaFigures april =
        QuotaFiguresOf({250, 1, ldIn}, EncodeDate(2025, 4, 2), {240 * MB, 0}, {230 * MB, 0});
    std::string stored = "2025-03-01:80,100,pace";
    int alerts = 0;
    for (const TQuotaFigures& f : {april, March(28), april, March(30)}) {
        TShownAlerts shown = ParseShownAlerts(stored);
        while (NextQuotaAlert({80, 100}, f, shown))
            ++alerts;
        stored = FormatShownAlerts(shown);
    }
    EXPECT_EQ(alerts, 1);
    EXPECT_EQ(stored, "2025-03-01:80,100,pace;2025-04-01:80");

    // The record keeps the periods of the latest alerts; one it cannot read is left out.
    TShownAlerts shown = ParseShownAlerts("2025-01-01:80;garbage;" + stored);
    for (int month = 5; month <= 9; ++month)
        NextQuotaAlert({80}, QuotaFiguresOf({1, 1, ldIn}, EncodeDate(2025, month, 2), {MB, 0}, {}),
                       shown);
    ASSERT_EQ(shown.Periods.size(), kShownAlertPeriods);
    EXPECT_EQ(FormatShownAlerts(shown).substr(0, 28), "2025-04-01:80;2025-05-01:80;");
}

TEST(QuotaAlerts, LevelsReachedTogetherGiveOneAlertAndNoneWithoutLevelsOrQuota) {
    const TQuotaFigures over = QuotaFiguresOf({100, 1, ldInOut}, EncodeDate(2025, 3, 2),
                                              {60 * MB, 45 * MB}, {20 * MB, 10 * MB});
    TShownAlerts shown = ParseShownAlerts("not a record");
    const auto alert = NextQuotaAlert({50, 80, 100, 120}, over, shown);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->Percent, 100);
    EXPECT_EQ(FormatShownAlerts(shown), "2025-03-01:50,80,100");
    shown = TShownAlerts();
    EXPECT_FALSE(NextQuotaAlert({}, over, shown));
    const TQuotaFigures noQuota =
        QuotaFiguresOf({0, 1, ldInOut}, EncodeDate(2025, 3, 2), {60 * MB, 45 * MB}, {0, 0});
    EXPECT_FALSE(NextQuotaAlert({80}, noQuota, shown));
    std::string hint = "hint";
    AppendQuotaForecastText(over, "31/03/2025", 1, ',', hint);
    EXPECT_EQ(hint, "hint, 975,0MB expected by 31/03/2025");
}

// What the main window makes of odd values (the dialog's side is in the settings tests).
TEST(QuotaSettings, OddValuesAndWhenTheHintStaysAsItWas) {
    const TQuotaSettings s = ReadQuotaSettings(
        TMemIniFile("unused.ini", "[display]\nquotastartday=45\nquotaalerts= 100, 80,abc,80,0,"
                                  "1001,5\nmonthquota=0\n"));
    EXPECT_EQ(s.Terms.StartDay, 31);
    EXPECT_EQ(FormatAlertLevels(s.AlertLevels), "5,80,100");
    EXPECT_FALSE(s.HasQuota());
    EXPECT_TRUE(s.HintShowsForecast());
    EXPECT_FALSE(ReadQuotaSettings(TMemIniFile("unused.ini", "[display]\nquotaalerts=\n"))
                     .HintShowsForecast());
}

std::string QuotaHint(uint64_t monthBytes, int32_t quota, int decimals, char separator) {
    std::string hint = "a longer hint left from the tick before";
    ::QuotaHint(monthBytes, quota, decimals, separator, hint);
    return hint;
}

TEST(QuotaFigures, HintAndPosition) {
    EXPECT_EQ(QuotaHint(1294598144, 10000, 2, '.'), "1234.63MB of 10000MB used");
    EXPECT_EQ(QuotaHint(1294598144, 10000, 0, ','), "1235MB of 10000MB used");
    EXPECT_EQ(QuotaHint(20000 * MB + MB / 2, 10000, 1, ','), "20000,5MB of 10000MB used");
    EXPECT_EQ(QuotaHint(0, -5, 2, '.'), "0.00MB of -5MB used");
    EXPECT_EQ(QuotaPosition(1294598144), 1234);
    EXPECT_EQ(QuotaPosition(MB - 1), 0);
    EXPECT_EQ(QuotaPosition(20000 * MB), 20000);
    EXPECT_EQ(QuotaPosition(~uint64_t{0}), INT32_MAX);
}

} // namespace
