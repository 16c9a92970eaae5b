// The numeric tags in their replacement order, as the fuzz target and the former renderer
// read them: where each figure comes from and what it is divided by.
#pragma once
#include <cstdint>

#include "display/render.h"

enum TSrc { kDeltaIn, kDeltaOut, kTotalIn, kTotalOut, kTotalInOut, kLog };
struct TRule {
    const char* Tag;
    TSrc Source;
    int Shift; // value = bytes / 2^Shift, or megabits when Shift is 0
    int Period, Direction;
};

// The numeric tags in their replacement order.
inline const TRule kRules[] = {
    {"%kBinpersec%", kDeltaIn, 10, 0, 0},   {"%kBoutpersec%", kDeltaOut, 10, 0, 0},
    {"%MBinout%", kTotalInOut, 20, 0, 0},   {"%MBout%", kTotalOut, 20, 0, 0},
    {"%MBin%", kTotalIn, 20, 0, 0},         {"%GBinout%", kTotalInOut, 30, 0, 0},
    {"%GBout%", kTotalOut, 30, 0, 0},       {"%GBin%", kTotalIn, 30, 0, 0},
    {"%MBoutpersec%", kDeltaOut, 20, 0, 0}, {"%MBinpersec%", kDeltaIn, 20, 0, 0},
    {"%Mbinpersec%", kDeltaIn, 0, 0, 0},    {"%Mboutpersec%", kDeltaOut, 0, 0, 0},
    {"%Kbinpersec%", kDeltaIn, 7, 0, 0},    {"%Kboutpersec%", kDeltaOut, 7, 0, 0},
    {"%MBinoutthisyear%", kLog, 20, 3, 2},  {"%MBinthisyear%", kLog, 20, 3, 0},
    {"%MBoutthisyear%", kLog, 20, 3, 1},    {"%GBinoutthisyear%", kLog, 30, 3, 2},
    {"%GBinthisyear%", kLog, 30, 3, 0},     {"%GBoutthisyear%", kLog, 30, 3, 1},
    {"%TBinoutthisyear%", kLog, 40, 3, 2},  {"%TBinthisyear%", kLog, 40, 3, 0},
    {"%TBoutthisyear%", kLog, 40, 3, 1},    {"%MBinoutthismonth%", kLog, 20, 2, 2},
    {"%MBinthismonth%", kLog, 20, 2, 0},    {"%MBoutthismonth%", kLog, 20, 2, 1},
    {"%GBinoutthismonth%", kLog, 30, 2, 2}, {"%GBinthismonth%", kLog, 30, 2, 0},
    {"%GBoutthismonth%", kLog, 30, 2, 1},   {"%TBinoutthismonth%", kLog, 40, 2, 2},
    {"%TBinthismonth%", kLog, 40, 2, 0},    {"%TBoutthismonth%", kLog, 40, 2, 1},
    {"%MBinoutthisweek%", kLog, 20, 1, 2},  {"%MBinthisweek%", kLog, 20, 1, 0},
    {"%MBoutthisweek%", kLog, 20, 1, 1},    {"%GBinoutthisweek%", kLog, 30, 1, 2},
    {"%GBinthisweek%", kLog, 30, 1, 0},     {"%GBoutthisweek%", kLog, 30, 1, 1},
    {"%TBinoutthisweek%", kLog, 40, 1, 2},  {"%TBinthisweek%", kLog, 40, 1, 0},
    {"%TBoutthisweek%", kLog, 40, 1, 1},    {"%MBinouttoday%", kLog, 20, 0, 2},
    {"%MBintoday%", kLog, 20, 0, 0},        {"%MBouttoday%", kLog, 20, 0, 1},
    {"%GBinouttoday%", kLog, 30, 0, 2},     {"%GBintoday%", kLog, 30, 0, 0},
    {"%GBouttoday%", kLog, 30, 0, 1},
};
static_assert(sizeof(kRules) / sizeof(kRules[0]) == 47, "47 numeric tags");

inline uint64_t SourceBytes(const TRule& rule, const TMonitorCounters& c, const TLogTotals& t) {
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
        return t.Sum[rule.Period][rule.Direction];
    }
    return 0;
}
