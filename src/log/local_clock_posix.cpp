// The system's clock and time zone elsewhere than on Windows (calendar.h): the C library's,
// which follows TZ. glibc guards its zone with a lock of its own, so a reload may run beside
// a conversion.
#include "log/calendar.h"

#include <ctime>

int64_t SystemUtcNow() {
    return static_cast<int64_t>(std::time(nullptr));
}

int SystemUtcOffset(int64_t utcSeconds) {
    const std::time_t at = static_cast<std::time_t>(utcSeconds);
    std::tm parts{};
    if (!localtime_r(&at, &parts))
        return 0;
    const int64_t localDay =
        static_cast<int64_t>(EncodeDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday));
    const int64_t local = (localDay - 25569) * 86400 + parts.tm_hour * 3600 + parts.tm_min * 60 +
                          parts.tm_sec; // 25569: the day number of 1 January 1970
    return static_cast<int>(local - utcSeconds);
}

void ReloadTimeZone() {
    tzset();
}
