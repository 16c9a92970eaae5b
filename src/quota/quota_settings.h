// The quota's settings in section "display" of config.ini, each read with its default.
#pragma once
#include <string>
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

// "showquota", "monthquota", "quotastartday", "quotacounts", "quotaalerts".
TQuotaSettings ReadQuotaSettings(const TMemIniFile& store);

// Whole percentages from 1 to 1000 separated by commas, blanks allowed; anything else is
// skipped. Sorted, each once.
std::vector<int> ParseAlertLevels(const std::string& text);
std::string FormatAlertLevels(const std::vector<int>& levels);

// "in", "out" or "inout" (anything else counts both).
TLogDirection ParseQuotaCounts(const std::string& text);
const char* QuotaCountsText(TLogDirection counts);
