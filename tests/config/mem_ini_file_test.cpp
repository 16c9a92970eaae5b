// Tests of the configuration store built from text: reading rules, typed values, write order.
#include "config/mem_ini_file.h"
#include "../support/example_ini.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TMemIniFile FromText(std::string_view text) {
    return TMemIniFile("unused.ini", text);
}

const std::string kMissing = "<missing>";

TEST(MemIniRead, AllThreeLineEndings) {
    auto ini = FromText("[s]\r\na=1\rb=2\nc=3\n\rd=4\r\n\r\ne=5");
    for (const char* key : {"a", "b", "c", "d", "e"})
        EXPECT_NE(ini.QueryText("s", key, kMissing), kMissing) << key;
    EXPECT_EQ(ini.ToText(), "[s]\r\na=1\r\nb=2\r\nc=3\r\nd=4\r\ne=5\r\n\r\n");
}

TEST(MemIniRead, TrimsBlanksAndControlCharacters) {
    auto ini = FromText(" \t[ Display ]\x01 \r\n\t fontname \x02= \t Trebuchet MS \x1f\r\n");
    EXPECT_EQ(ini.QueryText("Display", "fontname", kMissing), "Trebuchet MS");
    EXPECT_EQ(ini.ToText(), "[Display]\r\nfontname=Trebuchet MS\r\n\r\n");
}

TEST(MemIniRead, SkipsCommentsBlankLinesAndLinesBeforeTheFirstSection) {
    auto ini = FromText("a=1\r\nstray\r\n; c\r\n\r\n[s]\r\n;b=2\r\n  ;x=3\r\n\r\nd=4\r\n");
    EXPECT_EQ(ini.QueryText("s", "a", kMissing), kMissing);
    EXPECT_EQ(ini.QueryText("s", ";b", kMissing), kMissing);
    EXPECT_EQ(ini.QueryText("s", "d", kMissing), "4");
    EXPECT_EQ(ini.ToText(), "[s]\r\nd=4\r\n\r\n");
}

TEST(MemIniRead, NamesIgnoreAsciiLetterCase) {
    auto ini = FromText("[DisPlay]\r\nBgColour=255\r\n");
    EXPECT_EQ(ini.QueryInt("display", "bgcolour", 0), 255);
    EXPECT_EQ(ini.QueryInt("DISPLAY", "BGCOLOUR", 0), 255);
    // Only ASCII letters fold: 0xC9 and 0xE9 are different names.
    auto eight = FromText("[s]\r\n\xC9=1\r\n");
    EXPECT_EQ(eight.QueryText("s", "\xE9", kMissing), kMissing);
    EXPECT_EQ(eight.QueryText("S", "\xC9", kMissing), "1");
}

TEST(MemIniRead, OnlyTheLastOfRepeatedSectionsIsReached) {
    auto ini = FromText("[s]\r\na=1\r\nb=1\r\n[t]\r\nx=0\r\n[S]\r\nb=2\r\n");
    EXPECT_EQ(ini.QueryText("s", "a", kMissing), kMissing);
    EXPECT_EQ(ini.QueryText("s", "b", kMissing), "2");
    ini.StoreText("s", "a", "3");
    EXPECT_EQ(ini.QueryText("s", "a", kMissing), "3");
    EXPECT_EQ(ini.ToText(), "[s]\r\na=1\r\nb=1\r\n\r\n[t]\r\nx=0\r\n\r\n[S]\r\nb=2\r\na=3\r\n\r\n");
}

TEST(MemIniRead, TextIntoAStringThatKeepsItsStorage) {
    auto ini = FromText("[display]\r\nformat=%kBinpersec%\r\nformat=%MBin%\r\n");
    std::string value(64, 'x');
    const char* storage = value.data();
    ini.QueryText("DISPLAY", "format", kMissing, value);
    EXPECT_EQ(value, "%MBin%");
    ini.QueryText("display", "nothing", kMissing, value);
    EXPECT_EQ(value, kMissing);
    EXPECT_EQ(value.data(), storage);
}

TEST(MemIniRead, OnlyTheLastOfRepeatedKeysIsReached) {
    auto ini = FromText("[s]\r\nk=1\r\nother=x\r\nK=2\r\n");
    EXPECT_EQ(ini.QueryInt("s", "k", 0), 2);
    ini.StoreInt("s", "k", 3);
    EXPECT_EQ(ini.QueryInt("s", "k", 0), 3);
    EXPECT_EQ(ini.ToText(), "[s]\r\nk=1\r\nother=x\r\nk=3\r\n\r\n");
}

