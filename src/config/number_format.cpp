// The statistics number format, worked on the exact decimal digits of the value so that
// binary floating point never moves a half to the wrong side.
#include "config/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

constexpr int kSignificantDigits = 9;
constexpr int kMaxDecimals = 9;
// Rounding half away from zero looks at the first digit it drops, nothing further.
constexpr int kKeptDigits = kSignificantDigits + 1;
// Beyond long double's range; keeps absurd exponents from building absurd numbers.
constexpr int kMaxExponent2 = 16448;

// The leading digits of an exact non-negative value: Digits, read as a whole number, times
// 10^Scale. Cut (not rounded) after kKeptDigits; no digits at all for zero.
struct TLeadingDigits {
    char Digits[kKeptDigits];
    int Count = 0;
    int Scale = 0;
};

// The value written by `count` decimal digits whose last one stands for 10^lastScale.
TLeadingDigits FromDigits(const char* digits, size_t count, int lastScale) {
    TLeadingDigits d;
    size_t first = 0;
    while (first < count && digits[first] == '0')
        ++first;
    const size_t taken = std::min(count - first, static_cast<size_t>(kKeptDigits));
    std::copy(digits + first, digits + first + taken, d.Digits);
    d.Count = static_cast<int>(taken);
    d.Scale = d.Count == 0 ? 0 : lastScale + static_cast<int>(count - first - taken);
    return d;
}

TLeadingDigits FromWhole(uint64_t value, int lastScale) {
    char text[20];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return FromDigits(text, static_cast<size_t>(end - text), lastScale);
}

// Unsigned big integer in base 10^9, least significant limb first, kept on the stack: only for
// values that do not fit 64 bits. A 64-bit mantissa times 2^kMaxExponent2 is the largest;
// times 5^104 (see BinaryDigits) is far smaller. log10(2) < 0.30103.
class TBigDecimal {
  public:
    explicit TBigDecimal(uint64_t value) {
        do {
            limbs_[count_++] = static_cast<uint32_t>(value % kBase);
            value /= kBase;
        } while (value != 0);
    }

    // factor < 2^32, so limb * factor + carry stays below 2^64.
    void Multiply(uint32_t factor) {
        uint64_t carry = 0;
        for (int i = 0; i < count_; ++i) {
            const uint64_t product = uint64_t{limbs_[i]} * factor + carry;
            limbs_[i] = static_cast<uint32_t>(product % kBase);
            carry = product / kBase;
        }
        while (carry != 0) {
            limbs_[count_++] = static_cast<uint32_t>(carry % kBase);
            carry /= kBase;
        }
    }

    // The leading digits when the last limb's last digit stands for 10^lastScale. The top limb
    // and the one below it hold at least ten digits: all that is kept.
    TLeadingDigits Leading(int lastScale) const {
        static_assert(kKeptDigits <= 10, "two limbs hold the kept digits");
        char text[18];
        char* end = std::to_chars(text, text + 9, limbs_[count_ - 1]).ptr;
        const int taken = std::min(count_, 2);
        if (taken == 2) {
            uint32_t limb = limbs_[count_ - 2];
            for (int place = 8; place >= 0; --place, limb /= 10)
                end[place] = static_cast<char>('0' + limb % 10);
            end += 9;
        }
        return FromDigits(text, static_cast<size_t>(end - text), lastScale + 9 * (count_ - taken));
    }

  private:
    static constexpr uint64_t kBase = 1000000000;
    static constexpr int kMaxDigits = (64 + kMaxExponent2) * 30103 / 100000 + 1;
    uint32_t limbs_[(kMaxDigits + 8) / 9];
    int count_ = 0;
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
    if (exponent2 >= 0)
        return exponent2 < 63 && (mantissa >> (63 - exponent2)) == 0;
    return exponent2 >= -60;
}

TLeadingDigits WordDigits(uint64_t mantissa, int exponent2) {
    if (exponent2 >= 0)
        return FromWhole(mantissa << exponent2, 0);
    const int shift = -exponent2;
    const uint64_t mask = (uint64_t{1} << shift) - 1;
    TLeadingDigits d = FromWhole(mantissa >> shift, 0);
    if (d.Scale > 0)
        return d; // more whole digits than kept: the fraction lies beyond them
    uint64_t fraction = mantissa & mask;
    while (fraction != 0 && d.Count < kKeptDigits) { // 2^-shift has `shift` decimal places
        fraction *= 10;
        const auto digit = static_cast<char>('0' + (fraction >> shift));
        fraction &= mask;
        --d.Scale;
        if (d.Count > 0 || digit != '0')
            d.Digits[d.Count++] = digit;
    }
    if (d.Count == 0)
        d.Scale = 0;
    return d;
}

// mantissa * 2^exponent2 exactly: for negative exponents, m * 2^-k = m * 5^k / 10^k.
TLeadingDigits BinaryDigits(uint64_t mantissa, int exponent2) {
    // Below 2^-40 even the largest mantissa stays under half of the ninth decimal place.
    if (mantissa == 0 || exponent2 < -(64 + 40))
        return {};
    const int zeros = CountTrailingZeroBits(mantissa);
    mantissa >>= zeros;
    exponent2 = std::min(exponent2 + zeros, kMaxExponent2);
    if (FitsInWord(mantissa, exponent2))
        return WordDigits(mantissa, exponent2);
    TBigDecimal number(mantissa);
    int lastScale = 0;
    if (exponent2 >= 0) {
        for (int left = exponent2; left > 0; left -= 31)
            number.Multiply(uint32_t{1} << std::min(left, 31));
    } else {
        lastScale = exponent2;
        constexpr uint32_t kPowers5[] = {1,       5,        25,        125,       625,
                                         3125,    15625,    78125,     390625,    1953125,
                                         9765625, 48828125, 244140625, 1220703125};
        for (int left = -exponent2; left > 0; left -= 13)
            number.Multiply(kPowers5[std::min(left, 13)]);
    }
    return number.Leading(lastScale);
}

