// Tests of the hourly store on real files: appending, reading back, torn and damaged records,
// a kill at any byte of an append, the rewrite to one record per hour, a file that another
// program replaced or cut, reset, a file that cannot be read for a while or is too large, and
// the flusher's thread beside the others.
#include "history/hour_log.h"
#include "history/hour_log_flusher.h"
#include "history_test_support.h"
#include "platform/file_io.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <limits>
#include <mutex>
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

// The text of the store's failure at the next flush, or "" when it succeeds.
std::string FlushFailure(THourLog& log) {
    try {
        log.Flush();
    } catch (const EHourLogError& e) {
        return e.what();
    }
    return "";
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
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
    EXPECT_TRUE(StartsWith(FlushFailure(log), "The hourly history hourlog.dat cannot be read: "));
    fs::remove(path_);
    WriteBytes(path_, EncodeHourRecords({{static_cast<uint32_t>(kNoon / 3600), 1, 2}}));
    log.Flush();
    EXPECT_TRUE(Same({{static_cast<uint32_t>(kNoon / 3600), 11, 22}}, Reloaded(path_)));
}

TEST_F(HourLog, AFileReplacedCutOrGoneWhileOpenIsWrittenAfreshWithEveryTotal) {
    THourLog log(path_);
    log.Add(1000, 2000, kNoon);
    log.Flush(); // held open from here on
    const uint32_t noon = static_cast<uint32_t>(kNoon / 3600);
    // Windows lets another program rename the open file, not move one over it.
    auto putInPlace = [this](const std::string& data) {
        fs::rename(path_, path_ + ".old");
        WriteBytes(path_, data);
    };
    // What other programs do meanwhile: a sync tool puts a copy in its place, a restore an
    // older copy of the same length; the file is cut short, deleted.
    const std::vector<std::function<void()>> meddlers = {
        [&] { putInPlace(ReadBytes(path_)); },
        [&] {
            putInPlace(EncodeHourRecords({{noon, 1, 1}, {noon + 1, 1, 1}}));
        },
        [&] { fs::resize_file(path_, kHourRecordSize + 6); },
        [&] { fs::remove(path_); },
    };
    for (uint32_t i = 0; i < meddlers.size(); ++i) {
        meddlers[i]();
        log.Add(1, 0, kNoon + 3600 * i);
        log.Flush();
        EXPECT_TRUE(Same(log.All(), Reloaded(path_))) << "after meddler " << i;
    }
    EXPECT_TRUE(Same({{noon, 1001, 2000}, {noon + 1, 1, 0}, {noon + 2, 1, 0}, {noon + 3, 1, 0}},
                     Reloaded(path_)));
}

TEST_F(HourLog, TotalsOfAnHourStopAtTheLargestValueInsteadOfWrapping) {
    const uint64_t half = uint64_t{1} << 63, most = std::numeric_limits<uint64_t>::max();
    WriteBytes(path_, EncodeHourRecords({{7, half, 1}, {7, half, 2}}));
    THourLog log(path_);
    EXPECT_TRUE(Same({{7, most, 3}}, log.All()));
    log.Add(half, half, 7 * 3600);
    log.Add(half, half, 7 * 3600 + 60);
    EXPECT_TRUE(Same({{7, most, most}}, log.All()));
    log.Flush();
    EXPECT_TRUE(Same({{7, most, most}}, Reloaded(path_)));
}

TEST_F(HourLog, AFileOverTheBoundIsLeftAsItIsAndTheStoreRunsOnWithoutIt) {
    const uintmax_t size = kMaxHourLogSize + kHourRecordSize;
    WriteBytes(path_, "");
    fs::resize_file(path_, size);
    const auto written = fs::last_write_time(path_);
    THourLog log(path_);
    log.Add(5, 6, kNoon);
    for (int flush = 0; flush < 2; ++flush) {
        const std::string failure = FlushFailure(log);
        EXPECT_TRUE(StartsWith(failure, "The hourly history hourlog.dat cannot be read: "));
        EXPECT_NE(std::string::npos, failure.find("too large")) << failure;
    }
    EXPECT_TRUE(Same({{static_cast<uint32_t>(kNoon / 3600), 5, 6}}, log.All()));
    EXPECT_EQ(size, fs::file_size(path_));
    EXPECT_EQ(written, fs::last_write_time(path_));
}

