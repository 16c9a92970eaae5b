// Timing of one display rendering over a ten-year usage log (3,650 day records): the default
// template, every numeric tag from one snapshot of the sums, and every tag with its own sum.
#include "display/render.h"
#include "display/tags.h"
#include "log/calendar.h"
#include "log/usage_log.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kDays = 3650;
const double kFirstDay = EncodeDate(2016, 1, 1);
const double kToday = kFirstDay + kDays - 1;

double FixedClock() {
    return kToday + 0.5;
}

// One record a day for ten years, a few gigabytes each, in a log file of its own.
class TenYearLog {
  public:
    TenYearLog()
        : path_(fs::temp_directory_path() /
                ("corvane-render-bench-" + std::to_string(getpid()) + ".dat")) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc).close();
        SetLogFilePathForTesting(path_.string());
        SetLogClockForTesting(&FixedClock);
        LoadLog();
        for (int i = 0; i < kDays; ++i) {
            // AddToLog takes 32-bit amounts: several additions make a day of some gigabytes.
            for (int part = 0; part < 3; ++part) {
                AddToLog(1234567891u + static_cast<uint32_t>(i) * 7919u,
                         987654321u + static_cast<uint32_t>(i) * 104729u, kFirstDay + i);
            }
        }
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
    if (LogRecordCount() != kDays) {
        throw std::logic_error("the benchmark table was changed");
    }
}

const TMonitorCounters kCounters{1536000, 234567, 3000000000u, 2000000000u};

// Every numeric tag of the dialog's list, one to a line.
std::string AllTagsTemplate() {
    std::string text;
    for (const TTagEntry& entry : TagEntries()) {
        if (std::string(entry.Tag) != "%nl%") {
            text += std::string(entry.Description) + ": " + entry.Tag + "%nl%";
        }
    }
    return text;
}

// The sums the 33 log tags stand for, in the order they are replaced.
constexpr TLogPeriod kPeriods[] = {lpThisYear, lpThisMonth, lpThisWeek, lpToday};

TLogTotals SumsOneByOne() {
    TLogTotals totals;
    for (TLogPeriod period : kPeriods) {
        const int units = period == lpToday ? 2 : 3; // no terabyte tags for today
        for (int unit = 0; unit < units; ++unit) {
            for (TLogDirection direction : {ldInOut, ldIn, ldOut}) {
                totals.Sum[period][direction] = GetLogTotal(period, direction);
            }
        }
    }
    return totals;
}

void BM_RenderDefaultTemplate(benchmark::State& state) {
    EnsureTable();
    const std::string tpl = kDefaultTemplate;
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderStatistics(tpl, 2, kCounters, GetLogTotals(), '.'));
    }
}
BENCHMARK(BM_RenderDefaultTemplate)->Unit(benchmark::kMicrosecond);

void BM_RenderAllTagsOneSnapshot(benchmark::State& state) {
    EnsureTable();
    const std::string tpl = AllTagsTemplate();
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderStatistics(tpl, 2, kCounters, GetLogTotals(), '.'));
    }
}
BENCHMARK(BM_RenderAllTagsOneSnapshot)->Unit(benchmark::kMicrosecond);

void BM_RenderAllTagsSumPerTag(benchmark::State& state) {
    EnsureTable();
    const std::string tpl = AllTagsTemplate();
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderStatistics(tpl, 2, kCounters, SumsOneByOne(), '.'));
    }
}
BENCHMARK(BM_RenderAllTagsSumPerTag)->Unit(benchmark::kMicrosecond);

// The text alone, without the log: what the replacement and number format cost.
void BM_RenderAllTagsTextOnly(benchmark::State& state) {
    EnsureTable();
    const std::string tpl = AllTagsTemplate();
    const TLogTotals totals = GetLogTotals();
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderStatistics(tpl, 2, kCounters, totals, '.'));
    }
}
BENCHMARK(BM_RenderAllTagsTextOnly)->Unit(benchmark::kMicrosecond);

} // namespace
