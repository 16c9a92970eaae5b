// Tests of the per-program store on real files: appending and reading back, torn and damaged
// records, a kill at any byte of an append, the rewrite, a file that another program replaced
// or cut, the size bound, reset, and an hour's 50 programs plus other.
#include "apps/app_log.h"
#include "platform/file_io.h"
#include "../support/test_files.h"

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

const int64_t kHour = 486000 * int64_t{3600}; // in 2025
const std::string kBrowser = "C:\\Program Files\\Br\xc3\xa4user\\browser.exe";
const std::string kSync = "C:\\Users\\Ann\\AppData\\Local\\Sync\\sync.exe";

class AppLog : public ::testing::Test {
  protected:
    testsupport::TTempFolder folder_{"corvane-apps"};
    std::string path_ = folder_.File(kAppLogName);
};

bool Same(const std::vector<TAppHour>& a, const std::vector<TAppHour>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].HourUtc != b[i].HourUtc || a[i].Program != b[i].Program || a[i].In != b[i].In ||
            a[i].Out != b[i].Out)
            return false;
    }
    return true;
}

std::vector<TAppHour> Reloaded(const std::string& path) {
    return TAppLog(path).All();
}

std::string Program(int i) {
    return "C:\\Tools\\tool" + std::to_string(i) + ".exe";
}

TEST_F(AppLog, AdditionsAreKeptPerProgramAndHourAndAppended) {
    TAppLog log(path_);
    log.Add({{kHour + 10, kBrowser, 1000, 10}, {kHour + 3599, kSync, 5, 500}});
    log.Add({{kHour + 60, kBrowser, 1, 1}, {kHour - 1, kSync, 7, 8}});
    log.Add({{-3600, kSync, 1, 1}}); // before 1970: no hour of the store
    log.Flush();
    const size_t first = fs::file_size(path_);
    EXPECT_EQ(3 * 32 + 2 * kSync.size() + kBrowser.size(), first); // one record per program and hour
    log.Add({{kHour + 7200, kBrowser, 3, 4}});
    log.Flush();
    EXPECT_EQ(first + 32 + kBrowser.size(), fs::file_size(path_));
    const std::vector<TAppHour> expected = {{kHour - 3600, kSync, 7, 8},
                                            {kHour, kBrowser, 1001, 11},
                                            {kHour, kSync, 5, 500},
                                            {kHour + 7200, kBrowser, 3, 4}};
    EXPECT_TRUE(Same(expected, log.All()));
    EXPECT_TRUE(Same(expected, Reloaded(path_)));
    EXPECT_TRUE(Same({expected[1], expected[2]}, log.Range(kHour, kHour + 3600)));
}

TEST_F(AppLog, DamagedRecordsAreSkippedAndATornTailIsCutBeforeTheNextAppend) {
    const std::vector<TAppHour> records = {
        {kHour, kBrowser, 1, 2}, {kHour, kSync, 3, 4}, {kHour, "", 5, 6}, {kHour + 3600, kSync, 7, 8}};
    std::string data = EncodeAppRecords(records);
    const size_t second = 32 + kBrowser.size(), third = second + 32 + kSync.size();
    data[30] ^= 0x01;         // the first one's path: skipped whole
    data[second + 2] ^= 0x40; // the second one's length: found again by the next one's marker
    const std::string torn = EncodeAppRecords({{kHour, kSync, 9, 9}});
    WriteBytes(path_, data + torn.substr(0, torn.size() - 3));
    TAppLog log(path_);
    EXPECT_TRUE(Same({records[2], records[3]}, log.All()));
    log.Add({{kHour + 3600, kBrowser, 100, 0}});
    log.Flush();
    EXPECT_EQ(data.size() + 32 + kBrowser.size(), fs::file_size(path_));
    EXPECT_TRUE(Same({records[2], {kHour + 3600, kBrowser, 100, 0}, records[3]}, Reloaded(path_)));
    EXPECT_EQ(third, data.find(EncodeAppRecords({records[2]})));
}

