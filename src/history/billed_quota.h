// The quota's figures as the provider bills them: the daily log's amounts less what the hourly
// store holds of the free hours, with the provider's figure where one was given for the period.
#pragma once
#include "history/hour_log.h"
#include "history/local_time.h"
#include "quota/billing_period.h"

#include <cmath>
#include <vector>

// The period's figures from its daily amounts and those of its days before today, with the
// hourly records. Each of `hours` counts in the local day and hour where it begins; days the
// hourly store has no hours of count in full.
TQuotaFigures BilledQuotaFiguresOf(const TQuotaTerms& terms, double today, TLogAmounts period,
                                   TLogAmounts beforeToday, const std::vector<THourRecord>& hours,
                                   TUtcOffsetFunc zone);

// The same from `now`, the local day number with its fraction, and `days`, which gives the
// daily amounts from one day to another, both included (a TDayTable, GetLogTotalBetween).
template <typename TDayAmounts>
TQuotaFigures BilledQuotaFigures(const TQuotaTerms& terms, double now, const TDayAmounts& days,
                                 const std::vector<THourRecord>& hours, TUtcOffsetFunc zone) {
    const double today = std::floor(now);
    const TBillingPeriod p = BillingPeriodOf(today, terms.StartDay);
    return BilledQuotaFiguresOf(terms, today, days(p.First, p.Last), days(p.First, today - 1),
                                hours, zone);
}

// The daily amounts of a table of day records (read from the file by another process).
struct TDayTable {
    const std::vector<TLogRecord>& Records;
    TLogAmounts operator()(double firstDay, double lastDay) const;
};

// The running program's: the process's usage log on its clock, its hourly store, the system's
// zone. The hourly store is read only for free hours.
TQuotaFigures CurrentBilledQuotaFigures(const TQuotaTerms& terms);
