// The period and billing period sums against a plain recount: on a ten-year table, and as
// running totals through additions across midnight, New Year and ISO week-years, a reset and a
// reload.
#include "log_test_support.h"
#include "quota/billing_period.h"

#include <algorithm>
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
std::vector<TLogRecord> TenYearTable(uint64_t seed = 20250315) {
    std::mt19937_64 random(seed);
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

std::string FileOf(const std::vector<TLogRecord>& table) {
    std::string bytes;
    for (const TLogRecord& r : table)
        bytes += RecordBytes(r.Date, r.InBytes, r.OutBytes);
    return bytes;
}

// The records, and every sum, single and all at once, against the recount of the model at the
// clock's time.
::testing::AssertionResult SumsAgree(const std::vector<TLogRecord>& model, const char* step) {
    if (LogRecordCount() != model.size())
        return ::testing::AssertionFailure() << step << ": " << LogRecordCount() << " records";
    const double now = TestClock();
    const TLogTotals totals = GetLogTotals();
    for (int p = lpToday; p <= lpThisYear; ++p) {
        for (int d = ldIn; d <= ldInOut; ++d) {
            const uint64_t expected = Recount(model, p, d, now);
            const uint64_t all = totals.Get(TLogPeriod(p), TLogDirection(d));
            const uint64_t single = GetLogTotal(TLogPeriod(p), TLogDirection(d));
            if (all != expected || single != expected)
                return ::testing::AssertionFailure()
                       << step << ", now " << now << " period " << p << " direction " << d
                       << ": recount " << expected << ", sums " << all << " and " << single;
        }
    }
    // The quota's two ranges, the billing period and its days before today, with a start day
    // that changes from day to day.
    const double today = std::floor(now);
    const TBillingPeriod period = BillingPeriodOf(today, 1 + static_cast<int>(today) % 3 * 14);
    for (const double last : {period.Last, today - 1}) {
        TLogAmounts expected;
        for (const TLogRecord& r : model) {
            if (std::floor(r.Date) >= period.First && std::floor(r.Date) <= last) {
                expected.In += r.InBytes;
                expected.Out += r.OutBytes;
            }
        }
        const TLogAmounts sum = GetLogTotalBetween(period.First, last);
        if (sum.In != expected.In || sum.Out != expected.Out)
            return ::testing::AssertionFailure()
                   << step << ", now " << now << ", days " << period.First << " to " << last
                   << ": recount " << expected.In << "/" << expected.Out << ", sum " << sum.In
                   << "/" << sum.Out;
    }
    return ::testing::AssertionSuccess();
}

TEST_F(UsageLogTotals, OnePassGivesTheTwelveSingleSums) {
    const std::vector<TLogRecord> table = TenYearTable();
    LoadFrom(FileOf(table));
    const double nows[] = {EncodeDate(2021, 1, 1) + 0.5,  EncodeDate(2024, 12, 31) + 0.99,
                           EncodeDate(2024, 2, 29),       EncodeDate(2025, 12, 29) + 0.3,
                           EncodeDate(2027, 1, 3) + 0.1,  EncodeDate(2016, 1, 1),
                           EncodeDate(2019, 7, 14) + 0.7, EncodeDate(2040, 6, 1)};
    for (double now : nows) {
        SetNow(now);
        EXPECT_TRUE(SumsAgree(table, "ten years"));
        // The table is large enough that every period but the far future's has traffic.
        if (now < EncodeDate(2026, 1, 1)) {
            EXPECT_GT(GetLogTotal(lpThisYear, ldInOut), UINT32_MAX) << now;
        }
    }
}

// A table as a program running most days builds it: one record a day with gaps, in date order.
std::vector<TLogRecord> DailyTable(std::mt19937_64& random, double first, double last) {
    std::vector<TLogRecord> table;
    for (double day = first; day <= last; day += static_cast<double>(1 + random() % 4))
        table.push_back({day, random() >> 30, random() >> 30});
    return table;
}

// A few days of seconds around each New Year (ISO week-years that begin in December and one
// that ends in January) and a leap day: at each second the sums are checked, the sampling
// thread adds, the sums are checked again; before midnight's first tick it adds for the next
// day. From the second run on the clock is also set back now and then, and every day adds to
// the day 52 weeks before (the same week and month numbers of the year before).
TEST_F(UsageLogTotals, RunningTotalsAgreeWithARecountThroughTheYears) {
    std::mt19937_64 random(20260101);
    std::vector<TLogRecord> model =
        DailyTable(random, EncodeDate(2022, 6, 1), EncodeDate(2024, 12, 27));
    LoadFrom(FileOf(model));
    // The model's addition: to the first record of the date, or a new one at the end.
    const auto add = [&](uint64_t in, uint64_t out, double date) {
        AddToLog(in, out, date);
        const auto same = std::find_if(model.begin(), model.end(),
                                       [date](const TLogRecord& r) { return r.Date == date; });
        if (same == model.end())
            return model.push_back({date, in, out});
        same->InBytes += in;
        same->OutBytes += out;
    };
    const struct {
        double First;
        int Days;
    } runs[] = {{EncodeDate(2024, 12, 28), 6},
                {EncodeDate(2025, 12, 27), 7},
                {EncodeDate(2026, 12, 30), 6},
                {EncodeDate(2020, 2, 27), 4}};
    for (int run = 0; run < 4; ++run) {
        if (run == 2) {
            ResetLog();
            model.clear();
        }
        if (run == 3) { // another file: duplicate dates, times of day, records without a date
            model = TenYearTable(run);
            LoadFrom(FileOf(model));
        }
        for (double day = runs[run].First; day < runs[run].First + runs[run].Days; ++day) {
            for (double time : {0.0, 0.5, 0.99}) {
                SetNow(day + time);
                ASSERT_TRUE(SumsAgree(model, "clock moved"));
                add(random() >> 34, 0, day);
                add(0, random() >> 34, day);
                if (run > 0 && random() % 3 == 0)
                    add(random() >> 34, random() >> 34,
                        day + static_cast<double>(random() % 801) - 400);
                ASSERT_TRUE(SumsAgree(model, "additions"));
            }
            if (run > 0)
                add(3, 4, day - 364);
            add(1, 2, day + 1);
            ASSERT_TRUE(SumsAgree(model, "additions before midnight's tick"));
        }
    }
    SaveLog();
    LoadLog();
    ASSERT_TRUE(SumsAgree(model, "reload"));
}

} // namespace