// Keeps `keep` leading digits, rounding half away from zero. A carry out of the first digit
// gives a 1 one place higher.
void RoundDigits(TLeadingDigits& d, int keep) {
    if (keep >= d.Count)
        return;
    if (keep < 0) { // every digit lies beyond the kept place, the first dropped one is a 0
        d = {};
        return;
    }
    const bool up = d.Digits[keep] >= '5';
    d.Scale += d.Count - keep;
    d.Count = keep;
    if (!up) {
        if (keep == 0)
            d = {};
        return;
    }
    int end = keep; // trailing nines become zeros, which are simply left out
    while (end > 0 && d.Digits[end - 1] == '9')
        --end;
    d.Scale += keep - end;
    if (end == 0) {
        d.Digits[0] = '1';
        d.Count = 1;
        return;
    }
    ++d.Digits[end - 1];
    d.Count = end;
}

// Nine significant digits first, then the decimal places; gives the places to show.
int RoundForDisplay(TLeadingDigits& d, int decimals) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    RoundDigits(d, kSignificantDigits);
    if (d.Count > 0)
        RoundDigits(d, d.Count + d.Scale + decimals);
    return decimals;
}

// Places before the decimal point: the count of whole digits, or 1 for the lone 0.
int WholeLength(const TLeadingDigits& d) {
    return std::max(1, d.Count + d.Scale);
}

size_t TextLength(const TLeadingDigits& d, int decimals) {
    return static_cast<size_t>(WholeLength(d) + (decimals > 0 ? 1 + decimals : 0));
}

void WriteText(const TLeadingDigits& d, int decimals, char decimalSeparator, char* out) {
    const int whole = d.Count + d.Scale;
    auto digitAt = [&d](int place) { // counted from the first digit of the value
        return place >= 0 && place < d.Count ? d.Digits[place] : '0';
    };
    if (whole <= 0)
        *out++ = '0';
    for (int place = 0; place < whole; ++place)
        *out++ = digitAt(place);
    if (decimals <= 0)
        return;
    *out++ = decimalSeparator;
    for (int place = whole; place < whole + decimals; ++place)
        *out++ = digitAt(place);
}

// A '-' goes before a negative value that does not show as zero.
TStatText ToStatText(TLeadingDigits d, bool negative, int decimals, char decimalSeparator) {
    decimals = RoundForDisplay(d, decimals);
    const bool sign = negative && d.Count > 0;
    TStatText text;
    text.Length = TextLength(d, decimals) + (sign ? 1 : 0);
    if (text.Length > kStatTextCapacity)
        throw std::length_error("The figure is too large to be shown");
    if (sign)
        text.Chars[0] = '-';
    WriteText(d, decimals, decimalSeparator, text.Chars + (sign ? 1 : 0));
    return text;
}

// A finite long double's magnitude.
TLeadingDigits MagnitudeDigits(long double value) {
    int exponent = 0;
    // value = fraction * 2^exponent
    const long double fraction = std::frexp(std::fabs(value), &exponent);
    // fraction * 2^64 is a whole number below 2^64 wherever long double has at most 64 bits of
    // mantissa (x87 extended, or plain double).
    static_assert(std::numeric_limits<long double>::digits <= 64, "mantissa must fit 64 bits");
    const auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
    return BinaryDigits(mantissa, exponent - 64);
}

// "NAN", "INF" or "-INF"; nullptr for a finite value.
const char* NonFiniteText(long double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return std::signbit(value) ? "-INF" : "INF";
    return nullptr;
}

} // namespace

TStatText FormatStatBinary(uint64_t mantissa, int exponent2, int decimals, char decimalSeparator) {
    return ToStatText(BinaryDigits(mantissa, exponent2), false, decimals, decimalSeparator);
}

TStatText FormatStatDecimal(uint64_t mantissa, int scale10, int decimals, char decimalSeparator) {
    // A mantissa has at most 20 digits: past 30 places it is under 10^-10, shown as zero.
    if (scale10 > 30)
        mantissa = 0;
    return ToStatText(FromWhole(mantissa, -scale10), false, decimals, decimalSeparator);
}

TStatText FormatStatFigure(long double value, int decimals, char decimalSeparator) {
    if (const char* word = NonFiniteText(value)) {
        TStatText text;
        text.Length = std::strlen(word);
        std::memcpy(text.Chars, word, text.Length);
        return text;
    }
    return ToStatText(MagnitudeDigits(value), std::signbit(value), decimals, decimalSeparator);
}

std::string FormatStatNumber(long double value, int decimals, char decimalSeparator) {
    if (const char* word = NonFiniteText(value))
        return word;
    TLeadingDigits d = MagnitudeDigits(value);
    decimals = RoundForDisplay(d, decimals);
    const bool sign = std::signbit(value) && d.Count > 0;
    std::string text(TextLength(d, decimals) + (sign ? 1 : 0), '-');
    WriteText(d, decimals, decimalSeparator, text.data() + (sign ? 1 : 0));
    return text;
}
