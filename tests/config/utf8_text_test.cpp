// The UTF-8 check that decides how config.ini is read, and cutting UTF-8 to a byte limit.
#include "config/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8Text, TellsWellFormedUtf8FromEverythingElse) {
    struct Case {
        std::string Text;
        bool Utf8;
    };
    const Case cases[] = {
        {"", true},
        {"In: %kBinpersec% kB/s", true},
        {"22\xC2\xB0, \xE2\x82\xAC", true},                   // degree, euro
        {"\xD0\xB6 \xE4\xB8\xAD \xF0\x9F\x98\x80", true},     // Cyrillic, CJK, four bytes
        {"\xED\x9F\xBF \xEE\x80\x80 \xF4\x8F\xBF\xBF", true}, // around the surrogates, U+10FFFF
        {"22\xB0, \x80", false},                              // Windows-1252
        {"Caf\xE9", false},                                   // a lead byte at the end
        {"\xE9t\xE9", false},                                 // a lead byte before ASCII
        {"\x80", false},                                      // a stray continuation byte
        {"\xC0\xAF", false},                                  // overlong "/"
        {"\xC1\xBF", false},
        {"\xE0\x80\xAF", false},
        {"\xF0\x80\x80\xAF", false},
        {"\xED\xA0\x80", false},     // a surrogate
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\xFF", false},
        {"\xE4\xB8", false},  // cut short at the end
        {"\xE4\xB8z", false}, // cut short before ASCII
        {"\xF0\x9F\x98", false},
        {"\xE4\xB8\xAD\xAD", false}, // one continuation too many
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsUtf8(c.Text), c.Utf8) << testing::PrintToString(c.Text);
}

TEST(Utf8Text, PrefixEndsOnACharacterBoundary) {
    const std::string text = "a\xD0\xB6\xE4\xB8\xAD"; // a, zhe, zhong: 1 + 2 + 3 bytes
    EXPECT_EQ(Utf8Prefix(text, 6), text);
    EXPECT_EQ(Utf8Prefix(text, 5), "a\xD0\xB6");
    EXPECT_EQ(Utf8Prefix(text, 3), "a\xD0\xB6");
    EXPECT_EQ(Utf8Prefix(text, 2), "a");
    EXPECT_EQ(Utf8Prefix(text, 0), "");
}

} // namespace
