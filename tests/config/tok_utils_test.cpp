// Tests of the delimited field helpers.
#include "config/tok_utils.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct FieldCase {
    std::string S;
    std::string Separator;
    int32_t Index;
    bool ToEnd;
    bool TrimEnds;
    std::string Expected;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << "'" << c.S << "' by '" << c.Separator << "', field " << c.Index
        << (c.ToEnd ? ", to end" : "") << (c.TrimEnds ? ", trimmed" : "");
}

class ExtractFieldTable : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ExtractFieldTable, GivesTheExpectedField) {
    const FieldCase& c = GetParam();
    EXPECT_EQ(ExtractField(c.S, c.Separator, c.Index, c.ToEnd, c.TrimEnds), c.Expected)
        << "S='" << c.S << "' separator='" << c.Separator << "' index=" << c.Index;
}

INSTANTIATE_TEST_SUITE_P(
    Documented, ExtractFieldTable,
    ::testing::Values(
        FieldCase{"12. Adapter 2.0", ".", 1, false, true, "12"},
        FieldCase{"%nl% - New Line", " ", 1, false, true, "%nl%"},
        FieldCase{"..a..b.", ".", 2, false, true, "b"}, FieldCase{"a..b", ".", 2, false, false, ""},
        FieldCase{"a..b", ".", 3, false, false, "b"}, FieldCase{"a.b.c", ".", 2, true, true, "b.c"},
        FieldCase{"a.b", ".", 5, false, true, "b"}, FieldCase{"a.b", ".", 0, false, true, "a"},
        FieldCase{"", ".", 3, false, true, ""}, FieldCase{"abc", ".", 1, false, true, "abc"}));

INSTANTIATE_TEST_SUITE_P(
    Further, ExtractFieldTable,
    ::testing::Values(
        // Negative and huge indexes.
        FieldCase{"a.b", ".", -5, false, true, "a"},
        FieldCase{"a.b.c", ".", INT32_MAX, false, true, "c"},
        FieldCase{"a.b.c", ".", INT32_MIN, true, false, "a.b.c"},
        // Without TrimEnds the separators at the ends stay.
        FieldCase{".a.", ".", 1, false, false, ""}, FieldCase{".a.", ".", 2, true, false, "a."},
        FieldCase{"..a..b..c.", ".", 2, true, true, "b..c"},
        // Only separators.
        FieldCase{"....", ".", 3, false, true, ""},
        // An empty separator never occurs.
        FieldCase{"a.b", "", 3, false, true, "a.b"}, FieldCase{"a.b", "", 1, false, false, "a.b"},
        // A longer separator: one step removes only up to its first character.
        FieldCase{"a::b::c", "::", 2, false, false, ":b"},
        FieldCase{"a::b::c", "::", 1, false, true, "a"}, FieldCase{"::a", "::", 1, false, true, ""},
        // Letter case counts; bytes above 0x7F are ordinary characters.
        FieldCase{"aXbxc", "x", 2, false, true, "c"},
        FieldCase{"\xE9\xA0z\xA0q", "\xA0", 2, false, true, "z"},
        // The adapter entries' form.
        FieldCase{"4. Intel(R) Ethernet", ".", 1, false, true, "4"},
        FieldCase{"1.", ".", 1, false, true, "1"}));

TEST(TrimSeparator, RemovesSingleCharacterSeparatorsAtBothEnds) {
    EXPECT_EQ(TrimSeparator("..x.y..", "."), "x.y");
    EXPECT_EQ(TrimSeparator("x", "."), "x");
    EXPECT_EQ(TrimSeparator("....", "."), "");
    EXPECT_EQ(TrimSeparator("", "."), "");
    EXPECT_EQ(TrimSeparator("  %nl% ", " "), "%nl%");
}

TEST(TrimSeparator, OtherSeparatorLengthsNeverMatch) {
    EXPECT_EQ(TrimSeparator("ab", "ab"), "ab");
    EXPECT_EQ(TrimSeparator("abxab", "ab"), "abxab");
    EXPECT_EQ(TrimSeparator(".x.", ""), ".x.");
}

TEST(TrimSeparator, ComparesExactly) {
    EXPECT_EQ(TrimSeparator("XxaxX", "x"), "XxaxX");
    EXPECT_EQ(TrimSeparator("xXax", "x"), "Xa");
}

TEST(TrimSeparator, KeepsEmbeddedNulBytes) {
    const std::string text("\0a\0", 3);
    EXPECT_EQ(TrimSeparator(text, std::string(1, '\0')), "a");
    EXPECT_EQ(TrimSeparator(text, "."), text);
}

TEST(ExtractField, LongTextsWithManySeparators) {
    // A megabyte of separators and fields, stepped through field by field.
    std::string s;
    for (int i = 0; i < 200000; ++i)
        s += "..f" + std::to_string(i % 10);
    EXPECT_EQ(ExtractField(s, ".", 200000, false, true), "f9");
    EXPECT_EQ(ExtractField(s, ".", INT32_MAX, false, true), "f9");
    EXPECT_EQ(ExtractField(s, ".", 3, false, false), "f0");
    EXPECT_EQ(ExtractField(std::string(1 << 20, '.'), ".", INT32_MAX, true, true), "");
}

// Empty pieces between separators are items; a separator at the very end adds none.
TEST(ForEachItem, PiecesBetweenSeparators) {
    auto items = [](std::string_view text) {
        std::vector<std::string> seen;
        ForEachItem(text, ',', [&seen](std::string_view item) { seen.emplace_back(item); });
        return seen;
    };
    EXPECT_EQ(items("80, 100,,pace,"), (std::vector<std::string>{"80", " 100", "", "pace"}));
    EXPECT_EQ(items(",x"), (std::vector<std::string>{"", "x"}));
    EXPECT_EQ(items("x"), std::vector<std::string>{"x"});
    EXPECT_TRUE(items("").empty());
}

} // namespace
