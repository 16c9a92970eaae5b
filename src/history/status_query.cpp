// The status query's figures and its two forms.
#include "history/status_query.h"

#include <cmath>

#include "history/billed_quota.h"
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

TStatus StatusFromFiles(const std::string& config, const std::string& dailyLog,
                        const std::string& hourLog, double now, TUtcOffsetFunc zone) {
    const TMemIniFile store("config.ini", config);
    const TQuotaSettings settings = ReadQuotaSettings(store);
    const std::vector<TLogRecord> records = DecodeLogFile(dailyLog);
    TStatus s;
    s.Today = std::floor(now);
    s.TodayUsed = SumOfDays(DayTotalsOf(records), s.Today, s.Today);
    s.Terms = settings.Terms;
    // As the running program counts them: free hours left out, the provider's figure taken.
    s.Quota = BilledQuotaFigures(settings.Terms, now, TDayTable{records}, DecodeHourFile(hourLog),
                                 zone);
    return s;
}

namespace {

// The JSON form's fields, each placeholder a value: bytes as integers, dates as YYYY-MM-DD.
constexpr char kJson[] =
    "{\"date\": \"{date}\",\r\n"
    " \"today\": {\"bytes_in\": {today_in}, \"bytes_out\": {today_out}},\r\n"
    " \"period\": {\"first\": \"{first}\", \"last\": \"{last}\", \"days_left\": {days}, "
    "\"bytes_in\": {in}, \"bytes_out\": {out}},\r\n"
    " \"quota\": ";
constexpr char kJsonQuota[] =
    "{\"counts\": \"{counts}\", \"bytes\": {quota}, \"used\": {used}, \"left\": {left}, "
    "\"percent\": {percent}, \"forecast\": {forecast}, \"runs_out\": {runs_out}}";

// Both forms from one set of values: megabytes for people, bytes for scripts.
std::string StatusForm(const TStatus& s, bool json) {
    const TQuotaFigures& q = s.Quota;
    const auto amount = [json](uint64_t bytes) {
        return json ? std::to_string(bytes) : Megabytes(bytes);
    };
    const std::string date = FormatIsoDate(s.Today), first = FormatIsoDate(q.Period.First),
                      last = FormatIsoDate(q.Period.Last), days = std::to_string(q.DaysLeft),
                      todayIn = amount(s.TodayUsed.In), todayOut = amount(s.TodayUsed.Out),
                      in = amount(q.Used.In), out = amount(q.Used.Out),
                      quota = amount(q.QuotaBytes), used = amount(q.Counted),
                      left = amount(q.LeftBytes), forecast = amount(q.Forecast),
                      percent = Percent(q),
                      runsOut = q.RunOutDay ? "\"" + FormatIsoDate(*q.RunOutDay) + "\"" : "null";
    std::string form;
    if (json) {
        AppendText(form, kJson,
                   {{"date", date},
                    {"today_in", todayIn},
                    {"today_out", todayOut},
                    {"first", first},
                    {"last", last},
                    {"days", days},
                    {"in", in},
                    {"out", out}});
        AppendText(form, q.QuotaBytes == 0 ? "null" : kJsonQuota,
                   {{"counts", QuotaCountsText(s.Terms.Counts)},
                    {"quota", quota},
                    {"used", used},
                    {"left", left},
                    {"percent", percent},
                    {"forecast", forecast},
                    {"runs_out", runsOut}});
        return form + "}\r\n";
    }
    AppendText(form, Text(TTextId::StatusToday),
               {{"date", date}, {"in", todayIn}, {"out", todayOut}});
    AppendText(form, Text(TTextId::StatusPeriod),
               {{"first", first}, {"last", last}, {"in", in}, {"out", out}, {"days", days}});
    if (q.QuotaBytes == 0)
        AppendText(form, Text(TTextId::StatusNoQuota), {});
    else
        AppendText(form, Text(TTextId::StatusQuota),
                   {{"quota", quota},
                    {"used", used},
                    {"percent", percent},
                    {"left", left},
                    {"forecast", forecast}});
    return WithCrLf(form);
}

} // namespace

std::string StatusText(const TStatus& status) {
    return StatusForm(status, false);
}

std::string StatusJson(const TStatus& status) {
    return StatusForm(status, true);
}

bool UseReaches(const TQuotaFigures& quota, int percent) {
    // QuotaBytes is at most 2^51 and percent at most 1000: no overflow.
    return quota.QuotaBytes > 0 &&
           quota.Counted >= (quota.QuotaBytes * static_cast<uint64_t>(percent) + 99) / 100;
}
