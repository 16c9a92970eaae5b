// Quota alerts: what is due and what has been shown.
#include "quota/quota_alerts.h"

#include <algorithm>

#include "display/number_format.h"
#include "display/render.h"
#include "log/calendar.h"
#include "config/tok_utils.h"

namespace {

bool Reached(const TQuotaFigures& f, int percent) {
    // Counted * 100 >= percent * quota, without the product that could overflow.
    const uint64_t threshold = (static_cast<uint64_t>(percent) * f.QuotaBytes + 99) / 100;
    return f.Counted >= threshold;
}

bool Contains(const std::vector<int>& levels, int level) {
    return std::find(levels.begin(), levels.end(), level) != levels.end();
}

} // namespace

TShownAlerts ParseShownAlerts(const std::string& text) {
    TShownAlerts shown;
    const size_t colon = text.find(':');
    if (colon == std::string::npos || !ParseIsoDate(text.substr(0, colon), shown.PeriodFirst))
        return TShownAlerts();
    ForEachItem(std::string_view(text).substr(colon + 1), ',', [&shown](std::string_view item) {
        if (item == "pace")
            shown.Pace = true;
        else if (!item.empty() && item.find_first_not_of("0123456789") == std::string::npos &&
                 item.size() < 6)
            shown.Levels.push_back(std::stoi(std::string(item)));
    });
    return shown;
}

std::string FormatShownAlerts(const TShownAlerts& shown) {
    std::string text = FormatIsoDate(shown.PeriodFirst) + ":";
    for (int level : shown.Levels)
        text += std::to_string(level) + ",";
    if (shown.Pace)
        text += "pace,";
    if (text.back() == ',')
        text.pop_back();
    return text;
}

std::optional<TQuotaAlert> NextQuotaAlert(const std::vector<int>& levels,
                                          const TQuotaFigures& figures, TShownAlerts& shown) {
    if (figures.QuotaBytes == 0 || levels.empty())
        return std::nullopt;
    if (shown.PeriodFirst != figures.Period.First)
        shown = TShownAlerts{figures.Period.First, {}, false};
    std::optional<TQuotaAlert> due;
    for (int level : levels) {
        if (!Reached(figures, level) || Contains(shown.Levels, level))
            continue;
        shown.Levels.push_back(level);
        due = TQuotaAlert{TQuotaAlert::Level, level, 0};
    }
    if (due)
        return due;
    if (shown.Pace || !figures.RunOutDay ||
        figures.Today - figures.Period.First < kPaceAlertAfterDays)
        return std::nullopt;
    shown.Pace = true;
    return TQuotaAlert{TQuotaAlert::Pace, 0, *figures.RunOutDay};
}

std::string QuotaAlertText(const TQuotaAlert& alert, const TQuotaFigures& figures, int32_t quotaMB,
                           const std::string& runOutDate, int decimals, char decimalSeparator) {
    if (alert.Kind == TQuotaAlert::Pace)
        return "At this rate the quota runs out on " + runOutDate;
    std::string hint;
    QuotaHint(figures.Counted, quotaMB, decimals, decimalSeparator, hint);
    return std::to_string(alert.Percent) + "% of the quota reached: " + hint;
}

void AppendQuotaForecastText(const TQuotaFigures& figures, std::string_view periodEnd, int decimals,
                             char decimalSeparator, std::string& out) {
    const TStatText forecast = FormatStatBinary(figures.Forecast, -20, decimals, decimalSeparator);
    out += ", ";
    out += forecast.View();
    out += "MB expected by ";
    out += periodEnd;
}
