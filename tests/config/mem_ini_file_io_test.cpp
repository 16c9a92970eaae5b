// Tests of the configuration store against real files, and of its use from two threads.
#include "config/mem_ini_file.h"

#include "platform/file_io.h"
#include "../support/example_ini.h"
#include "../support/test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>

namespace fs = std::filesystem;

namespace {

using TempFolder = testsupport::TTempFolder;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

// True when writing to the folder is refused; privileged users (root, Wine as root) may
// write anyway, and Windows ignores the read-only attribute of folders.
bool FolderRefusesWrites(const fs::path& folder) {
    const fs::path probe = folder / "probe.tmp";
    {
        std::ofstream out(probe, std::ios::binary);
        if (!out.is_open())
            return true;
    }
    std::error_code ec;
    fs::remove(probe, ec);
    return false;
}

void ExpectCreateError(TMemIniFile& ini) {
    try {
        ini.FlushToFile();
        ADD_FAILURE() << "FlushToFile succeeded on " << ini.Path();
    } catch (const EFCreateError& e) {
        const std::string prefix = "Cannot create file \"" + ini.Path() + "\". ";
        const std::string message = e.what();
        EXPECT_EQ(message.compare(0, prefix.size(), prefix), 0) << message;
        EXPECT_GT(message.size(), prefix.size()) << "no reason given";
    }
}

TEST(MemIniFile, MissingFileGivesEmptyStoreAndCreatesNothing) {
    TempFolder dir;
    const std::string path = dir.File("config.ini");
    TMemIniFile ini(path);
    EXPECT_EQ(ini.Path(), path);
    EXPECT_EQ(ini.ToText(), "");
    EXPECT_EQ(ini.QueryInt("display", "width", 180), 180);
    EXPECT_TRUE(ini.QueryFlag("bandwidth", "dolog", true));
    EXPECT_FALSE(fs::exists(path));
}

TEST(MemIniFile, ReadsAnExistingFile) {
    TempFolder dir;
    const std::string path = dir.File("config.ini");
    const std::string original =
        "\xEF\xBB\xBFx=1\r\n[Display]\r\nWidth = 320\nfontname=Caf\xE9\r; note\r\n";
    WriteBytes(path, original);
    TMemIniFile ini(path);
    EXPECT_EQ(ini.QueryInt("display", "width", 180), 320);
    EXPECT_EQ(ini.QueryText("display", "fontname", ""), "Caf\xE9");
    EXPECT_EQ(ReadBytes(path), original) << "reading changed the file";
}

TEST(MemIniFile, UnreadableFileThrows) {
    TempFolder dir;
    // A folder in the file's place exists but cannot be read as a file.
    fs::create_directory(dir.Path() / "config.ini");
    EXPECT_THROW(TMemIniFile ini(dir.File("config.ini")), TFileError);
}

// A write cut short can leave the only complete copy in the temporary file; a complete one
// ends with a section's empty line.
TEST(MemIniFile, InterruptedWriteIsRecoveredFromACompleteTemporaryFile) {
    TempFolder dir;
    const std::string path = dir.File("config.ini");
    const std::string complete = "[display]\r\nwidth=320\r\n\r\n";
    WriteBytes(path + ".tmp", complete);
    EXPECT_EQ(TMemIniFile(path).QueryInt("display", "width", 180), 320);
    EXPECT_EQ(ReadBytes(path), complete);

    WriteBytes(path + ".tmp", complete + "[bandwidth]\r\ndolog=0\r\n");
    EXPECT_TRUE(TMemIniFile(path).QueryFlag("bandwidth", "dolog", true)) << "torn: not read";
    EXPECT_EQ(ReadBytes(path), complete);
}

// Stands in for the system's ANSI code page: Latin-1 spells "°" and "é" as Windows-1252 does.
std::string Utf8FromLatin1(std::string_view text) {
    std::string utf8;
    for (unsigned char c : text) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xC0 | c >> 6);
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

// Earlier versions wrote the 8-bit code page: such a file is read through the decoder once and
// written in UTF-8; UTF-8 (with or without Notepad's byte order mark) is read as it is.
TEST(MemIniFile, LegacyCodePageIsReadOnceAndWrittenAsUtf8) {
    TempFolder dir;
    const std::string path = dir.File("config.ini");
    WriteBytes(path, "[display]\r\nformat=22\xB0, Caf\xE9\r\n");
    TMemIniFile legacy(path, Utf8FromLatin1);
    EXPECT_EQ(legacy.QueryText("display", "format", ""), "22\xC2\xB0, Caf\xC3\xA9");
    legacy.FlushToFile();
    EXPECT_EQ(ReadBytes(path), "[display]\r\nformat=22\xC2\xB0, Caf\xC3\xA9\r\n\r\n");

    for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
        WriteBytes(path, mark + "[display]\r\nformat=\xD0\xB6 \xE4\xB8\xAD\r\n");
        EXPECT_EQ(TMemIniFile(path, Utf8FromLatin1).QueryText("display", "format", ""),
                  "\xD0\xB6 \xE4\xB8\xAD")
            << "byte order mark: " << !mark.empty();
    }
}

