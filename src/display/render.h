// Expansion of the display template into the shown text, and the quota bar's figures.
#pragma once
#include <cstdint>
#include <string>

#include "log/usage_log.h"
#include "quota/billing_period.h"

// The adapter monitor's figures as one rendering sees them.
struct TMonitorCounters {
    uint32_t DeltaIn = 0;
    uint32_t DeltaOut = 0;
    uint32_t TotalIn = 0;
    uint32_t TotalOut = 0;
};

// What a new installation shows: both rates, today's and this month's traffic.
inline constexpr char kDefaultTemplate[] =
    "In: %kBinpersec% kB/s%nl%Out: %kBoutpersec% kB/s%nl%%nl%"
    "Today: %MBinouttoday% MB%nl%This month: %MBinoutthismonth% MB";

// "%nl%" becomes CR LF, then each numeric tag in turn is replaced wherever it stands in the
// text left by the tags before it (case-sensitive, left to right, no rescan of inserted text).
// Anything else, ampersands included, is left as written.
std::string RenderStatistics(const std::string& templateText, int decimals,
                             const TMonitorCounters& counters, const TLogTotals& totals,
                             char decimalSeparator, const TQuotaFigures& quota = TQuotaFigures());

// The quota bar's hint: "<month in MB>MB of <quota>MB used".
std::string QuotaHint(uint64_t monthBytes, int32_t quota, int decimals, char decimalSeparator);

// The quota bar's position: whole megabytes, rounded down; saturates at INT32_MAX, which is
// above any quota the bar can take, so the bar shows full either way.
int32_t QuotaPosition(uint64_t monthBytes);
