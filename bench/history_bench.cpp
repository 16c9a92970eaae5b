// What the History window does before its first paint and at every refresh, on ten years of
// days and five years of hours: gather the view's data, build its page and lay out its chart.
// Also the start-up read of the hourly store. Prints times, and the memory the window's data
// adds at its peak (counted by the allocation functions below).
#include "history/history_chart.h"
#include "history/hour_log.h"
#include "log/calendar.h"
#include "log/usage_log.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <new>

namespace {

std::atomic<long long> liveBytes{0};
std::atomic<long long> peakBytes{0};

void* Allocate(std::size_t size) {
    void* block = std::malloc(size + 16);
    if (!block)
        throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    const long long now = liveBytes += static_cast<long long>(size);
    long long peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
    return static_cast<char*>(block) + 16;
}

void Release(void* p) noexcept {
    if (!p)
        return;
    char* block = static_cast<char*>(p) - 16;
    liveBytes -= static_cast<long long>(*reinterpret_cast<std::size_t*>(block));
    std::free(block);
}

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}

namespace {

namespace fs = std::filesystem;

constexpr int kDays = 3650;
constexpr uint32_t kHours = 5 * 8760;
const int64_t kNow = static_cast<int64_t>(std::time(nullptr));

// Ten years of days in the daily log and five years of hours in the hourly store, as files
// in the temp folder, loaded once.
struct History {
    fs::path dayFile = fs::temp_directory_path() / "corvane-history-bench-days.dat";
    fs::path hourFile = fs::temp_directory_path() / "corvane-history-bench-hours.dat";
    std::unique_ptr<THourLog> hours;
    size_t storeBytes = 0;

    History() {
        std::ofstream(dayFile, std::ios::binary | std::ios::trunc).close();
        UseProcessUsageLog(std::make_shared<TUsageLog>(dayFile.string(), &CurrentLocalDateTime));
        LoadLog();
        const double today = std::floor(CurrentLocalDateTime());
        for (int i = 0; i < kDays; ++i)
            AddToLog(100000u + static_cast<uint32_t>(i), 5000u, today - i);
        std::vector<THourRecord> records;
        const uint32_t last = static_cast<uint32_t>(kNow / 3600);
        for (uint32_t h = last - kHours + 1; h <= last; ++h)
            records.push_back({h, 1000000u + h % 977, 20000u + h % 13});
        const std::string data = EncodeHourRecords(records);
        std::ofstream(hourFile, std::ios::binary | std::ios::trunc).write(data.data(), data.size());
        const long long before = liveBytes.load();
        hours = std::make_unique<THourLog>(hourFile.string());
        storeBytes = static_cast<size_t>(liveBytes.load() - before);
    }
    ~History() {
        std::error_code ignored;
        fs::remove(dayFile, ignored);
        fs::remove(hourFile, ignored);
    }
};

History& Data() {
    static History history;
    return history;
}

// The window's steps: its data, its page, its chart (text measured as 6 pixels a character).
TChartLayout OpenView(THistoryView view, const THourLog& hours) {
    THistoryClock clock;
    clock.NowUtc = kNow;
    const THistoryCursor cursor = CurrentCursor(view, clock);
    THistoryData data;
    if (view != THistoryView::Hours)
        data.Days = DayTotalsOf(CopyLogTable());
    data.HasHours = hours.HourBounds(data.FirstHour, data.LastHour);
    uint32_t first = 0, last = 0;
    PageHourRange(cursor, first, last);
    if (view == THistoryView::Hours)
        data.Hours = hours.Range(first, last);
    const THistoryPage page = BuildHistoryPage(cursor, data, clock);
    TChartMetrics metrics;
    metrics.TextWidth = [](const std::string& text) { return 6 * static_cast<int>(text.size()); };
    return LayoutHistoryChart(page, 640, 300, metrics);
}

void BM_OpenHistoryView(benchmark::State& state) {
    History& history = Data();
    const auto view = static_cast<THistoryView>(state.range(0));
    long long added = 0;
    for (auto _ : state) {
        const long long before = liveBytes.load();
        peakBytes.store(before);
        benchmark::DoNotOptimize(OpenView(view, *history.hours));
        added = std::max(added, peakBytes.load() - before);
    }
    state.counters["peak_added_KiB"] = static_cast<double>(added) / 1024;
}
BENCHMARK(BM_OpenHistoryView)
    ->ArgName("view")
    ->Arg(static_cast<int>(THistoryView::Hours))
    ->Arg(static_cast<int>(THistoryView::Days))
    ->Arg(static_cast<int>(THistoryView::Months))
    ->Arg(static_cast<int>(THistoryView::Years))
    ->Unit(benchmark::kMicrosecond);

// The start-up read of five years of hours, and what the store then keeps.
void BM_LoadHourStore(benchmark::State& state) {
    History& history = Data();
    for (auto _ : state)
        benchmark::DoNotOptimize(THourLog(history.hourFile.string()).All().size());
    state.counters["store_KiB"] = static_cast<double>(history.storeBytes) / 1024;
}
BENCHMARK(BM_LoadHourStore)->Unit(benchmark::kMillisecond);

} // namespace
