// THourLog: the table of hour totals, its append-only file with checked records, and the
// rewrite that keeps the file at about one record per hour.
#include "history/hour_log.h"
#include "history/hour_file.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <ctime>
#include <limits>
#include <stdexcept>

namespace {

// Appended records allowed beyond one per hour before the file is rewritten: a day of minutes,
// and as many again as there are hours, so a rewrite of a large file comes rarely.
constexpr size_t kSlackRecords = 1440;

size_t CompactionThreshold(size_t hours) {
    return 2 * hours + kSlackRecords;
}

uint32_t Crc32(const char* data, size_t size) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void PutLE(char* out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t GetLE(const char* in, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(static_cast<unsigned char>(in[i])) << (8 * i);
    return value;
}

bool ByHour(const THourRecord& a, const THourRecord& b) {
    return a.Hour < b.Hour;
}

// Adds a record's bytes to its hour in a table sorted by hour; the usual case is the last hour.
void MergeInto(std::vector<THourRecord>& table, const THourRecord& add) {
    auto at = table.end();
    if (!table.empty() && table.back().Hour >= add.Hour)
        at = std::lower_bound(table.begin(), table.end(), add, ByHour);
    if (at != table.end() && at->Hour == add.Hour) {
        at->In += add.In;
        at->Out += add.Out;
        return;
    }
    table.insert(at, add);
}

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
        if (GetLE(in + 20, 4) != Crc32(in, 20))
            continue;
        records.push_back(
            {static_cast<uint32_t>(GetLE(in, 4)), GetLE(in + 4, 8), GetLE(in + 12, 8)});
    }
    if (!std::is_sorted(records.begin(), records.end(), ByHour))
        std::stable_sort(records.begin(), records.end(), ByHour);
    // Several records of one hour (appended minute by minute) add up.
    std::vector<THourRecord> totals;
    totals.reserve(records.size());
    for (const THourRecord& record : records)
        MergeInto(totals, record);
    return totals;
}

THourLog::THourLog(std::string path) : path_(std::move(path)) {
    std::lock_guard<std::mutex> hold(lock_);
    try {
        LoadLocked();
    } catch (const TFileError&) {
        // Held by another program without sharing: tried again at the next flush.
    }
}

THourLog::~THourLog() = default;

void THourLog::LoadLocked() {
    std::string data;
    ReadSharedIfExists(path_, data);
    std::vector<THourRecord> table = DecodeHourFile(data);
    for (const THourRecord& add : pending_)
        MergeInto(table, add);
    table_.swap(table);
    fileBytes_ = data.size() / kHourRecordSize * kHourRecordSize;
    syncLength_ = true;
    compactAt_ = CompactionThreshold(table_.size());
    loaded_ = true;
}

void THourLog::Add(uint64_t in, uint64_t out, int64_t utcSeconds) {
    THourRecord add{0, in, out};
    if (!HourOfUtc(utcSeconds, add.Hour))
        return;
    std::lock_guard<std::mutex> hold(lock_);
    MergeInto(table_, add);
    MergeInto(pending_, add);
}

void THourLog::Flush() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!loaded_)
        LoadLocked();
    if (pending_.empty() && !syncLength_)
        return;
    OpenSyncedLocked();
    if (pending_.empty())
        return;
    if (fileBytes_ / kHourRecordSize + pending_.size() > compactAt_ && CompactLocked())
        return;
    AppendLocked();
}

// A torn record at the end (a kill during an append) is cut off before anything follows it.
// A file shorter than it should be was cut by someone else: a rewrite puts every total back.
void THourLog::OpenSyncedLocked() {
    if (!file_)
        file_ = std::make_unique<TAppendFile>(path_);
    if (!syncLength_)
        return;
    const uint64_t size = file_->Size();
    if (size > fileBytes_)
        file_->Truncate(fileBytes_);
    else if (size < fileBytes_)
        compactAt_ = 0;
    syncLength_ = false;
}

// One record per hour through a temporary file. A reader that holds the file without letting
// it be replaced only delays this: the additions are appended instead, and a day later the
// rewrite is tried again.
bool THourLog::CompactLocked() {
    file_.reset();
    try {
        WriteFileReplacing(path_, EncodeHourRecords(table_));
    } catch (const TFileError&) {
        compactAt_ = fileBytes_ / kHourRecordSize + kSlackRecords;
        syncLength_ = true;
        return false;
    }
    pending_.clear();
    fileBytes_ = table_.size() * kHourRecordSize;
    syncLength_ = false;
    compactAt_ = CompactionThreshold(table_.size());
    return true;
}

// Whole records that reached the file before a failure are not written again; a torn one is
// cut off at the next flush.
void THourLog::AppendLocked() {
    if (!file_)
        OpenSyncedLocked();
    const std::string data = EncodeHourRecords(pending_);
    size_t written = 0;
    try {
        file_->Append(data, written);
    } catch (...) {
        const size_t whole = written / kHourRecordSize;
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(whole));
        fileBytes_ += whole * kHourRecordSize;
        syncLength_ = true;
        throw;
    }
    fileBytes_ += data.size();
    pending_.clear();
}

void THourLog::Reset() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<THourRecord>().swap(table_);
    std::vector<THourRecord>().swap(pending_);
    loaded_ = true;
    fileBytes_ = 0;
    syncLength_ = true;
    compactAt_ = CompactionThreshold(0);
    try {
        OpenSyncedLocked();
    } catch (const TFileError&) {
        // syncLength_ stays set: the next flush empties the file or says why it cannot.
    }
}

std::vector<THourRecord> THourLog::Range(uint32_t first, uint32_t last) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto from = std::lower_bound(table_.begin(), table_.end(), THourRecord{first, 0, 0}, ByHour);
    auto to = std::upper_bound(from, table_.end(), THourRecord{last, 0, 0}, ByHour);
    return std::vector<THourRecord>(from, to);
}

std::vector<THourRecord> THourLog::All() const {
    std::lock_guard<std::mutex> hold(lock_);
    return table_;
}

bool THourLog::HourBounds(uint32_t& first, uint32_t& last) const {
    std::lock_guard<std::mutex> hold(lock_);
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
