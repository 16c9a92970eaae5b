// The hourly store: for every hour in which logging ran, the bytes received and sent in it,
// keyed by the hour in UTC, mirrored in a file beside the executable ("hourlog.dat").
//
// The file is a sequence of 24-byte records, each adding bytes to one hour and carrying its
// own check: hour (u32), in (u64), out (u64), CRC-32 of those 20 bytes (u32), little-endian.
// The writer appends the minute's additions and now and then rewrites the file with one
// record per hour (through a temporary file), so a kill loses at most the last minute's
// additions and never earlier records; a torn or damaged record is skipped when reading.
// A file that another program replaced or cut meanwhile is rewritten with every total.
#pragma once
#include "log/append_store.h"
#include "platform/sync.h"
#include "text/text_ids.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct THourRecord {
    uint32_t Hour = 0; // hours since 1 January 1970, 00:00 UTC
    uint64_t In = 0;
    uint64_t Out = 0;
};

inline constexpr size_t kHourRecordSize = 24;
inline constexpr char kHourLogName[] = "hourlog.dat";
// 1 398 101 records: more than 150 years of hours, and 79 when the file is at its longest just
// before a rewrite. A larger file is no hourly history, and reading it whole could exhaust memory.
inline constexpr size_t kMaxHourLogSize = 32 << 20;

// What keeps the store from its file, told with the file's name: "The hourly history
// hourlog.dat cannot be written: <reason>".
class EHourLogError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The hour that a UTC time in seconds since 1970 falls in; false before 1970 or past 2^32 hours.
bool HourOfUtc(int64_t utcSeconds, uint32_t& hour);

std::string EncodeHourRecords(const std::vector<THourRecord>& records);
// One total per hour, sorted by hour, from a file's bytes: records that fail their check and
// a partial record at the end add nothing; totals that would wrap stay at the largest value.
std::vector<THourRecord> DecodeHourFile(std::string_view data);

class THourLog {
  public:
    // Reads the file when it can; a file that cannot be read now (also one over
    // kMaxHourLogSize, which is left as it is) is read at the next Flush, and what was added
    // meanwhile is kept. A complete temporary file left longer than the file by a rewrite cut
    // short is read instead.
    explicit THourLog(std::string path);
    ~THourLog();
    THourLog(const THourLog&) = delete;
    THourLog& operator=(const THourLog&) = delete;

    // Adds bytes to the hour of the given UTC time (also zero bytes: the hour then has a
    // record). Any thread.
    void Add(uint64_t in, uint64_t out, int64_t utcSeconds);
    // Writes what was added since the last flush, or the whole table when the file is no longer
    // as the store left it; throws EHourLogError, keeping the additions for the next. Any
    // thread: the file's work holds up neither Add nor the readers.
    void Flush();
    // Empties the store and its file; a file that cannot be emptied now is emptied at the next
    // Flush, which reports why it cannot.
    void Reset();

    // The hours from first to last (inclusive) that have a record, in order.
    std::vector<THourRecord> Range(uint32_t first, uint32_t last) const;
    std::vector<THourRecord> All() const;
    // The earliest and the latest hour with a record; false when there is none.
    bool HourBounds(uint32_t& first, uint32_t& last) const;

  private:
    void LoadLocked();
    void WriteLocked();
    void GiveBack(const std::vector<THourRecord>& batch);
    std::string Failure(TTextId text, const std::exception& e) const;

    const std::string path_;
    // Taken first, and held through the file's work: only flushes and resets wait for it.
    TMutex fileLock_;
    TAppendStore store_;
    mutable TMutex lock_;              // guards the two tables, briefly
    std::vector<THourRecord> table_;   // totals, sorted by hour: the file's and pending_
    std::vector<THourRecord> pending_; // additions not yet in the file, sorted by hour
};

// The process's store, opened once at start-up beside the executable.
void OpenHourLog(const std::string& path);
// The process's store, or nullptr before OpenHourLog (tests of other parts).
THourLog* ProcessHourLog();
// What the sampling thread adds each second, to the current hour; nothing without a store.
void AddToHourLog(uint64_t in, uint64_t out);
void FlushHourLog();
void ResetHourLog();