TEST_F(HourLog, ACompleteTemporaryFileLeftLongerThanTheFileByAnInterruptedRewriteIsRead) {
    const std::vector<THourRecord> hours = {{10, 1, 2}, {11, 3, 4}};
    const std::string complete = EncodeHourRecords(hours);
    // The move over the file, no single step on FAT and exFAT, cut short: the file gone, or
    // still the old one, shorter. The first flush writes the recovered records into it.
    WriteBytes(path_ + ".tmp", complete);
    EXPECT_TRUE(Same(hours, THourLog(path_).All()));
    WriteBytes(path_, complete.substr(0, kHourRecordSize));
    THourLog(path_).Flush();
    EXPECT_EQ(complete, ReadBytes(path_));
    EXPECT_FALSE(fs::exists(path_ + ".tmp"));
    // One cut short or damaged is no history.
    std::string damaged = complete;
    damaged[kHourRecordSize + 9] ^= 0x10;
    WriteBytes(path_, complete.substr(0, kHourRecordSize));
    for (const std::string& temp : {complete.substr(0, 40), damaged}) {
        WriteBytes(path_ + ".tmp", temp);
        EXPECT_TRUE(Same({hours[0]}, Reloaded(path_)));
    }
}

TEST_F(HourLog, TheFlusherFlushesOnItsOwnThreadAndKeepsTheLastOutcome) {
    fs::create_directory(path_);
    THourLog log(path_);
    std::mutex lock;
    std::condition_variable ended;
    int flushes = 0;
    THourLogFlusher flusher(log, [&] {
        std::lock_guard<std::mutex> hold(lock);
        ++flushes;
        ended.notify_all();
    });
    auto flush = [&] {
        std::unique_lock<std::mutex> hold(lock);
        const int before = flushes;
        flusher.Request();
        ended.wait(hold, [&] { return flushes > before; });
    };
    log.Add(1, 2, kNoon);
    flush();
    try {
        ASSERT_TRUE(flusher.Outcome());
        std::rethrow_exception(flusher.Outcome());
    } catch (const EHourLogError& e) {
        EXPECT_TRUE(StartsWith(e.what(), "The hourly history hourlog.dat cannot be read: "));
    }
    fs::remove(path_);
    flush();
    EXPECT_FALSE(flusher.Outcome());
    EXPECT_TRUE(Same({{static_cast<uint32_t>(kNoon / 3600), 1, 2}}, Reloaded(path_)));
}

// For ThreadSanitizer: the sampling thread adds and the window reads while the flusher's thread
// appends and rewrites, and the window's thread resets.
TEST_F(HourLog, AdditionsAndReadsMeetFlushesRewritesAndAResetWithoutLoss) {
    // 3 x 5000 records of 5000 hours are past the 2 x 5000 + 1440 allowed: the first flush
    // rewrites the file.
    std::vector<THourRecord> old;
    for (uint32_t h = 0; h < 5000; ++h)
        old.push_back({h, 1, 0});
    const std::string once = EncodeHourRecords(old);
    WriteBytes(path_, once + once + once);
    THourLog log(path_);
    std::atomic<int> flushes{0};
    THourLogFlusher flusher(log, [&] { ++flushes; });
    auto flushAll = [&] {
        const int before = flushes;
        flusher.Request();
        while (flushes == before)
            std::this_thread::yield();
    };
    std::atomic<bool> adding{true};
    bool inOrder = true;
    std::thread reader([&] {
        auto ordered = [](const std::vector<THourRecord>& hours) {
            for (size_t i = 1; i < hours.size(); ++i) {
                if (hours[i - 1].Hour >= hours[i].Hour)
                    return false;
            }
            return true;
        };
        while (adding) {
            uint32_t first = 0, last = 0;
            if (log.HourBounds(first, last))
                inOrder = inOrder && first <= last && ordered(log.Range(first, last));
            inOrder = inOrder && ordered(log.All());
        }
    });
    auto addMeanwhile = [&](int count, const std::function<void()>& meanwhile) {
        std::thread adder([&] {
            for (int i = 0; i < count; ++i)
                log.Add(1, 0, kNoon + (i % 3) * 3600);
        });
        meanwhile();
        adder.join();
    };
    addMeanwhile(20000, [&] {
        for (int i = 0; i < 5; ++i)
            flushAll();
    });
    flushAll();
    EXPECT_LT(fs::file_size(path_), 2 * once.size());
    uint64_t total = 0;
    for (const THourRecord& r : Reloaded(path_))
        total += r.In;
    EXPECT_EQ(5000u * 3 + 20000u, total);

    addMeanwhile(20000, [&] {
        flushAll();
        log.Reset();
        flushAll();
    });
    adding = false;
    reader.join();
    flushAll();
    EXPECT_TRUE(Same(log.All(), Reloaded(path_)));
    EXPECT_TRUE(inOrder);
}

} // namespace
