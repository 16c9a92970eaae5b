// TAppLog: the table of programs' hour totals, its append-only file of checked records of
// variable length, and the fold of an hour's smaller programs into "other".
#include "apps/app_log.h"
#include "config/number_text.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <limits>
#include <tuple>

namespace {

constexpr unsigned char kMarker[2] = {0xFE, 0xA5};
// Appended bytes allowed beyond twice the rewritten file before it is rewritten: about a day
// of minutes with a dozen programs each.
constexpr size_t kSlackBytes = 1 << 20;

bool ByKey(const TAppHour& a, const TAppHour& b) {
    return std::tie(a.HourUtc, a.Program) < std::tie(b.HourUtc, b.Program);
}

bool ByHour(const TAppHour& a, const TAppHour& b) {
    return a.HourUtc < b.HourUtc;
}

bool SameKey(const TAppHour& a, const TAppHour& b) {
    return a.HourUtc == b.HourUtc && a.Program == b.Program;
}

uint64_t Bytes(const TAppHour& a) {
    return SaturatingAdd(a.In, a.Out);
}

// A total that cannot be told stays at the largest value rather than showing as a small one.
void AddBytes(TAppHour& total, const TAppHour& add) {
    total.In = SaturatingAdd(total.In, add.In);
    total.Out = SaturatingAdd(total.Out, add.Out);
}

size_t RecordSize(const TAppHour& record) {
    return kAppRecordHead + record.Program.size() + 4;
}

size_t EncodedSize(const std::vector<TAppHour>& records) {
    size_t size = 0;
    for (const TAppHour& record : records)
        size += RecordSize(record);
    return size;
}

// Adds a record's bytes to its program and hour in a table sorted by both; the usual case is
// the last hour. True when the program had no entry in that hour yet.
bool MergeInto(std::vector<TAppHour>& table, const TAppHour& add) {
    auto at = table.end();
    if (!table.empty() && !ByKey(table.back(), add))
        at = std::lower_bound(table.begin(), table.end(), add, ByKey);
    if (at != table.end() && SameKey(*at, add)) {
        AddBytes(*at, add);
        return false;
    }
    table.insert(at, add);
    return true;
}

bool Holds(const std::vector<TAppHour>& table, const TAppHour& key) {
    return std::binary_search(table.begin(), table.end(), key, ByKey);
}

// One hour's entries, sorted by program, keep their 50 largest programs (the earlier name
// first among equals); the others' bytes go to "other". Returns the programs folded.
std::vector<std::string> FoldHour(std::vector<TAppHour>& hour) {
    const bool hasOther = !hour.empty() && hour.front().Program.empty();
    if (hour.size() - (hasOther ? 1 : 0) <= kProgramsPerHour)
        return {};
    TAppHour other = hasOther ? hour.front() : TAppHour{hour.front().HourUtc, "", 0, 0};
    std::vector<TAppHour> ranked(hour.begin() + (hasOther ? 1 : 0), hour.end());
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const TAppHour& a, const TAppHour& b) { return Bytes(a) > Bytes(b); });
    std::vector<std::string> folded;
    for (size_t i = kProgramsPerHour; i < ranked.size(); ++i) {
        AddBytes(other, ranked[i]);
        folded.push_back(std::move(ranked[i].Program));
    }
    ranked.resize(kProgramsPerHour);
    ranked.push_back(std::move(other));
    std::sort(ranked.begin(), ranked.end(), ByKey);
    hour.swap(ranked);
    return folded;
}

// FoldHour on the hour that starts at hourUtc in a table sorted by hour and program.
std::vector<std::string> FoldHourOf(std::vector<TAppHour>& table, int64_t hourUtc) {
    const TAppHour key{hourUtc, "", 0, 0};
    const auto range = std::equal_range(table.begin(), table.end(), key, ByHour);
    std::vector<TAppHour> hour(range.first, range.second);
    std::vector<std::string> folded = FoldHour(hour);
    if (!folded.empty()) {
        const auto at = table.erase(range.first, range.second);
        table.insert(at, hour.begin(), hour.end());
    }
    return folded;
}

// The size of the record at `at` (at least its head and check within data) when its head is
// good, with `good` telling whether it lies within data with a good check of its path; else 0.
size_t RecordAt(std::string_view data, size_t at, bool& good) {
    const char* p = data.data() + at;
    if (static_cast<unsigned char>(p[0]) != kMarker[0] ||
        static_cast<unsigned char>(p[1]) != kMarker[1] || GetLE(p + 24, 4) != Crc32(p, 24))
        return 0;
    const size_t size = kAppRecordHead + GetLE(p + 2, 2) + 4;
    good = size <= data.size() - at && GetLE(p + size - 4, 4) == Crc32(p, size - 4);
    return size;
}

