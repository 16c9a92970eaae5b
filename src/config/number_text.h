// Integers and hexadecimal digits as the configuration writes them; the update descriptor and
// the adapter identity read theirs by the same rules. Sums of byte counts that never wrap.
#pragma once
#include <cstdint>
#include <string_view>

// The store's integer rule: optional leading spaces and sign, then decimal digits, or up to
// eight hexadecimal digits (a 32-bit pattern) after "$", "0x", "0X", "x" or "X", and nothing
// after them. Decimal values outside the 32-bit signed range are refused.
bool TryParseIniInt(std::string_view text, int32_t& value);

// The value of one hexadecimal digit of either case, or -1.
int HexDigitValue(char c);

// a + b, or the largest value when the sum would wrap: a total that cannot be told must not
// show as a small one.
constexpr uint64_t SaturatingAdd(uint64_t a, uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}
