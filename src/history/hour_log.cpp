// THourLog: the table of hour totals, its append-only file with checked records, and the
// rewrite that keeps the file at about one record per hour and puts back one that another
// program replaced or cut.
#include "history/hour_log.h"
#include "config/number_text.h"
#include "log/append_store.h"
#include "text/texts.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <limits>
#include <stdexcept>

namespace {

// Appended records allowed beyond one per hour before the file is rewritten: a day of minutes,
// and as many again as there are hours, so a rewrite of a large file comes rarely.
constexpr size_t kSlackRecords = 1440;

size_t WholeRecordBytes(std::string_view data) {
    return data.size() / kHourRecordSize * kHourRecordSize;
}

bool ByHour(const THourRecord& a, const THourRecord& b) {
    return a.Hour < b.Hour;
}

bool Checked(const char* record) {
    return GetLE(record + 20, 4) == Crc32(record, 20);
}

// A total that cannot be told stays at the largest value rather than showing as a small one.
void AddBytes(THourRecord& total, const THourRecord& add) {
    total.In = SaturatingAdd(total.In, add.In);
    total.Out = SaturatingAdd(total.Out, add.Out);
}

// Adds a record's bytes to its hour in a table sorted by hour; the usual case is the last hour.
void MergeInto(std::vector<THourRecord>& table, const THourRecord& add) {
    auto at = table.end();
    if (!table.empty() && table.back().Hour >= add.Hour)
        at = std::lower_bound(table.begin(), table.end(), add, ByHour);
    if (at != table.end() && at->Hour == add.Hour) {
        AddBytes(*at, add);
        return;
    }
    table.insert(at, add);
}

// What a finished rewrite leaves in its temporary file: whole records, each with its check.
bool WholeValidRecords(std::string_view data) {
    if (data.size() % kHourRecordSize != 0)
        return false;
    for (size_t at = 0; at < data.size(); at += kHourRecordSize) {
        if (!Checked(data.data() + at))
            return false;
    }
    return true;
}

constexpr TAppendFormat kHourFormat{kMaxHourLogSize, kSlackRecords * kHourRecordSize,
                                   WholeRecordBytes, WholeValidRecords};

} // namespace

bool HourOfUtc(int64_t utcSeconds, uint32_t& hour) {
    if (utcSeconds < 0 || utcSeconds / 3600 > std::numeric_limits<uint32_t>::max())
        return false;
    hour = static_cast<uint32_t>(utcSeconds / 3600);
    return true;
}

std::string EncodeHourRecords(const std::vector<THourRecord>& records) {
    std::string data(records.size() * kHourRecordSize, '\0');
    char* out = &data[0];
    for (const THourRecord& record : records) {
        PutLE(out, record.Hour, 4);
        PutLE(out + 4, record.In, 8);
        PutLE(out + 12, record.Out, 8);
        PutLE(out + 20, Crc32(out, 20), 4);
        out += kHourRecordSize;
    }
    return data;
}

std::vector<THourRecord> DecodeHourFile(std::string_view data) {
    std::vector<THourRecord> records;
    records.reserve(data.size() / kHourRecordSize);
    for (size_t at = 0; at + kHourRecordSize <= data.size(); at += kHourRecordSize) {
        const char* in = data.data() + at;
        if (Checked(in))
            records.push_back(
                {static_cast<uint32_t>(GetLE(in, 4)), GetLE(in + 4, 8), GetLE(in + 12, 8)});
    }
    if (!std::is_sorted(records.begin(), records.end(), ByHour))
        std::stable_sort(records.begin(), records.end(), ByHour);
    // Several records of one hour (appended minute by minute) add up, in place: a large file
    // is not held twice.
    size_t totals = 0;
    for (const THourRecord& record : records) {
        if (totals > 0 && records[totals - 1].Hour == record.Hour)
            AddBytes(records[totals - 1], record);
        else
            records[totals++] = record;
    }
    records.resize(totals);
    records.shrink_to_fit();
    return records;
}

THourLog::THourLog(std::string path) : path_(std::move(path)), store_(path_, kHourFormat) {
    std::lock_guard<TMutex> hold(fileLock_);
    try {
        LoadLocked();
    } catch (const std::exception&) {
        // Held by another program without sharing, or no hourly history at all: tried again,
        // and told, at the next flush. The meter does not wait for it.
    }
}

THourLog::~THourLog() = default;