TEST(MemIniRead, LinesWithoutEqualsAreKeptAndNeverMatched) {
    auto ini = FromText("[s]\r\n  just text  \r\nk=1\r\nk\r\n[half\r\n");
    EXPECT_EQ(ini.QueryText("s", "just text", kMissing), kMissing);
    EXPECT_EQ(ini.QueryText("s", "k", kMissing), "1");
    ini.StoreText("s", "k", "2");
    ini.StoreText("s", "just text", "v");
    EXPECT_EQ(ini.ToText(), "[s]\r\njust text\r\nk=2\r\nk\r\n[half\r\njust text=v\r\n\r\n");
}

TEST(MemIniRead, ValueIsEverythingAfterTheFirstEquals) {
    auto ini = FromText("[s]\r\nk = a = b \r\n=lone\r\nempty=\r\nblank=   \r\n");
    EXPECT_EQ(ini.QueryText("s", "k", kMissing), "a = b");
    EXPECT_EQ(ini.QueryText("s", "", kMissing), "lone");
    EXPECT_EQ(ini.QueryText("s", "empty", kMissing), "");
    EXPECT_EQ(ini.QueryText("s", "blank", kMissing), "");
}

TEST(MemIniRead, BracketLines) {
    auto ini = FromText("[]\r\na=1\r\n[ x ] \r\nb=2\r\n[\r\n]\r\n[y]z\r\n");
    EXPECT_EQ(ini.QueryText("", "a", kMissing), "1");
    EXPECT_EQ(ini.QueryText("x", "b", kMissing), "2");
    EXPECT_EQ(ini.ToText(), "[]\r\na=1\r\n\r\n[x]\r\nb=2\r\n[\r\n]\r\n[y]z\r\n\r\n");
}

TEST(MemIniRead, EightBitBytesPassThroughUnchanged) {
    const std::string text = "[\xA7\xE9]\r\nname=Caf\xE9 \xA0\xFF\r\n";
    auto ini = FromText(text);
    EXPECT_EQ(ini.QueryText("\xA7\xE9", "name", kMissing), "Caf\xE9 \xA0\xFF");
    EXPECT_EQ(ini.ToText(), text + "\r\n");
}

TEST(MemIniRead, NulBytesAreOrdinaryBytes) {
    const char raw[] = "[s]\r\nk=a\0b\r\n\0\r\nn\0m=1\r\n\0[t]\0\r\nz=\0\r\n";
    const std::string text(raw, sizeof raw - 1);
    auto ini = FromText(text);
    EXPECT_EQ(ini.QueryText("s", "k", kMissing), std::string("a\0b", 3));
    EXPECT_EQ(ini.QueryInt("s", std::string("n\0m", 3), -1), 1);
    EXPECT_EQ(ini.QueryText("t", "z", kMissing), "");
    ini.StoreText("s", "k", std::string("\0", 1));
    EXPECT_EQ(ini.QueryText("s", "k", kMissing), std::string("\0", 1));
    EXPECT_EQ(ini.QueryInt("s", "k", 7), 7);
}

TEST(MemIniRead, EmptyTextGivesEmptyStore) {
    auto ini = FromText("");
    EXPECT_EQ(ini.ToText(), "");
    EXPECT_EQ(ini.QueryText("network", "activeadapter", "0"), "0");
    EXPECT_EQ(ini.Path(), "unused.ini");
}

TEST(MemIniRead, OneMegabyteLine) {
    const std::string big(1 << 20, 'v');
    auto ini = FromText("[s]\r\nk=" + big + "\r\n" + std::string(1 << 20, ' ') + "x\n");
    EXPECT_EQ(ini.QueryText("s", "k", kMissing), big);
    EXPECT_EQ(ini.ToText(), "[s]\r\nk=" + big + "\r\nx\r\n\r\n");
}

TEST(MemIniRead, ManyShortLines) {
    std::string text = "[s]\n";
    for (int i = 0; i < 100000; ++i)
        text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    auto ini = FromText(text);
    EXPECT_EQ(ini.QueryInt("s", "k0", -1), 0);
    EXPECT_EQ(ini.QueryInt("s", "k99999", -1), 99999);
}

TEST(MemIniTyped, Colours) {
    auto ini = FromText("[display]\r\na=0xFF\r\nb=$FF\r\nc=0x\r\nd=12937777\r\ne=\r\n");
    EXPECT_EQ(ini.QueryInt("display", "a", 12937777), 255);
    EXPECT_EQ(ini.QueryInt("display", "b", 12937777), 255);
    EXPECT_EQ(ini.QueryInt("display", "c", 12937777), 12937777);
    EXPECT_EQ(ini.QueryInt("display", "d", 0), 12937777);
    EXPECT_EQ(ini.QueryInt("display", "e", 16777215), 16777215);
    EXPECT_EQ(ini.QueryInt("display", "missing", 16777215), 16777215);
}

