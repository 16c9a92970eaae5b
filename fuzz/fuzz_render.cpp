// Fuzz target: the template rendering with arbitrary templates, decimal places, separators,
// counters and sums. Checked: the text is byte for byte the one the former search-and-replace
// renderer gives, also from a renderer that rendered the previous input's template; a text
// without any tag comes out unchanged; the result equals a plain left-to-right replacement, tag
// by tag in the table's order; every value equals the exact quotient worked out by long
// division and rounded by the number format's rules.
// Input: decimals (int32), separator, 4 counters (uint32), 12 sums (uint64), then the template.
#include "display/render.h"
#include "display/tags.h"
#include "fuzz_support.h"
#include "legacy_render.h"

#include <algorithm>
#include <vector>

namespace {

enum TSrc { kDeltaIn, kDeltaOut, kTotalIn, kTotalOut, kTotalInOut, kLog };
struct TRule {
    const char* Tag;
    TSrc Source;
    int Shift; // value = bytes / 2^Shift, or megabits when Shift is 0
    int Period, Direction;
};

// The numeric tags in their replacement order.
const TRule kRules[] = {
    {"%kBinpersec%", kDeltaIn, 10, 0, 0},   {"%kBoutpersec%", kDeltaOut, 10, 0, 0},
    {"%MBinout%", kTotalInOut, 20, 0, 0},   {"%MBout%", kTotalOut, 20, 0, 0},
    {"%MBin%", kTotalIn, 20, 0, 0},         {"%GBinout%", kTotalInOut, 30, 0, 0},
    {"%GBout%", kTotalOut, 30, 0, 0},       {"%GBin%", kTotalIn, 30, 0, 0},
    {"%MBoutpersec%", kDeltaOut, 20, 0, 0}, {"%MBinpersec%", kDeltaIn, 20, 0, 0},
    {"%Mbinpersec%", kDeltaIn, 0, 0, 0},    {"%Mboutpersec%", kDeltaOut, 0, 0, 0},
    {"%Kbinpersec%", kDeltaIn, 7, 0, 0},    {"%Kboutpersec%", kDeltaOut, 7, 0, 0},
    {"%MBinoutthisyear%", kLog, 20, 3, 2},  {"%MBinthisyear%", kLog, 20, 3, 0},
    {"%MBoutthisyear%", kLog, 20, 3, 1},    {"%GBinoutthisyear%", kLog, 30, 3, 2},
    {"%GBinthisyear%", kLog, 30, 3, 0},     {"%GBoutthisyear%", kLog, 30, 3, 1},
    {"%TBinoutthisyear%", kLog, 40, 3, 2},  {"%TBinthisyear%", kLog, 40, 3, 0},
    {"%TBoutthisyear%", kLog, 40, 3, 1},    {"%MBinoutthismonth%", kLog, 20, 2, 2},
    {"%MBinthismonth%", kLog, 20, 2, 0},    {"%MBoutthismonth%", kLog, 20, 2, 1},
    {"%GBinoutthismonth%", kLog, 30, 2, 2}, {"%GBinthismonth%", kLog, 30, 2, 0},
    {"%GBoutthismonth%", kLog, 30, 2, 1},   {"%TBinoutthismonth%", kLog, 40, 2, 2},
    {"%TBinthismonth%", kLog, 40, 2, 0},    {"%TBoutthismonth%", kLog, 40, 2, 1},
    {"%MBinoutthisweek%", kLog, 20, 1, 2},  {"%MBinthisweek%", kLog, 20, 1, 0},
    {"%MBoutthisweek%", kLog, 20, 1, 1},    {"%GBinoutthisweek%", kLog, 30, 1, 2},
    {"%GBinthisweek%", kLog, 30, 1, 0},     {"%GBoutthisweek%", kLog, 30, 1, 1},
    {"%TBinoutthisweek%", kLog, 40, 1, 2},  {"%TBinthisweek%", kLog, 40, 1, 0},
    {"%TBoutthisweek%", kLog, 40, 1, 1},    {"%MBinouttoday%", kLog, 20, 0, 2},
    {"%MBintoday%", kLog, 20, 0, 0},        {"%MBouttoday%", kLog, 20, 0, 1},
    {"%GBinouttoday%", kLog, 30, 0, 2},     {"%GBintoday%", kLog, 30, 0, 0},
    {"%GBouttoday%", kLog, 30, 0, 1},
};
static_assert(sizeof(kRules) / sizeof(kRules[0]) == 47, "47 numeric tags");

// num / den by long division (den up to 10^14, so no step overflows), rounded first to nine
// significant digits and then to `decimals` places, both half away from zero.
std::string LongDivision(uint64_t num, uint64_t den, int decimals, char separator) {
    std::vector<int> digits;
    for (char c : std::to_string(num / den))
        digits.push_back(c - '0');
    int integerLength = static_cast<int>(digits.size());
    uint64_t remainder = num % den;
    for (int i = 0; i < 48; ++i) { // enough for every quotient here to end
        remainder *= 10;
        digits.push_back(static_cast<int>(remainder / den));
        remainder %= den;
    }
    FUZZ_CHECK(remainder == 0);
    auto roundAt = [&](int keep) {
        if (keep < 0) {
            std::fill(digits.begin(), digits.end(), 0);
            return;
        }
        if (keep >= static_cast<int>(digits.size()))
            return;
        bool up = digits[keep] >= 5;
        std::fill(digits.begin() + keep, digits.end(), 0);
        for (int i = keep - 1; up; --i) {
            if (i < 0) {
                digits.insert(digits.begin(), 1);
                ++integerLength;
                break;
            }
            up = ++digits[i] == 10;
            if (up)
                digits[i] = 0;
        }
    };
    const auto first = std::find_if(digits.begin(), digits.end(), [](int d) { return d != 0; });
    if (first != digits.end())
        roundAt(static_cast<int>(first - digits.begin()) + 9);
    roundAt(integerLength + decimals);
    std::string text;
    for (int i = 0; i < integerLength; ++i) {
        if (!text.empty() || digits[i] != 0 || i == integerLength - 1)
            text += static_cast<char>('0' + digits[i]);
    }
    if (decimals > 0)
        text += separator;
    for (int i = 0; i < decimals; ++i)
        text += static_cast<char>('0' + digits[integerLength + i]);
    return text;
}

uint64_t SourceBytes(const TRule& rule, const TMonitorCounters& c, const TLogTotals& t) {
    switch (rule.Source) {
    case kDeltaIn:
        return c.DeltaIn;
    case kDeltaOut:
        return c.DeltaOut;
    case kTotalIn:
        return c.TotalIn;
    case kTotalOut:
        return c.TotalOut;
    case kTotalInOut:
        return static_cast<uint32_t>(c.TotalIn + c.TotalOut);
    case kLog:
        return t.Sum[rule.Period][rule.Direction];
    }
    return 0;
}

std::string ExpectedValue(const TRule& rule, const TMonitorCounters& c, const TLogTotals& t,
                          int decimals, char separator) {
    const uint64_t bytes = SourceBytes(rule, c, t);
    if (rule.Shift == 0) // megabits: a 32-bit count times 762939453 stays below 2^62
        return LongDivision(bytes * 762939453u, 100000000000000u, decimals, separator);
    return LongDivision(bytes, uint64_t{1} << rule.Shift, decimals, separator);
}

// Left-to-right, non-overlapping replacement with no rescan of the inserted text.
std::string ReplaceAll(const std::string& text, const std::string& tag, const std::string& value) {
    std::string out;
    size_t from = 0;
    for (size_t at; (at = text.find(tag, from)) != std::string::npos; from = at + tag.size())
        out.append(text, from, at - from).append(value);
    return out.append(text, from, std::string::npos);
}

bool HasAnyTag(const std::string& text) {
    for (const TTagEntry& entry : TagEntries()) {
        if (text.find(entry.Tag) != std::string::npos)
            return true;
    }
    return false;
}

// A renderer of its own: the first tick after a template change.
std::string RenderOnce(const std::string& templ, int decimals, const TMonitorCounters& counters,
                       const TLogTotals& totals, char separator) {
    TStatisticsRenderer renderer;
    return renderer.Render(templ, decimals, counters, totals, separator);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzInput in(data, size);
    const auto decimals = in.Take<int32_t>();
    const auto separator = in.Take<char>();
    TMonitorCounters counters;
    counters.DeltaIn = in.Take<uint32_t>();
    counters.DeltaOut = in.Take<uint32_t>();
    counters.TotalIn = in.Take<uint32_t>();
    counters.TotalOut = in.Take<uint32_t>();
    TLogTotals totals;
    for (auto& period : totals.Sum) {
        for (uint64_t& sum : period)
            sum = in.Take<uint64_t>();
    }
    const std::string templ = in.Rest();

    const std::string shown = RenderOnce(templ, decimals, counters, totals, separator);
    FUZZ_CHECK(shown == LegacyRenderStatistics(templ, decimals, counters, totals, separator));
    // Kept from input to input, as the main window keeps its renderer from tick to tick.
    static TStatisticsRenderer kept;
    FUZZ_CHECK(kept.Render(templ, decimals, counters, totals, separator) == shown);
    if (!HasAnyTag(templ))
        FUZZ_CHECK(shown == templ);

    // The shown places are clamped to what the dialog offers.
    const int places = std::clamp(decimals, 0, 9);
    std::string expected = ReplaceAll(templ, "%nl%", "\r\n");
    for (const TRule& rule : kRules) {
        const std::string value = ExpectedValue(rule, counters, totals, places, separator);
        FUZZ_CHECK(RenderOnce(rule.Tag, decimals, counters, totals, separator) == value);
        expected = ReplaceAll(expected, rule.Tag, value);
    }
    FUZZ_CHECK(shown == expected);

    // The quota bar's figures from the month's in/out sum.
    const uint64_t month = totals.Sum[lpThisMonth][ldInOut];
    const int32_t quota = static_cast<int32_t>(counters.DeltaIn);
    std::string hint = templ; // written over, whatever it held
    QuotaHint(month, quota, decimals, separator, hint);
    FUZZ_CHECK(hint == ExpectedValue({"", kLog, 20, lpThisMonth, ldInOut}, counters, totals, places,
                                     separator) +
                           "MB of " + std::to_string(quota) + "MB used");
    const uint64_t megabytes = month >> 20;
    FUZZ_CHECK(QuotaPosition(month) ==
               static_cast<int32_t>(std::min<uint64_t>(megabytes, INT32_MAX)));
    return 0;
}
