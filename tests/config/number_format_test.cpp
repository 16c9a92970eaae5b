// Tests of the statistics number format.
#include "config/number_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

TEST(FormatStatNumber, HalvesRoundAwayFromZero) {
    EXPECT_EQ(FormatStatNumber(1536 / 1024.0L, 0, '.'), "2");
    EXPECT_EQ(FormatStatNumber(512 / 1024.0L, 0, '.'), "1");
    EXPECT_EQ(FormatStatNumber(1234.625L, 2, '.'), "1234.63");
    EXPECT_EQ(FormatStatNumber(0.125L, 2, '.'), "0.13");
    EXPECT_EQ(FormatStatNumber(2.5L, 0, '.'), "3"); // not to even
    EXPECT_EQ(FormatStatNumber(0.375L, 2, '.'), "0.38");
    EXPECT_EQ(FormatStatNumber(1.4999999L, 0, '.'), "1");
}

TEST(FormatStatNumber, RatesFromTheConstants) {
    EXPECT_EQ(FormatStatNumber(125000 * 0.0078125L, 2, '.'), "976.56");
    EXPECT_EQ(FormatStatNumber(125000 * 0.00000762939453L, 2, '.'), "0.95");
    EXPECT_EQ(FormatStatNumber(4294967295 / 1048576.0L, 2, '.'), "4096.00");
    EXPECT_EQ(FormatStatNumber(1536 / 1024.0L, 2, ','), "1,50");
}

TEST(FormatStatNumber, DecimalsGiveExactlyThatManyDigits) {
    EXPECT_EQ(FormatStatNumber(0, 0, '.'), "0");
    EXPECT_EQ(FormatStatNumber(0, 2, '.'), "0.00");
    EXPECT_EQ(FormatStatNumber(0, 9, '.'), "0.000000000");
    EXPECT_EQ(FormatStatNumber(1.5L, 5, '.'), "1.50000");
    EXPECT_EQ(FormatStatNumber(7, 0, ','), "7");
    EXPECT_EQ(FormatStatNumber(1048576, 1, '.'), "1048576.0"); // no thousands separators
}

TEST(FormatStatNumber, DecimalsOutsideZeroToNineAreClamped) {
    EXPECT_EQ(FormatStatNumber(1.75L, -1, '.'), "2");
    EXPECT_EQ(FormatStatNumber(1.75L, -1000, '.'), "2");
    EXPECT_EQ(FormatStatNumber(0.25L, 12, '.'), "0.250000000");
    EXPECT_EQ(FormatStatNumber(0.25L, std::numeric_limits<int>::max(), '.'), "0.250000000");
}

TEST(FormatStatNumber, AtMostNineSignificantDigits) {
    EXPECT_EQ(FormatStatNumber(1234567898.75L, 0, '.'), "1234567900");
    EXPECT_EQ(FormatStatNumber(1234567898.75L, 2, '.'), "1234567900.00");
    EXPECT_EQ(FormatStatNumber(12345.6789012L, 9, '.'), "12345.678900000");
    EXPECT_EQ(FormatStatNumber(0.00123456789123L, 9, '.'), "0.001234568");
    EXPECT_EQ(FormatStatNumber(999999999.5L, 2, '.'), "1000000000.00"); // carry adds a digit
}

TEST(FormatStatNumber, TinyValuesRoundToZeroOrUp) {
    EXPECT_EQ(FormatStatNumber(0.004L, 2, '.'), "0.00");
    EXPECT_EQ(FormatStatNumber(0.00499L, 2, '.'), "0.00");
    EXPECT_EQ(FormatStatNumber(0.005L, 2, '.'), "0.01");
    EXPECT_EQ(FormatStatNumber(0.5L, 0, '.'), "1");
    EXPECT_EQ(FormatStatNumber(0.0000000005L, 9, '.'), "0.000000001");
    EXPECT_EQ(FormatStatNumber(LDBL_TRUE_MIN, 9, '.'), "0.000000000");
    EXPECT_EQ(FormatStatNumber(LDBL_MIN, 2, '.'), "0.00");
}

