// The renderer as it was before templates were split into pieces: every tag searched for and
// replaced over the whole text in turn, every figure built in a std::string. Kept here only as
// the reference that fuzz_render holds the product's renderer against, byte for byte.
#include "legacy_render.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "fuzz_support.h"
#include "render_rules.h"

namespace {

constexpr int kSignificantDigits = 9;
constexpr int kMaxDecimals = 9;

// An exact non-negative value: Digits * 10^-FractionDigits, Digits without leading zeros
// (a lone "0" for zero).
struct TDecimalDigits {
    std::string Digits;
    int FractionDigits = 0;
};

TDecimalDigits WordToDecimal(uint64_t mantissa, int exponent2) {
    TDecimalDigits result;
    const int shift = -exponent2;
    const uint64_t mask = (uint64_t{1} << shift) - 1;
    const uint64_t whole = mantissa >> shift;
    uint64_t fraction = mantissa & mask;
    result.Digits = whole != 0 ? std::to_string(whole) : std::string();
    result.Digits.reserve(result.Digits.size() + static_cast<size_t>(shift));
    for (int i = 0; i < shift; ++i) { // 2^-shift has exactly `shift` decimal places
        fraction *= 10;
        const auto digit = static_cast<char>('0' + (fraction >> shift));
        if (!result.Digits.empty() || digit != '0') {
            result.Digits += digit;
        }
        fraction &= mask;
    }
    result.FractionDigits = shift;
    return result;
}

// mantissa * 2^exponent2 exactly. The tags' exponents (-7 to -40) always fit one word, where
// the former code went to the conversion above after taking off trailing zero bits (which only
// adds zeros past the value's last digit, and never changes its text).
TDecimalDigits BinaryToDecimal(uint64_t mantissa, int exponent2) {
    TDecimalDigits result;
    if (mantissa == 0) {
        result.Digits = "0";
        return result;
    }
    FUZZ_CHECK(exponent2 >= -40 && exponent2 < 0);
    return WordToDecimal(mantissa, exponent2);
}

// Keeps `keep` leading digits, rounding half away from zero; the dropped digits become zeros,
// so the value's scale is unchanged. A carry out of the first digit adds a digit in front.
void RoundDigits(std::string& digits, long long keep) {
    if (keep >= static_cast<long long>(digits.size())) {
        return;
    }
    if (keep < 0) {
        digits = "0"; // every digit lies beyond the kept place, the first dropped one is a 0
        return;
    }
    const size_t cut = static_cast<size_t>(keep);
    const bool up = digits[cut] >= '5';
    std::fill(digits.begin() + static_cast<std::ptrdiff_t>(cut), digits.end(), '0');
    if (!up) {
        if (cut == 0) {
            digits = "0";
        }
        return;
    }
    size_t i = cut;
    while (i > 0 && digits[i - 1] == '9') {
        digits[--i] = '0';
    }
    if (i == 0) {
        digits.insert(digits.begin(), '1');
    } else {
        ++digits[i - 1];
    }
}

std::string FormatDigits(TDecimalDigits value, int decimals, char decimalSeparator) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    if (value.Digits != "0") {
        RoundDigits(value.Digits, kSignificantDigits);
    }
    if (value.Digits != "0") {
        const long long integerDigits =
            static_cast<long long>(value.Digits.size()) - value.FractionDigits;
        RoundDigits(value.Digits, integerDigits + decimals);
    }
    if (value.Digits == "0") {
        value.FractionDigits = 0;
    }
    std::string& digits = value.Digits;
    const size_t fraction = static_cast<size_t>(value.FractionDigits);
    if (digits.size() <= fraction) {
        digits.insert(0, fraction + 1 - digits.size(), '0');
    }
    const size_t integerLength = digits.size() - fraction;
    std::string text = digits.substr(0, integerLength);
    if (decimals > 0) {
        text += decimalSeparator;
        const size_t shown = std::min(fraction, static_cast<size_t>(decimals));
        text.append(digits, integerLength, shown);
        text.append(static_cast<size_t>(decimals) - shown, '0');
    }
    return text;
}

std::string LegacyBinary(uint64_t mantissa, int exponent2, int decimals, char decimalSeparator) {
    return FormatDigits(BinaryToDecimal(mantissa, exponent2), decimals, decimalSeparator);
}

std::string LegacyDecimal(uint64_t mantissa, int scale10, int decimals, char decimalSeparator) {
    TDecimalDigits value;
    value.Digits = std::to_string(mantissa);
    if (mantissa != 0) {
        value.FractionDigits = scale10;
    }
    return FormatDigits(std::move(value), decimals, decimalSeparator);
}

// Mbit/s uses the decimal constant 0.00000762939453 (8 / 2^20 cut to nine digits), applied
// exactly as bytes * 762939453 * 10^-14; a 32-bit count times it fits in 64 bits.
constexpr uint64_t kMegabitFactor = 762939453;
constexpr int kMegabitScale = 14;

struct TRenderInput {
    const TMonitorCounters& Counters;
    const TLogTotals& Totals;
    int Decimals;
    char Separator;
};

// Every unit is a power of two except the megabit, which is the decimal constant above.
std::string FormatTagValue(const TRule& rule, const TRenderInput& in) {
    const uint64_t bytes = SourceBytes(rule, in.Counters, in.Totals);
    if (rule.Shift == 0) {
        return LegacyDecimal(bytes * kMegabitFactor, kMegabitScale, in.Decimals, in.Separator);
    }
    return LegacyBinary(bytes, -rule.Shift, in.Decimals, in.Separator);
}

// Replaces every occurrence of `tag` in `text`, scanning on after each inserted value. The
// value is only worked out when the tag occurs at all.
template <typename TValueFn>
void ReplaceAll(std::string& text, std::string& scratch, std::string_view tag, TValueFn valueOf) {
    size_t found = text.find(tag);
    if (found == std::string::npos) {
        return;
    }
    const std::string value = valueOf();
    scratch.clear();
    size_t from = 0;
    do {
        scratch.append(text, from, found - from);
        scratch += value;
        from = found + tag.size();
        found = text.find(tag, from);
    } while (found != std::string::npos);
    scratch.append(text, from, std::string::npos);
    text.swap(scratch);
}

} // namespace

std::string LegacyRenderStatistics(const std::string& templateText, int decimals,
                                   const TMonitorCounters& counters, const TLogTotals& totals,
                                   char decimalSeparator) {
    std::string text = templateText;
    std::string scratch;
    ReplaceAll(text, scratch, "%nl%", [] { return std::string("\r\n"); });
    const TRenderInput input{counters, totals, decimals, decimalSeparator};
    for (const TRule& rule : kRules) {
        if (text.find('%') == std::string::npos) {
            break; // nothing left that could be a tag
        }
        ReplaceAll(text, scratch, rule.Tag, [&] { return FormatTagValue(rule, input); });
    }
    return text;
}
