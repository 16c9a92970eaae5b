// The figures of a period per program, for the History's "Programs" view and the export: each
// program's bytes and share, and how much of the adapter's bytes the programs account for.
#pragma once
#include "apps/app_hour.h"

#include <cstdint>
#include <string>
#include <vector>

struct TAppTotal {
    std::string Program; // empty for the other programs
    uint64_t In = 0, Out = 0;
    double Share = 0; // percent of all programs' bytes in and out in the period
};

// The programs of the hours that start from firstUtc to lastUtc (inclusive), the most bytes in
// and out first (equal ones by name), the other programs last.
std::vector<TAppTotal> AppTotalsOf(const std::vector<TAppHour>& hours, int64_t firstUtc,
                                   int64_t lastUtc);

// The programs' bytes in and out.
uint64_t ProgramsBytes(const std::vector<TAppTotal>& totals);

// "Programs account for N % of the adapter's bytes": the programs' bytes in percent of what the
// adapter counted in the same period, as it is, also over 100 (the programs count payload
// only, so less is usual). False when the adapter counted nothing.
bool ProgramsShareOfAdapter(const std::vector<TAppTotal>& totals, uint64_t adapterBytes,
                            double& percent);
