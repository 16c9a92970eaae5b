// What one program sent and received in one hour: the unit the per-program counting produces,
// stores and shows.
#pragma once
#include <cstdint>
#include <string>

struct TAppHour {
    int64_t HourUtc = 0;  // the hour's start, seconds since 1970 (UTC), a whole hour
    std::string Program;  // the program's full image path; empty for the hour's other programs
    uint64_t In = 0, Out = 0; // payload bytes received and sent
};
