// Gregorian calendar arithmetic on day numbers, and the local clock from the system's.
#include "log/calendar.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

// Day number of 1 January 1970, the origin of the civil-date arithmetic below.
constexpr int64_t kUnixEpochDay = 25569;
// 1 January 0001 and 31 December 9999: the dates a day number may denote.
constexpr double kFirstDay = -693593.0;
constexpr double kLastDay = 2958465.0;

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Days since 1 January 1970 of a proleptic Gregorian date (month 1..12), exact for any int year.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool IsDate(double date) {
    return date >= kFirstDay && date < kLastDay + 1.0;
}

int WeekdayOfDay(int64_t dayNumber) {
    // Day 0 (30 December 1899) was a Saturday.
    return static_cast<int>((dayNumber % 7 + 7 + 5) % 7) + 1;
}

int64_t DayNumberOf(int64_t year, int month, int day) {
    return DaysFromCivil(year, month, day) + kUnixEpochDay;
}

bool IsLeap(int64_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// 64-bit throughout, so that no year or day argument can overflow.
int IsoWeek(int64_t year, int64_t dayOfYear) {
    const int jan1 = WeekdayOfDay(DayNumberOf(year, 1, 1));
    // Shift so that day 1 is the Monday of week 1: a year starting Friday to Sunday
    // leaves its first days in the previous year's last week.
    const int64_t d = jan1 >= 5 ? dayOfYear - (8 - jan1) : dayOfYear + (jan1 - 1);
    if (d <= 0)
        return IsoWeek(year - 1, IsLeap(year - 1) ? 366 : 365);
    const int64_t week = (d + 6) / 7;
    if (week == 53) {
        int dec31 = jan1;
        if (IsLeap(year))
            dec31 = dec31 % 7 + 1;
        // A last week that ends in its first three days belongs to the next year.
        if (dec31 <= 3)
            return 1;
    }
    return static_cast<int>(week);
}

} // namespace

double EncodeDate(int year, int month, int day) {
    const int64_t monthIndex = static_cast<int64_t>(month) - 1;
    const int64_t y = year + FloorDiv(monthIndex, 12);
    const int64_t m = monthIndex - FloorDiv(monthIndex, 12) * 12 + 1;
    return static_cast<double>(DaysFromCivil(y, m, day) + kUnixEpochDay);
}

bool ParseIsoDate(std::string_view text, double& date) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    int fields[3] = {0, 0, 0};
    int field = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == 4 || i == 7) {
            ++field;
            continue;
        }
        if (text[i] < '0' || text[i] > '9')
            return false;
        fields[field] = fields[field] * 10 + (text[i] - '0');
    }
    const int year = fields[0], month = fields[1], day = fields[2];
    if (year < 1 || month < 1 || month > 12 || day < 1)
        return false;
    const double value = EncodeDate(year, month, day);
    if (value >= EncodeDate(year, month + 1, 1))
        return false;
    date = value;
    return true;
}

bool DecodeDate(double date, int& year, int& month, int& day) {
    if (!IsDate(date)) {
        year = month = day = 0;
        return false;
    }
    CivilFromDays(static_cast<int64_t>(std::floor(date)) - kUnixEpochDay, year, month, day);
    return true;
}

std::string FormatIsoDate(double date) {
    int year = 0, month = 0, day = 0;
    DecodeDate(date, year, month, day);
    return ZeroPadded(year, 4) + '-' + ZeroPadded(month, 2) + '-' + ZeroPadded(day, 2);
}

std::string ZeroPadded(int value, int width) {
    char digits[16];
    std::string text(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    if (text.size() < static_cast<size_t>(width))
        text.insert(value < 0 ? 1 : 0, static_cast<size_t>(width) - text.size(), '0');
    return text;
}

bool IsLeapYear(int year) {
    return IsLeap(year);
}

int IsoDayOfWeek(double date) {
    if (!IsDate(date))
        return 0;
    return WeekdayOfDay(static_cast<int64_t>(std::floor(date)));
}

int IsoWeekOfYearDay(int year, int dayOfYear) {
    return IsoWeek(year, dayOfYear);
}

int IsoWeekNumber(double date) {
    int year = 0, month = 0, day = 0;
    if (!DecodeDate(date, year, month, day))
        return 0;
    const int64_t dayOfYear = static_cast<int64_t>(std::floor(date)) - DayNumberOf(year, 1, 1) + 1;
    return IsoWeekOfYearDay(year, static_cast<int>(dayOfYear));
}

int IsoWeekYear(int year, int month, int isoWeek) {
    if (month == 1 && isoWeek >= 52)
        return year - 1;
    if (month == 12 && isoWeek == 1)
        return year + 1;
    return year;
}

double CurrentLocalDateTime() {
    const int64_t now = SystemUtcNow();
    const int64_t local = now + SystemUtcOffset(now);
    const int64_t day = FloorDiv(local, 86400);
    return static_cast<double>(day + kUnixEpochDay) +
           static_cast<double>(local - day * 86400) / 86400;
}
