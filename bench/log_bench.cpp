// Timing of the usage log's additions, period sums and billing period sums on a table of 10 or 100
// years of day records (3,650 or 36,500), today's last, as a program running daily would have built
// it.
#include "log/calendar.h"
#include "log/usage_log.h"
#include "quota/billing_period.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const double kToday = EncodeDate(2025, 12, 31);
double g_now = kToday + 0.5;

double BenchClock() {
    return g_now;
}

// A log file of its own in the temp folder, removed at exit.
class BenchLog {
  public:
    BenchLog()
        : path_(fs::temp_directory_path() /
                ("corvane-log-bench-" + std::to_string(getpid()) + ".dat")) {
        UseProcessUsageLog(std::make_shared<TUsageLog>(path_.string(), &BenchClock));
    }
    ~BenchLog() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }

    // One record a day up to today, written as the file and loaded (x86 is little-endian,
    // as the file is).
    void Load(int years) {
        const int days = years * 365;
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        for (int i = 0; i < days; ++i) {
            const TLogRecord record{kToday - (days - 1 - i), 1000u + static_cast<uint64_t>(i),
                                    500u};
            char bytes[sizeof record];
            std::memcpy(bytes, &record, sizeof record);
            out.write(bytes, sizeof bytes);
        }
        out.close();
        LoadLog();
        if (LogRecordCount() != static_cast<size_t>(days))
            throw std::logic_error("the benchmark table was not loaded");
    }

  private:
    fs::path path_;
};

void EnsureTable(int years) {
    static BenchLog log;
    static int loaded = 0;
    g_now = kToday + 0.5;
    if (loaded != years || LogRecordCount() != static_cast<size_t>(years * 365)) {
        log.Load(years);
        loaded = years;
    }
}

// What one second costs the log: the sampling thread's two additions, the display's sums and
// the quota's billing period (started on the 15th, so that it spans two months).
void BM_Tick(benchmark::State& state) {
    EnsureTable(static_cast<int>(state.range(0)));
    TQuotaTerms terms;
    terms.StartDay = 15;
    for (auto _ : state) {
        AddToLog(1500, 0, kToday);
        AddToLog(0, 700, kToday);
        benchmark::DoNotOptimize(GetLogTotals());
        benchmark::DoNotOptimize(CurrentQuotaFigures(terms));
    }
}
BENCHMARK(BM_Tick)->ArgName("years")->Arg(10)->Arg(100);

void BM_AddToLogToday(benchmark::State& state) {
    EnsureTable(static_cast<int>(state.range(0)));
    for (auto _ : state)
        AddToLog(1, 1, kToday);
}
BENCHMARK(BM_AddToLogToday)->ArgName("years")->Arg(10)->Arg(100);

void BM_GetLogTotal(benchmark::State& state) {
    EnsureTable(static_cast<int>(state.range(0)));
    const auto period = static_cast<TLogPeriod>(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(GetLogTotal(period, ldInOut));
}
BENCHMARK(BM_GetLogTotal)
    ->ArgNames({"years", "period"})
    ->ArgsProduct({{10, 100}, {lpToday, lpThisWeek, lpThisMonth, lpThisYear}});

void BM_GetLogTotals(benchmark::State& state) {
    EnsureTable(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(GetLogTotals());
}
BENCHMARK(BM_GetLogTotals)->ArgName("years")->Arg(10)->Arg(100);

// The sums when every call is on another day than the one before, as at midnight.
void BM_GetLogTotalsNewDay(benchmark::State& state) {
    EnsureTable(static_cast<int>(state.range(0)));
    bool other = false;
    for (auto _ : state) {
        other = !other;
        g_now = kToday + (other ? 1.5 : 0.5);
        benchmark::DoNotOptimize(GetLogTotals());
    }
    g_now = kToday + 0.5;
}
BENCHMARK(BM_GetLogTotalsNewDay)->ArgName("years")->Arg(10)->Arg(100);

} // namespace
