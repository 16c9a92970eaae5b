// The renderer as it was before templates were split into pieces: every tag searched for and
// replaced over the whole text in turn, every figure built in a std::string. Kept here only as
// the reference that fuzz_render holds the product's renderer against, byte for byte.
#include "legacy_render.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string_view>

#include "fuzz_support.h"

namespace {

constexpr int kSignificantDigits = 9;
constexpr int kMaxDecimals = 9;

// An exact non-negative value: Digits * 10^-FractionDigits, Digits without leading zeros
// (a lone "0" for zero).
struct TDecimalDigits {
    std::string Digits;
    int FractionDigits = 0;
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

// mantissa * 2^exponent2 exactly, for the exponents of the tags (always within one word).
TDecimalDigits BinaryToDecimal(uint64_t mantissa, int exponent2) {
    TDecimalDigits result;
    if (mantissa == 0) {
        result.Digits = "0";
        return result;
    }
    const int zeros = CountTrailingZeroBits(mantissa);
    mantissa >>= zeros;
    exponent2 += zeros;
    FUZZ_CHECK(FitsInWord(mantissa, exponent2));
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
    // Below 2^-40 even the largest mantissa stays under half of the ninth decimal place.
    if (exponent2 < -(64 + 40)) {
        mantissa = 0;
    }
    return FormatDigits(BinaryToDecimal(mantissa, exponent2), decimals, decimalSeparator);
}

std::string LegacyDecimal(uint64_t mantissa, int scale10, int decimals, char decimalSeparator) {
    // A mantissa has at most 20 digits: past 30 places it is under 10^-10, shown as zero.
    if (scale10 > 30) {
        mantissa = 0;
    }
    TDecimalDigits value;
    value.Digits = std::to_string(mantissa);
    if (mantissa != 0) {
        value.FractionDigits = scale10; // the megabit scale, 14
    }
    return FormatDigits(std::move(value), decimals, decimalSeparator);
}

enum class TSource : uint8_t { DeltaIn, DeltaOut, TotalIn, TotalOut, TotalInOut, Log };
enum class TUnit : uint8_t { KB, MB, GB, TB, Kbit, Mbit };

struct TTagRule {
    const char* Tag;
    TSource Source;
    TUnit Unit;
    TLogPeriod Period;
    TLogDirection Direction;
};

constexpr TTagRule Counter(const char* tag, TSource source, TUnit unit) {
    return {tag, source, unit, lpToday, ldIn};
}
constexpr TTagRule Sum(const char* tag, TLogPeriod period, TLogDirection direction, TUnit unit) {
    return {tag, TSource::Log, unit, period, direction};
}

// The numeric tags in the order they are replaced; earlier tags win where two share a '%'.
constexpr TTagRule kTagRules[] = {
    Counter("%kBinpersec%", TSource::DeltaIn, TUnit::KB),
    Counter("%kBoutpersec%", TSource::DeltaOut, TUnit::KB),
    Counter("%MBinout%", TSource::TotalInOut, TUnit::MB),
    Counter("%MBout%", TSource::TotalOut, TUnit::MB),
    Counter("%MBin%", TSource::TotalIn, TUnit::MB),
    Counter("%GBinout%", TSource::TotalInOut, TUnit::GB),
    Counter("%GBout%", TSource::TotalOut, TUnit::GB),
    Counter("%GBin%", TSource::TotalIn, TUnit::GB),
    Counter("%MBoutpersec%", TSource::DeltaOut, TUnit::MB),
    Counter("%MBinpersec%", TSource::DeltaIn, TUnit::MB),
    Counter("%Mbinpersec%", TSource::DeltaIn, TUnit::Mbit),
    Counter("%Mboutpersec%", TSource::DeltaOut, TUnit::Mbit),
    Counter("%Kbinpersec%", TSource::DeltaIn, TUnit::Kbit),
    Counter("%Kboutpersec%", TSource::DeltaOut, TUnit::Kbit),
    Sum("%MBinoutthisyear%", lpThisYear, ldInOut, TUnit::MB),
    Sum("%MBinthisyear%", lpThisYear, ldIn, TUnit::MB),
    Sum("%MBoutthisyear%", lpThisYear, ldOut, TUnit::MB),
    Sum("%GBinoutthisyear%", lpThisYear, ldInOut, TUnit::GB),
    Sum("%GBinthisyear%", lpThisYear, ldIn, TUnit::GB),
    Sum("%GBoutthisyear%", lpThisYear, ldOut, TUnit::GB),
    Sum("%TBinoutthisyear%", lpThisYear, ldInOut, TUnit::TB),
    Sum("%TBinthisyear%", lpThisYear, ldIn, TUnit::TB),
    Sum("%TBoutthisyear%", lpThisYear, ldOut, TUnit::TB),
    Sum("%MBinoutthismonth%", lpThisMonth, ldInOut, TUnit::MB),
    Sum("%MBinthismonth%", lpThisMonth, ldIn, TUnit::MB),
    Sum("%MBoutthismonth%", lpThisMonth, ldOut, TUnit::MB),
    Sum("%GBinoutthismonth%", lpThisMonth, ldInOut, TUnit::GB),
    Sum("%GBinthismonth%", lpThisMonth, ldIn, TUnit::GB),
    Sum("%GBoutthismonth%", lpThisMonth, ldOut, TUnit::GB),
    Sum("%TBinoutthismonth%", lpThisMonth, ldInOut, TUnit::TB),
    Sum("%TBinthismonth%", lpThisMonth, ldIn, TUnit::TB),
    Sum("%TBoutthismonth%", lpThisMonth, ldOut, TUnit::TB),
    Sum("%MBinoutthisweek%", lpThisWeek, ldInOut, TUnit::MB),
    Sum("%MBinthisweek%", lpThisWeek, ldIn, TUnit::MB),
    Sum("%MBoutthisweek%", lpThisWeek, ldOut, TUnit::MB),
    Sum("%GBinoutthisweek%", lpThisWeek, ldInOut, TUnit::GB),
    Sum("%GBinthisweek%", lpThisWeek, ldIn, TUnit::GB),
    Sum("%GBoutthisweek%", lpThisWeek, ldOut, TUnit::GB),
    Sum("%TBinoutthisweek%", lpThisWeek, ldInOut, TUnit::TB),
    Sum("%TBinthisweek%", lpThisWeek, ldIn, TUnit::TB),
    Sum("%TBoutthisweek%", lpThisWeek, ldOut, TUnit::TB),
    Sum("%MBinouttoday%", lpToday, ldInOut, TUnit::MB),
    Sum("%MBintoday%", lpToday, ldIn, TUnit::MB),
    Sum("%MBouttoday%", lpToday, ldOut, TUnit::MB),
    Sum("%GBinouttoday%", lpToday, ldInOut, TUnit::GB),
    Sum("%GBintoday%", lpToday, ldIn, TUnit::GB),
    Sum("%GBouttoday%", lpToday, ldOut, TUnit::GB),
};
static_assert(sizeof(kTagRules) / sizeof(kTagRules[0]) == 47, "47 numeric tags");

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

uint64_t SourceBytes(const TTagRule& rule, const TRenderInput& in) {
    switch (rule.Source) {
    case TSource::DeltaIn:
        return in.Counters.DeltaIn;
    case TSource::DeltaOut:
        return in.Counters.DeltaOut;
    case TSource::TotalIn:
        return in.Counters.TotalIn;
    case TSource::TotalOut:
        return in.Counters.TotalOut;
    case TSource::TotalInOut: // wraps at 2^32 like the totals themselves
        return static_cast<uint32_t>(in.Counters.TotalIn + in.Counters.TotalOut);
    case TSource::Log:
        return in.Totals.Get(rule.Period, rule.Direction);
    }
    return 0;
}

// Every unit is a power of two except the megabit, which is the decimal constant above.
std::string FormatTagValue(const TTagRule& rule, const TRenderInput& in) {
    const uint64_t bytes = SourceBytes(rule, in);
    switch (rule.Unit) {
    case TUnit::KB:
        return LegacyBinary(bytes, -10, in.Decimals, in.Separator);
    case TUnit::MB:
        return LegacyBinary(bytes, -20, in.Decimals, in.Separator);
    case TUnit::GB:
        return LegacyBinary(bytes, -30, in.Decimals, in.Separator);
    case TUnit::TB:
        return LegacyBinary(bytes, -40, in.Decimals, in.Separator);
    case TUnit::Kbit:
        return LegacyBinary(bytes, -7, in.Decimals, in.Separator); // * 0.0078125
    case TUnit::Mbit:
        return LegacyDecimal(bytes * kMegabitFactor, kMegabitScale, in.Decimals, in.Separator);
    }
    return std::string();
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
    for (const TTagRule& rule : kTagRules) {
        if (text.find('%') == std::string::npos) {
            break; // nothing left that could be a tag
        }
        ReplaceAll(text, scratch, rule.Tag, [&] { return FormatTagValue(rule, input); });
    }
    return text;
}
