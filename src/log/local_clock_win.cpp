// The system's clock and time zone on Windows (calendar.h), from Windows' own time-zone
// functions with each year's rules: the C runtime would take a TZ variable instead. (What
// SystemTimeToTzSpecificLocalTimeEx does, which Wine 8's kernel32 lacks.)
#include "log/calendar.h"
#include "platform/sync.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr int64_t kTicksPerSecond = 10000000;            // FILETIME counts 100 ns
constexpr int64_t kUnixEpochSeconds = 11644473600;       // 1970 after 1601, in seconds
constexpr int64_t kLastSystemTimeSeconds = 910670515199; // 31 December 30827 23:59:59

int64_t TicksOf(const FILETIME& time) {
    return static_cast<int64_t>((uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

FILETIME FileTimeOf(int64_t ticks) {
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32)};
}

// GetTimeZoneInformationForYear reads the registry, a fifth of a millisecond under Wine, and an
// export asks for every hour of years: the rules of the last year asked for are kept, with the
// zone they are of. The sampling thread asks too.
bool RulesOf(const DYNAMIC_TIME_ZONE_INFORMATION& zone, WORD year, TIME_ZONE_INFORMATION& rules) {
    struct TKept {
        DYNAMIC_TIME_ZONE_INFORMATION Zone;
        WORD Year;
        TIME_ZONE_INFORMATION Rules;
    };
    static TKept kept{};
    static TMutex lock;
    std::lock_guard<TMutex> hold(lock);
    if (kept.Year != year || std::memcmp(&kept.Zone, &zone, sizeof zone) != 0) {
        kept.Zone = zone;
        kept.Year = ::GetTimeZoneInformationForYear(year, &kept.Zone, &kept.Rules) ? year : 0;
    }
    rules = kept.Rules;
    return kept.Year == year;
}

} // namespace

int64_t SystemUtcNow() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return TicksOf(now) / kTicksPerSecond - kUnixEpochSeconds;
}

// The zone's rules of a year hold for the local year: an instant whose local year is another
// than its UTC year is converted again with that year's rules.
int SystemUtcOffset(int64_t utcSeconds) {
    if (utcSeconds < -kUnixEpochSeconds || utcSeconds > kLastSystemTimeSeconds)
        return 0; // no SYSTEMTIME holds it
    const FILETIME utc = FileTimeOf((utcSeconds + kUnixEpochSeconds) * kTicksPerSecond);
    DYNAMIC_TIME_ZONE_INFORMATION zone{}; // zeros in what it leaves, for the comparison
    SYSTEMTIME utcParts, localParts;
    if (::GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID ||
        !::FileTimeToSystemTime(&utc, &utcParts))
        return 0;
    WORD year = utcParts.wYear;
    for (int attempt = 0; attempt < 2; ++attempt) {
        TIME_ZONE_INFORMATION rules;
        if (!RulesOf(zone, year, rules) ||
            !::SystemTimeToTzSpecificLocalTime(&rules, &utcParts, &localParts))
            return 0;
        if (localParts.wYear == year)
            break;
        year = localParts.wYear;
    }
    FILETIME local;
    if (!::SystemTimeToFileTime(&localParts, &local))
        return 0;
    return static_cast<int>((TicksOf(local) - TicksOf(utc)) / kTicksPerSecond);
}

void ReloadTimeZone() {} // Windows' functions read the zone as it is now
