// The hourly store's flushes as the disk sees them, with five years of hours in the file: a
// minute's append with its flush to the disk, a rewrite of the whole file (one record per hour
// through a temporary file, flushed and moved over the file), and, for scale, the disk's flush
// of 24 appended bytes alone. Wall-clock times: the thread that flushes waits for the disk.
// CORVANE_BENCH_DIR names the folder to measure in (a USB stick's mount, for instance); the
// default is the temp folder.
#include "history/hour_log.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kHours = 5 * 8766;
const int64_t kNow = static_cast<int64_t>(std::time(nullptr));

fs::path Folder() {
    const char* chosen = std::getenv("CORVANE_BENCH_DIR");
    return chosen ? fs::path(chosen) : fs::temp_directory_path();
}

// A file of five years of hours up to now, one record each, as a rewrite leaves it.
std::string FiveYears(const std::string& name) {
    const std::string path = (Folder() / name).string();
    std::vector<THourRecord> records;
    const uint32_t last = static_cast<uint32_t>(kNow / 3600);
    for (uint32_t h = last - kHours + 1; h <= last; ++h)
        records.push_back({h, 1000000u + h % 977, 20000u + h % 13});
    const std::string data = EncodeHourRecords(records);
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(data.data(), data.size());
    return path;
}

void Remove(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
    fs::remove(path + ".tmp", ignored);
    fs::remove(path + ".copy", ignored);
}

// What the autosave does each minute: the minute's bytes of the current hour appended.
void BM_MinuteFlush(benchmark::State& state) {
    const std::string path = FiveYears("corvane-hour-bench-minute.dat");
    {
        THourLog log(path);
        for (auto _ : state) {
            log.Add(1500000, 300000, kNow);
            log.Flush();
        }
    }
    Remove(path);
}
BENCHMARK(BM_MinuteFlush)->UseRealTime()->Unit(benchmark::kMillisecond);

// What a compaction, or a file that another program replaced, costs: the whole file rewritten.
void BM_RewriteFiveYears(benchmark::State& state) {
    const std::string path = FiveYears("corvane-hour-bench-rewrite.dat");
    {
        THourLog log(path);
        for (auto _ : state) {
            state.PauseTiming();
            fs::copy_file(path, path + ".copy", fs::copy_options::overwrite_existing);
            fs::rename(path + ".copy", path); // a sync tool's copy: the next flush rewrites
            state.ResumeTiming();
            log.Add(1500000, 300000, kNow);
            log.Flush();
        }
    }
    Remove(path);
}
BENCHMARK(BM_RewriteFiveYears)->UseRealTime()->Unit(benchmark::kMillisecond);

// The disk's share of a minute's flush: one record written and flushed, nothing else.
void BM_DiskFlushOfOneRecord(benchmark::State& state) {
    const std::string path = (Folder() / "corvane-hour-bench-sync.dat").string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
    const char record[kHourRecordSize] = {};
    for (auto _ : state) {
        if (::write(fd, record, sizeof record) != static_cast<ssize_t>(sizeof record) ||
            ::fsync(fd) != 0)
            state.SkipWithError("write or fsync failed");
    }
    ::close(fd);
    Remove(path);
}
BENCHMARK(BM_DiskFlushOfOneRecord)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
