// The daily usage log: a table of day records, its file "bandlog.dat", and the sums over today,
// this week, this month, this year and a billing period, kept as running totals.
#include "log/usage_log.h"

#include "log/calendar.h"
#include "platform/file_io.h"
#include "platform/sync.h"
#include "text/texts.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr size_t kRecordSize = 24;

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

// A running sum over the records dated First to Last (by their day).
struct RangeSum {
    bool valid = false;
    double first = 0;
    double last = 0;
    TLogAmounts amounts;
};

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

bool InDateOrder(const std::vector<TLogRecord>& table) {
    for (size_t i = 1; i < table.size(); ++i) {
        if (!(table[i - 1].Date < table[i].Date))
            return false;
    }
    return true;
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

void CountInRange(RangeSum& range, const TLogRecord& amounts) {
    // By its day, like the period sums; a NaN date is on no day.
    const double day = std::floor(amounts.Date);
    if (range.valid && day >= range.first && day <= range.last) {
        range.amounts.In += amounts.InBytes;
        range.amounts.Out += amounts.OutBytes;
    }
}

std::string InOutErrorText(int code) {
    switch (code) {
    case 2:
        return Text(TTextId::FileErrorNotFound);
    case 3:
        return Text(TTextId::FileErrorInvalidName);
    case 4:
        return Text(TTextId::FileErrorTooManyOpen);
    case 5:
        return Text(TTextId::FileErrorAccessDenied);
    case 100:
        return Text(TTextId::FileErrorReadPastEnd);
    case 101:
        return Text(TTextId::FileErrorDiskFull);
    default:
        return FormatText(Text(TTextId::FileErrorNumbered), {{"code", std::to_string(code)}});
    }
}

} // namespace

EInOutError::EInOutError(int code) : std::runtime_error(InOutErrorText(code)), code_(code) {}

struct TUsageLog::TState {
    TMutex lock; // guards everything below
    std::vector<TLogRecord> table;
    // Every date is later than the one before it, as a table built day by day is: each date
    // has one record, and it is found from the end.
    bool inDateOrder = true;
    // The period sums over `spans`, for the day they were worked out on.
    PeriodSpans spans;
    bool totalsCurrent = false;
    TLogTotals totals;
    RangeSum ranges[2];
    int lastRange = 0;    // the range asked for last, which a new range does not replace
    bool changed = false; // since the last save

    void SaveTo(const std::string& path) {
        const std::string data = EncodeTable(table);
        try {
            ReplaceFileContents(path, data);
        } catch (const TFileError& e) {
            throw EInOutError(LogErrorCode(e.Code()));
        }
        changed = false;
    }

    // The first record of the date, or nullptr.
    TLogRecord* Find(double date) {
        if (inDateOrder) {
            for (auto r = table.rbegin(); r != table.rend() && r->Date >= date; ++r) {
                if (r->Date == date)
                    return &*r;
            }
            return nullptr;
        }
        for (TLogRecord& record : table) {
            if (record.Date == date)
                return &record;
        }
        return nullptr;
    }

    // The totals for the day of `now`; all 0 when the clock gives no date.
    TLogTotals Totals(double now) {
        if (!totalsCurrent || spans.today != std::floor(now)) {
            spans = SpansOf(now);
            totals = TLogTotals{};
            if (spans.valid) {
                for (const TLogRecord& record : table)
                    Count(totals, spans, record);
            }
            totalsCurrent = true;
        }
        return spans.valid ? totals : TLogTotals{};
    }

    TLogAmounts Between(double firstDay, double lastDay) {
        for (int i = 0; i < 2; ++i) {
            const RangeSum& range = ranges[i];
            if (range.valid && range.first == firstDay && range.last == lastDay) {
                lastRange = i;
                return range.amounts;
            }
        }
        lastRange = 1 - lastRange;
        RangeSum& range = ranges[lastRange];
        range = RangeSum{true, firstDay, lastDay, {}};
        for (const TLogRecord& record : table)
            CountInRange(range, record);
        return range.amounts;
    }

    void Add(const TLogRecord& amounts) {
        if (TLogRecord* record = Find(amounts.Date)) {
            record->InBytes += amounts.InBytes;
            record->OutBytes += amounts.OutBytes;
            changed = changed || amounts.InBytes != 0 || amounts.OutBytes != 0;
        } else {
            const bool later = table.empty() || table.back().Date < amounts.Date;
            table.push_back(amounts);
            inDateOrder = inDateOrder && later;
            changed = true;
        }
        if (totalsCurrent)
            Count(totals, spans, amounts);
        for (RangeSum& range : ranges)
            CountInRange(range, amounts);
    }

    // A table put in place whole: the sums are worked out afresh when next asked for.
    void Replace(std::vector<TLogRecord>& replacement) {
        table.swap(replacement);
        inDateOrder = InDateOrder(table);
        totalsCurrent = false;
        ranges[0].valid = ranges[1].valid = false;
        // Not written by this process yet: the first autosave still writes it, which drops a
        // partial record and tells of a file that cannot be written.
        changed = true;
    }
};

