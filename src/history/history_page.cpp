// Building the History window's pages: bars per hour, day, month or year, their names and
// labels in local time, the page's totals and daily average, and where Back and Forward lead.
#include "history/history_page.h"
#include "config/number_text.h"
#include "config/number_format.h"
#include "log/calendar.h"
#include "text/texts.h"

#include <algorithm>

namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

int DayOf(int year, int month, int day) {
    return static_cast<int>(EncodeDate(year, month, day));
}

std::string TwoDigits(int value) {
    return ZeroPadded(value, 2);
}

// "Sat 15 Mar 2025 14:00 (UTC+01:00)": the offset tells the two 02:00 of the night the clocks
// go back apart.
std::string HourName(const TLocalTime& t) {
    return FormatText(Text(TTextId::HistoryDateHour),
                      {{"weekday", WeekdayShortName(t.Weekday)},
                       {"day", std::to_string(t.Day)},
                       {"month", MonthShortName(t.Month)},
                       {"year", std::to_string(t.Year)},
                       {"time", TwoDigits(t.Hour) + ":" + TwoDigits(t.Minute)},
                       {"offset", UtcOffsetText(t.OffsetSeconds)}});
}

std::string ShortDateTime(const TLocalTime& t) {
    return FormatText(Text(TTextId::HistoryDateHourShort),
                      {{"day", std::to_string(t.Day)},
                       {"month", MonthShortName(t.Month)},
                       {"year", std::to_string(t.Year)},
                       {"time", TwoDigits(t.Hour) + ":" + TwoDigits(t.Minute)}});
}

std::string DayAxisLabel(const TLocalTime& t) {
    return FormatText(Text(TTextId::HistoryDateAxisDay),
                      {{"day", std::to_string(t.Day)}, {"month", MonthShortName(t.Month)}});
}

std::string SpanTitle(const std::string& from, const std::string& to) {
    return FormatText(Text(TTextId::HistoryTitleSpan), {{"from", from}, {"to", to}});
}

