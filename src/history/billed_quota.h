// The quota's figures as the provider bills them: the daily log's amounts less what the hourly
// store holds of the free hours, with the provider's figure where one was given for the period.
#pragma once
#include "history/hour_log.h"
#include "history/local_time.h"
#include "quota/billing_period.h"

#include <functional>
#include <vector>

// The daily log's amounts from one day to another, both included.
using TDayAmounts = std::function<TLogAmounts(double firstDay, double lastDay)>;

// `now` is the local day number with its fraction. Each of `hours` counts in the local day and
// hour where it begins; days the hourly store has no hours of count in full.
TQuotaFigures BilledQuotaFigures(const TQuotaTerms& terms, double now, const TDayAmounts& days,
                                 const std::vector<THourRecord>& hours, TUtcOffsetFunc zone);

// The amounts of a table of day records (read from the file by another process); the table
// must outlive what this returns.
TDayAmounts DayAmountsOf(const std::vector<TLogRecord>& records);

// The running program's: the process's usage log on its clock, its hourly store, the system's
// zone. The hourly store is read only for free hours.
TQuotaFigures CurrentBilledQuotaFigures(const TQuotaTerms& terms);
