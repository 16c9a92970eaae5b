// Building the History window's pages: bars per hour, day, month or year, their names and
// labels in local time, the page's totals and daily average, and where Back and Forward lead.
#include "history/history_page.h"
#include "config/number_text.h"
#include "config/number_format.h"
#include "log/calendar.h"

#include <algorithm>

namespace {

constexpr int kHoursPerPage = 48;

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

int DayOf(int year, int month, int day) {
    return static_cast<int>(EncodeDate(year, month, day));
}

int YearOfDay(int dayNumber) {
    int year = 0, month = 0, day = 0;
    DecodeDate(dayNumber, year, month, day);
    return year;
}

std::string TwoDigits(int value) {
    return ZeroPadded(value, 2);
}

// "Sat 15 Mar 2025 14:00 (UTC+01:00)": the offset tells the two 02:00 of the night the clocks
// go back apart.
std::string HourName(const TLocalTime& t) {
    return std::string(WeekdayShortName(t.Weekday)) + " " + std::to_string(t.Day) + " " +
           MonthShortName(t.Month) + " " + std::to_string(t.Year) + " " + TwoDigits(t.Hour) + ":" +
           TwoDigits(t.Minute) + " (UTC" + UtcOffsetText(t.OffsetSeconds) + ")";
}

std::string ShortDateTime(const TLocalTime& t) {
    return std::to_string(t.Day) + " " + MonthShortName(t.Month) + " " + std::to_string(t.Year) +
           " " + TwoDigits(t.Hour) + ":" + TwoDigits(t.Minute);
}

// Sums saturate: a total past 2^64 bytes shows as the largest one, never as a small one.
template <typename T> void AddTo(T& total, uint64_t in, uint64_t out) {
    total.In = SaturatingAdd(total.In, in);
    total.Out = SaturatingAdd(total.Out, out);
}

void AddDays(const std::vector<TDayTotal>& days, int first, int last, THistoryBar& bar) {
    auto at = std::lower_bound(days.begin(), days.end(), first,
                               [](const TDayTotal& d, int day) { return d.Day < day; });
    for (; at != days.end() && at->Day <= last; ++at)
        AddTo(bar, at->In, at->Out);
}

// The units (hours or days) over which a page's total is spread for its daily average: from
// the first one with data, or the page's start, to the present, or to the last one with data
// when the clock was set back.
struct TPageSpan {
    int64_t First = 0, Last = 0;
    bool HasData = false;
    int64_t FirstData = 0, LastData = 0;
    int64_t Now = 0;
    int UnitsPerDay = 1;
};

uint64_t PerDay(uint64_t total, const TPageSpan& span) {
    int64_t units = 1;
    if (span.HasData) {
        const int64_t from = std::max(span.First, span.FirstData);
        const int64_t to = std::min(span.Last, std::max(span.Now, span.LastData));
        units = std::max<int64_t>(1, to - from + 1);
    }
    const long double perDay = static_cast<long double>(total) * span.UnitsPerDay / units + 0.5L;
    return perDay >= 0x1p64L ? UINT64_MAX : static_cast<uint64_t>(perDay);
}

TPageSpan DaySpan(const THistoryData& data, int first, int last, int today) {
    TPageSpan span;
    span.First = first;
    span.Last = last;
    span.HasData = !data.Days.empty();
    if (span.HasData) {
        span.FirstData = data.Days.front().Day;
        span.LastData = data.Days.back().Day;
    }
    span.Now = today;
    return span;
}

TPageSpan BuildHours(THistoryPage& page, const THistoryData& data, const THistoryClock& clock) {
    uint32_t first = 0, last = 0, now = 0;
    PageHourRange(page.Cursor, first, last);
    HourOfUtc(clock.NowUtc, now);
    auto record = std::lower_bound(data.Hours.begin(), data.Hours.end(), first,
                                   [](const THourRecord& r, uint32_t h) { return r.Hour < h; });
    for (uint32_t hour = first;; ++hour) {
        THistoryBar bar;
        while (record != data.Hours.end() && record->Hour < hour)
            ++record;
        if (record != data.Hours.end() && record->Hour == hour) {
            bar.In = record->In;
            bar.Out = record->Out;
        }
        const TLocalTime t = LocalTimeOf(int64_t{hour} * 3600, clock.Zone);
        bar.Ordinal = t.Hour;
        bar.AxisLabel = t.Hour == 0 && t.Minute == 0
                            ? std::to_string(t.Day) + " " + MonthShortName(t.Month)
                            : TwoDigits(t.Hour);
        bar.Name = HourName(t);
        page.Bars.push_back(std::move(bar));
        if (hour == last)
            break;
    }
    page.Title = ShortDateTime(LocalTimeOf(int64_t{first} * 3600, clock.Zone)) + " to " +
                 ShortDateTime(LocalTimeOf((int64_t{last} + 1) * 3600, clock.Zone));
    page.CanGoBack = data.HasHours && data.FirstHour < first;
    page.CanGoForward = last < now;
    TPageSpan span;
    span.First = first;
    span.Last = last;
    span.HasData = data.HasHours;
    span.FirstData = data.FirstHour;
    span.LastData = data.LastHour;
    span.Now = now;
    span.UnitsPerDay = 24;
    return span;
}

TPageSpan BuildDays(THistoryPage& page, const THistoryData& data, int today) {
    const int year = static_cast<int>(FloorDiv(page.Cursor.Anchor, 12));
    const int month = static_cast<int>(page.Cursor.Anchor - int64_t{year} * 12) + 1;
    const int first = DayOf(year, month, 1), last = DayOf(year, month + 1, 1) - 1;
    for (int day = first; day <= last; ++day) {
        THistoryBar bar;
        AddDays(data.Days, day, day, bar);
        bar.Ordinal = day - first;
        bar.AxisLabel = std::to_string(day - first + 1);
        bar.Name = std::string(WeekdayShortName(IsoDayOfWeek(day))) + " " +
                   std::to_string(day - first + 1) + " " + MonthName(month) + " " +
                   std::to_string(year);
        page.Bars.push_back(std::move(bar));
    }
    page.Title = std::string(MonthName(month)) + " " + std::to_string(year);
    page.CanGoBack = !data.Days.empty() && data.Days.front().Day < first;
    page.CanGoForward = last < today;
    return DaySpan(data, first, last, today);
}

TPageSpan BuildMonths(THistoryPage& page, const THistoryData& data, int today) {
    const int later = static_cast<int>(page.Cursor.Anchor);
    for (int year = later - 1; year <= later; ++year) {
        for (int month = 1; month <= 12; ++month) {
            THistoryBar bar;
            AddDays(data.Days, DayOf(year, month, 1), DayOf(year, month + 1, 1) - 1, bar);
            bar.Ordinal = month - 1;
            bar.AxisLabel = month == 1 ? std::to_string(year) : MonthShortName(month);
            bar.Name = std::string(MonthName(month)) + " " + std::to_string(year);
            page.Bars.push_back(std::move(bar));
        }
    }
    page.Title = std::to_string(later - 1) + " to " + std::to_string(later);
    const int first = DayOf(later - 1, 1, 1), last = DayOf(later, 12, 31);
    page.CanGoBack = !data.Days.empty() && data.Days.front().Day < first;
    page.CanGoForward = last < today;
    return DaySpan(data, first, last, today);
}

TPageSpan BuildYears(THistoryPage& page, const THistoryData& data, int today) {
    const int thisYear = YearOfDay(today);
    const int firstYear =
        data.Days.empty() ? thisYear : std::min(thisYear, YearOfDay(data.Days.front().Day));
    const int lastYear =
        data.Days.empty() ? thisYear : std::max(thisYear, YearOfDay(data.Days.back().Day));
    for (int year = firstYear; year <= lastYear; ++year) {
        THistoryBar bar;
        AddDays(data.Days, DayOf(year, 1, 1), DayOf(year, 12, 31), bar);
        bar.Ordinal = year;
        bar.AxisLabel = bar.Name = std::to_string(year);
        page.Bars.push_back(std::move(bar));
    }
    page.Title = "All years";
    return DaySpan(data, DayOf(firstYear, 1, 1), DayOf(lastYear, 12, 31), today);
}

} // namespace

