// Quota notifications: which one is due, each once per billing period, the record of the ones
// shown that config.ini keeps across restarts ("2025-02-15:80;2025-03-15:80,100,pace": the last
// few periods, the latest to have one last), and their texts.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quota/billing_period.h"

struct TPeriodAlerts {
    double PeriodFirst = 0; // the period the record speaks of
    std::vector<int> Levels;
    bool Pace = false;
};

// Several periods, so that a clock set back into an earlier one and forward again shows no
// alert of either twice.
struct TShownAlerts {
    std::vector<TPeriodAlerts> Periods; // the one with the latest alert last
};

// How many periods the record keeps.
constexpr size_t kShownAlertPeriods = 6;

// A period's record that cannot be read is left out: at worst an alert is shown once more.
TShownAlerts ParseShownAlerts(const std::string& text);
std::string FormatShownAlerts(const TShownAlerts& shown);

struct TQuotaAlert {
    enum TKind { Level, Pace } Kind = Level;
    int Percent = 0;      // the level reached
    double RunOutDay = 0; // for the pace alert
};

// The pace alert waits until this many full days of the period have passed.
constexpr double kPaceAlertAfterDays = 3;

// The one alert due now, if any, and `shown` updated to include it. Levels reached together
// give one alert, for the highest. Beyond kShownAlertPeriods, the period whose last alert is
// the oldest is dropped. Without levels there are no alerts, the pace alert included.
std::optional<TQuotaAlert> NextQuotaAlert(const std::vector<int>& levels,
                                          const TQuotaFigures& figures, TShownAlerts& shown);

// "80% of the quota reached: 85.00MB of 100MB used" or
// "At this rate the quota runs out on <runOutDate>".
std::string QuotaAlertText(const TQuotaAlert& alert, const TQuotaFigures& figures, int32_t quotaMB,
                           const std::string& runOutDate, int decimals, char decimalSeparator);

// Appends what the quota bar's hint adds: ", 120.00MB expected by <periodEnd>". Once `out` has
// grown to it, no allocation.
void AppendQuotaForecastText(const TQuotaFigures& figures, std::string_view periodEnd, int decimals,
                             char decimalSeparator, std::string& out);
