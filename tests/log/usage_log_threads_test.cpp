// The sampling thread adding while the user-interface thread sums, saves, loads and resets.
// Meant to run under ThreadSanitizer as well as in the plain build.
#include "log_test_support.h"

#include <algorithm>
#include <thread>

namespace {

using namespace logtest;

using UsageLogThreads = LogFileTest;

const double kMarch15 = EncodeDate(2025, 3, 15);

// The sampling thread's part: adds until told to stop, and counts its additions. Every
// addition puts twice as much out as in, so any consistent view has out == 2 * in.
class Sampler {
  public:
    Sampler() : thread_([this] { Run(); }) {}
    ~Sampler() { Stop(); }

    uint64_t Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return additions_;
    }

  private:
    void Run() {
        for (uint64_t i = 0; !stop_; ++i) {
            AddToLog(1, 2, kMarch15 - static_cast<double>(i % 3));
            additions_ = i + 1;
        }
    }

    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> additions_{0};
    std::thread thread_;
};

void ExpectConsistentFile(const fs::path& path) {
    const std::string bytes = ReadBytes(path);
    ASSERT_EQ(0u, bytes.size() % 24);
    for (size_t at = 0; at < bytes.size(); at += 24) {
        uint64_t in = 0, out = 0;
        for (int i = 7; i >= 0; --i) {
            in = (in << 8) | static_cast<unsigned char>(bytes[at + 8 + i]);
            out = (out << 8) | static_cast<unsigned char>(bytes[at + 16 + i]);
        }
        EXPECT_EQ(2 * in, out) << "record " << at / 24;
    }
}

void ExpectConsistentTotals() {
    const TLogTotals totals = GetLogTotals();
    for (int p = lpToday; p <= lpThisYear; ++p) {
        const uint64_t in = totals.Sum[p][ldIn];
        EXPECT_EQ(2 * in, totals.Sum[p][ldOut]) << "period " << p;
        EXPECT_EQ(3 * in, totals.Sum[p][ldInOut]) << "period " << p;
    }
    // Three ranges for the two kept running sums: some are kept up, some summed afresh.
    for (double first : {kMarch15 - 1, kMarch15 - 2, kMarch15 - 3}) {
        const TLogAmounts period = GetLogTotalBetween(first, kMarch15);
        EXPECT_EQ(2 * period.In, period.Out) << first;
    }
}

TEST_F(UsageLogThreads, AdditionsMeetSumsSavesLoadsAndResets) {
    Sampler sampler;
    for (int round = 0; round < 40; ++round) {
        ExpectConsistentTotals();
        // Only this thread takes records away, so a later sum is never smaller.
        const uint64_t in = GetLogTotal(lpThisYear, ldIn);
        EXPECT_LE(in, GetLogTotal(lpThisYear, ldInOut));
        SaveLog();
        ExpectConsistentFile(path_);
        if (round % 4 == 1)
            LoadLog();
        if (round % 4 == 3)
            ResetLog();
    }
    sampler.Stop();
    ExpectConsistentTotals();
    EXPECT_LE(LogRecordCount(), 3u);
}

TEST_F(UsageLogThreads, NoAdditionIsLostBesideSums) {
    Sampler sampler;
    uint64_t previous = 0;
    for (int round = 0; round < 2000; ++round) {
        const uint64_t in = GetLogTotal(lpThisMonth, ldIn);
        EXPECT_GE(in, previous); // additions only ever grow the sums
        previous = in;
        ExpectConsistentTotals();
    }
    const uint64_t additions = sampler.Stop();
    EXPECT_EQ(additions, GetLogTotal(lpThisMonth, ldIn));
    EXPECT_EQ((additions + 2) / 3, GetLogTotal(lpToday, ldIn));
    EXPECT_EQ(additions, GetLogTotalBetween(kMarch15 - 2, kMarch15).In);
    EXPECT_EQ(std::min<uint64_t>(additions, 3), LogRecordCount());
    SaveLog();
    ExpectConsistentFile(path_);
}

} // namespace
