// The number format of the statistics display: fixed point, at most nine significant digits,
// rounded half away from zero, with the user's decimal separator.
#pragma once
#include <cstdint>
#include <string>

// Decimal places are clamped to 0..9 (the range the settings dialog offers). The value is first
// rounded to nine significant digits, then to `decimals` places, both half away from zero, on its
// exact decimal expansion. No thousands separators; no separator when `decimals` is 0. Values
// with more than nine integer digits show their first nine digits followed by zeros. Negative
// values get a leading '-', non-finite ones give "NAN" or "INF".
std::string FormatStatNumber(long double value, int decimals, char decimalSeparator);

// The same format for values given exactly, free of any binary rounding:
// mantissa * 2^exponent2 (byte counts scaled by powers of two) ...
std::string FormatStatBinary(uint64_t mantissa, int exponent2, int decimals, char decimalSeparator);
// ... and mantissa * 10^-scale10 (byte counts times a decimal constant).
std::string FormatStatDecimal(uint64_t mantissa, int scale10, int decimals, char decimalSeparator);
