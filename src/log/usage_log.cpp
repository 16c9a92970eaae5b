// The daily usage log: the process-wide table of day records, its file "bandlog.dat", and the
// sums over today, this week, this month and this year.
#include "log/usage_log.h"

#include "log/calendar.h"
#include "platform/file_io.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

namespace {

constexpr size_t kRecordSize = 24;
// 699 050 days, more than 1 900 years: anything larger is no usage log, and reading it whole
// could exhaust memory.
constexpr size_t kMaxLogSize = 16 << 20;

// The days each period covers, worked out from the current date: "today" is the one whole
// date, the others are spans [From, To) of day numbers (this ISO week, month and year, each
// of the current year). A record belongs by its date; a date with a time of day still belongs
// to the spans of its day.
struct PeriodSpans {
    bool valid = false; // the clock gave a date
    double today = std::numeric_limits<double>::quiet_NaN();
    double from[4] = {};
    double to[4] = {};
};

struct LogState {
    std::mutex lock; // guards everything below but testClock
    std::vector<TLogRecord> table;
    // Every date is later than the one before it, as a table built day by day is: each date
    // has one record, and it is found from the end.
    bool inDateOrder = true;
    // The sums over `spans`, kept up by every addition and worked out afresh from the table
    // when the day changed or the table was replaced.
    PeriodSpans spans;
    bool totalsCurrent = false;
    TLogTotals totals;
    bool changed = false; // since the last save
    std::string pathOverride;
    std::atomic<TClockFunc> testClock{nullptr};
};

// Allocated once and never freed: a sampling thread may still add while the process ends.
LogState& State() {
    static auto* state = new LogState;
    return *state;
}

std::string PathLocked(const LogState& state) {
    return state.pathOverride.empty() ? ExecutableDirectory() + "bandlog.dat" : state.pathOverride;
}

// Records are little-endian on disk whatever the host's byte order.
static_assert(std::numeric_limits<double>::is_iec559 && sizeof(double) == 8,
              "Date is stored as an IEEE-754 double");

void PutUInt64(char* out, uint64_t value) {
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t GetUInt64(const char* in) {
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value |= static_cast<uint64_t>(static_cast<unsigned char>(in[i])) << (8 * i);
    return value;
}

std::string EncodeTable(const std::vector<TLogRecord>& table) {
    std::string data(table.size() * kRecordSize, '\0');
    char* out = &data[0];
    for (const TLogRecord& record : table) {
        uint64_t dateBits = 0;
        std::memcpy(&dateBits, &record.Date, sizeof dateBits);
        PutUInt64(out, dateBits);
        PutUInt64(out + 8, record.InBytes);
        PutUInt64(out + 16, record.OutBytes);
        out += kRecordSize;
    }
    return data;
}

// A temporary file cut short by a crash ends inside a record.
bool WholeRecords(std::string_view data) {
    return data.size() % kRecordSize == 0;
}

std::vector<TLogRecord> DecodeTable(const std::string& data) {
    // A trailing partial record is ignored.
    std::vector<TLogRecord> table(data.size() / kRecordSize);
    const char* in = data.data();
    for (TLogRecord& record : table) {
        const uint64_t dateBits = GetUInt64(in);
        std::memcpy(&record.Date, &dateBits, sizeof dateBits);
        record.InBytes = GetUInt64(in + 8);
        record.OutBytes = GetUInt64(in + 16);
        in += kRecordSize;
    }
    return table;
}

// A full disk is reported as the log's own "Disk full" rather than by the system's code.
int LogErrorCode(int systemCode) {
    constexpr int kDiskFull = 112, kHandleDiskFull = 39;
    return systemCode == kDiskFull || systemCode == kHandleDiskFull ? 101 : systemCode;
}

void SaveLocked(LogState& state) {
    const std::string data = EncodeTable(state.table);
    try {
        ReplaceFileContents(PathLocked(state), data);
    } catch (const TFileError& e) {
        throw EInOutError(LogErrorCode(e.Code()));
    }
    state.changed = false;
}

bool InDateOrder(const std::vector<TLogRecord>& table) {
    for (size_t i = 1; i < table.size(); ++i) {
        if (!(table[i - 1].Date < table[i].Date))
            return false;
    }
    return true;
}

// The first record of the date, or nullptr.
TLogRecord* FindRecord(LogState& state, double date) {
    if (state.inDateOrder) {
        for (auto r = state.table.rbegin(); r != state.table.rend() && r->Date >= date; ++r) {
            if (r->Date == date)
                return &*r;
        }
        return nullptr;
    }
    for (TLogRecord& record : state.table) {
        if (record.Date == date)
            return &record;
    }
    return nullptr;
}

PeriodSpans SpansOf(double now) {
    PeriodSpans spans;
    int year = 0, month = 0, day = 0;
    if (!DecodeDate(now, year, month, day))
        return spans;
    spans.valid = true;
    spans.today = std::floor(now);
    // Days before 1 January 0001 or after 9999 are no dates, so they are in no period.
    const double monday = spans.today - (IsoDayOfWeek(now) - 1);
    spans.from[lpThisWeek] = std::max(monday, EncodeDate(1, 1, 1));
    spans.to[lpThisWeek] = std::min(monday + 7, EncodeDate(10000, 1, 1));
    spans.from[lpThisMonth] = EncodeDate(year, month, 1);
    spans.to[lpThisMonth] = EncodeDate(year, month + 1, 1);
    spans.from[lpThisYear] = EncodeDate(year, 1, 1);
    spans.to[lpThisYear] = EncodeDate(year + 1, 1, 1);
    return spans;
}

void Count(TLogTotals& totals, const PeriodSpans& spans, const TLogRecord& amounts) {
    const double date = amounts.Date;
    for (int p = lpToday; p <= lpThisYear; ++p) {
        const bool in =
            p == lpToday ? date == spans.today : spans.from[p] <= date && date < spans.to[p];
        if (!in)
            continue;
        totals.Sum[p][ldIn] += amounts.InBytes;
        totals.Sum[p][ldOut] += amounts.OutBytes;
        totals.Sum[p][ldInOut] += amounts.InBytes + amounts.OutBytes;
    }
}

// The totals for the day of `now`; all 0 when the clock gives no date.
TLogTotals TotalsLocked(LogState& state, double now) {
    if (!state.totalsCurrent || state.spans.today != std::floor(now)) {
        state.spans = SpansOf(now);
        state.totals = TLogTotals{};
        if (state.spans.valid) {
            for (const TLogRecord& record : state.table)
                Count(state.totals, state.spans, record);
        }
        state.totalsCurrent = true;
    }
    return state.spans.valid ? state.totals : TLogTotals{};
}

// A table put in place whole: the sums are worked out afresh at the next call.
void ReplaceTable(LogState& state, std::vector<TLogRecord>& table) {
    state.table.swap(table);
    state.inDateOrder = InDateOrder(state.table);
    state.totalsCurrent = false;
    // Not written by this process yet: the first autosave still writes it, which drops a
    // partial record and tells of a file that cannot be written.
    state.changed = true;
}

std::string InOutErrorText(int code) {
    switch (code) {
    case 2:
        return "File not found";
    case 3:
        return "Invalid filename";
    case 4:
        return "Too many open files";
    case 5:
        return "File access denied";
    case 100:
        return "Read beyond end of file";
    case 101:
        return "Disk full";
    default:
        return "I/O error " + std::to_string(code);
    }
}

} // namespace

EInOutError::EInOutError(int code) : std::runtime_error(InOutErrorText(code)), code_(code) {}

void LoadLog() {
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    const std::string path = PathLocked(state);
    std::string data, pending;
    bool recovered = false;
    try {
        data = ReadOrCreateFile(path, kMaxLogSize);
        recovered =
            ReadInterruptedReplacement(path, data.size(), WholeRecords, pending, kMaxLogSize);
    } catch (const TFileError& e) {
        throw EInOutError(LogErrorCode(e.Code()));
    }
    if (recovered)
        data.swap(pending);
    // Built before it replaces the table, so a failure leaves the old one.
    std::vector<TLogRecord> table = DecodeTable(data);
    ReplaceTable(state, table);
    if (recovered)
        SaveLocked(state);
}

void SaveLog() {
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    SaveLocked(state);
}

void SaveLogIfChanged() {
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (state.changed)
        SaveLocked(state);
}

void AddToLog(uint64_t bytesIn, uint64_t bytesOut, double date) {
    // No record can ever equal a NaN date, so each call would append one more.
    if (!std::isfinite(date))
        return;
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (TLogRecord* record = FindRecord(state, date)) {
        record->InBytes += bytesIn;
        record->OutBytes += bytesOut;
        state.changed = state.changed || bytesIn != 0 || bytesOut != 0;
    } else {
        const bool later = state.table.empty() || state.table.back().Date < date;
        state.table.push_back(TLogRecord{date, bytesIn, bytesOut});
        state.inDateOrder = state.inDateOrder && later;
        state.changed = true;
    }
    if (state.totalsCurrent)
        Count(state.totals, state.spans, TLogRecord{date, bytesIn, bytesOut});
}

uint64_t GetLogTotal(TLogPeriod period, TLogDirection direction) {
    if (period > lpThisYear || direction > ldInOut)
        return 0;
    return GetLogTotals().Get(period, direction);
}

TLogTotals GetLogTotals() {
    const double now = LogNow();
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    return TotalsLocked(state, now);
}

void ResetLog() {
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    std::vector<TLogRecord> empty;
    ReplaceTable(state, empty); // the old storage goes with `empty`
    SaveLocked(state);
}

std::string LogFilePath() {
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    return PathLocked(state);
}

// An empty path puts the log back beside the executable.
void SetLogFilePathForTesting(const std::string& path) {
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    state.pathOverride = path;
}

double LogNow() {
    const TClockFunc clock = State().testClock.load();
    return clock ? clock() : CurrentLocalDateTime();
}

void SetLogClockForTesting(TClockFunc clock) {
    State().testClock.store(clock);
}

size_t LogRecordCount() {
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    return state.table.size();
}
