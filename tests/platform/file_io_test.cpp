// Whole-file reads and crash-safe replacement, on real files in a temporary folder.
#include "platform/error_text.h"
#include "platform/file_io.h"
#include "../support/test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class FileIoTest : public ::testing::Test {
  protected:
    std::string Path(const char* name) const { return folder_.File(name); }
    testsupport::TTempFolder folder_{"corvane-fileio"};
    const fs::path& dir_ = folder_.Path();
};

TEST_F(FileIoTest, ReadOrCreateMakesAnEmptyFileAndReadsExistingBytes) {
    EXPECT_EQ(ReadOrCreateFile(Path("a.dat")), "");
    EXPECT_TRUE(fs::exists(Path("a.dat")));
    std::string bytes("x\0y\r\n", 5);
    std::ofstream(Path("b.dat"), std::ios::binary) << bytes;
    EXPECT_EQ(ReadOrCreateFile(Path("b.dat")), bytes);
}

TEST_F(FileIoTest, ReadFileIfExistsTellsMissingApartFromFailure) {
    std::string out = "unchanged";
    EXPECT_FALSE(ReadFileIfExists(Path("missing.ini"), out));
    EXPECT_EQ(out, "unchanged");
    fs::create_directory(Path("dir.ini"));
    EXPECT_THROW(ReadFileIfExists(Path("dir.ini"), out), TFileError);
}

TEST_F(FileIoTest, ReplaceWritesExactBytesAndLeavesNoTemporaryFile) {
    ReplaceFileContents(Path("c.dat"), "old contents");
    std::string bytes(100000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    ReplaceFileContents(Path("c.dat"), bytes);
    EXPECT_EQ(testsupport::ReadBytes(Path("c.dat")), bytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileIoTest, FailedReplaceKeepsTheOldFileAndRemovesTheTemporary) {
    // A folder where the file should be cannot be replaced by a file.
    fs::create_directory(Path("d.dat"));
    try {
        ReplaceFileContents(Path("d.dat"), "new");
        FAIL() << "replacing a folder must fail";
    } catch (const TFileError& e) {
        EXPECT_EQ(e.Code(), 5);
        EXPECT_EQ(std::string(e.what()), SystemErrorMessage(5));
    }
    EXPECT_TRUE(fs::is_directory(Path("d.dat")));
    EXPECT_FALSE(fs::exists(Path("d.dat.tmp")));
}

TEST_F(FileIoTest, MissingFolderReportsTheSystemReason) {
    try {
        ReplaceFileContents(Path("no-such-dir/e.dat"), "x");
        FAIL() << "writing into a missing folder must fail";
    } catch (const TFileError& e) {
        // Windows says the path is not found, POSIX that the file is not.
        EXPECT_TRUE(e.Code() == 3 || e.Code() == 2) << e.Code() << " " << e.what();
        EXPECT_EQ(std::string(e.what()), SystemErrorMessage(e.Code()));
    }
    EXPECT_FALSE(fs::exists(Path("no-such-dir")));
}

TEST(ErrorBoxTextTest, FullStopOnlyAfterCharactersSortingAfterIt) {
    EXPECT_EQ(ErrorBoxText("Disk full"), "Disk full.");
    EXPECT_EQ(ErrorBoxText("I/O error 32"), "I/O error 32.");
    EXPECT_EQ(ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(ErrorBoxText("Really?"), "Really?.");
    EXPECT_EQ(ErrorBoxText("a-"), "a-");
    EXPECT_EQ(ErrorBoxText("(x)"), "(x)");
    EXPECT_EQ(ErrorBoxText(""), "");
}

} // namespace