// Hands every whole record with good checks to `take`, finding the next record after damage
// by its marker; a record with a good head but a bad path is skipped whole. Returns where the
// last good record ends.
size_t Scan(std::string_view data, const std::function<void(TAppHour&&)>& take) {
    size_t at = 0, end = 0;
    while (data.size() - at >= kAppRecordHead + 4) {
        bool good = false;
        const size_t size = RecordAt(data, at, good);
        if (size == 0) {
            ++at;
            continue;
        }
        if (size > data.size() - at)
            break; // torn
        if (good && take) {
            const char* p = data.data() + at;
            take({static_cast<int64_t>(GetLE(p + 4, 4)) * 3600,
                  std::string(p + kAppRecordHead, size - kAppRecordHead - 4), GetLE(p + 8, 8),
                  GetLE(p + 16, 8)});
        }
        if (good)
            end = at + size;
        at += size;
    }
    return end;
}

size_t WholeRecordBytes(std::string_view data) {
    return Scan(data, nullptr);
}

// What a finished rewrite leaves in its temporary file: good records back to back.
bool WholeValidRecords(std::string_view data) {
    for (size_t at = 0; at < data.size();) {
        bool good = false;
        const size_t size = data.size() - at < kAppRecordHead + 4 ? 0 : RecordAt(data, at, good);
        if (size == 0 || !good)
            return false;
        at += size;
    }
    return true;
}

constexpr TAppendFormat kAppFormat{kMaxAppLogSize, kSlackBytes, WholeRecordBytes,
                                   WholeValidRecords};

// An addition as the store keeps it: its hour's start, and a path it can write.
bool Normalized(const TAppHour& add, TAppHour& out) {
    if (add.HourUtc < 0 || add.HourUtc / 3600 > std::numeric_limits<uint32_t>::max())
        return false;
    out = add;
    out.HourUtc = add.HourUtc / 3600 * 3600;
    if (out.Program.size() > kMaxAppPath)
        out.Program.clear();
    return true;
}

} // namespace

std::string EncodeAppRecords(const std::vector<TAppHour>& records) {
    std::string data(EncodedSize(records), '\0');
    char* out = &data[0];
    for (const TAppHour& record : records) {
        out[0] = static_cast<char>(kMarker[0]);
        out[1] = static_cast<char>(kMarker[1]);
        PutLE(out + 2, record.Program.size(), 2);
        PutLE(out + 4, static_cast<uint64_t>(record.HourUtc / 3600), 4);
        PutLE(out + 8, record.In, 8);
        PutLE(out + 16, record.Out, 8);
        PutLE(out + 24, Crc32(out, 24), 4);
        record.Program.copy(out + kAppRecordHead, record.Program.size());
        const size_t body = kAppRecordHead + record.Program.size();
        PutLE(out + body, Crc32(out, body), 4);
        out += body + 4;
    }
    return data;
}

std::vector<TAppHour> DecodeAppFile(std::string_view data, bool* folded) {
    std::vector<TAppHour> records;
    Scan(data, [&records](TAppHour&& record) { records.push_back(std::move(record)); });
    std::stable_sort(records.begin(), records.end(), ByKey);
    std::vector<TAppHour> table, hour;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!hour.empty() && SameKey(hour.back(), records[i]))
            AddBytes(hour.back(), records[i]);
        else
            hour.push_back(std::move(records[i]));
        if (i + 1 == records.size() || records[i + 1].HourUtc != hour.back().HourUtc) {
            if (!FoldHour(hour).empty() && folded)
                *folded = true;
            std::move(hour.begin(), hour.end(), std::back_inserter(table));
            hour.clear();
        }
    }
    return table;
}

TAppLog::TAppLog(std::string path) : store_(std::move(path), kAppFormat) {
    std::lock_guard<TMutex> hold(fileLock_);
    try {
        LoadLocked();
    } catch (const std::exception&) {
        // Held by another program without sharing, or no per-program history at all: tried
        // again, and told, at the next flush.
    }
}

TAppLog::~TAppLog() = default;

void TAppLog::LoadLocked() {
    const std::string data = store_.Read();
    // A file that names more than an hour's 50 (not one this store wrote) is rewritten.
    bool folded = false;
    std::vector<TAppHour> table = DecodeAppFile(data, &folded);
    size_t tableBytes = 0;
    {
        std::lock_guard<TMutex> hold(lock_);
        rewrite_ = rewrite_ || folded;
        for (const TAppHour& add : pending_)
            MergeInto(table, add);
        // Additions made before the file could be read may take an hour past its 50.
        for (size_t i = 0; i < pending_.size(); ++i) {
            if (i == 0 || pending_[i].HourUtc != pending_[i - 1].HourUtc)
                rewrite_ = !FoldHourOf(table, pending_[i].HourUtc).empty() || rewrite_;
        }
        table_.swap(table);
        tableBytes = EncodedSize(table_);
    }
    store_.StartFrom(data, tableBytes);
}

