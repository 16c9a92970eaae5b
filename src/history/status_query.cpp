// The status query's figures and its two forms.
#include "history/status_query.h"

#include <cmath>

#include "history/export_command_line.h"
#include "config/mem_ini_file.h"
#include "config/number_format.h"
#include "log/calendar.h"
#include "text/texts.h"

namespace {

TLogAmounts SumOfDays(const std::vector<TDayTotal>& days, double first, double last) {
    TLogAmounts sum;
    for (const TDayTotal& day : days) {
        if (day.Day >= first && day.Day <= last) {
            sum.In += day.In;
            sum.Out += day.Out;
        }
    }
    return sum;
}

// Two decimals and a point, whatever the user's format: scripts read these too.
std::string Megabytes(uint64_t bytes) {
    return std::string(FormatStatBinary(bytes, -20, 2, '.').View());
}

std::string Percent(const TQuotaFigures& quota) {
    return std::string(FormatStatFigure(quota.Percent(), 2, '.').View());
}

} // namespace

TQuotaFigures QuotaFiguresFromRecords(const TQuotaSettings& settings, double today,
                                      const std::vector<TDayTotal>& days,
                                      const std::vector<THourRecord>& /*hours*/) {
    const TBillingPeriod period = BillingPeriodOf(today, settings.Terms.StartDay);
    return QuotaFiguresOf(settings.Terms, today, SumOfDays(days, period.First, period.Last),
                          SumOfDays(days, period.First, today - 1));
}

TStatus StatusFromFiles(const std::string& config, const std::string& dailyLog,
                        const std::string& hourLog, double today) {
    const TMemIniFile store("config.ini", config);
    const TQuotaSettings settings = ReadQuotaSettings(store);
    const std::vector<TDayTotal> days = DayTotalsOf(DecodeLogFile(dailyLog));
    TStatus s;
    s.Today = std::floor(today);
    s.TodayUsed = SumOfDays(days, s.Today, s.Today);
    s.Terms = settings.Terms;
    s.Quota = QuotaFiguresFromRecords(settings, s.Today, days, DecodeHourFile(hourLog));
    return s;
}

std::string StatusText(const TStatus& s) {
    const TQuotaFigures& q = s.Quota;
    std::string text = FormatText(Text(TTextId::StatusToday),
                                  {{"date", FormatIsoDate(s.Today)},
                                   {"in", Megabytes(s.TodayUsed.In)},
                                   {"out", Megabytes(s.TodayUsed.Out)}});
    text += FormatText(Text(TTextId::StatusPeriod),
                       {{"first", FormatIsoDate(q.Period.First)},
                        {"last", FormatIsoDate(q.Period.Last)},
                        {"in", Megabytes(q.Used.In)},
                        {"out", Megabytes(q.Used.Out)},
                        {"days", std::to_string(q.DaysLeft)}});
    if (q.QuotaBytes == 0)
        return WithCrLf(text + Text(TTextId::StatusNoQuota));
    text += FormatText(Text(TTextId::StatusQuota),
                       {{"quota", Megabytes(q.QuotaBytes)},
                        {"used", Megabytes(q.Counted)},
                        {"percent", Percent(q)},
                        {"left", Megabytes(q.LeftBytes)},
                        {"forecast", Megabytes(q.Forecast)}});
    return WithCrLf(text);
}

std::string StatusJson(const TStatus& s) {
    const TQuotaFigures& q = s.Quota;
    const auto date = [](double day) { return "\"" + FormatIsoDate(day) + "\""; };
    const auto number = [](uint64_t n) { return std::to_string(n); };
    std::string json = "{\"date\": " + date(s.Today) + ",\r\n \"today\": {\"bytes_in\": " +
                       number(s.TodayUsed.In) + ", \"bytes_out\": " + number(s.TodayUsed.Out) +
                       "},\r\n \"period\": {\"first\": " + date(q.Period.First) +
                       ", \"last\": " + date(q.Period.Last) +
                       ", \"days_left\": " + std::to_string(q.DaysLeft) +
                       ", \"bytes_in\": " + number(q.Used.In) +
                       ", \"bytes_out\": " + number(q.Used.Out) + "},\r\n \"quota\": ";
    if (q.QuotaBytes == 0)
        return json + "null}\r\n";
    return json + "{\"counts\": \"" + QuotaCountsText(s.Terms.Counts) +
           "\", \"bytes\": " + number(q.QuotaBytes) + ", \"used\": " + number(q.Counted) +
           ", \"left\": " + number(q.LeftBytes) + ", \"percent\": " + Percent(q) +
           ", \"forecast\": " + number(q.Forecast) +
           ", \"runs_out\": " + (q.RunOutDay ? date(*q.RunOutDay) : "null") + "}}\r\n";
}

bool UseReaches(const TQuotaFigures& quota, int percent) {
    // QuotaBytes is at most 2^51 and percent at most 1000: no overflow.
    return quota.QuotaBytes > 0 &&
           quota.Counted >= (quota.QuotaBytes * static_cast<uint64_t>(percent) + 99) / 100;
}
