// The quota's figures with the free hours left out and the provider's figure taken in.
#include "history/billed_quota.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int64_t kUnixEpochDay = 25569; // day number of 1 January 1970
// Hours on either side of a local day that may still belong to it: the widest zone offsets.
constexpr int64_t kZoneHours = 15;

TLogAmounts FreeAmounts(uint32_t freeHours, double firstDay, double lastDay,
                        const std::vector<THourRecord>& hours, TUtcOffsetFunc zone) {
    TLogAmounts free;
    if (freeHours == 0)
        return free;
    for (const THourRecord& hour : hours) {
        const TLocalTime local = LocalTimeOf(int64_t{hour.Hour} * 3600, zone);
        if (local.DayNumber < firstDay || local.DayNumber > lastDay ||
            !(freeHours >> local.Hour & 1))
            continue;
        free.In += hour.In; // summed as the usage log sums its days
        free.Out += hour.Out;
    }
    return free;
}

uint32_t UtcHourNear(double day, int64_t hours) {
    const int64_t hour = (static_cast<int64_t>(day) - kUnixEpochDay) * 24 + hours;
    return hour < 0 ? 0
                    : static_cast<uint32_t>(
                          std::min<int64_t>(hour, std::numeric_limits<uint32_t>::max()));
}

} // namespace

TQuotaFigures BilledQuotaFiguresOf(const TQuotaTerms& terms, double today, TLogAmounts period,
                                   TLogAmounts beforeToday, const std::vector<THourRecord>& hours,
                                   TUtcOffsetFunc zone) {
    const TBillingPeriod p = BillingPeriodOf(today, terms.StartDay);
    SubtractFreeHours(FreeAmounts(terms.FreeHours, p.First, p.Last, hours, zone), period);
    SubtractFreeHours(FreeAmounts(terms.FreeHours, p.First, today - 1, hours, zone), beforeToday);
    ApplyQuotaCorrection(terms, p.First, period, beforeToday);
    return QuotaFiguresOf(terms, today, period, beforeToday);
}

TLogAmounts TDayTable::operator()(double firstDay, double lastDay) const {
    TLogAmounts sum; // summed as the usage log sums its ranges
    for (const TLogRecord& r : Records) {
        const double day = std::floor(r.Date);
        if (day >= firstDay && day <= lastDay) {
            sum.In += r.InBytes;
            sum.Out += r.OutBytes;
        }
    }
    return sum;
}

TQuotaFigures CurrentBilledQuotaFigures(const TQuotaTerms& terms) {
    const double now = LogNow();
    std::vector<THourRecord> hours;
    if (terms.FreeHours != 0 && ProcessHourLog()) {
        const TBillingPeriod p = BillingPeriodOf(std::floor(now), terms.StartDay);
        hours = ProcessHourLog()->Range(UtcHourNear(p.First, -kZoneHours),
                                        UtcHourNear(p.Last + 1, kZoneHours));
    }
    return BilledQuotaFigures(terms, now, &GetLogTotalBetween, hours, &SystemUtcOffset);
}
