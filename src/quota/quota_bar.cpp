// The quota bar's figures, in the statistics' number format.
#include "quota/quota_bar.h"

#include <charconv>
#include <limits>

#include "config/number_format.h"
#include "text/texts.h"

void QuotaHint(uint64_t monthBytes, int32_t quota, int decimals, char decimalSeparator,
               std::string& hint) {
    const TStatText megabytes = FormatStatBinary(monthBytes, -20, decimals, decimalSeparator);
    char quotaText[12];
    const auto quotaEnd = std::to_chars(quotaText, quotaText + sizeof quotaText, quota).ptr;
    hint.clear();
    AppendText(hint, Text(TTextId::QuotaHint),
               {{"used", megabytes.View()},
                {"quota", std::string_view(quotaText, static_cast<size_t>(quotaEnd - quotaText))}});
}

int32_t QuotaPosition(uint64_t monthBytes) {
    const uint64_t megabytes = monthBytes / 1024 / 1024;
    constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(megabytes > kMax ? kMax : megabytes);
}