std::vector<TDayTotal> DayTotalsOf(const std::vector<TLogRecord>& records) {
    std::vector<TDayTotal> days;
    days.reserve(records.size());
    for (const TLogRecord& record : records) {
        int year = 0, month = 0, day = 0;
        if (DecodeDate(record.Date, year, month, day))
            days.push_back({DayOf(year, month, day), record.InBytes, record.OutBytes});
    }
    std::stable_sort(days.begin(), days.end(),
                     [](const TDayTotal& a, const TDayTotal& b) { return a.Day < b.Day; });
    std::vector<TDayTotal> merged;
    merged.reserve(days.size());
    for (const TDayTotal& day : days) {
        if (!merged.empty() && merged.back().Day == day.Day)
            AddTo(merged.back(), day.In, day.Out);
        else
            merged.push_back(day);
    }
    return merged;
}

THistoryCursor CurrentCursor(THistoryView view, const THistoryClock& clock) {
    THistoryCursor cursor;
    cursor.View = view;
    const TLocalTime now = LocalTimeOf(clock.NowUtc, clock.Zone);
    switch (view) {
    case THistoryView::Hours: {
        uint32_t hour = 0;
        HourOfUtc(clock.NowUtc, hour);
        cursor.Anchor = hour;
        break;
    }
    case THistoryView::Days:
        cursor.Anchor = int64_t{now.Year} * 12 + now.Month - 1;
        break;
    case THistoryView::Months:
        cursor.Anchor = now.Year;
        break;
    case THistoryView::Years:
        break;
    }
    return cursor;
}

