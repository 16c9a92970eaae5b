// The numeric tags in their replacement order, as the fuzz target and the former renderer
// read them: where each figure comes from and what it is divided by.
#pragma once
#include <cstdint>

#include "display/render.h"

enum TSrc {
    kDeltaIn,
    kDeltaOut,
    kTotalIn,
    kTotalOut,
    kTotalInOut,
    kLog,
    kPeriodIn,
    kPeriodOut,
    kPeriodInOut,
    kPeriodLeft,
    kDaysLeft,
    kQuotaPercent, // the quota's ratios, not byte counts
    kMBPerDayLeft,
};
struct TRule {
    const char* Tag;
    TSrc Source;
    int Shift; // value = bytes / 2^Shift, megabits when Shift is 0, a whole number when -1
    int Period, Direction;
};

// The numeric tags in their replacement order.
inline const TRule kRules[] = {
    {"%kBinpersec%", kDeltaIn, 10, 0, 0},
    {"%kBoutpersec%", kDeltaOut, 10, 0, 0},
    {"%MBinout%", kTotalInOut, 20, 0, 0},
    {"%MBout%", kTotalOut, 20, 0, 0},
    {"%MBin%", kTotalIn, 20, 0, 0},
    {"%GBinout%", kTotalInOut, 30, 0, 0},
    {"%GBout%", kTotalOut, 30, 0, 0},
    {"%GBin%", kTotalIn, 30, 0, 0},
    {"%MBoutpersec%", kDeltaOut, 20, 0, 0},
    {"%MBinpersec%", kDeltaIn, 20, 0, 0},
    {"%Mbinpersec%", kDeltaIn, 0, 0, 0},
    {"%Mboutpersec%", kDeltaOut, 0, 0, 0},
    {"%Kbinpersec%", kDeltaIn, 7, 0, 0},
    {"%Kboutpersec%", kDeltaOut, 7, 0, 0},
    {"%MBinoutthisyear%", kLog, 20, 3, 2},
    {"%MBinthisyear%", kLog, 20, 3, 0},
    {"%MBoutthisyear%", kLog, 20, 3, 1},
    {"%GBinoutthisyear%", kLog, 30, 3, 2},
    {"%GBinthisyear%", kLog, 30, 3, 0},
    {"%GBoutthisyear%", kLog, 30, 3, 1},
    {"%TBinoutthisyear%", kLog, 40, 3, 2},
    {"%TBinthisyear%", kLog, 40, 3, 0},
    {"%TBoutthisyear%", kLog, 40, 3, 1},
    {"%MBinoutthismonth%", kLog, 20, 2, 2},
    {"%MBinthismonth%", kLog, 20, 2, 0},
    {"%MBoutthismonth%", kLog, 20, 2, 1},
    {"%GBinoutthismonth%", kLog, 30, 2, 2},
    {"%GBinthismonth%", kLog, 30, 2, 0},
    {"%GBoutthismonth%", kLog, 30, 2, 1},
    {"%TBinoutthismonth%", kLog, 40, 2, 2},
    {"%TBinthismonth%", kLog, 40, 2, 0},
    {"%TBoutthismonth%", kLog, 40, 2, 1},
    {"%MBinoutthisweek%", kLog, 20, 1, 2},
    {"%MBinthisweek%", kLog, 20, 1, 0},
    {"%MBoutthisweek%", kLog, 20, 1, 1},
    {"%GBinoutthisweek%", kLog, 30, 1, 2},
    {"%GBinthisweek%", kLog, 30, 1, 0},
    {"%GBoutthisweek%", kLog, 30, 1, 1},
    {"%TBinoutthisweek%", kLog, 40, 1, 2},
    {"%TBinthisweek%", kLog, 40, 1, 0},
    {"%TBoutthisweek%", kLog, 40, 1, 1},
    {"%MBinouttoday%", kLog, 20, 0, 2},
    {"%MBintoday%", kLog, 20, 0, 0},
    {"%MBouttoday%", kLog, 20, 0, 1},
    {"%GBinouttoday%", kLog, 30, 0, 2},
    {"%GBintoday%", kLog, 30, 0, 0},
    {"%GBouttoday%", kLog, 30, 0, 1},
    {"%MBinoutthisperiod%", kPeriodInOut, 20, 0, 0},
    {"%MBinthisperiod%", kPeriodIn, 20, 0, 0},
    {"%MBoutthisperiod%", kPeriodOut, 20, 0, 0},
    {"%GBinoutthisperiod%", kPeriodInOut, 30, 0, 0},
    {"%GBinthisperiod%", kPeriodIn, 30, 0, 0},
    {"%GBoutthisperiod%", kPeriodOut, 30, 0, 0},
    {"%MBleftthisperiod%", kPeriodLeft, 20, 0, 0},
    {"%GBleftthisperiod%", kPeriodLeft, 30, 0, 0},
    {"%quotapercent%", kQuotaPercent, 0, 0, 0},
    {"%daysleftthisperiod%", kDaysLeft, -1, 0, 0},
    {"%MBperdayleft%", kMBPerDayLeft, 0, 0, 0},
};
static_assert(sizeof(kRules) / sizeof(kRules[0]) == 58, "58 numeric tags");

// Everything a rendering reads.
struct TFigures {
    TMonitorCounters Counters;
    TLogTotals Totals;
    TQuotaFigures Quota;
};

inline bool IsRatio(const TRule& rule) {
    return rule.Source == kQuotaPercent || rule.Source == kMBPerDayLeft;
}

inline long double Ratio(const TRule& rule, const TQuotaFigures& q) {
    return rule.Source == kQuotaPercent ? q.Percent() : q.MBPerDayLeft();
}

// The byte count (or days) of a rule that is no ratio.
inline uint64_t SourceBytes(const TRule& rule, const TFigures& f) {
    const TMonitorCounters& c = f.Counters;
    const TQuotaFigures& q = f.Quota;
    switch (rule.Source) {
    case kDeltaIn:
        return c.DeltaIn;
    case kDeltaOut:
        return c.DeltaOut;
    case kTotalIn:
        return c.TotalIn;
    case kTotalOut:
        return c.TotalOut;
    case kTotalInOut:
        return static_cast<uint32_t>(c.TotalIn + c.TotalOut);
    case kLog:
        return f.Totals.Sum[rule.Period][rule.Direction];
    case kPeriodIn:
        return q.Used.In;
    case kPeriodOut:
        return q.Used.Out;
    case kPeriodInOut:
        return q.Used.In + q.Used.Out;
    case kPeriodLeft:
        return q.LeftBytes;
    case kDaysLeft:
        return q.DaysLeft > 0 ? static_cast<uint64_t>(q.DaysLeft) : 0;
    case kQuotaPercent:
    case kMBPerDayLeft:
        break;
    }
    return 0;
}
