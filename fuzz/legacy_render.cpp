// The renderer as it was before templates were split into pieces: every tag searched for and
// replaced over the whole text in turn, every figure built in a std::string, the quota's ratios
// through a long double and big decimal numbers. Kept here only as the reference that
// fuzz_render holds the product's renderer against, byte for byte.
#include "legacy_render.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>
#include <vector>

#include "render_rules.h"

namespace {

constexpr int kSignificantDigits = 9;
constexpr int kMaxDecimals = 9;
// Beyond long double's range; keeps absurd exponents from building absurd numbers.
constexpr int kMaxExponent2 = 16448;

// An exact non-negative value: Digits * 10^-FractionDigits, Digits without leading zeros
// (a lone "0" for zero).
struct TDecimalDigits {
    std::string Digits;
    int FractionDigits = 0;
};

// Unsigned big integer in base 10^9, least significant limb first.
class TBigDecimal {
  public:
    explicit TBigDecimal(uint64_t value) {
        do {
            limbs_.push_back(static_cast<uint32_t>(value % kBase));
            value /= kBase;
        } while (value != 0);
    }

    // factor < 2^32, so limb * factor + carry stays below 2^64.
    void Multiply(uint32_t factor) {
        uint64_t carry = 0;
        for (uint32_t& limb : limbs_) {
            const uint64_t product = uint64_t{limb} * factor + carry;
            limb = static_cast<uint32_t>(product % kBase);
            carry = product / kBase;
        }
        while (carry != 0) {
            limbs_.push_back(static_cast<uint32_t>(carry % kBase));
            carry /= kBase;
        }
    }

    std::string ToString() const {
        std::string text = std::to_string(limbs_.back());
        for (size_t i = limbs_.size() - 1; i-- > 0;) {
            const std::string limb = std::to_string(limbs_[i]);
            text.append(9 - limb.size(), '0');
            text += limb;
        }
        return text;
    }

  private:
    static constexpr uint64_t kBase = 1000000000;
    std::vector<uint32_t> limbs_;
};

int CountTrailingZeroBits(uint64_t value) {
    int count = 0;
    while ((value & 1) == 0) {
        value >>= 1;
        ++count;
    }
    return count;
}

// Byte counts scaled by 2^-40 and less need no big numbers: whole part and fraction both fit
// 64 bits, and a fraction below 2^60 can be multiplied by 10 without overflow.
bool FitsInWord(uint64_t mantissa, int exponent2) {
    if (exponent2 >= 0) {
        return exponent2 < 63 && (mantissa >> (63 - exponent2)) == 0;
    }
    return exponent2 >= -60;
}

TDecimalDigits WordToDecimal(uint64_t mantissa, int exponent2) {
    TDecimalDigits result;
    if (exponent2 >= 0) {
        result.Digits = std::to_string(mantissa << exponent2);
        return result;
    }
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

// mantissa * 2^exponent2 exactly: for negative exponents, m * 2^-k = m * 5^k / 10^k.
TDecimalDigits BinaryToDecimal(uint64_t mantissa, int exponent2) {
    TDecimalDigits result;
    if (mantissa == 0) {
        result.Digits = "0";
        return result;
    }
    const int zeros = CountTrailingZeroBits(mantissa);
    mantissa >>= zeros;
    exponent2 = std::min(exponent2 + zeros, kMaxExponent2);
    if (FitsInWord(mantissa, exponent2)) {
        return WordToDecimal(mantissa, exponent2);
    }
    TBigDecimal number(mantissa);
    if (exponent2 >= 0) {
        for (int left = exponent2; left > 0; left -= 31) {
            number.Multiply(uint32_t{1} << std::min(left, 31));
        }
    } else {
        result.FractionDigits = -exponent2;
        constexpr uint32_t kPowers5[] = {1,       5,        25,        125,       625,
                                         3125,    15625,    78125,     390625,    1953125,
                                         9765625, 48828125, 244140625, 1220703125};
        for (int left = -exponent2; left > 0; left -= 13) {
            number.Multiply(kPowers5[std::min(left, 13)]);
        }
    }
    result.Digits = number.ToString();
    return result;
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
    // Below 2^-40 even the largest mantissa stays under half of the ninth decimal place.
    if (exponent2 < -(64 + 40)) {
        mantissa = 0;
    }
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

bool IsZero(const std::string& text) {
    return text.find_first_of("123456789") == std::string::npos;
}

std::string LegacyNumber(long double value, int decimals, char decimalSeparator) {
    if (std::isnan(value)) {
        return "NAN";
    }
    const bool negative = std::signbit(value);
    const std::string sign = negative ? "-" : "";
    value = std::fabs(value);
    if (std::isinf(value)) {
        return sign + "INF";
    }
    int exponent = 0;
    const long double fraction = std::frexp(value, &exponent); // value = fraction * 2^exponent
    static_assert(std::numeric_limits<long double>::digits <= 64, "mantissa must fit 64 bits");
    const auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
    std::string text = LegacyBinary(mantissa, exponent - 64, decimals, decimalSeparator);
    if (negative && !IsZero(text)) {
        text.insert(0, sign);
    }
    return text;
}

// Mbit/s uses the decimal constant 0.00000762939453 (8 / 2^20 cut to nine digits), applied
// exactly as bytes * 762939453 * 10^-14; a 32-bit count times it fits in 64 bits.
constexpr uint64_t kMegabitFactor = 762939453;
constexpr int kMegabitScale = 14;

struct TRenderInput {
    const TFigures& Figures;
    int Decimals;
    char Separator;
};

// Every unit is a power of two except the megabit, which is the decimal constant above.
std::string FormatTagValue(const TRule& rule, const TRenderInput& in) {
    if (IsRatio(rule)) {
        return LegacyNumber(Ratio(rule, in.Figures.Quota), in.Decimals, in.Separator);
    }
    const uint64_t bytes = SourceBytes(rule, in.Figures);
    if (rule.Shift < 0) {
        return std::to_string(bytes);
    }
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
                                   const TFigures& figures, char decimalSeparator) {
    std::string text = templateText;
    std::string scratch;
    ReplaceAll(text, scratch, "%nl%", [] { return std::string("\r\n"); });
    const TRenderInput input{figures, decimals, decimalSeparator};
    for (const TRule& rule : kRules) {
        if (text.find('%') == std::string::npos) {
            break; // nothing left that could be a tag
        }
        ReplaceAll(text, scratch, rule.Tag, [&] { return FormatTagValue(rule, input); });
    }
    return text;
}
