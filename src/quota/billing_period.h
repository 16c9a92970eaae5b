// The billing period a quota is counted over, what is used and left in it, and the forecast of
// its end.
#pragma once
#include <cstdint>
#include <optional>

#include "log/usage_log.h"

// Day numbers, both days included.
struct TBillingPeriod {
    double First = 0;
    double Last = 0;
};

// The period holding `today` when periods start on day `startDay` of every month (clamped to
// 1..31); a start day past a month's end is that month's last day (31 is 28 February).
TBillingPeriod BillingPeriodOf(double today, int startDay);

int DaysInMonth(int year, int month);

// The provider's figure for one billing period, and what Corvane counted of that period when it
// was given: from then on the period counts the provider's figure plus what Corvane counts more.
struct TQuotaCorrection {
    double PeriodFirst = 0;
    uint64_t Provider = 0;
    uint64_t CountedThen = 0;
};

struct TQuotaTerms {
    int32_t QuotaMB = 10000; // none when 0 or less
    int StartDay = 1;
    TLogDirection Counts = ldInOut;
    uint32_t FreeHours = 0; // bit h: local hour h to h+1 is not counted
    std::optional<TQuotaCorrection> Correction = std::nullopt;
};

struct TQuotaFigures {
    TBillingPeriod Period;
    double Today = 0;
    TLogAmounts Used;        // over the whole period
    uint64_t Counted = 0;    // what the terms count of Used
    uint64_t QuotaBytes = 0; // 0 when there is no quota
    uint64_t LeftBytes = 0;  // quota minus Counted, not below 0
    int64_t DaysLeft = 0;    // today to the period's last day, today included
    uint64_t Forecast = 0;   // Counted expected at the period's end
    // The day the quota runs out at this rate, when that is within the period.
    std::optional<double> RunOutDay;

    long double Percent() const;
    long double MBPerDayLeft() const;
};

// From the amounts of the whole period and of its days before today. The daily rate comes from
// the full days before today; on the period's first day, from today so far.
TQuotaFigures QuotaFiguresOf(const TQuotaTerms& terms, double today, const TLogAmounts& period,
                             const TLogAmounts& beforeToday);

// The same from the usage log, today by the log's clock.
TQuotaFigures CurrentQuotaFigures(const TQuotaTerms& terms);

// The period's amounts less what its free hours carried, both not below 0.
void SubtractFreeHours(const TLogAmounts& free, TLogAmounts& amounts);

// Where the terms hold the provider's figure for the period starting on `periodFirst`, moves
// the period's amounts (and those of its days before today, by as much) so that what counts
// is the provider's figure plus what was counted since; never below the provider's figure.
void ApplyQuotaCorrection(const TQuotaTerms& terms, double periodFirst, TLogAmounts& period,
                          TLogAmounts& beforeToday);
