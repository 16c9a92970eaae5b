// Tests of the usage log's file, its additions and its period sums, on real files.
#include "log_test_support.h"

#include <cmath>
#include <limits>

namespace {

using namespace logtest;

using UsageLogFile = LogFileTest;
using UsageLogAdd = LogFileTest;
using UsageLogSums = LogFileTest;

const double kMarch15 = EncodeDate(2025, 3, 15);

TEST_F(UsageLogFile, MissingFileIsCreatedEmpty) {
    ASSERT_FALSE(fs::exists(path_));
    LoadLog();
    ASSERT_TRUE(fs::exists(path_));
    EXPECT_EQ(0u, fs::file_size(path_));
    EXPECT_EQ(0u, LogRecordCount());
    const TLogTotals totals = GetLogTotals();
    for (int p = lpToday; p <= lpThisYear; ++p) {
        for (int d = ldIn; d <= ldInOut; ++d) {
            EXPECT_EQ(0u, totals.Sum[p][d]);
            EXPECT_EQ(0u, GetLogTotal(TLogPeriod(p), TLogDirection(d)));
        }
    }
}

TEST_F(UsageLogFile, RecordLayoutIsLittleEndian) {
    // 1 January 2000 (36526.0), in 0x0102030405060708, out 0x1112131415161718.
    const std::string bytes("\x00\x00\x00\x00\xc0\xd5\xe1\x40"
                            "\x08\x07\x06\x05\x04\x03\x02\x01"
                            "\x18\x17\x16\x15\x14\x13\x12\x11",
                            24);
    LoadFrom(bytes);
    SetNow(36526.25);
    EXPECT_EQ(0x0102030405060708u, GetLogTotal(lpToday, ldIn));
    EXPECT_EQ(0x1112131415161718u, GetLogTotal(lpToday, ldOut));
    EXPECT_EQ(bytes, SavedBytes());
}

TEST_F(UsageLogFile, TrailingPartialRecordIsIgnoredAndDropped) {
    const std::string records = RecordBytes(kMarch15, 1, 2) + RecordBytes(kMarch15 + 1, 3, 4);
    LoadFrom(records + std::string(2, 'x')); // 50 bytes
    EXPECT_EQ(2u, LogRecordCount());
    const std::string saved = SavedBytes();
    EXPECT_EQ(48u, saved.size());
    EXPECT_EQ(records, saved);
}

TEST_F(UsageLogFile, LoadReplacesTheTable) {
    AddToLog(1, 1, kMarch15 - 10);
    AddToLog(1, 1, kMarch15 - 11);
    LoadFrom(RecordBytes(kMarch15, 7, 8));
    EXPECT_EQ(1u, LogRecordCount());
    EXPECT_EQ(15u, GetLogTotal(lpToday, ldInOut));
}

TEST_F(UsageLogFile, ResetLeavesAnEmptyTableAndAnEmptyFile) {
    LoadFrom(RecordBytes(kMarch15, 1, 2) + RecordBytes(kMarch15 - 1, 3, 4) +
             RecordBytes(kMarch15 - 2, 5, 6));
    AddToLog(10, 10, kMarch15 + 1);
    ResetLog();
    EXPECT_EQ(0u, LogRecordCount());
    ASSERT_TRUE(fs::exists(path_));
    EXPECT_EQ(0u, fs::file_size(path_));
    EXPECT_EQ(0u, GetLogTotal(lpThisYear, ldInOut));
    LoadLog();
    EXPECT_EQ(0u, LogRecordCount());
}

// The file is overwritten behind the log's back to see whether a save wrote it.
TEST_F(UsageLogFile, AutosaveWritesOnlyWhatChanged) {
    const std::string records = RecordBytes(kMarch15, 1, 2);
    LoadFrom(records + "xx");
    SaveLogIfChanged(); // a loaded table is not written yet
    EXPECT_EQ(records, ReadBytes(path_));
    WriteBytes(path_, "other");
    SaveLogIfChanged();
    AddToLog(0, 0, kMarch15); // nothing to add
    SaveLogIfChanged();
    EXPECT_EQ("other", ReadBytes(path_));
    AddToLog(0, 1, kMarch15);
    SaveLogIfChanged();
    EXPECT_EQ(RecordBytes(kMarch15, 1, 3), ReadBytes(path_));

    // A failed write leaves the change to the next autosave; a new day's record is a change.
    AddToLog(0, 0, kMarch15 + 1);
    fs::remove(path_);
    fs::create_directory(path_);
    EXPECT_THROW(SaveLogIfChanged(), EInOutError);
    fs::remove(path_);
    SaveLogIfChanged();
    EXPECT_EQ(RecordBytes(kMarch15, 1, 3) + RecordBytes(kMarch15 + 1, 0, 0), ReadBytes(path_));
    // Close and the end of a session write whatever the state.
    WriteBytes(path_, "other");
    SaveLog();
    EXPECT_EQ(RecordBytes(kMarch15, 1, 3) + RecordBytes(kMarch15 + 1, 0, 0), ReadBytes(path_));
}

TEST_F(UsageLogFile, OddDatesSurviveLoadAndSaveBitForBit) {
    const double inf = std::numeric_limits<double>::infinity();
    std::string bytes;
    for (double date : {std::nan(""), inf, -inf, -1e300, 1e300, -5.5, kMarch15 + 0.25})
        bytes += RecordBytes(date, 1, 1);
    LoadFrom(bytes);
    EXPECT_EQ(7u, LogRecordCount());
    EXPECT_EQ(bytes, SavedBytes());
}

TEST_F(UsageLogAdd, TwoAdditionsOnOneDayMakeOneRecord) {
    AddToLog(1000, 0, kMarch15);
    AddToLog(0, 500, kMarch15);
    EXPECT_EQ(1u, LogRecordCount());
    EXPECT_EQ(RecordBytes(kMarch15, 1000, 500), SavedBytes());
}

TEST_F(UsageLogAdd, ZeroBytesStillCreateTheDaysRecord) {
    AddToLog(0, 0, kMarch15);
    EXPECT_EQ(RecordBytes(kMarch15, 0, 0), SavedBytes());
}

TEST_F(UsageLogAdd, NewDaysAppendAndOldDaysAreFoundAgain) {
    AddToLog(1, 2, kMarch15);
    AddToLog(3, 4, kMarch15 + 1); // after midnight
    AddToLog(5, 6, kMarch15);     // clock set back to a day with a record
    AddToLog(7, 8, kMarch15 - 3); // ... and to one without
    EXPECT_EQ(RecordBytes(kMarch15, 6, 8) + RecordBytes(kMarch15 + 1, 3, 4) +
                  RecordBytes(kMarch15 - 3, 7, 8),
              SavedBytes());
}

TEST_F(UsageLogAdd, DuplicateDatesTakeAdditionsInTheFirstAndBothCount) {
    LoadFrom(RecordBytes(kMarch15, 10, 1) + RecordBytes(kMarch15, 20, 2));
    AddToLog(5, 5, kMarch15);
    EXPECT_EQ(RecordBytes(kMarch15, 15, 6) + RecordBytes(kMarch15, 20, 2), SavedBytes());
    EXPECT_EQ(35u, GetLogTotal(lpToday, ldIn));
    EXPECT_EQ(8u, GetLogTotal(lpToday, ldOut));
}

TEST_F(UsageLogAdd, NonWholeDateIsNeverTodayButCountsByItsDay) {
    LoadFrom(RecordBytes(kMarch15 + 0.25, 100, 0));
    SetNow(kMarch15 + 0.6);
    EXPECT_EQ(0u, GetLogTotal(lpToday, ldIn));
    EXPECT_EQ(100u, GetLogTotal(lpThisWeek, ldIn));
    EXPECT_EQ(100u, GetLogTotal(lpThisMonth, ldIn));
    EXPECT_EQ(100u, GetLogTotal(lpThisYear, ldIn));
    AddToLog(1, 0, kMarch15);
    EXPECT_EQ(2u, LogRecordCount());
    EXPECT_EQ(1u, GetLogTotal(lpToday, ldIn));
}

TEST_F(UsageLogAdd, DatesThatAreNoNumberAddNothing) {
    AddToLog(1, 1, std::nan(""));
    AddToLog(1, 1, std::numeric_limits<double>::infinity());
    EXPECT_EQ(0u, LogRecordCount());
    AddToLog(1, 1, -2.0); // a real date, in 1899
    EXPECT_EQ(1u, LogRecordCount());
}

TEST_F(UsageLogAdd, ByteCountsBeyond32BitsAreKept) {
    for (int i = 0; i < 3; ++i)
        AddToLog(UINT32_MAX, UINT32_MAX, kMarch15);
    AddToLog(5ull << 30, 0, kMarch15); // one addition beyond 32 bits arrives whole
    const uint64_t expected = 3ull * UINT32_MAX;
    EXPECT_EQ(expected + (5ull << 30), GetLogTotal(lpToday, ldIn));
    EXPECT_EQ(expected, GetLogTotal(lpToday, ldOut));
    EXPECT_EQ(2 * expected + (5ull << 30), GetLogTotal(lpToday, ldInOut));
    EXPECT_EQ(RecordBytes(kMarch15, expected + (5ull << 30), expected), SavedBytes());
}

// 15 March of three years, each in ISO week 11 of its year, and the days either side of
// 15 March 2025's week: only this year's month and this week-year's week count.
TEST_F(UsageLogSums, MonthAndWeekAreThoseOfTheCurrentYear) {
    LoadFrom(RecordBytes(EncodeDate(2023, 3, 15), 1, 0) +
             RecordBytes(EncodeDate(2024, 3, 15), 10, 0) + RecordBytes(kMarch15, 100, 0) +
             RecordBytes(EncodeDate(2025, 3, 10), 1000, 0) +
             RecordBytes(EncodeDate(2025, 3, 9), 10000, 0) +
             RecordBytes(EncodeDate(2025, 4, 15), 100000, 0));
    SetNow(kMarch15 + 0.5);
    const TLogTotals totals = GetLogTotals();
    EXPECT_EQ(1100u, GetLogTotal(lpThisWeek, ldIn));
    EXPECT_EQ(11100u, GetLogTotal(lpThisMonth, ldIn));
    EXPECT_EQ(111100u, GetLogTotal(lpThisYear, ldIn));
    for (TLogPeriod p : {lpThisWeek, lpThisMonth, lpThisYear})
        EXPECT_EQ(GetLogTotal(p, ldIn), totals.Get(p, ldIn)) << p;
}

// The week of 30 December 2024 to 5 January 2025 is week 1 of 2025 on both sides of New
// Year; week 1 of 2020 and of 2026 also hold a 31 December or a 1 January.
TEST_F(UsageLogSums, WeekAcrossNewYearIsOneWeekOfItsWeekYear) {
    LoadFrom(RecordBytes(EncodeDate(2024, 12, 31), 1, 0) +
             RecordBytes(EncodeDate(2025, 1, 3), 10, 0) +
             RecordBytes(EncodeDate(2026, 1, 1), 100, 0) +
             RecordBytes(EncodeDate(2019, 12, 31), 1000, 0));
    struct Case {
        double now;
        uint64_t week, month, year;
    };
    const Case cases[] = {
        {EncodeDate(2024, 12, 30) + 0.1, 11, 1, 1}, {EncodeDate(2025, 1, 5) + 0.9, 11, 10, 10},
        {EncodeDate(2025, 1, 6), 0, 10, 10},        {EncodeDate(2025, 12, 29), 100, 0, 10},
        {EncodeDate(2020, 1, 1), 1000, 0, 0},       {EncodeDate(2024, 12, 23), 0, 1, 1},
    };
    for (const Case& c : cases) {
        SetNow(c.now);
        const TLogTotals totals = GetLogTotals();
        EXPECT_EQ(c.week, GetLogTotal(lpThisWeek, ldInOut)) << c.now;
        EXPECT_EQ(c.week, totals.Get(lpThisWeek, ldInOut)) << c.now;
        EXPECT_EQ(c.month, totals.Get(lpThisMonth, ldInOut)) << c.now;
        EXPECT_EQ(c.year, totals.Get(lpThisYear, ldInOut)) << c.now;
    }
}

TEST_F(UsageLogSums, PeriodAndDirectionOutOfRangeGiveZero) {
    AddToLog(5, 7, kMarch15);
    ASSERT_EQ(12u, GetLogTotal(lpToday, ldInOut));
    EXPECT_EQ(0u, GetLogTotal(static_cast<TLogPeriod>(4), ldIn));
    EXPECT_EQ(0u, GetLogTotal(static_cast<TLogPeriod>(255), ldInOut));
    EXPECT_EQ(0u, GetLogTotal(lpToday, static_cast<TLogDirection>(3)));
    EXPECT_EQ(0u, GetLogTotal(lpThisYear, static_cast<TLogDirection>(200)));
}

TEST_F(UsageLogSums, RecordsThatAreNoDateCountNowhere) {
    const double inf = std::numeric_limits<double>::infinity();
    std::string bytes = RecordBytes(kMarch15, 1, 1);
    for (double date : {std::nan(""), inf, -inf, -1e300, 1e300, 1e15, -1e15})
        bytes += RecordBytes(date, 1000, 1000);
    LoadFrom(bytes);
    const TLogTotals totals = GetLogTotals();
    for (int p = lpToday; p <= lpThisYear; ++p) {
        EXPECT_EQ(2u, GetLogTotal(TLogPeriod(p), ldInOut));
        EXPECT_EQ(2u, totals.Sum[p][ldInOut]);
    }
}

TEST_F(UsageLogSums, ClockWithoutADateSumsNothing) {
    AddToLog(5, 7, kMarch15);
    for (double now : {std::nan(""), std::numeric_limits<double>::infinity(), 1e300}) {
        SetNow(now);
        const TLogTotals totals = GetLogTotals();
        for (int p = lpToday; p <= lpThisYear; ++p) {
            EXPECT_EQ(0u, GetLogTotal(TLogPeriod(p), ldInOut)) << now;
            EXPECT_EQ(0u, totals.Sum[p][ldInOut]) << now;
        }
    }
}

} // namespace