// "512 bytes": the exact count.
std::string ByteCount(uint64_t bytes) {
    return FormatText(Text(TPluralId::HistoryBytes, static_cast<int64_t>(bytes)),
                      {{"count", std::to_string(bytes)}});
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

const TTextId kAllTitles[] = {TTextId::HistoryTitleAllHours, TTextId::HistoryTitleAllDays,
                              TTextId::HistoryTitleAllMonths, TTextId::HistoryTitleAllYears};

// Days, months and years of local dates, each by its index: the day number,
// year * 12 + month - 1, the year.
struct TDate {
    int Year = 0, Month = 1, Day = 1;
};

TDate DateOf(THistoryUnit unit, int64_t index) {
    TDate date;
    if (unit == THistoryUnit::Day) {
        DecodeDate(static_cast<double>(index), date.Year, date.Month, date.Day);
    } else if (unit == THistoryUnit::Month) {
        date.Year = static_cast<int>(FloorDiv(index, 12));
        date.Month = static_cast<int>(index - int64_t{date.Year} * 12) + 1;
    } else {
        date.Year = static_cast<int>(index);
    }
    return date;
}

int FirstDayOf(THistoryUnit unit, int64_t index) {
    if (unit == THistoryUnit::Day)
        return static_cast<int>(index);
    const TDate date = DateOf(unit, index);
    return DayOf(date.Year, date.Month, 1);
}

int LastDayOf(THistoryUnit unit, int64_t index) {
    return FirstDayOf(unit, index + 1) - 1;
}

int64_t UnitOfDay(THistoryUnit unit, int day) {
    TDate date;
    DecodeDate(day, date.Year, date.Month, date.Day);
    switch (unit) {
    case THistoryUnit::Month:
        return int64_t{date.Year} * 12 + date.Month - 1;
    case THistoryUnit::Year:
        return date.Year;
    default:
        return day;
    }
}

// The first bar's index of a page's unit: a day's, a month's or a year's.
int64_t FirstBarOf(THistoryUnit bar, THistoryUnit page, int64_t index) {
    if (bar == page)
        return index;
    return bar == THistoryUnit::Day ? FirstDayOf(page, index) : index * 12; // a year's months
}

std::string DateName(THistoryUnit unit, int64_t index) {
    const TDate d = DateOf(unit, index);
    const std::string year = std::to_string(d.Year);
    if (unit == THistoryUnit::Year)
        return year;
    if (unit == THistoryUnit::Month)
        return FormatText(Text(TTextId::HistoryDateMonth),
                          {{"month", MonthName(d.Month)}, {"year", year}});
    return FormatText(Text(TTextId::HistoryDateDay),
                      {{"weekday", WeekdayShortName(IsoDayOfWeek(static_cast<double>(index)))},
                       {"day", std::to_string(d.Day)},
                       {"month", MonthName(d.Month)},
                       {"year", year}});
}

// A day's, month's or year's bar: its name in full, and a short label under it that names the
// larger unit where one begins.
THistoryBar DateBar(THistoryUnit unit, int64_t index) {
    THistoryBar bar;
    const TDate d = DateOf(unit, index);
    bar.Name = DateName(unit, index);
    if (unit == THistoryUnit::Day) {
        bar.Ordinal = d.Day - 1;
        bar.AxisLabel = std::to_string(d.Day);
    } else if (unit == THistoryUnit::Month) {
        bar.Ordinal = d.Month - 1;
        bar.AxisLabel = d.Month == 1 ? std::to_string(d.Year) : MonthShortName(d.Month);
    } else {
        bar.Ordinal = d.Year;
        bar.AxisLabel = bar.Name;
    }
    return bar;
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
        bar.AxisLabel = t.Hour == 0 && t.Minute == 0 ? DayAxisLabel(t) : TwoDigits(t.Hour);
        bar.Name = HourName(t);
        page.Bars.push_back(std::move(bar));
        if (hour == last)
            break;
    }
    page.Title = SpanTitle(ShortDateTime(LocalTimeOf(int64_t{first} * 3600, clock.Zone)),
                           ShortDateTime(LocalTimeOf((int64_t{last} + 1) * 3600, clock.Zone)));
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

// The page's bars of days, months or years. A page of every year runs from the first logged
// one, or this one, to the last logged one, or this one.
TPageSpan BuildDates(THistoryPage& page, const THistoryViewInfo& view, const THistoryData& data,
                     int today) {
    const int64_t anchor = page.Cursor.Anchor;
    int64_t firstBar = 0, lastBar = 0;
    if (view.PageLength == 0) {
        firstBar = lastBar = UnitOfDay(view.Bar, today);
        if (!data.Days.empty()) {
            firstBar = std::min(firstBar, UnitOfDay(view.Bar, data.Days.front().Day));
            lastBar = std::max(lastBar, UnitOfDay(view.Bar, data.Days.back().Day));
        }
        page.Title = Text(kAllTitles[static_cast<int>(view.Bar)]);
    } else {
        const int64_t firstUnit = anchor - (view.PageLength - 1);
        firstBar = FirstBarOf(view.Bar, view.PageUnit, firstUnit);
        lastBar = FirstBarOf(view.Bar, view.PageUnit, anchor + 1) - 1;
        page.Title = DateName(view.PageUnit, firstUnit);
        if (firstUnit != anchor)
            page.Title = SpanTitle(page.Title, DateName(view.PageUnit, anchor));
    }
    const int first = FirstDayOf(view.Bar, firstBar), last = LastDayOf(view.Bar, lastBar);
    for (int64_t index = firstBar; index <= lastBar; ++index) {
        THistoryBar bar = DateBar(view.Bar, index);
        AddDays(data.Days, FirstDayOf(view.Bar, index), LastDayOf(view.Bar, index), bar);
        page.Bars.push_back(std::move(bar));
    }
    if (view.Step != 0) {
        page.CanGoBack = !data.Days.empty() && data.Days.front().Day < first;
        page.CanGoForward = last < today;
    }
    return DaySpan(data, first, last, today);
}

} // namespace

const THistoryViewInfo& ViewInfo(THistoryView view) {
    return kHistoryViews[static_cast<int>(view)];
}

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