TEST_F(AppLog, AKillAtAnyByteOfAnAppendLosesAtMostThatMinute) {
    TAppLog log(path_);
    log.Add({{kHour, kBrowser, 1000, 2000}});
    log.Flush();
    const std::string before = ReadBytes(path_);
    const std::vector<TAppHour> minuteBefore = log.All();
    log.Add({{kHour, kBrowser, 30, 40}, {kHour, kSync, 50, 60}});
    log.Flush();
    const std::string after = ReadBytes(path_);
    const std::vector<TAppHour> minuteAfter = log.All();
    ASSERT_EQ(before, after.substr(0, before.size()));
    const std::vector<TAppHour> oneOfTwo = {{kHour, kBrowser, 1030, 2040}};
    for (size_t cut = before.size(); cut <= after.size(); ++cut) {
        WriteBytes(path_, after.substr(0, cut));
        const std::vector<TAppHour>& expected = cut == after.size() ? minuteAfter
                                                : cut >= before.size() + 32 + kBrowser.size()
                                                    ? oneOfTwo
                                                    : minuteBefore;
        EXPECT_TRUE(Same(expected, Reloaded(path_))) << "cut at " << cut;
    }
}

TEST_F(AppLog, TheFileIsRewrittenWithOneRecordPerProgramAndHourOnceAppendsPileUp) {
    // 100 hours of 50 programs with long paths: about 1.2 MiB a round, past the 1 MiB allowed
    // beyond an empty file, so the first round is a rewrite, the second an append and the
    // third, past twice the rewrite and 1 MiB, a rewrite again.
    std::vector<TAppHour> round;
    for (int h = 0; h < 100; ++h) {
        for (int p = 0; p < 50; ++p)
            round.push_back({kHour + h * 3600, Program(p) + std::string(200, 'x'), 1, 2});
    }
    const size_t once = EncodeAppRecords(round).size();
    TAppLog log(path_);
    for (size_t sizeAfter : {once, 2 * once, once}) {
        log.Add(round);
        log.Flush();
        EXPECT_EQ(sizeAfter, fs::file_size(path_));
    }
    EXPECT_FALSE(fs::exists(path_ + ".tmp"));
    const std::vector<TAppHour> all = Reloaded(path_);
    ASSERT_EQ(round.size(), all.size());
    EXPECT_EQ(3u, all.front().In);
    EXPECT_EQ(6u, all.back().Out);
}

TEST_F(AppLog, AFileReplacedCutOrGoneWhileOpenIsWrittenAfreshWithEveryTotal) {
    TAppLog log(path_);
    log.Add({{kHour, kBrowser, 1000, 2000}});
    log.Flush();
    auto putInPlace = [this](const std::string& data) {
        fs::rename(path_, path_ + ".old");
        WriteBytes(path_, data);
    };
    const std::vector<std::function<void()>> meddlers = {
        [&] { putInPlace(ReadBytes(path_)); },
        [&] { putInPlace(EncodeAppRecords({{kHour, kSync, 1, 1}, {kHour, kBrowser, 1, 1}})); },
        [&] { fs::resize_file(path_, 40); },
        [&] { fs::remove(path_); },
    };
    for (size_t i = 0; i < meddlers.size(); ++i) {
        meddlers[i]();
        log.Add({{kHour + 3600 * static_cast<int64_t>(i), kSync, 1, 0}});
        log.Flush();
        EXPECT_TRUE(Same(log.All(), Reloaded(path_))) << "after meddler " << i;
    }
    EXPECT_EQ(5u, Reloaded(path_).size());
}

TEST_F(AppLog, AFileOverTheBoundIsLeftAsItIsAndTheStoreRunsOnWithoutIt) {
    WriteBytes(path_, "");
    fs::resize_file(path_, kMaxAppLogSize + 1);
    TAppLog log(path_);
    log.Add({{kHour, kSync, 5, 6}});
    EXPECT_THROW(log.Flush(), EFileTooLarge);
    EXPECT_THROW(log.Flush(), EFileTooLarge);
    EXPECT_TRUE(Same({{kHour, kSync, 5, 6}}, log.All()));
    EXPECT_EQ(kMaxAppLogSize + 1, fs::file_size(path_));
}

TEST_F(AppLog, ResetEmptiesTheStoreAndItsFile) {
    TAppLog log(path_);
    log.Add({{kHour, kSync, 5, 5}});
    log.Flush();
    log.Add({{kHour, kBrowser, 6, 6}});
    log.Reset();
    EXPECT_TRUE(log.All().empty());
    EXPECT_EQ(0u, fs::file_size(path_));
    log.Add({{kHour, kBrowser, 1, 2}});
    log.Flush();
    EXPECT_TRUE(Same({{kHour, kBrowser, 1, 2}}, Reloaded(path_)));
}

