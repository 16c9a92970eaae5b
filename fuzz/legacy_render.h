// The renderer as it was before templates were split into pieces, kept as the fuzz reference.
#pragma once
#include <string>

#include "display/render.h"

std::string LegacyRenderStatistics(const std::string& templateText, int decimals,
                                   const TMonitorCounters& counters, const TLogTotals& totals,
                                   char decimalSeparator);