// Hours count in UTC; days, months and years in local time.
THistoryCursor CurrentCursor(THistoryView view, const THistoryClock& clock) {
    THistoryCursor cursor;
    cursor.View = view;
    const THistoryViewInfo& info = ViewInfo(view);
    if (info.PageLength == 0)
        return cursor;
    if (info.PageUnit == THistoryUnit::Hour) {
        uint32_t hour = 0;
        HourOfUtc(clock.NowUtc, hour);
        cursor.Anchor = hour;
    } else {
        cursor.Anchor = UnitOfDay(info.PageUnit, LocalTimeOf(clock.NowUtc, clock.Zone).DayNumber);
    }
    return cursor;
}

// Hour keys start in 1970: the earliest page of hours begins there.
THistoryCursor StepCursor(const THistoryCursor& cursor, int pages) {
    const THistoryViewInfo& info = ViewInfo(cursor.View);
    THistoryCursor next = cursor;
    next.Anchor += int64_t{pages} * info.Step;
    if (info.PageUnit == THistoryUnit::Hour)
        next.Anchor = std::max<int64_t>(info.PageLength - 1, next.Anchor);
    return next;
}

void PageHourRange(const THistoryCursor& cursor, uint32_t& first, uint32_t& last) {
    const int64_t length = ViewInfo(cursor.View).PageLength;
    last = static_cast<uint32_t>(std::clamp<int64_t>(cursor.Anchor, length - 1, UINT32_MAX));
    first = static_cast<uint32_t>(last - (length - 1));
}

THistoryPage BuildHistoryPage(const THistoryCursor& cursor, const THistoryData& data,
                              const THistoryClock& clock) {
    THistoryPage page;
    page.Cursor = cursor;
    const THistoryViewInfo& view = ViewInfo(cursor.View);
    const int today = LocalTimeOf(clock.NowUtc, clock.Zone).DayNumber;
    const TPageSpan span = view.Bar == THistoryUnit::Hour ? BuildHours(page, data, clock)
                                                          : BuildDates(page, view, data, today);
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

const std::string& ByteUnitName(int power) {
    static const TTextId names[] = {TTextId::HistoryUnitKb, TTextId::HistoryUnitMb,
                                    TTextId::HistoryUnitGb, TTextId::HistoryUnitTb};
    return Text(names[std::clamp(power, 1, 4) - 1]);
}

std::string FormatBytes(uint64_t bytes, char separator) {
    if (bytes < 1024)
        return ByteCount(bytes);
    int k = 1;
    while (k < 4 && bytes >> (10 * (k + 1)) != 0)
        ++k;
    return FormatText(Text(TTextId::HistoryAmount),
                      {{"number", FormatStatBinary(bytes, -10 * k, 2, separator).View()},
                       {"unit", ByteUnitName(k)}});
}

std::string BarFigures(const THistoryBar& bar, char separator) {
    auto figure = [separator](uint64_t bytes) {
        return FormatText(Text(TTextId::HistoryFiguresAmount),
                          {{"amount", FormatBytes(bytes, separator)}, {"bytes", ByteCount(bytes)}});
    };
    return FormatText(Text(TTextId::HistoryFiguresTotal),
                      {{"name", bar.Name}, {"total", figure(SaturatingAdd(bar.In, bar.Out))}}) +
           "\r\n" +
           FormatText(Text(TTextId::HistoryFiguresInOut),
                      {{"in", figure(bar.In)}, {"out", figure(bar.Out)}});
}

std::string BarSpokenFigures(const THistoryBar& bar, char separator) {
    return FormatText(Text(TTextId::HistorySpoken), {{"name", bar.Name},
                                                     {"in", FormatBytes(bar.In, separator)},
                                                     {"out", FormatBytes(bar.Out, separator)}});
}

std::string PageSummary(const THistoryPage& page, char separator) {
    return FormatText(
        Text(TTextId::HistorySummary),
        {{"total", FormatBytes(SaturatingAdd(page.TotalIn, page.TotalOut), separator)},
         {"in", FormatBytes(page.TotalIn, separator)},
         {"out", FormatBytes(page.TotalOut, separator)},
         {"average", FormatBytes(page.DailyAverage, separator)}});
}
