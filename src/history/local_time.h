// Local wall-clock time of UTC instants: hours are kept in UTC and shown in the user's zone,
// so the day the clocks go back shows 25 hours and the day they go forward 23, none twice.
#pragma once
#include "log/calendar.h" // SystemUtcOffset: the system's zone

#include <cstdint>
#include <string>

// Seconds to add to a UTC time to get the local time at that instant.
using TUtcOffsetFunc = int (*)(int64_t utcSeconds);

struct TLocalTime {
    int DayNumber = 0; // local date, days since 30 December 1899 (as the daily log keys days)
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0;
    int Weekday = 0;       // Monday = 1 to Sunday = 7
    int OffsetSeconds = 0; // local minus UTC
};
TLocalTime LocalTimeOf(int64_t utcSeconds, TUtcOffsetFunc zone);

// "2025-03-15T14:00+01:00": ISO 8601 local date and time with its offset from UTC.
std::string IsoLocalDateTime(const TLocalTime& time);
// "+01:00", "-05:00", "+05:30".
std::string UtcOffsetText(int offsetSeconds);

// In the table's language; empty out of range.
const std::string& MonthName(int month);          // "January"
const std::string& MonthShortName(int month);     // "Jan"
const std::string& WeekdayShortName(int weekday); // "Mon"
