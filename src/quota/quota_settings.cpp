// Reading the quota's settings.
#include "quota/quota_settings.h"

#include <algorithm>

#include "config/config_keys.h"
#include "config/tok_utils.h"

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

} // namespace

TQuotaSettings ReadQuotaSettings(const TMemIniFile& store) {
    TQuotaSettings s;
    s.ShowQuota = ReadFlag(store, cfg::kShowQuota);
    s.Terms.QuotaMB = ReadInt(store, cfg::kMonthQuota);
    s.Terms.StartDay = std::clamp(ReadInt(store, cfg::kQuotaStartDay), 1, 31);
    s.Terms.Counts = ParseQuotaCounts(ReadText(store, cfg::kQuotaCounts));
    s.AlertLevels = ParseAlertLevels(ReadText(store, cfg::kQuotaAlerts));
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
