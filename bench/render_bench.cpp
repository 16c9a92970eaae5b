// Timing of the display rendering over a ten-year usage log (3,650 day records): the default
// template, every numeric tag from one snapshot of the sums and the billing period, every tag
// with its own sum, the text alone, the first tick after a template change, and the sums alone.
// Each figure comes with the heap allocations of a tick ("allocs").
// Median of repetitions: render_bench --benchmark_repetitions=7 --benchmark_report_aggregates_only
#include "alloc_count.h"
#include "display/render.h"
#include "config/config_keys.h"
#include "display/tags.h"
#include "log/calendar.h"
#include "log/usage_log.h"
#include "quota/billing_period.h"
#include "quota/quota_alerts.h"
#include "quota/quota_bar.h"

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
        UseProcessUsageLog(std::make_shared<TUsageLog>(path_.string(), &FixedClock));
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
// Two terabytes a month, the period starting on the 15th: about 5 % used, a ratio whose exact
// digits need the number format's big numbers.
const TQuotaTerms kTerms{2000000, 15, ldInOut};

// Every numeric tag of the dialog's list, one to a line.
std::string AllTagsTemplate() {
    std::string text;
    for (const TTagEntry& entry : TagEntries()) {
        if (std::string(entry.Tag) != "%nl%") {
            text += Text(entry.Description) + ": " + entry.Tag + "%nl%";
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

// Runs `tick` as the benchmark's loop and reports the heap allocations of an average tick.
template <typename TTick> void TimeTicks(benchmark::State& state, TTick tick) {
    tick(); // the first tick splits the template and grows the text to size
    const uint64_t before = HeapAllocations();
    for (auto _ : state) {
        tick();
    }
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(HeapAllocations() - before),
                                                  benchmark::Counter::kAvgIterations);
}

void BM_RenderDefaultTemplate(benchmark::State& state) {
    EnsureTable();
    TStatisticsRenderer renderer;
    TimeTicks(state, [&] {
        benchmark::DoNotOptimize(
            renderer.Render(kDefaultTemplate, 2, kCounters, GetLogTotals(), '.').data());
    });
}
BENCHMARK(BM_RenderDefaultTemplate)->Unit(benchmark::kMicrosecond);

// One display tick's work in the portable core: the log's sums, the period's figures and the
// text.
void BM_RenderAllTagsOneSnapshot(benchmark::State& state) {
    EnsureTable();
    const std::string tpl = AllTagsTemplate();
    TStatisticsRenderer renderer;
    TimeTicks(state, [&] {
        benchmark::DoNotOptimize(
            renderer.Render(tpl, 2, kCounters, GetLogTotals(), '.', CurrentQuotaFigures(kTerms))
                .data());
    });
}
BENCHMARK(BM_RenderAllTagsOneSnapshot)->Unit(benchmark::kMicrosecond);

void BM_RenderAllTagsSumPerTag(benchmark::State& state) {
    EnsureTable();
    const std::string tpl = AllTagsTemplate();
    TStatisticsRenderer renderer;
    TimeTicks(state, [&] {
        benchmark::DoNotOptimize(
            renderer.Render(tpl, 2, kCounters, SumsOneByOne(), '.', CurrentQuotaFigures(kTerms))
                .data());
    });
}
BENCHMARK(BM_RenderAllTagsSumPerTag)->Unit(benchmark::kMicrosecond);

// The text alone, without the log: what the pieces and the number format cost.
void BM_RenderAllTagsTextOnly(benchmark::State& state) {
    EnsureTable();
    const std::string tpl = AllTagsTemplate();
    const TLogTotals totals = GetLogTotals();
    const TQuotaFigures quota = CurrentQuotaFigures(kTerms);
    TStatisticsRenderer renderer;
    TimeTicks(state, [&] {
        benchmark::DoNotOptimize(renderer.Render(tpl, 2, kCounters, totals, '.', quota).data());
    });
}
BENCHMARK(BM_RenderAllTagsTextOnly)->Unit(benchmark::kMicrosecond);

// The first tick after a template change: splitting the template, then the text.
void BM_RenderAllTagsNewTemplate(benchmark::State& state) {
    EnsureTable();
    const std::string tpl = AllTagsTemplate();
    const TLogTotals totals = GetLogTotals();
    const TQuotaFigures quota = CurrentQuotaFigures(kTerms);
    TimeTicks(state, [&] {
        TStatisticsRenderer renderer;
        benchmark::DoNotOptimize(renderer.Render(tpl, 2, kCounters, totals, '.', quota).data());
    });
}
BENCHMARK(BM_RenderAllTagsNewTemplate)->Unit(benchmark::kMicrosecond);

// The log's sums and the period's figures alone: the rest of a tick's work besides the text.
void BM_LogSums(benchmark::State& state) {
    EnsureTable();
    TimeTicks(state, [] {
        benchmark::DoNotOptimize(GetLogTotals());
        benchmark::DoNotOptimize(CurrentQuotaFigures(kTerms));
    });
}
BENCHMARK(BM_LogSums)->Unit(benchmark::kMicrosecond);

// The quota bar's hint with its forecast, into a string kept from tick to tick.
void BM_QuotaHint(benchmark::State& state) {
    EnsureTable();
    const TQuotaFigures quota = CurrentQuotaFigures(kTerms);
    std::string hint;
    TimeTicks(state, [&] {
        QuotaHint(quota.Counted, kTerms.QuotaMB, 2, '.', hint);
        AppendQuotaForecastText(quota, "14/01/2026", 2, '.', hint);
        benchmark::DoNotOptimize(hint.data());
    });
}
BENCHMARK(BM_QuotaHint)->Unit(benchmark::kMicrosecond);

} // namespace