TUsageLog::TUsageLog(std::string path, TClockFunc clock)
    : path_(std::move(path)), clock_(clock), state_(std::make_unique<TState>()) {}

TUsageLog::~TUsageLog() = default;

void TUsageLog::Load() {
    std::lock_guard<TMutex> hold(state_->lock);
    std::string data, pending;
    bool recovered = false;
    try {
        data = ReadOrCreateFile(path_, kMaxUsageLogSize);
        recovered =
            ReadInterruptedReplacement(path_, data.size(), WholeRecords, pending, kMaxUsageLogSize);
    } catch (const TFileError& e) {
        throw EInOutError(LogErrorCode(e.Code()));
    }
    if (recovered)
        data.swap(pending);
    // Built before it replaces the table, so a failure leaves the old one.
    std::vector<TLogRecord> table = DecodeTable(data);
    state_->Replace(table);
    if (recovered)
        state_->SaveTo(path_);
}

void TUsageLog::Save() {
    std::lock_guard<TMutex> hold(state_->lock);
    state_->SaveTo(path_);
}

void TUsageLog::SaveIfChanged() {
    std::lock_guard<TMutex> hold(state_->lock);
    if (state_->changed)
        state_->SaveTo(path_);
}

void TUsageLog::Add(uint64_t bytesIn, uint64_t bytesOut, double date) {
    // No record can ever equal a NaN date, so each call would append one more.
    if (!std::isfinite(date))
        return;
    std::lock_guard<TMutex> hold(state_->lock);
    state_->Add(TLogRecord{date, bytesIn, bytesOut});
}

TLogTotals TUsageLog::Totals() {
    const double now = Now();
    std::lock_guard<TMutex> hold(state_->lock);
    return state_->Totals(now);
}

TLogAmounts TUsageLog::TotalBetween(double firstDay, double lastDay) {
    std::lock_guard<TMutex> hold(state_->lock);
    return state_->Between(firstDay, lastDay);
}

void TUsageLog::Reset() {
    std::lock_guard<TMutex> hold(state_->lock);
    std::vector<TLogRecord> empty;
    state_->Replace(empty); // the old storage goes with `empty`
    state_->SaveTo(path_);
}

size_t TUsageLog::RecordCount() {
    std::lock_guard<TMutex> hold(state_->lock);
    return state_->table.size();
}

std::vector<TLogRecord> TUsageLog::CopyTable() {
    std::lock_guard<TMutex> hold(state_->lock);
    return state_->table;
}

namespace {

struct UsedLog {
    TMutex lock; // guards log
    std::shared_ptr<TUsageLog> log;
};

// Allocated once and never freed: a sampling thread may still add while the process ends.
UsedLog& Used() {
    static auto* used = new UsedLog;
    return *used;
}

} // namespace

// Shared, so that a log put out of place stays alive until a call still using it returns.
std::shared_ptr<TUsageLog> ProcessUsageLog() {
    UsedLog& used = Used();
    std::lock_guard<TMutex> hold(used.lock);
    if (!used.log)
        used.log = std::make_shared<TUsageLog>(ExecutableDirectory() + kUsageLogName,
                                               &CurrentLocalDateTime);
    return used.log;
}

void UseProcessUsageLog(std::shared_ptr<TUsageLog> log) {
    UsedLog& used = Used();
    std::lock_guard<TMutex> hold(used.lock);
    used.log.swap(log);
}

void LoadLog() {
    ProcessUsageLog()->Load();
}

void SaveLog() {
    ProcessUsageLog()->Save();
}

void SaveLogIfChanged() {
    ProcessUsageLog()->SaveIfChanged();
}

void AddToLog(uint64_t bytesIn, uint64_t bytesOut, double date) {
    ProcessUsageLog()->Add(bytesIn, bytesOut, date);
}

uint64_t GetLogTotal(TLogPeriod period, TLogDirection direction) {
    if (period > lpThisYear || direction > ldInOut)
        return 0;
    return GetLogTotals().Get(period, direction);
}

TLogTotals GetLogTotals() {
    return ProcessUsageLog()->Totals();
}

TLogAmounts GetLogTotalBetween(double firstDay, double lastDay) {
    return ProcessUsageLog()->TotalBetween(firstDay, lastDay);
}

void ResetLog() {
    ProcessUsageLog()->Reset();
}

std::string LogFilePath() {
    return ProcessUsageLog()->Path();
}

double LogNow() {
    return ProcessUsageLog()->Now();
}

size_t LogRecordCount() {
    return ProcessUsageLog()->RecordCount();
}

std::vector<TLogRecord> CopyLogTable() {
    return ProcessUsageLog()->CopyTable();
}

std::vector<TLogRecord> DecodeLogFile(const std::string& data) {
    return DecodeTable(data);
}
