// The number format of the statistics display: fixed point, at most nine significant digits,
// rounded half away from zero, with the user's decimal separator.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Decimal places are clamped to 0..9 (the range the settings dialog offers). The value is first
// rounded to nine significant digits, then to `decimals` places, both half away from zero, on its
// exact decimal expansion. No thousands separators; no separator when `decimals` is 0. Values
// with more than nine integer digits show their first nine digits followed by zeros.

// Room for any value below 2^64: twenty integer digits, the separator and nine places.
constexpr size_t kStatTextCapacity = 32;

// One formatted figure, kept on the stack: the display formats dozens of them every second.
struct TStatText {
    char Chars[kStatTextCapacity];
    size_t Length = 0;
    std::string_view View() const { return {Chars, Length}; }
};

// Values given exactly, free of any binary rounding, below 2^64 (std::length_error otherwise):
// mantissa * 2^exponent2 (byte counts scaled by powers of two) ...
TStatText FormatStatBinary(uint64_t mantissa, int exponent2, int decimals, char decimalSeparator);
// ... and mantissa * 10^-scale10 (byte counts times a decimal constant).
TStatText FormatStatDecimal(uint64_t mantissa, int scale10, int decimals, char decimalSeparator);

// Any long double, however large. Negative values get a leading '-', non-finite ones give
// "NAN" or "INF". The program itself formats through the stack forms; this one is the reference
// the tests and the fuzzer hold them to, and it shares their digit writer, so it stays here.
std::string FormatStatNumber(long double value, int decimals, char decimalSeparator);
// The same on the stack, for values whose text fits it (std::length_error otherwise): the
// ratios the display shows every second.
TStatText FormatStatFigure(long double value, int decimals, char decimalSeparator);
