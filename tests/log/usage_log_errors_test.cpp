// Failures of the usage log's file operations: the error and its text, an intact old file,
// no temporary file left behind, a lock that is free again afterwards, and recovery from a
// save that was cut short.
#include "log_test_support.h"
#include "platform/file_io.h"

#include <chrono>
#include <future>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#endif

namespace {

using namespace logtest;

using UsageLogErrors = LogFileTest;

const double kMarch15 = EncodeDate(2025, 3, 15);

// Runs the call and gives the error it raised; fails the test when none was raised.
template <class Call> EInOutError ErrorOf(Call call) {
    try {
        call();
    } catch (const EInOutError& e) {
        return e;
    }
    ADD_FAILURE() << "no EInOutError raised";
    return EInOutError(0);
}

TEST(EInOutErrorTest, TextsByCode) {
    const std::pair<int, const char*> cases[] = {
        {2, "File not found"},     {3, "Invalid filename"},          {4, "Too many open files"},
        {5, "File access denied"}, {100, "Read beyond end of file"}, {101, "Disk full"},
        {32, "I/O error 32"},      {112, "I/O error 112"},
    };
    for (const auto& c : cases) {
        const EInOutError error(c.first);
        EXPECT_EQ(c.first, error.ErrorCode());
        EXPECT_STREQ(c.second, error.what());
    }
}

TEST_F(UsageLogErrors, DirectoryInPlaceOfTheFile) {
    AddToLog(1, 2, kMarch15);
    ASSERT_TRUE(fs::create_directory(path_));

    EInOutError load = ErrorOf([] { LoadLog(); });
    EXPECT_EQ(5, load.ErrorCode());
    EXPECT_STREQ("File access denied", load.what());
    EInOutError save = ErrorOf([] { SaveLog(); });
    EXPECT_EQ(5, save.ErrorCode());
    EXPECT_STREQ("File access denied", save.what());

    EXPECT_TRUE(fs::is_directory(path_));
    EXPECT_EQ("bandlog.dat;", Listing(dir_));
    // The table is untouched and the next save that can write stores it in full.
    EXPECT_EQ(1u, LogRecordCount());
    fs::remove(path_);
    EXPECT_EQ(RecordBytes(kMarch15, 1, 2), SavedBytes());
}

TEST_F(UsageLogErrors, ReadOnlyFileKeepsItsContent) {
    const std::string old = RecordBytes(kMarch15 - 1, 5, 6);
    LoadFrom(old);
    AddToLog(1, 2, kMarch15);
    fs::permissions(path_,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (std::ofstream(path_, std::ios::app).is_open()) {
        fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add);
        GTEST_SKIP() << "this user may write read-only files (running as root?)";
    }

    EInOutError save = ErrorOf([] { SaveLog(); });
    EXPECT_EQ(5, save.ErrorCode());
    EXPECT_STREQ("File access denied", save.what());
    EXPECT_EQ(old, ReadBytes(path_));
    EXPECT_EQ("bandlog.dat;", Listing(dir_));

    fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(old + RecordBytes(kMarch15, 1, 2), SavedBytes());
}

TEST_F(UsageLogErrors, FailedResetEmptiesTheTableButNotTheFile) {
    AddToLog(1, 2, kMarch15);
    ASSERT_TRUE(fs::create_directory(path_));
    EXPECT_EQ(5, ErrorOf([] { ResetLog(); }).ErrorCode());
    EXPECT_EQ(0u, LogRecordCount());
    EXPECT_TRUE(fs::is_directory(path_));
}

TEST_F(UsageLogErrors, LockIsFreeAfterAFailure) {
    ASSERT_TRUE(fs::create_directory(path_));
    ErrorOf([] { SaveLog(); });
    ErrorOf([] { LoadLog(); });
    // The sampling thread must go on adding while the error is being reported.
    auto adder = std::async(std::launch::async, [] { AddToLog(3, 4, kMarch15); });
    ASSERT_EQ(std::future_status::ready, adder.wait_for(std::chrono::seconds(60)))
        << "the table's lock was still held";
    EXPECT_EQ(7u, GetLogTotal(lpToday, ldInOut));
}

// FAT and exFAT do not replace atomically: a crash can leave the only complete copy in the
// temporary file, or a temporary file that ends inside a record.
TEST_F(UsageLogErrors, InterruptedSaveIsRecoveredFromACompleteTemporaryFile) {
    const std::string one = RecordBytes(kMarch15 - 1, 5, 6);
    const std::string two = one + RecordBytes(kMarch15, 1, 2);
    const struct {
        const char* what;
        bool logExists;
        std::string log, temp, loaded;
    } cases[] = {
        {"log missing", false, "", two, two},
        {"log shorter", true, one, two, two},
        {"torn temporary file", true, one, two + "xx", one},
        {"temporary file not longer", true, two, one, two},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(path_);
        if (c.logExists)
            WriteBytes(path_, c.log);
        WriteBytes(dir_ / "bandlog.dat.tmp", c.temp);
        LoadLog();
        EXPECT_EQ(c.loaded.size() / 24, LogRecordCount());
        EXPECT_EQ(c.loaded, ReadBytes(path_)) << "the loaded copy is on disk at once";
    }
}

TEST_F(UsageLogErrors, FileTooLargeForAnyHistoryIsLeftAsItIs) {
    const uintmax_t size = (16u << 20) + 24;
    WriteBytes(path_, "");
    fs::resize_file(path_, size);
    try {
        LoadLog();
        ADD_FAILURE() << "a 16 MiB log was loaded";
    } catch (const EFileTooLarge& e) {
        EXPECT_NE(std::string(e.what()).find("too large to load (16777240 bytes"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(size, fs::file_size(path_));
}

#ifdef _WIN32
// Another holder that allows no sharing: Windows reports a sharing violation (32).
TEST_F(UsageLogErrors, FileHeldWithoutSharing) {
    const std::string old = RecordBytes(kMarch15 - 1, 5, 6);
    LoadFrom(old);
    int held = -1;
    ASSERT_EQ(0, _sopen_s(&held, path_.string().c_str(), _O_RDWR | _O_BINARY, _SH_DENYRW,
                          _S_IREAD | _S_IWRITE));
    EInOutError save = ErrorOf([] { SaveLog(); });
    EInOutError load = ErrorOf([] { LoadLog(); });
    _close(held);
    EXPECT_STREQ("I/O error 32", save.what());
    EXPECT_STREQ("I/O error 32", load.what());
    EXPECT_EQ(old, ReadBytes(path_));
    EXPECT_EQ("bandlog.dat;", Listing(dir_));
}
#endif

} // namespace
