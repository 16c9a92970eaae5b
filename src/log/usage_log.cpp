// The daily usage log: the process-wide table of day records, its file "bandlog.dat", and the
// sums over today, this week, this month and this year.
#include "log/usage_log.h"

#include "log/calendar.h"
#include "platform/file_io.h"

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

// The calendar keys of one record's date, worked out once: a date never changes after the
// record enters the table, and decoding it for every sum made each sum cost a date decode
// and a week computation per record. Four bytes beside each 24-byte record.
struct RecordKeys {
    uint16_t year = 0; // 1 to 9999; 0 when the date is no date, which is in no period
    uint8_t month = 0;
    uint8_t week = 0;
};
static_assert(sizeof(RecordKeys) == 4, "keys stay small beside the records");

struct LogState {
    std::mutex lock; // guards table, keys and pathOverride
    std::vector<TLogRecord> table;
    std::vector<RecordKeys> keys; // keys[i] belongs to table[i]; same length always
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
}

// The current date's keys, computed once per sum.
struct CurrentPeriod {
    bool valid = false;
    double today = 0;
    int year = 0;
    int month = 0;
    int week = 0;
    int weekYear = 0;
};

CurrentPeriod CurrentPeriodNow() {
    const double now = LogNow();
    CurrentPeriod current;
    int day = 0;
    current.valid = DecodeDate(now, current.year, current.month, day);
    current.today = current.valid ? std::floor(now) : 0.0;
    current.week = IsoWeekNumber(now);
    current.weekYear = IsoWeekYear(current.year, current.month, current.week);
    return current;
}

// A month is a month of one year, a week one of its ISO week-year: without the year, last
// year's March would count as this March.
bool InWeek(int year, int month, int week, const CurrentPeriod& current) {
    return week == current.week && IsoWeekYear(year, month, week) == current.weekYear;
}

bool InMonth(int year, int month, const CurrentPeriod& current) {
    return month == current.month && year == current.year;
}

int WeekOfDecoded(double date, int year) {
    const double dayOfYear = std::floor(date) - EncodeDate(year, 1, 1) + 1;
    return IsoWeekOfYearDay(year, static_cast<int>(dayOfYear));
}

RecordKeys KeysOf(double date) {
    RecordKeys keys;
    int year = 0, month = 0, day = 0;
    if (DecodeDate(date, year, month, day)) {
        keys.year = static_cast<uint16_t>(year);
        keys.month = static_cast<uint8_t>(month);
        keys.week = static_cast<uint8_t>(WeekOfDecoded(date, year));
    }
    return keys;
}

std::vector<RecordKeys> KeysOfTable(const std::vector<TLogRecord>& table) {
    std::vector<RecordKeys> keys;
    keys.reserve(table.size());
    for (const TLogRecord& record : table)
        keys.push_back(KeysOf(record.Date));
    return keys;
}

// Appends a record and its keys, or neither: the two vectors never get out of step.
void AppendLocked(LogState& state, const TLogRecord& record) {
    state.keys.push_back(KeysOf(record.Date));
    try {
        state.table.push_back(record);
    } catch (...) {
        state.keys.pop_back();
        throw;
    }
}

bool Belongs(const TLogRecord& record, TLogPeriod period, const CurrentPeriod& current) {
    if (!current.valid)
        return false;
    if (period == lpToday)
        return record.Date == current.today;
    int year = 0, month = 0, day = 0;
    if (!DecodeDate(record.Date, year, month, day))
        return false;
    switch (period) {
    case lpThisWeek:
        return InWeek(year, month, WeekOfDecoded(record.Date, year), current);
    case lpThisMonth:
        return InMonth(year, month, current);
    case lpThisYear:
        return year == current.year;
    default:
        return false;
    }
}

uint64_t Amount(const TLogRecord& record, TLogDirection direction) {
    switch (direction) {
    case ldIn:
        return record.InBytes;
    case ldOut:
        return record.OutBytes;
    case ldInOut:
        return record.InBytes + record.OutBytes;
    default:
        return 0;
    }
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
    // Both built before either is replaced, so a failure leaves the old table and keys.
    std::vector<TLogRecord> table = DecodeTable(data);
    std::vector<RecordKeys> keys = KeysOfTable(table);
    state.table.swap(table);
    state.keys.swap(keys);
    if (recovered)
        SaveLocked(state);
}

void SaveLog() {
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    SaveLocked(state);
}

void AddToLog(uint64_t bytesIn, uint64_t bytesOut, double date) {
    // No record can ever equal a NaN date, so each call would append one more.
    if (!std::isfinite(date))
        return;
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    for (TLogRecord& record : state.table) {
        if (record.Date == date) {
            record.InBytes += bytesIn;
            record.OutBytes += bytesOut;
            return;
        }
    }
    AppendLocked(state, TLogRecord{date, bytesIn, bytesOut});
}

uint64_t GetLogTotal(TLogPeriod period, TLogDirection direction) {
    if (period > lpThisYear || direction > ldInOut)
        return 0;
    const CurrentPeriod current = CurrentPeriodNow();
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    uint64_t sum = 0;
    for (const TLogRecord& record : state.table) {
        if (Belongs(record, period, current))
            sum += Amount(record, direction);
    }
    return sum;
}

TLogTotals GetLogTotals() {
    const CurrentPeriod current = CurrentPeriodNow();
    TLogTotals totals;
    if (!current.valid)
        return totals;
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    const size_t count = state.table.size();
    for (size_t i = 0; i < count; ++i) {
        const TLogRecord& record = state.table[i];
        const RecordKeys keys = state.keys[i];
        if (keys.year == 0)
            continue;
        const bool in[4] = {record.Date == current.today,
                            InWeek(keys.year, keys.month, keys.week, current),
                            InMonth(keys.year, keys.month, current), keys.year == current.year};
        for (int p = 0; p < 4; ++p) {
            if (!in[p])
                continue;
            totals.Sum[p][ldIn] += record.InBytes;
            totals.Sum[p][ldOut] += record.OutBytes;
            totals.Sum[p][ldInOut] += record.InBytes + record.OutBytes;
        }
    }
    return totals;
}

TLogAmounts GetLogTotalBetween(double firstDay, double lastDay) {
    TLogAmounts amounts;
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    for (const TLogRecord& record : state.table) {
        // By its day, like the period sums; a NaN date is on no day.
        const double day = std::floor(record.Date);
        if (day >= firstDay && day <= lastDay) {
            amounts.In += record.InBytes;
            amounts.Out += record.OutBytes;
        }
    }
    return amounts;
}

void ResetLog() {
    LogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    std::vector<TLogRecord>().swap(state.table);
    std::vector<RecordKeys>().swap(state.keys);
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
