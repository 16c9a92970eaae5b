// A period's totals per program, and the programs' share of the adapter's bytes.
#include "apps/app_totals.h"
#include "config/number_text.h"

#include <algorithm>
#include <map>

namespace {

uint64_t Bytes(const TAppTotal& total) {
    return SaturatingAdd(total.In, total.Out);
}

bool Before(const TAppTotal& a, const TAppTotal& b) {
    if (a.Program.empty() != b.Program.empty())
        return b.Program.empty();
    if (Bytes(a) != Bytes(b))
        return Bytes(a) > Bytes(b);
    return a.Program < b.Program;
}

} // namespace

std::vector<TAppTotal> AppTotalsOf(const std::vector<TAppHour>& hours, int64_t firstUtc,
                                   int64_t lastUtc) {
    std::map<std::string, TAppTotal> byProgram;
    for (const TAppHour& hour : hours) {
        if (hour.HourUtc < firstUtc || hour.HourUtc > lastUtc)
            continue;
        TAppTotal& total = byProgram[hour.Program];
        total.Program = hour.Program;
        total.In = SaturatingAdd(total.In, hour.In);
        total.Out = SaturatingAdd(total.Out, hour.Out);
    }
    std::vector<TAppTotal> totals;
    for (auto& entry : byProgram)
        totals.push_back(std::move(entry.second));
    std::sort(totals.begin(), totals.end(), Before);
    const uint64_t all = ProgramsBytes(totals);
    for (TAppTotal& total : totals)
        total.Share = all == 0 ? 0 : 100.0 * static_cast<double>(Bytes(total)) / static_cast<double>(all);
    return totals;
}

uint64_t ProgramsBytes(const std::vector<TAppTotal>& totals) {
    uint64_t all = 0;
    for (const TAppTotal& total : totals)
        all = SaturatingAdd(all, Bytes(total));
    return all;
}

bool ProgramsShareOfAdapter(const std::vector<TAppTotal>& totals, uint64_t adapterBytes,
                            double& percent) {
    if (adapterBytes == 0)
        return false;
    percent = 100.0 * static_cast<double>(ProgramsBytes(totals)) / static_cast<double>(adapterBytes);
    return true;
}
