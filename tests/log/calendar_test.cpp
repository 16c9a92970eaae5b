// Tests of the calendar arithmetic on day numbers and of the local clock.
#include "log/calendar.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

namespace {

constexpr double kFirstDay = -693593; // 1 January 0001
constexpr double kLastDay = 2958465;  // 31 December 9999

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// ISO week by its definition: the week of a day is the week holding that week's Thursday,
// counted from the first Thursday of the Thursday's year.
int WeekByThursday(double day) {
    const double thursday = day - (IsoDayOfWeek(day) - 1) + 3;
    int year = 0, month = 0, dayOfMonth = 0;
    EXPECT_TRUE(DecodeDate(thursday, year, month, dayOfMonth));
    return static_cast<int>((thursday - EncodeDate(year, 1, 1)) / 7) + 1;
}

TEST(CalendarTest, KnownDayNumbers) {
    EXPECT_EQ(0.0, EncodeDate(1899, 12, 30));
    EXPECT_EQ(2.0, EncodeDate(1900, 1, 1));
    EXPECT_EQ(61.0, EncodeDate(1900, 3, 1)); // 1900 has no 29 February
    EXPECT_EQ(36526.0, EncodeDate(2000, 1, 1));
    EXPECT_EQ(kFirstDay, EncodeDate(1, 1, 1));
    EXPECT_EQ(kLastDay, EncodeDate(9999, 12, 31));
}

TEST(CalendarTest, EveryDateDecodesAndEncodesInSequence) {
    int year = 1, month = 1, dayOfMonth = 1;
    for (double day = kFirstDay; day <= kLastDay; ++day) {
        int y = 0, m = 0, d = 0;
        ASSERT_TRUE(DecodeDate(day, y, m, d)) << day;
        ASSERT_EQ(year, y) << day;
        ASSERT_EQ(month, m) << day;
        ASSERT_EQ(dayOfMonth, d) << day;
        ASSERT_EQ(day, EncodeDate(y, m, d));
        if (++dayOfMonth > DaysInMonth(year, month)) {
            dayOfMonth = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
    EXPECT_EQ(10000, year);
}

TEST(CalendarTest, DecodeDropsTheTimeOfDayTowardTheEarlierDay) {
    int y = 0, m = 0, d = 0;
    ASSERT_TRUE(DecodeDate(36526.999, y, m, d));
    EXPECT_EQ(2000, y);
    EXPECT_EQ(1, m);
    EXPECT_EQ(1, d);
    ASSERT_TRUE(DecodeDate(-0.5, y, m, d));
    EXPECT_EQ(1899, y);
    EXPECT_EQ(12, m);
    EXPECT_EQ(29, d);
    ASSERT_TRUE(DecodeDate(kLastDay + 0.999, y, m, d));
    EXPECT_EQ(9999, y);
}

TEST(CalendarTest, ValuesThatAreNoDateAreRejected) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double value : {std::nan(""), inf, -inf, 1e300, -1e300, kLastDay + 1, kFirstDay - 0.5,
                         std::numeric_limits<double>::max()}) {
        int y = 1, m = 1, d = 1;
        EXPECT_FALSE(DecodeDate(value, y, m, d)) << value;
        EXPECT_EQ(0, y);
        EXPECT_EQ(0, m);
        EXPECT_EQ(0, d);
        EXPECT_EQ(0, IsoDayOfWeek(value)) << value;
        EXPECT_EQ(0, IsoWeekNumber(value)) << value;
    }
}

TEST(CalendarTest, EncodeCarriesMonthsAndDaysOver) {
    EXPECT_EQ(EncodeDate(2025, 1, 1), EncodeDate(2024, 13, 1));
    EXPECT_EQ(EncodeDate(2023, 12, 1), EncodeDate(2024, 0, 1));
    EXPECT_EQ(EncodeDate(2022, 11, 5), EncodeDate(2024, -13, 5));
    EXPECT_EQ(EncodeDate(2023, 3, 1), EncodeDate(2023, 2, 29));
    EXPECT_EQ(EncodeDate(2023, 12, 31), EncodeDate(2024, 1, 0));
    // Extreme arguments stay defined (the sanitizers watch this).
    EXPECT_TRUE(std::isfinite(EncodeDate(INT_MAX, INT_MAX, INT_MAX)));
    EXPECT_TRUE(std::isfinite(EncodeDate(INT_MIN, INT_MIN, INT_MIN)));
}

TEST(CalendarTest, IsoDatesParseOnlyWhenWrittenExactlyAndReal) {
    double date = -1;
    EXPECT_TRUE(ParseIsoDate("2000-01-01", date));
    EXPECT_EQ(date, 36526.0);
    EXPECT_TRUE(ParseIsoDate("2024-02-29", date));
    EXPECT_EQ(date, EncodeDate(2024, 2, 29));
    for (const char* text : {"2025-02-29", "2025-3-05", "2025-13-01", "0000-01-01", "2025-01-00",
                             "2025-01-01x", " 2025-01-01", "2025/01/01", "+025-01-01", ""}) {
        date = -1;
        EXPECT_FALSE(ParseIsoDate(text, date)) << text;
        EXPECT_EQ(date, -1) << text;
    }
}

// Written back as read: the shown-alerts record and the export depend on the round trip.
TEST(CalendarTest, IsoDatesWriteAsTheyParseAndPadLikePrintf) {
    for (const char* text : {"0001-01-01", "1899-12-30", "2024-02-29", "9999-12-31"}) {
        double date = -1;
        ASSERT_TRUE(ParseIsoDate(text, date)) << text;
        EXPECT_EQ(FormatIsoDate(date), text);
        EXPECT_EQ(FormatIsoDate(date + 0.75), text); // the time of day is dropped
    }
    EXPECT_EQ(FormatIsoDate(EncodeDate(10000, 1, 1)), "0000-00-00");
    EXPECT_EQ(FormatIsoDate(std::nan("")), "0000-00-00");
    EXPECT_EQ(ZeroPadded(7, 2), "07");
    EXPECT_EQ(ZeroPadded(123, 2), "123");
    EXPECT_EQ(ZeroPadded(0, 4), "0000");
    EXPECT_EQ(ZeroPadded(-5, 4), "-005");
    EXPECT_EQ(ZeroPadded(-1234, 2), "-1234");
    EXPECT_EQ(ZeroPadded(INT_MIN, 1), "-2147483648");
}

TEST(CalendarTest, LeapYears) {
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_TRUE(IsLeapYear(-4));
}

TEST(CalendarTest, WeekdaysRunMondayOneToSundaySeven) {
    EXPECT_EQ(6, IsoDayOfWeek(0));                        // 30 December 1899, a Saturday
    EXPECT_EQ(1, IsoDayOfWeek(EncodeDate(2024, 12, 30))); // Monday
    EXPECT_EQ(5, IsoDayOfWeek(EncodeDate(2021, 1, 1)));   // Friday
    EXPECT_EQ(7, IsoDayOfWeek(EncodeDate(2027, 1, 3) + 0.9));
    int previous = IsoDayOfWeek(kFirstDay);
    for (double day = kFirstDay + 1; day <= kLastDay; ++day) {
        const int weekday = IsoDayOfWeek(day);
        ASSERT_EQ(previous % 7 + 1, weekday) << day;
        previous = weekday;
    }
}

TEST(CalendarTest, IsoWeekAroundTheTurnOfTheYear) {
    EXPECT_EQ(53, IsoWeekNumber(EncodeDate(2021, 1, 1)));
    EXPECT_EQ(1, IsoWeekNumber(EncodeDate(2024, 12, 31)));
    EXPECT_EQ(53, IsoWeekNumber(EncodeDate(2027, 1, 3)));
    EXPECT_EQ(1, IsoWeekNumber(EncodeDate(2027, 1, 4)));
    EXPECT_EQ(53, IsoWeekNumber(EncodeDate(2020, 12, 31) + 0.75));
    EXPECT_EQ(52, IsoWeekNumber(EncodeDate(2023, 1, 1)));
}

TEST(CalendarTest, IsoWeekAgreesWithTheThursdayRule) {
    for (double day = EncodeDate(1600, 1, 10); day < EncodeDate(2401, 1, 1); ++day)
        ASSERT_EQ(WeekByThursday(day), IsoWeekNumber(day)) << day;
}

TEST(CalendarTest, IsoWeekOfYearDayStaysDefinedAtTheLimits) {
    for (int year : {INT_MIN, -1, 0, 1, INT_MAX}) {
        for (int dayOfYear : {1, 3, 200, 365}) {
            const int week = IsoWeekOfYearDay(year, dayOfYear);
            EXPECT_GE(week, 1) << year << " " << dayOfYear;
            EXPECT_LE(week, 53) << year << " " << dayOfYear;
        }
        // Days outside the year give no meaningful week, but no overflow either.
        for (int dayOfYear : {INT_MIN, -400, 0, INT_MAX})
            IsoWeekOfYearDay(year, dayOfYear);
    }
}

TEST(CalendarTest, CurrentLocalDateTimeIsTodaysLocalDate) {
    const auto localDay = [] {
        const std::time_t now = std::time(nullptr);
        const std::tm* parts = std::localtime(&now);
        return EncodeDate(parts->tm_year + 1900, parts->tm_mon + 1, parts->tm_mday);
    };
    const double before = localDay();
    const double now = CurrentLocalDateTime();
    const double after = localDay();
    ASSERT_TRUE(std::isfinite(now));
    EXPECT_TRUE(std::floor(now) == before || std::floor(now) == after) << now;
    EXPECT_GE(now - std::floor(now), 0.0);
    EXPECT_LT(now - std::floor(now), 1.0);
}

void SetZone(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone ? zone : "");
#else
    zone ? setenv("TZ", zone, 1) : unsetenv("TZ");
#endif
}

// The user moves from one side of the date line to the other: the local clock jumps by a day
// at once. Elsewhere the zone comes from TZ, read again on reload; Windows keeps its zone in its
// own settings, and a TZ variable, which its C runtime would follow, changes nothing.
TEST(CalendarTest, LocalTimeFollowsAChangedZoneOnceReloaded) {
    const char* saved = std::getenv("TZ");
    const std::optional<std::string> previous =
        saved ? std::optional<std::string>(saved) : std::nullopt;
    SetZone("WWW+12");
    ReloadTimeZone();
    const double west = CurrentLocalDateTime();
    SetZone("EEE-12");
    ReloadTimeZone();
    const double east = CurrentLocalDateTime();
    SetZone(previous ? previous->c_str() : nullptr);
    ReloadTimeZone();
#ifdef _WIN32
    EXPECT_NEAR(east - west, 0.0, 60.0 / 86400.0);
#else
    EXPECT_NEAR(east - west, 1.0, 60.0 / 86400.0);
#endif
}

} // namespace
