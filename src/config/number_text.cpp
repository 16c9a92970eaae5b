// The configuration's integer rule and hexadecimal digits.
#include "config/number_text.h"

#include <cstring>

namespace {

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t HexPrefixLength(std::string_view s) {
    if (!s.empty() && (s[0] == '$' || s[0] == 'x' || s[0] == 'X'))
        return 1;
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        return 2;
    return 0;
}

bool ParseHexPattern(std::string_view digits, uint32_t& bits) {
    if (digits.empty() || digits.size() > 8)
        return false;
    bits = 0;
    for (char c : digits) {
        int d = HexDigitValue(c);
        if (d < 0)
            return false;
        bits = (bits << 4) | static_cast<uint32_t>(d);
    }
    return true;
}

// Decimal magnitude with its sign applied, as a 32-bit pattern; refuses what int32_t cannot hold.
bool ParseDecimal(std::string_view digits, bool negative, uint32_t& bits) {
    if (digits.empty())
        return false;
    const uint64_t limit = negative ? 2147483648u : 2147483647u;
    uint64_t magnitude = 0;
    for (char c : digits) {
        if (!IsDecimalDigit(c))
            return false;
        magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
        if (magnitude > limit)
            return false;
    }
    bits = static_cast<uint32_t>(magnitude);
    if (negative)
        bits = 0u - bits;
    return true;
}

int32_t FromBits(uint32_t bits) {
    int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool TryParseIniInt(std::string_view text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string_view rest = text.substr(i);
    uint32_t bits = 0;
    if (size_t prefix = HexPrefixLength(rest)) {
        if (!ParseHexPattern(rest.substr(prefix), bits))
            return false;
        if (negative)
            bits = 0u - bits;
    } else if (!ParseDecimal(rest, negative, bits)) {
        return false;
    }
    value = FromBits(bits);
    return true;
}
