// Timing of the usage log's additions and period sums on a ten-year table (3,650 day records).
#include "log/calendar.h"
#include "log/usage_log.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kDays = 3650;
const double kFirstDay = EncodeDate(2016, 1, 1);
const double kToday = kFirstDay + kDays - 1;

double FixedClock() {
    return kToday + 0.5;
}

// A log file of its own in the temp folder, removed at exit; the table holds one record per
// day for ten years, today's last, as a program running daily would have built it.
class TenYearLog {
  public:
    TenYearLog() : path_(fs::temp_directory_path() / "corvane-log-bench.dat") {
        std::ofstream(path_, std::ios::binary | std::ios::trunc).close();
        SetLogFilePathForTesting(path_.string());
        SetLogClockForTesting(&FixedClock);
        LoadLog();
        for (int i = 0; i < kDays; ++i)
            AddToLog(1000u + static_cast<uint32_t>(i), 500u, kFirstDay + i);
    }
    ~TenYearLog() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }

  private:
    fs::path path_;
};

void EnsureTable() {
    static TenYearLog log;
    if (LogRecordCount() != kDays)
        throw std::logic_error("the benchmark table was changed");
}

void BM_AddToLogToday(benchmark::State& state) {
    EnsureTable();
    for (auto _ : state)
        AddToLog(1, 1, kToday);
}
BENCHMARK(BM_AddToLogToday);

void BM_GetLogTotal(benchmark::State& state) {
    EnsureTable();
    const auto period = static_cast<TLogPeriod>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(GetLogTotal(period, ldInOut));
}
BENCHMARK(BM_GetLogTotal)
    ->ArgName("period")
    ->Arg(lpToday)
    ->Arg(lpThisWeek)
    ->Arg(lpThisMonth)
    ->Arg(lpThisYear);

void BM_GetLogTotals(benchmark::State& state) {
    EnsureTable();
    for (auto _ : state)
        benchmark::DoNotOptimize(GetLogTotals());
}
BENCHMARK(BM_GetLogTotals);

} // namespace
