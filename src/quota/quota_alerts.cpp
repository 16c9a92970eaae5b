// Quota alerts: what is due and what has been shown.
#include "quota/quota_alerts.h"

#include <algorithm>

#include "config/number_format.h"
#include "quota/quota_bar.h"
#include "log/calendar.h"
#include "config/tok_utils.h"
#include "text/texts.h"

namespace {

bool Reached(const TQuotaFigures& f, int percent) {
    // Counted * 100 >= percent * quota, without the product that could overflow.
    const uint64_t threshold = (static_cast<uint64_t>(percent) * f.QuotaBytes + 99) / 100;
    return f.Counted >= threshold;
}

bool Contains(const std::vector<int>& levels, int level) {
    return std::find(levels.begin(), levels.end(), level) != levels.end();
}

// "2025-03-15:80,100,pace"
std::optional<TPeriodAlerts> ParsePeriodAlerts(std::string_view text) {
    TPeriodAlerts period;
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || !ParseIsoDate(text.substr(0, colon), period.PeriodFirst))
        return std::nullopt;
    ForEachItem(text.substr(colon + 1), ',', [&period](std::string_view item) {
        if (item == "pace")
            period.Pace = true;
        else if (!item.empty() && item.find_first_not_of("0123456789") == std::string::npos &&
                 item.size() < 6)
            period.Levels.push_back(std::stoi(std::string(item)));
    });
    return period;
}

void KeepLastPeriods(TShownAlerts& shown) {
    auto& periods = shown.Periods;
    if (periods.size() > kShownAlertPeriods)
        periods.erase(periods.begin(), periods.end() - kShownAlertPeriods);
}

// The alert due in one period, noted in its record.
std::optional<TQuotaAlert> DueAlert(const std::vector<int>& levels, const TQuotaFigures& figures,
                                    TPeriodAlerts& period) {
    std::optional<TQuotaAlert> due;
    for (int level : levels) {
        if (!Reached(figures, level) || Contains(period.Levels, level))
            continue;
        period.Levels.push_back(level);
        due = TQuotaAlert{TQuotaAlert::Level, level, 0};
    }
    if (due)
        return due;
    if (period.Pace || !figures.RunOutDay ||
        figures.Today - figures.Period.First < kPaceAlertAfterDays)
        return std::nullopt;
    period.Pace = true;
    return TQuotaAlert{TQuotaAlert::Pace, 0, *figures.RunOutDay};
}

} // namespace

TShownAlerts ParseShownAlerts(const std::string& text) {
    TShownAlerts shown;
    ForEachItem(text, ';', [&shown](std::string_view period) {
        if (auto read = ParsePeriodAlerts(period))
            shown.Periods.push_back(std::move(*read));
    });
    KeepLastPeriods(shown);
    return shown;
}

std::string FormatShownAlerts(const TShownAlerts& shown) {
    std::string text;
    for (const TPeriodAlerts& period : shown.Periods) {
        text += (text.empty() ? "" : ";") + FormatIsoDate(period.PeriodFirst) + ":";
        for (int level : period.Levels)
            text += std::to_string(level) + ",";
        if (period.Pace)
            text += "pace,";
        if (text.back() == ',')
            text.pop_back();
    }
    return text;
}

std::optional<TQuotaAlert> NextQuotaAlert(const std::vector<int>& levels,
                                          const TQuotaFigures& figures, TShownAlerts& shown) {
    if (figures.QuotaBytes == 0 || levels.empty())
        return std::nullopt;
    auto& periods = shown.Periods;
    const auto known =
        std::find_if(periods.begin(), periods.end(), [&figures](const TPeriodAlerts& p) {
            return p.PeriodFirst == figures.Period.First;
        });
    TPeriodAlerts period =
        known != periods.end() ? *known : TPeriodAlerts{figures.Period.First, {}, false};
    const std::optional<TQuotaAlert> due = DueAlert(levels, figures, period);
    if (due) {
        if (known != periods.end())
            periods.erase(known);
        periods.push_back(std::move(period));
        KeepLastPeriods(shown);
    }
    return due;
}

std::string QuotaAlertText(const TQuotaAlert& alert, const TQuotaFigures& figures, int32_t quotaMB,
                           const std::string& runOutDate, int decimals, char decimalSeparator) {
    if (alert.Kind == TQuotaAlert::Pace)
        return FormatText(Text(TTextId::QuotaAlertPace), {{"date", runOutDate}});
    std::string hint;
    QuotaHint(figures.Counted, quotaMB, decimals, decimalSeparator, hint);
    return FormatText(Text(TTextId::QuotaAlertLevel),
                      {{"percent", std::to_string(alert.Percent)}, {"hint", hint}});
}

void AppendQuotaForecastText(const TQuotaFigures& figures, std::string_view periodEnd, int decimals,
                             char decimalSeparator, std::string& out) {
    const TStatText forecast = FormatStatBinary(figures.Forecast, -20, decimals, decimalSeparator);
    AppendText(out, Text(TTextId::QuotaHintForecast),
               {{"forecast", forecast.View()}, {"date", periodEnd}});
}
