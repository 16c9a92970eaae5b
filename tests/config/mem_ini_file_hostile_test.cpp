// Round trips of the configuration store on hostile files: what is read, written and flushed
// reads back from the file as the same values, and the file text settles after one write.
#include "config/mem_ini_file.h"
#include "../support/test_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A fresh folder under the system's temporary folder holding one config.ini.
class HostileIni : public ::testing::Test {
  protected:
    void WriteFile(const std::string& text) { testsupport::WriteBytes(path_, text); }
    std::string ReadFile() const { return testsupport::ReadBytes(path_); }

    // Flushes the store, reads the file into a second store, and checks that this one writes
    // the very same text (nothing shifts on a second round).
    void ExpectStableRoundTrip(TMemIniFile& ini) {
        ini.FlushToFile();
        const std::string written = ReadFile();
        EXPECT_EQ(written, ini.ToText());
        TMemIniFile again(path_);
        EXPECT_EQ(again.ToText(), written);
    }

    testsupport::TTempFolder dir_{"corvane-ini-hostile"};
    std::string path_ = dir_.File("config.ini");
};

const std::string kMissing = "<missing>";

TEST_F(HostileIni, OneMegabyteLineSurvivesTheRoundTrip) {
    const std::string big(1 << 20, 'v');
    std::string bigWithBreaks = big;
    bigWithBreaks[1000] = '\n';
    bigWithBreaks[2000] = '\r';
    WriteFile("[s]\r\nk=" + big + "\r\n" + std::string(1 << 20, ' ') + "x\n");
    TMemIniFile ini(path_);
    ini.StoreText("display", "format", bigWithBreaks);
    ini.StoreInt("display", "width", 240);
    ExpectStableRoundTrip(ini);

    TMemIniFile again(path_);
    EXPECT_EQ(again.QueryText("s", "k", kMissing), big);
    std::string expected = big;
    expected[1000] = expected[2000] = ' '; // a line break cannot live inside a value
    EXPECT_EQ(again.QueryText("display", "format", kMissing), expected);
    EXPECT_EQ(again.QueryInt("display", "width", 180), 240);
}

TEST_F(HostileIni, NulByteInAKeySurvivesTheRoundTrip) {
    const std::string nulKey("n\0m", 3);
    const char raw[] = "[s]\r\nn\0m=1\r\nk=a\0b\r\n";
    WriteFile(std::string(raw, sizeof raw - 1));
    TMemIniFile ini(path_);
    EXPECT_EQ(ini.QueryInt("s", nulKey, -1), 1);
    ini.StoreInt("s", nulKey, 7);
    ini.StoreText("t", std::string("k\0ey", 4), std::string("x\0y", 3));
    ExpectStableRoundTrip(ini);

    TMemIniFile again(path_);
    EXPECT_EQ(again.QueryInt("s", nulKey, -1), 7);
    EXPECT_EQ(again.QueryText("s", "k", kMissing), std::string("a\0b", 3));
    EXPECT_EQ(again.QueryText("t", std::string("k\0ey", 4), kMissing), std::string("x\0y", 3));
    // The NUL is part of the name: the key without it is another key.
    EXPECT_EQ(again.QueryText("t", "key", kMissing), kMissing);
}

TEST_F(HostileIni, SectionHeaderWithoutClosingBracketStaysALine) {
    WriteFile("[display\r\nfontsize=9\r\n[s]\r\n[half\r\nk=1\r\n[t=2\r\n[open] x\r\n");
    TMemIniFile ini(path_);
    // "[display" opens nothing, so its key lies before the first section and is dropped.
    EXPECT_EQ(ini.QueryInt("display", "fontsize", 8), 8);
    EXPECT_EQ(ini.QueryText("s", "[t", kMissing), "2");
    EXPECT_EQ(ini.QueryInt("s", "k", 0), 1);
    ini.StoreInt("s", "k", 3);
    ini.StoreInt("display", "fontsize", 10);
    ExpectStableRoundTrip(ini);
    EXPECT_EQ(ReadFile(), "[s]\r\n[half\r\nk=3\r\n[t=2\r\n[open] x\r\n\r\n"
                          "[display]\r\nfontsize=10\r\n\r\n");

    TMemIniFile again(path_);
    EXPECT_EQ(again.QueryInt("s", "k", 0), 3);
    EXPECT_EQ(again.QueryText("s", "[t", kMissing), "2");
    EXPECT_EQ(again.QueryInt("display", "fontsize", 8), 10);
}

} // namespace
