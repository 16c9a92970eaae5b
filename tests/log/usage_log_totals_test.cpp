// GetLogTotals against single GetLogTotal calls and a plain recount, on a ten-year table.
#include "log_test_support.h"

#include <cmath>
#include <vector>

namespace {

using namespace logtest;

using UsageLogTotals = LogFileTest;

// The period test of each sum, written out directly from the calendar functions.
bool InPeriod(const TLogRecord& r, int period, double now) {
    int y = 0, m = 0, d = 0, nowY = 0, nowM = 0, nowD = 0;
    if (!DecodeDate(now, nowY, nowM, nowD) || !DecodeDate(r.Date, y, m, d))
        return false;
    switch (period) {
    case lpToday:
        return r.Date == std::floor(now);
    case lpThisWeek: // the same ISO week: the same Monday
        return std::floor(r.Date) - IsoDayOfWeek(r.Date) == std::floor(now) - IsoDayOfWeek(now);
    case lpThisMonth:
        return m == nowM && y == nowY;
    default:
        return y == nowY;
    }
}

uint64_t Recount(const std::vector<TLogRecord>& table, int period, int direction, double now) {
    uint64_t sum = 0;
    for (const TLogRecord& r : table) {
        if (InPeriod(r, period, now))
            sum += direction == ldIn    ? r.InBytes
                   : direction == ldOut ? r.OutBytes
                                        : r.InBytes + r.OutBytes;
    }
    return sum;
}

// 3650 days from 2016 on, a few of them twice, some with a time of day or no date at all,
// with counts up to 2^40 so that sums pass 32 bits.
std::vector<TLogRecord> TenYearTable() {
    std::mt19937_64 random(20250315);
    std::vector<TLogRecord> table;
    const double first = EncodeDate(2016, 1, 1);
    for (int i = 0; i < 3650; ++i) {
        double date = first + i;
        switch (random() % 50) {
        case 0:
            date = first + static_cast<double>(random() % 3650);
            break;
        case 1:
            date += 0.5;
            break;
        case 2:
            date = std::nan("");
            break;
        default:
            break;
        }
        table.push_back({date, random() >> 24, random() >> 24});
    }
    return table;
}

TEST_F(UsageLogTotals, OnePassGivesTheTwelveSingleSums) {
    const std::vector<TLogRecord> table = TenYearTable();
    std::string bytes;
    for (const TLogRecord& r : table)
        bytes += RecordBytes(r.Date, r.InBytes, r.OutBytes);
    LoadFrom(bytes);
    ASSERT_EQ(3650u, LogRecordCount());

    const double nows[] = {EncodeDate(2021, 1, 1) + 0.5,  EncodeDate(2024, 12, 31) + 0.99,
                           EncodeDate(2024, 2, 29),       EncodeDate(2025, 12, 29) + 0.3,
                           EncodeDate(2027, 1, 3) + 0.1,  EncodeDate(2016, 1, 1),
                           EncodeDate(2019, 7, 14) + 0.7, EncodeDate(2040, 6, 1)};
    for (double now : nows) {
        SetNow(now);
        const TLogTotals totals = GetLogTotals();
        for (int p = lpToday; p <= lpThisYear; ++p) {
            for (int d = ldIn; d <= ldInOut; ++d) {
                const uint64_t single = GetLogTotal(TLogPeriod(p), TLogDirection(d));
                EXPECT_EQ(single, totals.Get(TLogPeriod(p), TLogDirection(d)))
                    << "now " << now << " period " << p << " direction " << d;
                EXPECT_EQ(Recount(table, p, d, now), single)
                    << "now " << now << " period " << p << " direction " << d;
            }
        }
        // The table is large enough that every period but the far future's has traffic.
        if (now < EncodeDate(2026, 1, 1)) {
            EXPECT_GT(totals.Get(lpThisYear, ldInOut), UINT32_MAX) << now;
        }
    }
}

} // namespace