TEST_F(AppLog, AnHourKeepsItsFiftyLargestProgramsAndOtherAlsoInTheFile) {
    // 53 programs: the three smallest (0, 1, 2) go to other, beside what other had.
    std::vector<TAppHour> hour = {{kHour, "", 1000, 0}};
    for (int p = 0; p < 53; ++p)
        hour.push_back({kHour + 5, Program(p), static_cast<uint64_t>(10 + p), 1});
    TAppLog log(path_);
    log.Add(hour);
    log.Add({{kHour + 3600, kSync, 1, 1}});
    log.Flush();
    std::vector<TAppHour> all = log.All();
    ASSERT_EQ(52u, all.size());
    EXPECT_TRUE(Same({{kHour, "", 1000 + 10 + 11 + 12, 3}}, {all.front()}));
    EXPECT_TRUE(Same(all, Reloaded(path_)));
    // A folded program's next bytes go to other while it stays small; once it is large it
    // returns and the smallest of the fifty (3) leaves: the file then names what the table names.
    log.Add({{kHour, Program(0), 1, 0}});
    log.Flush();
    EXPECT_EQ(1034u, log.Range(kHour, kHour).front().In);
    log.Add({{kHour, Program(1), 500, 0}});
    log.Flush();
    all = log.All();
    ASSERT_EQ(52u, all.size());
    EXPECT_TRUE(Same({{kHour, "", 1034 + 13, 4}}, {all.front()}));
    EXPECT_TRUE(Same(all, Reloaded(path_)));
    // Back again, it counts from its return: its earlier bytes stay in other, also in the file.
    log.Add({{kHour, Program(3), 600, 0}});
    log.Flush();
    all = log.All();
    const auto back = std::find_if(all.begin(), all.end(),
                                   [](const TAppHour& a) { return a.Program == Program(3); });
    ASSERT_NE(all.end(), back);
    EXPECT_EQ(600u, back->In);
    EXPECT_TRUE(Same(log.All(), Reloaded(path_)));
}

TEST_F(AppLog, AFileNamingMoreThanFiftyProgramsAnHourIsRewrittenFoldedAtTheFirstFlush) {
    std::vector<TAppHour> hour;
    for (int p = 0; p < 52; ++p)
        hour.push_back({kHour, Program(p), static_cast<uint64_t>(p), 0});
    WriteBytes(path_, EncodeAppRecords(hour));
    TAppLog(path_).Flush();
    const std::vector<TAppHour> folded = Reloaded(path_);
    ASSERT_EQ(51u, folded.size());
    EXPECT_EQ(EncodeAppRecords(folded), ReadBytes(path_));
}

TEST_F(AppLog, AFileThatCannotBeReadYetIsReadAtTheNextFlushWithTheAdditionsKept) {
    fs::create_directory(path_); // reading it fails
    std::vector<TAppHour> early, file;
    for (int p = 0; p < 30; ++p) {
        early.push_back({kHour, Program(p), 100, 0});
        file.push_back({kHour, Program(100 + p), static_cast<uint64_t>(p), 0});
    }
    TAppLog log(path_);
    log.Add(early);
    EXPECT_THROW(log.Flush(), TFileError);
    fs::remove(path_);
    WriteBytes(path_, EncodeAppRecords(file));
    log.Flush();
    // 60 programs: the ten smallest of the file's (0 to 9 bytes) go to other.
    const std::vector<TAppHour> all = log.All();
    ASSERT_EQ(51u, all.size());
    EXPECT_TRUE(Same({{kHour, "", 45, 0}}, {all.front()}));
    EXPECT_TRUE(Same(all, Reloaded(path_)));
}

// For ThreadSanitizer: the counting adds (60 programs an hour, so some fold) while another
// thread flushes and rewrites.
TEST_F(AppLog, AdditionsMeetFlushesAndRewritesWithoutLoss) {
    TAppLog log(path_);
    std::thread adder([&] {
        for (int i = 0; i < 3000; ++i)
            log.Add({{kHour + (i % 3) * 3600, Program(i % 180) + std::string(300, 'y'), 1, 0}});
    });
    for (int i = 0; i < 20; ++i) {
        fs::remove(path_); // each flush then rewrites
        log.Flush();
    }
    adder.join();
    log.Flush();
    uint64_t total = 0;
    for (const TAppHour& entry : Reloaded(path_))
        total += entry.In;
    EXPECT_EQ(3000u, total);
    EXPECT_TRUE(Same(log.All(), Reloaded(path_)));
}

} // namespace