// The file keeps the names the table keeps: an addition to a program folded into "other" is
// written as other's, and a program that leaves its hour's 50 after reaching the file or the
// pending additions calls for a rewrite.
void TAppLog::Add(const std::vector<TAppHour>& programs) {
    std::vector<TAppHour> adds;
    for (const TAppHour& program : programs) {
        TAppHour add;
        if (Normalized(program, add))
            adds.push_back(std::move(add));
    }
    std::lock_guard<TMutex> hold(lock_);
    std::vector<TAppHour> fresh; // entries this addition made
    std::vector<int64_t> hours;
    for (const TAppHour& add : adds) {
        if (MergeInto(table_, add))
            fresh.push_back({add.HourUtc, add.Program, 0, 0});
        if (std::find(hours.begin(), hours.end(), add.HourUtc) == hours.end())
            hours.push_back(add.HourUtc);
    }
    std::sort(fresh.begin(), fresh.end(), ByKey);
    for (int64_t hour : hours) {
        for (std::string& program : FoldHourOf(table_, hour))
            rewrite_ = rewrite_ || !Holds(fresh, {hour, std::move(program), 0, 0});
    }
    for (TAppHour& add : adds) {
        if (!Holds(table_, add))
            add.Program.clear();
        MergeInto(pending_, add);
    }
}

void TAppLog::Flush() {
    std::lock_guard<TMutex> hold(fileLock_);
    if (!store_.Loaded())
        LoadLocked();
    WriteLocked();
}

// The additions are taken out of pending_ and written without lock_, so that the counting and
// the readers never wait for the disk; what does not reach the file is given back.
void TAppLog::WriteLocked() {
    const bool asLeft = store_.AsLeft();
    std::vector<TAppHour> batch, whole;
    bool rewrite = false, folded = false;
    {
        std::lock_guard<TMutex> hold(lock_);
        if (asLeft && pending_.empty() && !rewrite_)
            return;
        batch.swap(pending_);
        folded = rewrite_;
        rewrite = !asLeft || folded || store_.Crowded(EncodedSize(batch));
        if (rewrite)
            whole = table_;
        rewrite_ = false;
    }
    const std::string wholeBytes = rewrite ? EncodeAppRecords(whole) : std::string();
    size_t kept = 0;
    bool rewritten = false;
    try {
        rewritten = store_.Write(rewrite ? &wholeBytes : nullptr, asLeft,
                                 EncodeAppRecords(batch), kept);
    } catch (...) {
        GiveBack(batch, kept);
        std::lock_guard<TMutex> hold(lock_);
        rewrite_ = rewrite_ || folded;
        throw;
    }
    std::lock_guard<TMutex> hold(lock_);
    rewrite_ = rewrite_ || (folded && !rewritten);
}

// Additions that did not reach the file wait for the next flush, beside those made meanwhile,
// under the names the table keeps now.
void TAppLog::GiveBack(std::vector<TAppHour>& batch, size_t keptBytes) {
    std::lock_guard<TMutex> hold(lock_);
    size_t skipped = 0;
    for (TAppHour& add : batch) {
        if (skipped < keptBytes) {
            skipped += RecordSize(add);
            continue;
        }
        if (!Holds(table_, add))
            add.Program.clear();
        MergeInto(pending_, add);
    }
}

void TAppLog::Reset() {
    std::lock_guard<TMutex> hold(fileLock_);
    {
        std::lock_guard<TMutex> tables(lock_);
        std::vector<TAppHour>().swap(table_);
        std::vector<TAppHour>().swap(pending_);
        rewrite_ = false;
    }
    store_.Forget();
    try {
        WriteLocked();
    } catch (const std::exception&) {
        // The next flush empties the file or says why it cannot.
    }
}

std::vector<TAppHour> TAppLog::Range(int64_t firstUtc, int64_t lastUtc) const {
    std::lock_guard<TMutex> hold(lock_);
    const TAppHour first{firstUtc, "", 0, 0}, last{lastUtc, "", 0, 0};
    auto from = std::lower_bound(table_.begin(), table_.end(), first, ByHour);
    auto to = std::upper_bound(from, table_.end(), last, ByHour);
    return std::vector<TAppHour>(from, to);
}

std::vector<TAppHour> TAppLog::All() const {
    std::lock_guard<TMutex> hold(lock_);
    return table_;
}