TEST(MemIniTyped, Flags) {
    auto ini = FromText("[bandwidth]\r\nw=true\r\ntwo=2\r\nzero=0\r\nneg=-1\r\nhex=$0\r\n");
    EXPECT_TRUE(ini.QueryFlag("bandwidth", "w", true));
    EXPECT_FALSE(ini.QueryFlag("bandwidth", "w", false));
    EXPECT_TRUE(ini.QueryFlag("bandwidth", "two", false));
    EXPECT_FALSE(ini.QueryFlag("bandwidth", "zero", true));
    EXPECT_TRUE(ini.QueryFlag("bandwidth", "neg", false));
    EXPECT_FALSE(ini.QueryFlag("bandwidth", "hex", true));
    EXPECT_TRUE(ini.QueryFlag("bandwidth", "missing", true));
    EXPECT_FALSE(ini.QueryFlag("bandwidth", "missing", false));
}

TEST(MemIniTyped, FreeTextInAnIntegerKey) {
    auto ini = FromText("");
    ini.StoreText("display", "width", "wide");
    EXPECT_EQ(ini.QueryText("display", "width", "180"), "wide");
    EXPECT_EQ(ini.QueryInt("display", "width", 180), 180);
    // Values set in memory are not trimmed: a trailing blank follows the digits.
    ini.StoreText("display", "height", "300 ");
    EXPECT_EQ(ini.QueryInt("display", "height", 228), 228);
}

TEST(MemIniTyped, WrittenForms) {
    auto ini = FromText("");
    ini.StoreInt("s", "min", INT32_MIN);
    ini.StoreInt("s", "max", INT32_MAX);
    ini.StoreInt("s", "neg", -5);
    ini.StoreFlag("s", "yes", true);
    ini.StoreFlag("s", "no", false);
    EXPECT_EQ(ini.ToText(),
              "[s]\r\nmin=-2147483648\r\nmax=2147483647\r\nneg=-5\r\nyes=1\r\nno=0\r\n\r\n");
    EXPECT_EQ(ini.QueryInt("s", "min", 0), INT32_MIN);
    EXPECT_EQ(ini.QueryInt("s", "max", 0), INT32_MAX);
    EXPECT_TRUE(ini.QueryFlag("s", "yes", false));
    EXPECT_FALSE(ini.QueryFlag("s", "no", true));
}

TEST(MemIniWrite, ReplacesInPlaceWithTheWritersCase) {
    auto ini = FromText("; settings\r\n[DISPLAY]\r\nFontSize=10\r\nWidth=200\r\n\r\n[Other]\r\n");
    ini.StoreInt("display", "fontsize", 12);
    ini.StoreInt("display", "height", 300);
    ini.StoreText("other", "k", "v");
    ini.StoreText("network", "activeadapter", "3");
    ini.StoreText("bandwidth", "dolog", "1");
    ini.StoreText("NETWORK", "x", "y");
    EXPECT_EQ(ini.ToText(), "[DISPLAY]\r\nfontsize=12\r\nWidth=200\r\nheight=300\r\n\r\n"
                            "[Other]\r\nk=v\r\n\r\n"
                            "[network]\r\nactiveadapter=3\r\nx=y\r\n\r\n"
                            "[bandwidth]\r\ndolog=1\r\n\r\n");
}

TEST(MemIniWrite, LineBreaksInAValueCannotSplitTheLine) {
    auto ini = FromText("");
    ini.StoreText("display", "format", "a\r\n[bandwidth]\ndolog=0\rz");
    const std::string stored = ini.QueryText("display", "format", kMissing);
    EXPECT_EQ(stored.find_first_of("\r\n"), std::string::npos);
    auto reread = FromText(ini.ToText());
    EXPECT_EQ(reread.QueryText("display", "format", kMissing), stored);
    EXPECT_EQ(reread.QueryText("bandwidth", "dolog", kMissing), kMissing);
}

TEST(MemIniWrite, ExampleFileOfAFirstConfirmedDialog) {
    auto ini = FromText("");
    testsupport::StoreExampleSettings(ini);
    EXPECT_EQ(ini.ToText(), testsupport::kExampleIniText);
    // A later drag appends the position to the end of "display".
    ini.StoreInt("display", "top", 40);
    ini.StoreInt("display", "left", -20);
    const std::string text = ini.ToText();
    EXPECT_NE(text.find("gototray=1\r\ntop=40\r\nleft=-20\r\n\r\n[bandwidth]"), std::string::npos);
}

} // namespace
