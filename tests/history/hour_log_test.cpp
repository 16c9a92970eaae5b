// Tests of the hourly store on real files: appending, reading back, torn and damaged records,
// a kill at any byte of an append, the rewrite to one record per hour, reset, and a file that
// cannot be read for a while.
#include "history/hour_log.h"
#include "history_test_support.h"
#include "platform/file_io.h"

#include <thread>
#include <vector>

namespace {

using namespace historytest;
using HourLog = HistoryFolderTest;

const int64_t kNoon = UtcSeconds(2025, 3, 15, 12);

// What a fresh reader of the file sees.
std::vector<THourRecord> Reloaded(const std::string& path) {
    return THourLog(path).All();
}

bool Same(const std::vector<THourRecord>& a, const std::vector<THourRecord>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].Hour != b[i].Hour || a[i].In != b[i].In || a[i].Out != b[i].Out)
            return false;
    }
    return true;
}

TEST_F(HourLog, AdditionsAreKeptPerUtcHourAndAppendedMinuteByMinute) {
    THourLog log(path_);
    log.Add(1000, 0, kNoon + 10);
    log.Add(0, 500, kNoon + 3599);
    log.Add(7, 8, kNoon - 1); // the hour before
    log.Flush();
    EXPECT_EQ(2 * kHourRecordSize, fs::file_size(path_));
    log.Add(0, 0, kNoon + 3600); // logging ran: the hour has a record without traffic
    log.Add(1, 1, kNoon + 60);
    log.Flush();
    EXPECT_EQ(4 * kHourRecordSize, fs::file_size(path_));
    const uint32_t noon = static_cast<uint32_t>(kNoon / 3600);
    const std::vector<THourRecord> expected = {
        {noon - 1, 7, 8}, {noon, 1001, 501}, {noon + 1, 0, 0}};
    EXPECT_TRUE(Same(expected, log.All()));
    EXPECT_TRUE(Same(expected, Reloaded(path_)));
    EXPECT_TRUE(Same({expected[1]}, log.Range(noon, noon)));
    uint32_t first = 0, last = 0;
    ASSERT_TRUE(log.HourBounds(first, last));
    EXPECT_EQ(noon - 1, first);
    EXPECT_EQ(noon + 1, last);
}

TEST_F(HourLog, TornTailAndDamagedRecordsAreSkippedAndTheTailIsCutBeforeTheNextAppend) {
    const std::string good = EncodeHourRecords({{10, 1, 2}, {11, 3, 4}, {12, 5, 6}});
    std::string damaged = good;
    damaged[kHourRecordSize + 6] ^= 0x40; // the second record's bytes in
    WriteBytes(path_, damaged + good.substr(0, 10));
    THourLog log(path_);
    EXPECT_TRUE(Same({{10, 1, 2}, {12, 5, 6}}, log.All()));
    log.Add(100, 0, 13 * 3600);
    log.Flush();
    EXPECT_EQ(4 * kHourRecordSize, fs::file_size(path_));
    EXPECT_TRUE(Same({{10, 1, 2}, {12, 5, 6}, {13, 100, 0}}, Reloaded(path_)));
}

TEST_F(HourLog, AKillAtAnyByteOfAnAppendLosesAtMostThatMinute) {
    THourLog log(path_);
    log.Add(1000, 2000, kNoon);
    log.Flush();
    const std::string before = ReadBytes(path_);
    const std::vector<THourRecord> minuteBefore = log.All();
    log.Add(30, 40, kNoon + 60);
    log.Add(50, 60, kNoon + 3600);
    log.Flush();
    const std::string after = ReadBytes(path_);
    const std::vector<THourRecord> minuteAfter = log.All();
    ASSERT_EQ(before, after.substr(0, before.size()));
    // A rewrite killed before its rename leaves a temporary file, which nobody reads.
    WriteBytes(path_ + ".tmp", std::string(7, 'x'));
    // The minute's first record whole, the second not yet.
    const std::vector<THourRecord> oneOfTwo = {{minuteAfter[0].Hour, 1030, 2040}};
    for (size_t cut = before.size(); cut <= after.size(); ++cut) {
        WriteBytes(path_, after.substr(0, cut));
        const std::vector<THourRecord>& expected = cut == after.size() ? minuteAfter
                                                   : cut >= before.size() + kHourRecordSize
                                                       ? oneOfTwo
                                                       : minuteBefore;
        EXPECT_TRUE(Same(expected, Reloaded(path_))) << "cut at " << cut;
    }
}

TEST_F(HourLog, TheFileIsRewrittenWithOneRecordPerHourOnceAppendsPileUp) {
    THourLog log(path_);
    for (int round = 0; round < 2; ++round) {
        for (int h = 0; h < 800; ++h)
            log.Add(1, 2, kNoon + h * 3600);
        log.Flush();
    }
    // 800 + 800 appended records would pass the 2 * hours + 1440 allowed beyond an empty file.
    EXPECT_EQ(800 * kHourRecordSize, fs::file_size(path_));
    EXPECT_FALSE(fs::exists(path_ + ".tmp"));
    const std::vector<THourRecord> all = Reloaded(path_);
    ASSERT_EQ(800u, all.size());
    EXPECT_EQ(2u, all.front().In);
    EXPECT_EQ(4u, all.back().Out);
}

TEST_F(HourLog, ResetEmptiesTheStoreAndItsFile) {
    THourLog log(path_);
    log.Add(5, 5, kNoon);
    log.Flush();
    log.Add(6, 6, kNoon + 3600); // not yet flushed: gone as well
    log.Reset();
    EXPECT_TRUE(log.All().empty());
    EXPECT_EQ(0u, fs::file_size(path_));
    log.Add(1, 2, kNoon);
    log.Flush();
    EXPECT_TRUE(Same({{static_cast<uint32_t>(kNoon / 3600), 1, 2}}, Reloaded(path_)));
}

TEST_F(HourLog, AFileThatCannotBeReadYetIsReadAtTheNextFlushWithTheAdditionsKept) {
    fs::create_directory(path_); // reading it fails
    THourLog log(path_);
    log.Add(10, 20, kNoon);
    EXPECT_THROW(log.Flush(), TFileError);
    fs::remove(path_);
    WriteBytes(path_, EncodeHourRecords({{static_cast<uint32_t>(kNoon / 3600), 1, 2}}));
    log.Flush();
    EXPECT_TRUE(Same({{static_cast<uint32_t>(kNoon / 3600), 11, 22}}, Reloaded(path_)));
}

TEST_F(HourLog, AdditionsFromAnotherThreadMeetFlushesWithoutLoss) {
    THourLog log(path_);
    std::thread adder([&log] {
        for (int i = 0; i < 20000; ++i)
            log.Add(1, 0, kNoon + (i % 3) * 3600);
    });
    for (int i = 0; i < 10; ++i)
        log.Flush();
    adder.join();
    log.Flush();
    uint64_t total = 0;
    for (const THourRecord& r : Reloaded(path_))
        total += r.In;
    EXPECT_EQ(20000u, total);
}

} // namespace
