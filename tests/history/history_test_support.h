// Helpers for the history tests: a private folder for the hourly file, and a fixed time zone
// with Central European rules (UTC+1, summer time UTC+2 from the last Sunday of March to the
// last Sunday of October, switching at 01:00 UTC) on every platform.
#pragma once
#include "../log/log_test_support.h"
#include "log/calendar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

namespace historytest {

namespace fs = std::filesystem;

inline int64_t UtcSeconds(int year, int month, int day, int hour) {
    return (static_cast<int64_t>(EncodeDate(year, month, day)) - 25569) * 86400 + hour * 3600;
}

inline int CentralEurope(int64_t utcSeconds) {
    int year = 0, month = 0, day = 0;
    DecodeDate(std::floor(utcSeconds / 86400.0) + 25569, year, month, day);
    auto lastSunday = [year](int m) {
        double d = EncodeDate(year, m + 1, 1) - 1;
        while (IsoDayOfWeek(d) != 7)
            d -= 1;
        return static_cast<int>(d);
    };
    auto at1Utc = [year](int dayNumber) {
        int y = 0, m = 0, d = 0;
        DecodeDate(dayNumber, y, m, d);
        return UtcSeconds(y, m, d, 1);
    };
    const bool summer = utcSeconds >= at1Utc(lastSunday(3)) && utcSeconds < at1Utc(lastSunday(10));
    return summer ? 7200 : 3600;
}

using logtest::ReadBytes;
using logtest::WriteBytes;

class HistoryFolderTest : public ::testing::Test {
  protected:
    testsupport::TTempFolder folder_{"corvane-history"};
    std::string path_ = folder_.File("hourlog.dat");
};

} // namespace historytest