TEST(FormatStatNumber, HugeValuesStaySane) {
    const std::string big = FormatStatNumber(1e30L, 2, '.');
    EXPECT_EQ(big, "1" + std::string(30, '0') + ".00");
    const std::string largest = FormatStatNumber(LDBL_MAX, 0, '.');
    ASSERT_EQ(largest.size(), static_cast<size_t>(LDBL_MAX_10_EXP) + 1);
    EXPECT_EQ(largest.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(largest.find_first_not_of('0', 9), std::string::npos); // nine digits, then zeros
    const uint64_t maxBytes = std::numeric_limits<uint64_t>::max();
    EXPECT_EQ(FormatStatNumber(maxBytes / 1048576.0L, 2, '.'), "17592186000000.00");
}

TEST(FormatStatNumber, OddInputsGiveText) {
    EXPECT_EQ(FormatStatNumber(-1.5L, 2, '.'), "-1.50");
    EXPECT_EQ(FormatStatNumber(-0.001L, 2, '.'), "0.00");
    EXPECT_EQ(FormatStatNumber(-0.0L, 0, '.'), "0");
    EXPECT_EQ(FormatStatNumber(std::numeric_limits<long double>::quiet_NaN(), 2, '.'), "NAN");
    EXPECT_EQ(FormatStatNumber(std::numeric_limits<long double>::infinity(), 2, '.'), "INF");
    EXPECT_EQ(FormatStatNumber(-std::numeric_limits<long double>::infinity(), 2, '.'), "-INF");
}

// The stack form takes the big-number path too (fractions with a full 64-bit mantissa), with
// the same digits, and refuses only what does not fit.
TEST(FormatStatNumber, StackFormGivesTheSameText) {
    const long double values[] = {100.0L / 3,
                                  1.0L / 3,
                                  2.0L / 3 / 1024,
                                  1e-7L / 3,
                                  1e15L / 7,
                                  1234.625L,
                                  -1.5L,
                                  -0.001L,
                                  LDBL_TRUE_MIN,
                                  1e20L,
                                  std::numeric_limits<long double>::infinity()};
    for (long double value : values) {
        for (int decimals : {0, 2, 9}) {
            EXPECT_EQ(FormatStatFigure(value, decimals, ',').View(),
                      FormatStatNumber(value, decimals, ','))
                << static_cast<double>(value) << " at " << decimals;
        }
    }
    EXPECT_EQ(FormatStatFigure(1.0L / 3, 9, '.').View(), "0.333333333");
    EXPECT_EQ(FormatStatFigure(-0.0L, 2, '.').View(), "0.00");
    EXPECT_EQ(FormatStatFigure(std::numeric_limits<long double>::quiet_NaN(), 2, '.').View(),
              "NAN");
    EXPECT_THROW(FormatStatFigure(1e30L, 2, '.'), std::length_error);
}

TEST(FormatStatExact, BinaryMatchesTheLongDoubleForm) {
    const uint64_t samples[] = {0, 1, 511, 512, 1536, 1294598144, 4294967295, 1099511627775};
    for (uint64_t bytes : samples) {
        for (int shift : {7, 10, 20, 30, 40}) {
            for (int decimals : {0, 2, 5, 9}) {
                EXPECT_EQ(FormatStatBinary(bytes, -shift, decimals, '.').View(),
                          FormatStatNumber(std::ldexp(static_cast<long double>(bytes), -shift),
                                           decimals, '.'))
                    << bytes << " >> " << shift << " at " << decimals;
            }
        }
    }
    EXPECT_EQ(FormatStatBinary(3, 4, 1, '.').View(), "48.0");
    EXPECT_EQ(FormatStatBinary(1, -200, 9, '.').View(), "0.000000000");
    // Twenty whole digits, the separator and nine places still fit the stack text.
    EXPECT_EQ(FormatStatBinary(~uint64_t{0}, 0, 9, ',').View(), "18446744100000000000,000000000");
    EXPECT_THROW(FormatStatBinary(1, 200, 0, '.'), std::length_error);
    EXPECT_THROW(FormatStatDecimal(5, -40, 0, '.'), std::length_error);
}

TEST(FormatStatExact, DecimalTiesAreExact) {
    // 150000 * 0.00000762939453 = 1.1444091795 exactly: the tenth digit is a true half.
    EXPECT_EQ(FormatStatDecimal(150000ULL * 762939453, 14, 9, '.').View(), "1.144409180");
    EXPECT_EQ(FormatStatDecimal(9995, 3, 2, '.').View(), "10.00");
    EXPECT_EQ(FormatStatDecimal(9994, 3, 2, ',').View(), "9,99");
    EXPECT_EQ(FormatStatDecimal(5, -3, 0, '.').View(), "5000");
    EXPECT_EQ(FormatStatDecimal(5, 40, 9, '.').View(), "0.000000000");
    EXPECT_EQ(FormatStatDecimal(0, 14, 2, '.').View(), "0.00");
}

TEST(FormatStatExact, NineDigitsComeFirstThenTheDecimals) {
    // 0.1249999999: nine significant digits give 0.125000000, which then shows as 0.13.
    EXPECT_EQ(FormatStatDecimal(1249999999, 10, 2, '.').View(), "0.13");
    EXPECT_EQ(FormatStatDecimal(1249999949, 10, 2, '.').View(), "0.12");
}

} // namespace
