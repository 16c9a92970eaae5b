// The sums are kept beside the table: these tests take the table through loads, additions,
// resets and a failed load, and check that the sums all at once still agree with the single
// sums, and that every day finds its own record as "today".
#include "log_test_support.h"

#include <cmath>
#include <vector>

namespace {

using namespace logtest;

using UsageLogKeys = LogFileTest;

// Each record's amount is a power of two of its own, so a sum names the records in it.
struct Day {
    double date;
    uint64_t in;
};

std::string FileOf(const std::vector<Day>& days) {
    std::string bytes;
    for (const Day& day : days)
        bytes += RecordBytes(day.date, day.in, 2 * day.in);
    return bytes;
}

// Compares the one-pass sums with the single sums at noon of every given day, and checks
// that every whole day finds its own record as "today".
void ExpectSumsAgree(const std::vector<Day>& days, const char* step) {
    SCOPED_TRACE(step);
    for (const Day& day : days) {
        if (!std::isfinite(day.date))
            continue;
        SetNow(std::floor(day.date) + 0.5);
        const TLogTotals totals = GetLogTotals();
        for (int p = lpToday; p <= lpThisYear; ++p) {
            for (int d = ldIn; d <= ldInOut; ++d) {
                EXPECT_EQ(GetLogTotal(TLogPeriod(p), TLogDirection(d)),
                          totals.Get(TLogPeriod(p), TLogDirection(d)))
                    << "day " << day.date << " period " << p << " direction " << d;
            }
        }
        EXPECT_NE(0u, totals.Get(lpThisYear, ldIn)) << "day " << day.date;
        if (day.date == std::floor(day.date)) {
            EXPECT_NE(0u, totals.Get(lpToday, ldIn) & day.in) << "day " << day.date;
        }
    }
}

// Days in different years, months and ISO weeks, with a time of day and a date that is none.
std::vector<Day> FirstFile() {
    return {{EncodeDate(2019, 2, 3), 1},          {EncodeDate(2021, 1, 1), 2},
            {EncodeDate(2024, 12, 31), 4},        {std::nan(""), 8},
            {EncodeDate(2025, 3, 15) + 0.25, 16}, {EncodeDate(2025, 7, 9), 32}};
}

TEST_F(UsageLogKeys, KeysFollowTheTableThroughLoadAddResetAndReload) {
    std::vector<Day> days = FirstFile();
    LoadFrom(FileOf(days));
    ExpectSumsAgree(days, "first load");

    // New days are appended; the last one is a day the file holds, which only grows.
    for (const Day& added : {Day{EncodeDate(2023, 6, 1), 64}, Day{EncodeDate(2018, 11, 30), 128},
                             Day{EncodeDate(2025, 7, 9), 256}}) {
        AddToLog(static_cast<uint32_t>(added.in), 0, added.date);
    }
    days.push_back({EncodeDate(2023, 6, 1), 64});
    days.push_back({EncodeDate(2018, 11, 30), 128});
    EXPECT_EQ(days.size(), LogRecordCount());
    ExpectSumsAgree(days, "after additions");

    // A shorter file in its place: the keys of the dropped records must go with them.
    const std::vector<Day> shorter = {{EncodeDate(2020, 8, 20), 512},
                                      {EncodeDate(2026, 1, 4), 1024}};
    LoadFrom(FileOf(shorter));
    EXPECT_EQ(2u, LogRecordCount());
    ExpectSumsAgree(shorter, "shorter file");

    ResetLog();
    EXPECT_EQ(0u, GetLogTotals().Get(lpThisYear, ldInOut));
    const std::vector<Day> afterReset = {{EncodeDate(2017, 5, 5), 2048},
                                         {EncodeDate(2022, 10, 10), 4096},
                                         {EncodeDate(2025, 12, 29), 8192}};
    for (const Day& day : afterReset)
        AddToLog(static_cast<uint32_t>(day.in), 0, day.date);
    ExpectSumsAgree(afterReset, "additions after a reset");

    // The whole file again, longer than the table in memory.
    days = FirstFile();
    LoadFrom(FileOf(days));
    EXPECT_EQ(days.size(), LogRecordCount());
    ExpectSumsAgree(days, "reload");
}

TEST_F(UsageLogKeys, FailedLoadKeepsTableAndKeysTogether) {
    std::vector<Day> days = FirstFile();
    LoadFrom(FileOf(days));
    fs::remove(path_);
    ASSERT_TRUE(fs::create_directory(path_));
    EXPECT_THROW(LoadLog(), EInOutError);
    EXPECT_EQ(days.size(), LogRecordCount());
    ExpectSumsAgree(days, "after a failed load");

    const Day added{EncodeDate(2016, 4, 30), 64};
    AddToLog(static_cast<uint32_t>(added.in), 0, added.date);
    days.push_back(added);
    ExpectSumsAgree(days, "addition after a failed load");
    fs::remove(path_);
}

} // namespace
