// The status query for scripts, `corvane.exe --status [--json] [--over P]`: today's, the
// billing period's and the quota's figures from the files' contents, as text for people or as
// JSON whose fields stay as they are.
#pragma once
#include <string>
#include <vector>

#include "history/hour_log.h"
#include "history/local_time.h"
#include "history/history_page.h"
#include "quota/quota_settings.h"

struct TStatus {
    double Today = 0;
    TLogAmounts TodayUsed;
    TQuotaTerms Terms;
    TQuotaFigures Quota;
};

// From the contents of config.ini, bandlog.dat and hourlog.dat; `now` the local day number
// with its fraction, `zone` the local time's offset (for the free hours).
TStatus StatusFromFiles(const std::string& config, const std::string& dailyLog,
                        const std::string& hourLog, double now,
                        TUtcOffsetFunc zone = &SystemUtcOffset);

// Lines ended by CR LF.
std::string StatusText(const TStatus& status);
std::string StatusJson(const TStatus& status);

// Whether the period's use is at or above `percent` of the quota; never without a quota.
bool UseReaches(const TQuotaFigures& quota, int percent);