void THourLog::LoadLocked() {
    const std::string data = store_.Read();
    std::vector<THourRecord> table = DecodeHourFile(data);
    size_t hours = 0;
    {
        std::lock_guard<TMutex> hold(lock_);
        for (const THourRecord& add : pending_)
            MergeInto(table, add);
        table_.swap(table);
        hours = table_.size();
    }
    store_.StartFrom(data, hours * kHourRecordSize);
}

void THourLog::Add(uint64_t in, uint64_t out, int64_t utcSeconds) {
    THourRecord add{0, in, out};
    if (!HourOfUtc(utcSeconds, add.Hour))
        return;
    std::lock_guard<TMutex> hold(lock_);
    MergeInto(table_, add);
    MergeInto(pending_, add);
}

void THourLog::Flush() {
    std::lock_guard<TMutex> hold(fileLock_);
    if (!store_.Loaded()) {
        try {
            LoadLocked();
        } catch (const std::exception& e) {
            throw EHourLogError(Failure(TTextId::FileErrorHoursUnreadable, e));
        }
    }
    try {
        WriteLocked();
    } catch (const std::exception& e) {
        throw EHourLogError(Failure(TTextId::FileErrorHoursUnwritable, e));
    }
}

std::string THourLog::Failure(TTextId text, const std::exception& e) const {
    const std::string name = path_.substr(path_.find_last_of("/\\") + 1);
    return FormatText(Text(text), {{"file", name}, {"reason", e.what()}});
}

// The additions are taken out of pending_ and written without lock_, so that the sampling
// thread and the readers never wait for the disk; what does not reach the file is given back.
void THourLog::WriteLocked() {
    const bool asLeft = store_.AsLeft();
    std::vector<THourRecord> batch, whole;
    bool rewrite = false;
    {
        std::lock_guard<TMutex> hold(lock_);
        if (asLeft && pending_.empty())
            return;
        batch.swap(pending_);
        rewrite = !asLeft || store_.Crowded(batch.size() * kHourRecordSize);
        if (rewrite)
            whole = table_;
    }
    const std::string wholeBytes = rewrite ? EncodeHourRecords(whole) : std::string();
    size_t kept = 0;
    try {
        store_.Write(rewrite ? &wholeBytes : nullptr, asLeft, EncodeHourRecords(batch), kept);
    } catch (...) {
        const auto written = static_cast<std::ptrdiff_t>(kept / kHourRecordSize);
        batch.erase(batch.begin(), batch.begin() + written);
        GiveBack(batch);
        throw;
    }
}

// Additions that did not reach the file wait for the next flush, beside those made meanwhile.
void THourLog::GiveBack(const std::vector<THourRecord>& batch) {
    std::lock_guard<TMutex> hold(lock_);
    for (const THourRecord& add : batch)
        MergeInto(pending_, add);
}

void THourLog::Reset() {
    std::lock_guard<TMutex> hold(fileLock_);
    {
        std::lock_guard<TMutex> tables(lock_);
        std::vector<THourRecord>().swap(table_);
        std::vector<THourRecord>().swap(pending_);
    }
    store_.Forget();
    try {
        WriteLocked();
    } catch (const std::exception&) {
        // The next flush empties the file or says why it cannot.
    }
}

std::vector<THourRecord> THourLog::Range(uint32_t first, uint32_t last) const {
    std::lock_guard<TMutex> hold(lock_);
    auto from = std::lower_bound(table_.begin(), table_.end(), THourRecord{first, 0, 0}, ByHour);
    auto to = std::upper_bound(from, table_.end(), THourRecord{last, 0, 0}, ByHour);
    return std::vector<THourRecord>(from, to);
}

std::vector<THourRecord> THourLog::All() const {
    std::lock_guard<TMutex> hold(lock_);
    return table_;
}

bool THourLog::HourBounds(uint32_t& first, uint32_t& last) const {
    std::lock_guard<TMutex> hold(lock_);
    if (table_.empty())
        return false;
    first = table_.front().Hour;
    last = table_.back().Hour;
    return true;
}

namespace {
// Never freed: the sampling thread may still add while the process ends.
std::atomic<THourLog*> processLog{nullptr};
} // namespace

void OpenHourLog(const std::string& path) {
    if (processLog.load())
        throw std::logic_error("hour log opened twice");
    processLog.store(new THourLog(path));
}

THourLog* ProcessHourLog() {
    return processLog.load();
}

void AddToHourLog(uint64_t in, uint64_t out) {
    if (THourLog* log = processLog.load())
        log->Add(in, out, static_cast<int64_t>(std::time(nullptr)));
}

void FlushHourLog() {
    if (THourLog* log = processLog.load())
        log->Flush();
}

void ResetHourLog() {
    if (THourLog* log = processLog.load())
        log->Reset();
}
