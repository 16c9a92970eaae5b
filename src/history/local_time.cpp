// Local time of UTC instants and the ISO 8601 texts of dates and hours.
#include "history/local_time.h"
#include "log/calendar.h"
#include "text/texts.h"

#include <cstdlib>

namespace {

constexpr int kUnixEpochDay = 25569; // day number of 1 January 1970

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

const std::string& NameOf(const TTextId* names, int count, int index) {
    static const std::string none;
    return index >= 1 && index <= count ? Text(names[index - 1]) : none;
}

} // namespace

TLocalTime LocalTimeOf(int64_t utcSeconds, TUtcOffsetFunc zone) {
    TLocalTime time;
    time.OffsetSeconds = zone(utcSeconds);
    const int64_t local = utcSeconds + time.OffsetSeconds;
    const int64_t day = FloorDiv(local, 86400);
    const int64_t second = local - day * 86400;
    time.DayNumber = static_cast<int>(day + kUnixEpochDay);
    DecodeDate(time.DayNumber, time.Year, time.Month, time.Day);
    time.Weekday = IsoDayOfWeek(time.DayNumber);
    time.Hour = static_cast<int>(second / 3600);
    time.Minute = static_cast<int>(second % 3600 / 60);
    return time;
}

std::string UtcOffsetText(int offsetSeconds) {
    const int minutes = std::abs(offsetSeconds) / 60;
    return (offsetSeconds < 0 ? "-" : "+") + ZeroPadded(minutes / 60, 2) + ':' +
           ZeroPadded(minutes % 60, 2);
}

std::string IsoLocalDateTime(const TLocalTime& time) {
    return FormatIsoDate(time.DayNumber) + 'T' + ZeroPadded(time.Hour, 2) + ':' +
           ZeroPadded(time.Minute, 2) + UtcOffsetText(time.OffsetSeconds);
}

const std::string& MonthName(int month) {
    static const TTextId names[] = {
        TTextId::HistoryMonthJanuary, TTextId::HistoryMonthFebruary, TTextId::HistoryMonthMarch,
        TTextId::HistoryMonthApril,   TTextId::HistoryMonthMay,      TTextId::HistoryMonthJune,
        TTextId::HistoryMonthJuly,    TTextId::HistoryMonthAugust,   TTextId::HistoryMonthSeptember,
        TTextId::HistoryMonthOctober, TTextId::HistoryMonthNovember, TTextId::HistoryMonthDecember};
    return NameOf(names, 12, month);
}

const std::string& MonthShortName(int month) {
    static const TTextId names[] = {TTextId::HistoryMonthShortJan, TTextId::HistoryMonthShortFeb,
                                    TTextId::HistoryMonthShortMar, TTextId::HistoryMonthShortApr,
                                    TTextId::HistoryMonthShortMay, TTextId::HistoryMonthShortJun,
                                    TTextId::HistoryMonthShortJul, TTextId::HistoryMonthShortAug,
                                    TTextId::HistoryMonthShortSep, TTextId::HistoryMonthShortOct,
                                    TTextId::HistoryMonthShortNov, TTextId::HistoryMonthShortDec};
    return NameOf(names, 12, month);
}

const std::string& WeekdayShortName(int weekday) {
    static const TTextId names[] = {TTextId::HistoryWeekdayMon, TTextId::HistoryWeekdayTue,
                                    TTextId::HistoryWeekdayWed, TTextId::HistoryWeekdayThu,
                                    TTextId::HistoryWeekdayFri, TTextId::HistoryWeekdaySat,
                                    TTextId::HistoryWeekdaySun};
    return NameOf(names, 7, weekday);
}
