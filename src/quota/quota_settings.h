// The quota's settings in section "display" of config.ini, each read with its default.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quota/billing_period.h"

class TMemIniFile;

struct TQuotaSettings {
    bool ShowQuota = true;
    TQuotaTerms Terms;
    std::vector<int> AlertLevels{80, 100}; // percent, ascending

    // Alerts need a quota: the bar shown and a quota above 0.
    bool HasQuota() const { return ShowQuota && Terms.QuotaMB > 0; }
    // With the first of the month and no alerts, the bar's hint stays as it always was.
    bool HintShowsForecast() const { return Terms.StartDay != 1 || !AlertLevels.empty(); }
};

constexpr int kMaxAlertLevel = 1000;

// "showquota", "monthquota", "quotastartday", "quotacounts", "quotaalerts", "quotafreehours",
// "quotaoffset"; free hours or a provider's figure that cannot be read are left out.
TQuotaSettings ReadQuotaSettings(const TMemIniFile& store);

// Whole percentages from 1 to 1000 separated by commas, blanks allowed; anything else is
// skipped. Sorted, each once.
std::vector<int> ParseAlertLevels(const std::string& text);
std::string FormatAlertLevels(const std::vector<int>& levels);

// "HH:00-HH:00" in local time, hours 0 to 24, also across midnight ("22:00-06:00"); blanks
// around allowed. Sets bit h of `hours` for every hour from the first up to the second; empty
// text gives none. False for anything else, and for a range of no hours ("03:00-03:00").
bool ParseFreeHours(std::string_view text, uint32_t& hours);

// "2026-12-01 12345678901 9876543": the period's first day, the provider's bytes, the bytes
// Corvane counted of the period then.
std::optional<TQuotaCorrection> ParseQuotaCorrection(std::string_view text);
std::string FormatQuotaCorrection(const TQuotaCorrection& correction);

// Megabytes as typed ("12595.2", also with a comma), blanks around allowed, into bytes,
// rounded to the byte; false for anything else, and from 2^43 MB on.
bool ParseMegabytes(std::string_view text, uint64_t& bytes);

// "in", "out" or "inout" (anything else counts both).
TLogDirection ParseQuotaCounts(const std::string& text);
const char* QuotaCountsText(TLogDirection counts);
