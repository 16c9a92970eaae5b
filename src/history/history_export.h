// Exports of the daily and the hourly records as CSV (RFC 4180, a header line) or as JSON
// (an array of objects with the same fields): the date or the local date and hour in ISO 8601,
// the bytes received and the bytes sent.
#pragma once
#include "history/history_page.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

enum class TExportFormat { Csv, Json };
enum class TExportPeriod { Days, Hours };

// Local dates, inclusive, as day numbers.
struct TExportRange {
    int FromDay = INT_MIN;
    int ToDay = INT_MAX;
};

struct TExportRow {
    std::string When; // "2025-03-15" or "2025-03-15T14:00+01:00"
    uint64_t In = 0;
    uint64_t Out = 0;
};

std::vector<TExportRow> DayRows(const std::vector<TDayTotal>& days, const TExportRange& range);
// An hour belongs to the local date its start falls on; one that starts after 9999-12-31 has no
// date and is left out, as such days are.
std::vector<TExportRow> HourRows(const std::vector<THourRecord>& hours, const TExportRange& range,
                                 TUtcOffsetFunc zone);

// One CSV line: fields quoted where RFC 4180 asks (a comma, a quote, a line break), quotes
// doubled, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);
// A JSON string literal.
std::string JsonString(const std::string& text);

// The whole file: "date" or "hour", then "bytes_in" and "bytes_out".
std::string WriteExport(TExportFormat format, TExportPeriod period,
                        const std::vector<TExportRow>& rows);
