// Fuzz target: the usage log. Arbitrary bytes are loaded as bandlog.dat (any dates: NaN,
// infinities, negative, huge), additions are made, every period and direction is summed, and
// the table is saved. Checked against a model: the saved file is the loaded whole records plus
// the additions; each sum equals the one-pass sums and a sum worked out here from the calendar.
// Input: the clock (double), the number of additions and a reset flag, the additions
// (17 bytes: mode, in, out, date), then the file's bytes.
#include "fuzz_support.h"
#include "log/calendar.h"
#include "log/usage_log.h"

#include <cmath>
#include <vector>

namespace {

double g_now = 0;
double FuzzClock() {
    return g_now;
}

std::vector<TLogRecord> Decode(const std::string& bytes) {
    std::vector<TLogRecord> records(bytes.size() / 24);
    if (!records.empty()) // x86 is little-endian, as the file is
        std::memcpy(records.data(), bytes.data(), records.size() * 24);
    return records;
}

std::string Encode(const std::vector<TLogRecord>& records) {
    return records.empty()
               ? std::string()
               : std::string(reinterpret_cast<const char*>(records.data()), records.size() * 24);
}

void ModelAdd(std::vector<TLogRecord>& model, uint32_t in, uint32_t out, double date) {
    if (!std::isfinite(date))
        return;
    for (TLogRecord& r : model) {
        if (r.Date == date) {
            r.InBytes += in;
            r.OutBytes += out;
            return;
        }
    }
    model.push_back({date, in, out});
}

// The period rule read straight from the calendar functions.
bool InPeriod(double date, int period) {
    int ny, nm, nd, y, m, d;
    if (!DecodeDate(g_now, ny, nm, nd) || !DecodeDate(date, y, m, d))
        return false;
    switch (period) {
    case lpToday:
        return date == std::floor(g_now);
    case lpThisWeek: // the same ISO week: the same Monday
        return std::floor(date) - IsoDayOfWeek(date) == std::floor(g_now) - IsoDayOfWeek(g_now);
    case lpThisMonth:
        return m == nm && y == ny;
    case lpThisYear:
        return y == ny;
    default:
        return false;
    }
}

uint64_t ModelSum(const std::vector<TLogRecord>& model, int period, int direction) {
    uint64_t sum = 0;
    for (const TLogRecord& r : model) {
        if (!InPeriod(r.Date, period))
            continue;
        if (direction == ldIn || direction == ldInOut)
            sum += r.InBytes;
        if (direction == ldOut || direction == ldInOut)
            sum += r.OutBytes;
    }
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        RemoveScratchAtExit({"bandlog.dat"});
        UseProcessUsageLog(
            std::make_shared<TUsageLog>(ScratchFolder() + "bandlog.dat", &FuzzClock));
        return LogFilePath();
    }();
    TFuzzInput in(data, size);
    g_now = in.Take<double>();
    const auto control = in.Take<uint8_t>();
    struct TAddition {
        uint8_t Mode;
        uint32_t In, Out;
        double Date;
    };
    std::vector<TAddition> additions(control & 0x1F);
    for (TAddition& a : additions)
        a = {in.Take<uint8_t>(), in.Take<uint32_t>(), in.Take<uint32_t>(), in.Take<double>()};
    const std::string file = in.Rest();

    WriteWholeFile(path, file);
    LoadLog();
    std::vector<TLogRecord> model = Decode(file);
    FUZZ_CHECK(LogRecordCount() == model.size());

    for (const TAddition& a : additions) {
        double date = a.Date;
        // Most additions go to a day already in the table, as they do in a running program.
        if ((a.Mode & 1) && !model.empty())
            date = model[a.Mode % model.size()].Date;
        AddToLog(a.In, a.Out, date);
        ModelAdd(model, a.In, a.Out, date);
    }
    FUZZ_CHECK(LogRecordCount() == model.size());

    const TLogTotals totals = GetLogTotals();
    for (int p = 0; p < 6; ++p) {
        for (int d = 0; d < 5; ++d) {
            const uint64_t sum =
                GetLogTotal(static_cast<TLogPeriod>(p), static_cast<TLogDirection>(d));
            if (p > lpThisYear || d > ldInOut) {
                FUZZ_CHECK(sum == 0);
                continue;
            }
            FUZZ_CHECK(sum ==
                       totals.Get(static_cast<TLogPeriod>(p), static_cast<TLogDirection>(d)));
            FUZZ_CHECK(sum == ModelSum(model, p, d));
        }
    }

    SaveLog();
    FUZZ_CHECK(ReadWholeFile(path) == Encode(model));
    if (control & 0x80) {
        ResetLog();
        FUZZ_CHECK(LogRecordCount() == 0 && ReadWholeFile(path).empty());
    }
    return 0;
}
