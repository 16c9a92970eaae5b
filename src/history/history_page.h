// The pages of the History window's views, which one table lists (the last 48 hours by hour,
// a month by day, two years by month, all years), built from the daily log's days and the
// hourly store's hours.
#pragma once
#include "history/hour_log.h"
#include "history/local_time.h"
#include "log/usage_log.h"
#include "text/text_ids.h"

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

// An index into kHistoryViews, with names for its rows.
enum class THistoryView : int { Hours = 0, Days = 1, Months = 2, Years = 3 };

// What a bar sums, and what a page spans.
enum class THistoryUnit { Hour, Day, Month, Year };

// One view. A page spans PageLength PageUnits, the last of them the cursor's anchor: an hour
// (UTC, from 1970), a day number, year * 12 + month - 1 or a year. PageLength 0: one page of
// every Bar from the first logged one to the present.
struct THistoryViewInfo {
    TTextId Name; // its button's text
    THistoryUnit Bar;
    THistoryUnit PageUnit;
    int PageLength;
    int Step; // PageUnits that Back and Forward move by; 0: none
};

// The views in the order of their buttons; config.ini keeps the index ("view" of "history").
inline constexpr THistoryViewInfo kHistoryViews[] = {
    {TTextId::HistoryViewHours, THistoryUnit::Hour, THistoryUnit::Hour, 48, 48},
    {TTextId::HistoryViewDays, THistoryUnit::Day, THistoryUnit::Month, 1, 1},
    {TTextId::HistoryViewMonths, THistoryUnit::Month, THistoryUnit::Year, 2, 2},
    {TTextId::HistoryViewYears, THistoryUnit::Year, THistoryUnit::Year, 0, 0},
};
inline constexpr int kHistoryViewCount = static_cast<int>(std::size(kHistoryViews));

const THistoryViewInfo& ViewInfo(THistoryView view);

// One local date's bytes (days since 30 December 1899).
struct TDayTotal {
    int Day = 0;
    uint64_t In = 0;
    uint64_t Out = 0;
};
// The daily log's records as one total per date, in date order: records of one date add up,
// a time fraction is dropped, and a record whose date is no date is left out.
std::vector<TDayTotal> DayTotalsOf(const std::vector<TLogRecord>& records);

struct THistoryClock {
    int64_t NowUtc = 0; // seconds since 1970
    TUtcOffsetFunc Zone = &SystemUtcOffset;
};

// Which page of a view: the anchor is the last PageUnit it spans (0 for a view of one page).
struct THistoryCursor {
    THistoryView View = THistoryView::Hours;
    int64_t Anchor = 0;
    bool operator==(const THistoryCursor& o) const { return View == o.View && Anchor == o.Anchor; }
};

// The page of the view that holds the present.
THistoryCursor CurrentCursor(THistoryView view, const THistoryClock& clock);
// `pages` pages later (negative: earlier).
THistoryCursor StepCursor(const THistoryCursor& cursor, int pages);
// The hour keys a page of hours shows, first and last.
void PageHourRange(const THistoryCursor& cursor, uint32_t& first, uint32_t& last);

struct THistoryBar {
    uint64_t In = 0;
    uint64_t Out = 0;
    int Ordinal = 0; // local hour, day of month - 1, month - 1, year or group: where labels go
    std::string AxisLabel; // short, under the bar
    std::string Name;      // in full, for the bar's figures
};

struct THistoryPage {
    THistoryCursor Cursor;
    std::string Title;
    std::vector<THistoryBar> Bars;
    uint64_t TotalIn = 0;
    uint64_t TotalOut = 0;
    // The page's total per day, over its days from the first logged one to the present.
    uint64_t DailyAverage = 0;
    bool CanGoBack = false;
    bool CanGoForward = false;
};

struct THistoryData {
    std::vector<TDayTotal> Days;    // every day, in order
    std::vector<THourRecord> Hours; // in order; at least the hours of an Hours page
    bool HasHours = false;          // FirstHour/LastHour hold the store's earliest and latest hour
    uint32_t FirstHour = 0;
    uint32_t LastHour = 0;
};

THistoryPage BuildHistoryPage(const THistoryCursor& cursor, const THistoryData& data,
                              const THistoryClock& clock);

// A Years page with its years in groups of `years` from a multiple of it, one bar per group
// ("1460-1469", its Ordinal the first year / years) holding their sums; the totals stay.
THistoryPage GroupYears(const THistoryPage& page, int years);

// "KB", "MB", "GB" or "TB": 1024 to the power 1 to 4 bytes.
const std::string& ByteUnitName(int power);
// "1.18 MB": bytes in the largest unit of 1024 (KB to TB) that is at most the value, with two
// decimals; below a kilobyte, "512 bytes".
std::string FormatBytes(uint64_t bytes, char separator);
// Two lines: "Sat 15 March 2025: total 1.18 MB (1235079 bytes)" and
// "In 1.18 MB (1234567 bytes), out 512 bytes (512 bytes)".
std::string BarFigures(const THistoryBar& bar, char separator);
// One line, as a screen reader reads the bar: "Sat 15 March 2025: in 1.18 MB, out 512 bytes".
std::string BarSpokenFigures(const THistoryBar& bar, char separator);
// "Total 1.23 GB (in 1.00 GB, out 234.00 MB), daily average 400.00 MB".
std::string PageSummary(const THistoryPage& page, char separator);