THistoryCursor StepCursor(const THistoryCursor& cursor, int pages) {
    THistoryCursor next = cursor;
    switch (cursor.View) {
    case THistoryView::Hours:
        next.Anchor = std::max<int64_t>(kHoursPerPage - 1, cursor.Anchor + pages * kHoursPerPage);
        break;
    case THistoryView::Days:
        next.Anchor += pages;
        break;
    case THistoryView::Months:
        next.Anchor += 2 * pages;
        break;
    case THistoryView::Years:
        break;
    }
    return next;
}

void PageHourRange(const THistoryCursor& cursor, uint32_t& first, uint32_t& last) {
    last = static_cast<uint32_t>(std::clamp<int64_t>(cursor.Anchor, kHoursPerPage - 1, UINT32_MAX));
    first = last - (kHoursPerPage - 1);
}

THistoryPage BuildHistoryPage(const THistoryCursor& cursor, const THistoryData& data,
                              const THistoryClock& clock) {
    THistoryPage page;
    page.Cursor = cursor;
    const int today = LocalTimeOf(clock.NowUtc, clock.Zone).DayNumber;
    TPageSpan span;
    switch (cursor.View) {
    case THistoryView::Hours:
        span = BuildHours(page, data, clock);
        break;
    case THistoryView::Days:
        span = BuildDays(page, data, today);
        break;
    case THistoryView::Months:
        span = BuildMonths(page, data, today);
        break;
    case THistoryView::Years:
        span = BuildYears(page, data, today);
        break;
    }
    THistoryBar total;
    for (const THistoryBar& bar : page.Bars)
        AddTo(total, bar.In, bar.Out);
    page.TotalIn = total.In;
    page.TotalOut = total.Out;
    page.DailyAverage = PerDay(SaturatingAdd(total.In, total.Out), span);
    return page;
}

THistoryPage GroupYears(const THistoryPage& page, int years) {
    THistoryPage grouped = page;
    grouped.Bars.clear();
    for (const THistoryBar& bar : page.Bars) {
        const int group = bar.Ordinal / years;
        if (grouped.Bars.empty() || grouped.Bars.back().Ordinal != group) {
            THistoryBar first;
            first.Ordinal = group;
            first.AxisLabel = first.Name = std::to_string(std::max(1, group * years)) + "-" +
                                           std::to_string(group * years + years - 1);
            grouped.Bars.push_back(std::move(first));
        }
        AddTo(grouped.Bars.back(), bar.In, bar.Out);
    }
    return grouped;
}

std::string FormatBytes(uint64_t bytes, char separator) {
    static const char* const units[] = {"KB", "MB", "GB", "TB"};
    if (bytes < 1024)
        return std::to_string(bytes) + " bytes";
    int k = 1;
    while (k < 4 && bytes >> (10 * (k + 1)) != 0)
        ++k;
    return std::string(FormatStatBinary(bytes, -10 * k, 2, separator).View()) + " " + units[k - 1];
}

std::string BarFigures(const THistoryBar& bar, char separator) {
    auto figure = [separator](uint64_t bytes) {
        return FormatBytes(bytes, separator) + " (" + std::to_string(bytes) + " bytes)";
    };
    return bar.Name + ": total " + figure(SaturatingAdd(bar.In, bar.Out)) + "\r\nIn " +
           figure(bar.In) + ", out " + figure(bar.Out);
}

std::string PageSummary(const THistoryPage& page, char separator) {
    return "Total " + FormatBytes(SaturatingAdd(page.TotalIn, page.TotalOut), separator) + " (in " +
           FormatBytes(page.TotalIn, separator) + ", out " + FormatBytes(page.TotalOut, separator) +
           "), daily average " + FormatBytes(page.DailyAverage, separator);
}