TEST(MemIniFile, FlushWritesExactlyTheText) {
    TempFolder dir;
    const std::string path = dir.File("config.ini");
    WriteBytes(path, "; comment\r\n\r\n[network]\r\n\r\nactiveadapter=1\r\n");
    TMemIniFile ini(path);
    ini.StoreText("network", "activeadapter", "2");
    ini.StoreFlag("bandwidth", "dolog", false);
    ini.FlushToFile();
    EXPECT_EQ(ReadBytes(path), ini.ToText());
    EXPECT_EQ(ReadBytes(path),
              "[network]\r\nactiveadapter=2\r\n\r\n[bandwidth]\r\ndolog=0\r\n\r\n");
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST(MemIniFile, ExampleFileByteForByte) {
    TempFolder dir;
    const std::string path = dir.File("config.ini");
    TMemIniFile ini(path);
    testsupport::StoreExampleSettings(ini);
    ini.FlushToFile();
    EXPECT_EQ(ReadBytes(path), testsupport::kExampleIniText);
}

TEST(MemIniFile, RoundTripKeepsEveryValue) {
    TempFolder dir;
    const std::string path = dir.File("config.ini");
    {
        TMemIniFile ini(path);
        ini.StoreInt("display", "bgcolour", 255);
        ini.StoreInt("display", "left", -1200);
        ini.StoreInt("display", "top", INT32_MIN);
        ini.StoreFlag("display", "fontbold", true);
        ini.StoreFlag("display", "fontitalic", false);
        ini.StoreText("display", "format", "%kBinpersec% kB/s%nl%\xE9t\xE9 = 100%");
        ini.StoreText("display", "monthquota", "");
        ini.StoreText("display", "width", "abc");
        ini.FlushToFile();
    }
    TMemIniFile again(path);
    EXPECT_EQ(again.QueryInt("display", "bgcolour", 0), 255);
    EXPECT_EQ(again.QueryInt("display", "left", 5), -1200);
    EXPECT_EQ(again.QueryInt("display", "top", 5), INT32_MIN);
    EXPECT_TRUE(again.QueryFlag("display", "fontbold", false));
    EXPECT_FALSE(again.QueryFlag("display", "fontitalic", true));
    EXPECT_EQ(again.QueryText("display", "format", ""), "%kBinpersec% kB/s%nl%\xE9t\xE9 = 100%");
    EXPECT_EQ(again.QueryText("display", "monthquota", "10000"), "");
    EXPECT_EQ(again.QueryInt("display", "width", 180), 180);
    EXPECT_EQ(again.ToText(), ReadBytes(path));
}

TEST(MemIniFile, MissingFolderFailsAndKeepsTheStore) {
    TempFolder dir;
    const std::string path = (dir.Path() / "gone" / "config.ini").string();
    TMemIniFile ini(path, "");
    ini.StoreInt("display", "width", 321);
    const std::string before = ini.ToText();
    ExpectCreateError(ini);
    EXPECT_EQ(ini.ToText(), before);
    EXPECT_EQ(ini.QueryInt("display", "width", 180), 321);
    // Once the folder exists the same store writes everything it held.
    fs::create_directory(dir.Path() / "gone");
    ini.FlushToFile();
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(MemIniFile, FolderInPlaceOfTheFileFails) {
    TempFolder dir;
    const std::string path = dir.File("config.ini");
    TMemIniFile ini(path);
    ini.StoreFlag("bandwidth", "dolog", false);
    fs::create_directory(path);
    ExpectCreateError(ini);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_FALSE(ini.QueryFlag("bandwidth", "dolog", true));
}

TEST(MemIniFile, ReadOnlyFolderFailsAndKeepsTheOldFile) {
    TempFolder dir;
    const std::string path = dir.File("config.ini");
    const std::string old = "[display]\r\nwidth=100\r\n\r\n";
    WriteBytes(path, old);
    TMemIniFile ini(path);
    ini.StoreInt("display", "width", 400);
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (!FolderRefusesWrites(dir.Path()))
        GTEST_SKIP() << "this user may write into read-only folders";
    ExpectCreateError(ini);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(ini.QueryInt("display", "width", 0), 400);
}

TEST(MemIniFile, ReadOnlyFileFailsAndStaysUnchanged) {
    TempFolder dir;
    const std::string path = dir.File("config.ini");
    const std::string old = "[display]\r\nwidth=100\r\n\r\n";
    WriteBytes(path, old);
    TMemIniFile ini(path);
    ini.StoreInt("display", "width", 400);
    fs::permissions(path, fs::perms::owner_read);
    if (std::ofstream(path, std::ios::binary | std::ios::app).is_open())
        GTEST_SKIP() << "this user may write to read-only files";
    ExpectCreateError(ini);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    EXPECT_EQ(ini.QueryInt("display", "width", 0), 400);
}

TEST(MemIniThreads, ReaderSeesOldOrNewValueWhileWriterStores) {
    TempFolder dir;
    TMemIniFile ini(dir.File("config.ini"));
    ini.StoreFlag("bandwidth", "dolog", true);
    ini.StoreInt("bandwidth", "counter", 0);
    constexpr int kWrites = 20000;
    std::atomic<bool> done{false};

    std::thread writer([&] {
        for (int i = 1; i <= kWrites; ++i) {
            ini.StoreFlag("bandwidth", "dolog", i % 2 == 0);
            ini.StoreInt("bandwidth", "counter", i);
            if (i % 2000 == 0)
                ini.FlushToFile();
        }
        done = true;
    });
    int badFlags = 0;
    int backwards = 0;
    int32_t last = 0;
    int reads = 0;
    while (!done || reads == 0) {
        const std::string flag = ini.QueryText("bandwidth", "dolog", "?");
        badFlags += (flag != "0" && flag != "1");
        const int32_t counter = ini.QueryInt("bandwidth", "counter", -1);
        backwards += counter < last;
        last = counter;
        ++reads;
    }
    writer.join();
    EXPECT_EQ(badFlags, 0);
    EXPECT_EQ(backwards, 0);
    EXPECT_TRUE(ini.QueryFlag("bandwidth", "dolog", false));
    EXPECT_EQ(ini.QueryInt("bandwidth", "counter", -1), kWrites);
    EXPECT_EQ(ReadBytes(ini.Path()), ini.ToText());
}

} // namespace
