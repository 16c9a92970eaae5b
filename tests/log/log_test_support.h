// Helpers for the usage log tests: a private temporary folder holding the log file, raw record
// bytes, and a clock the tests set.
#pragma once
#include "log/calendar.h"
#include "log/usage_log.h"
#include "../support/test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace logtest {

namespace fs = std::filesystem;

inline std::atomic<double>& ClockValue() {
    static std::atomic<double> value{0.0};
    return value;
}
inline double TestClock() {
    return ClockValue().load();
}
inline void SetNow(double now) {
    ClockValue().store(now);
}

// One record exactly as it lies in the file: three little-endian 64-bit fields.
inline std::string RecordBytes(double date, uint64_t in, uint64_t out) {
    uint64_t dateBits = 0;
    std::memcpy(&dateBits, &date, sizeof dateBits);
    std::string bytes;
    for (uint64_t field : {dateBits, in, out})
        for (int i = 0; i < 8; ++i)
            bytes.push_back(static_cast<char>((field >> (8 * i)) & 0xFF));
    return bytes;
}

using testsupport::ReadBytes;
using testsupport::WriteBytes;

// Names of everything in a folder, to see that no temporary file was left behind.
inline std::string Listing(const fs::path& dir) {
    std::string names;
    for (const auto& entry : fs::directory_iterator(dir))
        names += entry.path().filename().string() + ";";
    return names;
}

// Every test gets its own folder under the system's temp folder, an empty table, no log file
// yet, and the clock at noon on 15 March 2025.
class LogFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_.emplace("corvane-log");
        dir_ = folder_->Path();
        path_ = dir_ / "bandlog.dat";
        SetNow(EncodeDate(2025, 3, 15) + 0.5);
        UseProcessUsageLog(std::make_shared<TUsageLog>(path_.string(), &TestClock));
        WriteBytes(path_, "");
        LoadLog();
        fs::remove(path_);
    }

    void TearDown() override {
        UseProcessUsageLog(nullptr);
        folder_.reset();
    }

    // Puts a file in place and loads it.
    void LoadFrom(const std::string& bytes) {
        WriteBytes(path_, bytes);
        LoadLog();
    }

    std::string SavedBytes() {
        SaveLog();
        return ReadBytes(path_);
    }

    std::optional<testsupport::TTempFolder> folder_;
    fs::path dir_;
    fs::path path_;
};

} // namespace logtest
