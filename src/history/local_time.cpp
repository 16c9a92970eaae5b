// Local time of UTC instants and the ISO 8601 texts of dates and hours.
#include "history/local_time.h"
#include "log/calendar.h"

#include <cstdlib>

namespace {

constexpr int kUnixEpochDay = 25569; // day number of 1 January 1970

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
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

const char* MonthName(int month) {
    static const char* const names[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
    return month >= 1 && month <= 12 ? names[month - 1] : "";
}

const char* MonthShortName(int month) {
    static const char* const names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? names[month - 1] : "";
}

const char* WeekdayShortName(int weekday) {
    static const char* const names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return weekday >= 1 && weekday <= 7 ? names[weekday - 1] : "";
}
