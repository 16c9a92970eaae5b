// Gregorian calendar arithmetic on day numbers (days since 30 December 1899, 1 January 2000 is
// 36526) and the local clock on the same scale.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The day number of y-m-d. A month outside 1..12 moves into the neighbouring years and a day
// past the month's end rolls over, so any arguments give a defined result.
double EncodeDate(int year, int month, int day);

// The calendar date of a day number; any time fraction is dropped (floor, so -0.5 is
// 29 December 1899). Only 1 January 0001 to 31 December 9999 are dates: for anything else
// (NaN, infinities, far past or future) year, month and day are set to 0 and false is returned.
bool DecodeDate(double date, int& year, int& month, int& day);

// A real date written "YYYY-MM-DD" (exactly so) as its day number; false for anything else.
bool ParseIsoDate(std::string_view text, double& date);
// The day of a day number written "YYYY-MM-DD"; "0000-00-00" for one DecodeDate rejects.
std::string FormatIsoDate(double date);

// `value` in decimal with zeros after any sign up to `width` characters, as printf's "%0*d".
std::string ZeroPadded(int value, int width);

bool IsLeapYear(int year);

// Monday = 1 to Sunday = 7; 0 for a value that DecodeDate rejects.
int IsoDayOfWeek(double date);

// ISO 8601 week number (1 to 53) of the day numbered dayOfYear (1 = 1 January) in year; a
// dayOfYear outside the year gives a meaningless but defined number.
int IsoWeekOfYearDay(int year, int dayOfYear);

// ISO 8601 week number of a day number; 0 for a value that DecodeDate rejects.
int IsoWeekNumber(double date);

// The year that ISO week `isoWeek` of a date in year/month belongs to: early January days of
// the previous year's last week belong to the previous year, late December days of week 1 to
// the next one.
int IsoWeekYear(int year, int month, int isoWeek);

// The local date and time now, as a day number with the time of day as fraction.
double CurrentLocalDateTime();

// The system's clock and time zone (local_clock_win.cpp, local_clock_posix.cpp). On Windows
// they are Windows' own, whatever a TZ variable in the environment says (the C runtime would
// follow it, with rules of its own); elsewhere the C library's.

// Seconds since 1 January 1970 UTC, now.
int64_t SystemUtcNow();
// Seconds to add to a UTC time to get the local time at that instant (0 where none is known).
int SystemUtcOffset(int64_t utcSeconds);
// The C library reads the zone once and keeps it: after the user changed the zone, this makes
// the local clock follow at once. Windows' functions follow by themselves.
void ReloadTimeZone();
