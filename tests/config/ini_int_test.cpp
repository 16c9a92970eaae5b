// Tests of the configuration store's integer rule.
#include "config/mem_ini_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

namespace {

struct IntCase {
    std::string Text;
    int32_t Expected;
};

void PrintTo(const IntCase& c, std::ostream* os) {
    *os << "'" << c.Text << "'";
}

class IniIntAccepted : public ::testing::TestWithParam<IntCase> {};

TEST_P(IniIntAccepted, GivesTheValue) {
    int32_t value = 12345;
    ASSERT_TRUE(TryParseIniInt(GetParam().Text, value)) << "'" << GetParam().Text << "'";
    EXPECT_EQ(value, GetParam().Expected) << "'" << GetParam().Text << "'";
}

INSTANTIATE_TEST_SUITE_P(Decimal, IniIntAccepted,
                         ::testing::Values(IntCase{"0", 0}, IntCase{"123", 123}, IntCase{"+7", 7},
                                           IntCase{"-7", -7}, IntCase{"   42", 42},
                                           IntCase{"  -3", -3}, IntCase{"0012", 12},
                                           IntCase{"-0", 0}, IntCase{"00000000000000000000012", 12},
                                           IntCase{"2147483647", INT32_MAX},
                                           IntCase{"-2147483648", INT32_MIN},
                                           IntCase{"12937777", 12937777}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, IniIntAccepted,
    ::testing::Values(IntCase{"$FF", 255}, IntCase{"0xFF", 255}, IntCase{"0xff", 255},
                      IntCase{"0XfF", 255}, IntCase{"xA", 10}, IntCase{"X10", 16}, IntCase{"$0", 0},
                      IntCase{"$FFFFFFFF", -1}, IntCase{"0x7FFFFFFF", INT32_MAX},
                      IntCase{"$80000000", INT32_MIN}, IntCase{"$00000001", 1}, IntCase{"-$1", -1},
                      IntCase{"-$FFFFFFFF", 1}, IntCase{"+$10", 16},
                      IntCase{"-0x80000000", INT32_MIN}, IntCase{"  0x00C56A31", 12937777}));

class IniIntRefused : public ::testing::TestWithParam<std::string> {};

TEST_P(IniIntRefused, LeavesTheCallerToItsDefault) {
    int32_t value = 0;
    EXPECT_FALSE(TryParseIniInt(GetParam(), value)) << "'" << GetParam() << "' gave " << value;
}

INSTANTIATE_TEST_SUITE_P(Malformed, IniIntRefused,
                         ::testing::Values("", " ", "-", "+", "--1", "+-1", "- 1", "1 2", "12 ",
                                           "12a", "1e3", "1.5", "true", "word", "\t5", "$", "0x",
                                           "x", "X", "$$1", "0x-1", "$FG", "$0x1", "0xx1", "0x 1"));

INSTANTIATE_TEST_SUITE_P(OutOfRange, IniIntRefused,
                         ::testing::Values("2147483648", "-2147483649", "4294967295",
                                           "99999999999999999999999", "$100000000", "$000000001",
                                           "0x123456789"));

TEST(IniInt, NulBytesEndNothingEarly) {
    int32_t value = 0;
    EXPECT_FALSE(TryParseIniInt(std::string("12\0", 3), value));
    EXPECT_FALSE(TryParseIniInt(std::string("\0"
                                            "12",
                                            3),
                                value));
    EXPECT_FALSE(TryParseIniInt(std::string("$F\0F", 4), value));
}

TEST(IniInt, VeryLongDigitRuns) {
    int32_t value = 0;
    EXPECT_FALSE(TryParseIniInt(std::string(1 << 20, '9'), value));
    EXPECT_TRUE(TryParseIniInt(std::string(1 << 20, '0') + "5", value));
    EXPECT_EQ(value, 5);
}

} // namespace
