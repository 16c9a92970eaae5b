// The quota bar under the statistics: its position and the first part of its hint.
#pragma once
#include <cstdint>
#include <string>

// The quota bar's hint, "<month in MB>MB of <quota>MB used", written over `hint`.
void QuotaHint(uint64_t monthBytes, int32_t quota, int decimals, char decimalSeparator,
               std::string& hint);

// The quota bar's position: whole megabytes, rounded down; saturates at INT32_MAX, which is
// above any quota the bar can take, so the bar shows full either way.
int32_t QuotaPosition(uint64_t monthBytes);
