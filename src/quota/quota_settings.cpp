// Reading the quota's settings.
#include "quota/quota_settings.h"

#include <algorithm>

#include "config/config_keys.h"
#include "config/tok_utils.h"
#include "log/calendar.h"

namespace {

std::string Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::string();
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

bool ParseLevel(const std::string& text, int& level) {
    if (text.empty() || text.size() > 4 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    level = std::stoi(text);
    return level >= 1 && level <= kMaxAlertLevel;
}

// Digits only, at most 19: no overflow.
bool ParseBytes(std::string_view text, uint64_t& value) {
    if (text.empty() || text.size() > 19)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

// "H:00" or "HH:00", 0 to 24.
bool ParseWholeHour(std::string_view text, int& hour) {
    const size_t colon = text.find(':');
    uint64_t value = 0;
    if (colon < 1 || colon > 2 || text.substr(colon) != ":00" ||
        !ParseBytes(text.substr(0, colon), value) || value > 24)
        return false;
    hour = static_cast<int>(value);
    return true;
}

} // namespace

TQuotaSettings ReadQuotaSettings(const TMemIniFile& store) {
    TQuotaSettings s;
    s.ShowQuota = ReadFlag(store, cfg::kShowQuota);
    s.Terms.QuotaMB = ReadInt(store, cfg::kMonthQuota);
    s.Terms.StartDay = std::clamp(ReadInt(store, cfg::kQuotaStartDay), 1, 31);
    s.Terms.Counts = ParseQuotaCounts(ReadText(store, cfg::kQuotaCounts));
    s.AlertLevels = ParseAlertLevels(ReadText(store, cfg::kQuotaAlerts));
    if (!ParseFreeHours(ReadText(store, cfg::kQuotaFreeHours), s.Terms.FreeHours))
        s.Terms.FreeHours = 0;
    s.Terms.Correction = ParseQuotaCorrection(ReadText(store, cfg::kQuotaOffset));
    return s;
}

std::vector<int> ParseAlertLevels(const std::string& text) {
    std::vector<int> levels;
    ForEachItem(text, ',', [&levels](std::string_view item) {
        int level = 0;
        if (ParseLevel(Trimmed(item), level))
            levels.push_back(level);
    });
    std::sort(levels.begin(), levels.end());
    levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
    return levels;
}

std::string FormatAlertLevels(const std::vector<int>& levels) {
    std::string text;
    for (int level : levels)
        text += (text.empty() ? "" : ",") + std::to_string(level);
    return text;
}

TLogDirection ParseQuotaCounts(const std::string& text) {
    if (text == "in")
        return ldIn;
    if (text == "out")
        return ldOut;
    return ldInOut;
}

const char* QuotaCountsText(TLogDirection counts) {
    return counts == ldIn ? "in" : counts == ldOut ? "out" : "inout";
}

bool ParseFreeHours(std::string_view text, uint32_t& hours) {
    const std::string range = Trimmed(text);
    hours = 0;
    if (range.empty())
        return true;
    const size_t dash = range.find('-');
    int first = 0, last = 0;
    if (dash == std::string::npos || !ParseWholeHour(Trimmed(range.substr(0, dash)), first) ||
        !ParseWholeHour(Trimmed(range.substr(dash + 1)), last) || first % 24 == last % 24)
        return false;
    for (int hour = first % 24; hour != last % 24; hour = (hour + 1) % 24)
        hours |= uint32_t{1} << hour;
    return true;
}

std::optional<TQuotaCorrection> ParseQuotaCorrection(std::string_view text) {
    std::vector<std::string> fields;
    ForEachItem(text, ' ', [&fields](std::string_view field) { fields.emplace_back(field); });
    TQuotaCorrection c;
    if (fields.size() != 3 || !ParseIsoDate(fields[0], c.PeriodFirst) ||
        !ParseBytes(fields[1], c.Provider) || !ParseBytes(fields[2], c.CountedThen))
        return std::nullopt;
    return c;
}

std::string FormatQuotaCorrection(const TQuotaCorrection& correction) {
    return FormatIsoDate(correction.PeriodFirst) + ' ' + std::to_string(correction.Provider) + ' ' +
           std::to_string(correction.CountedThen);
}

bool ParseMegabytes(std::string_view text, uint64_t& bytes) {
    const std::string typed = Trimmed(text);
    const size_t point = typed.find_first_of(".,");
    const bool hasPoint = point != std::string::npos;
    const std::string_view decimals =
        hasPoint ? std::string_view(typed).substr(point + 1) : std::string_view();
    uint64_t whole = 0, fraction = 0;
    if (!ParseBytes(std::string_view(typed).substr(0, point), whole) || decimals.size() > 9 ||
        (hasPoint && !ParseBytes(decimals, fraction)))
        return false;
    uint64_t scale = 1;
    for (size_t i = 0; i < decimals.size(); ++i)
        scale *= 10;
    if (whole >= uint64_t{1} << 43)
        return false;
    // Half a byte added before the division rounds to the nearest byte.
    bytes = (whole << 20) + ((fraction << 20) + scale / 2) / scale;
    return true;
}
