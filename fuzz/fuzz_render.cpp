// Fuzz target: the template rendering with arbitrary templates, decimal places, separators,
// counters, sums and billing period figures. Checked: the text is byte for byte the one the
// former search-and-replace renderer gives, also from a renderer that rendered the previous
// input's template; a text without any tag comes out unchanged; the result equals a plain
// left-to-right replacement, tag by tag in the table's order; every value equals the exact
// quotient worked out by long division and rounded by the number format's rules (the quota's
// two ratios: its long double form).
// Input: decimals (int32), separator, 4 counters (uint32), 12 sums (uint64), the billing
// period's in, out, counted, quota and left (uint64) and days left (int64), then the template.
#include "config/number_format.h"
#include "display/render.h"
#include "display/tags.h"
#include "quota/quota_bar.h"
#include "fuzz_support.h"
#include "legacy_render.h"
#include "render_rules.h"

#include <algorithm>
#include <vector>

namespace {

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

// The ratios come from the number format's own long double form; everything else is a quotient
// worked out here.
std::string ExpectedValue(const TRule& rule, const TFigures& f, int decimals, char separator) {
    if (IsRatio(rule))
        return FormatStatNumber(Ratio(rule, f.Quota), decimals, separator);
    const uint64_t bytes = SourceBytes(rule, f);
    if (rule.Shift < 0)
        return std::to_string(bytes);
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
std::string RenderOnce(const std::string& templ, int decimals, const TFigures& f, char separator) {
    TStatisticsRenderer renderer;
    return renderer.Render(templ, decimals, f.Counters, f.Totals, separator, f.Quota);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzInput in(data, size);
    const auto decimals = in.Take<int32_t>();
    const auto separator = in.Take<char>();
    TFigures f;
    f.Counters.DeltaIn = in.Take<uint32_t>();
    f.Counters.DeltaOut = in.Take<uint32_t>();
    f.Counters.TotalIn = in.Take<uint32_t>();
    f.Counters.TotalOut = in.Take<uint32_t>();
    for (auto& period : f.Totals.Sum) {
        for (uint64_t& sum : period)
            sum = in.Take<uint64_t>();
    }
    // Any figures, not only those a billing period gives: the renderer takes them as they are.
    f.Quota.Used.In = in.Take<uint64_t>();
    f.Quota.Used.Out = in.Take<uint64_t>();
    f.Quota.Counted = in.Take<uint64_t>();
    f.Quota.QuotaBytes = in.Take<uint64_t>();
    f.Quota.LeftBytes = in.Take<uint64_t>();
    f.Quota.DaysLeft = in.Take<int64_t>();
    const std::string templ = in.Rest();

    const std::string shown = RenderOnce(templ, decimals, f, separator);
    FUZZ_CHECK(shown == LegacyRenderStatistics(templ, decimals, f, separator));
    // Kept from input to input, as the main window keeps its renderer from tick to tick.
    static TStatisticsRenderer kept;
    FUZZ_CHECK(kept.Render(templ, decimals, f.Counters, f.Totals, separator, f.Quota) == shown);
    if (!HasAnyTag(templ))
        FUZZ_CHECK(shown == templ);

    // The shown places are clamped to what the dialog offers.
    const int places = std::clamp(decimals, 0, 9);
    std::string expected = ReplaceAll(templ, "%nl%", "\r\n");
    for (const TRule& rule : kRules) {
        const std::string value = ExpectedValue(rule, f, places, separator);
        FUZZ_CHECK(RenderOnce(rule.Tag, decimals, f, separator) == value);
        expected = ReplaceAll(expected, rule.Tag, value);
    }
    FUZZ_CHECK(shown == expected);

    // The quota bar's figures from the month's in/out sum.
    const uint64_t month = f.Totals.Sum[lpThisMonth][ldInOut];
    const int32_t quota = static_cast<int32_t>(f.Counters.DeltaIn);
    std::string hint = templ; // written over, whatever it held
    QuotaHint(month, quota, decimals, separator, hint);
    FUZZ_CHECK(hint == ExpectedValue({"", kLog, 20, lpThisMonth, ldInOut}, f, places, separator) +
                           "MB of " + std::to_string(quota) + "MB used");
    const uint64_t megabytes = month >> 20;
    FUZZ_CHECK(QuotaPosition(month) ==
               static_cast<int32_t>(std::min<uint64_t>(megabytes, INT32_MAX)));
    return 0;
}
