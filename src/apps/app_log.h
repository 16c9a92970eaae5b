// The per-program store: for every hour and program, the bytes received and sent, keyed by the
// hour in UTC and the program's full image path, mirrored in a file beside the executable
// ("appslog.dat").
//
// The file is a sequence of records, each adding bytes to one program in one hour, little-endian:
//   0  2  marker FE A5: a record starts here
//   2  2  L, the length of the program's path in bytes (UTF-8; 0: the hour's other programs)
//   4  4  hour: hours since 1 January 1970, 00:00 UTC
//   8  8  bytes in
//  16  8  bytes out
//  24  4  CRC-32 of bytes 0 to 23
//  28  L  the program's path
//  28+L 4 CRC-32 of bytes 0 to 27+L
// The head's own check lets a reader trust its length, so a damaged record is skipped whole and
// a reader finds the next record after damage by its marker. The writer appends the minute's
// additions and now and then rewrites the file with one record per program and hour (through a
// temporary file); a torn record at the end is skipped when reading and cut before the next
// append. A file that another program replaced or cut meanwhile is rewritten with every total.
// An hour keeps its 50 largest programs; the rest add up as "other" (an empty Program).
#pragma once
#include "apps/app_hour.h"
#include "log/append_store.h"
#include "platform/sync.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kAppLogName[] = "appslog.dat";
inline constexpr size_t kAppRecordHead = 28; // a record is this, the path and its check
inline constexpr size_t kMaxAppPath = 0xFFFF;
inline constexpr size_t kProgramsPerHour = 50;
// About 700 000 records: years of a busy computer's hours. A larger file is no per-program
// history, and reading it whole could exhaust memory.
inline constexpr size_t kMaxAppLogSize = 64 << 20;

// Records of one program in one hour each, in the given order: whole hours from 1970 to 2^32
// hours, paths of at most kMaxAppPath bytes.
std::string EncodeAppRecords(const std::vector<TAppHour>& records);
// One total per program and hour, sorted by hour and program, each hour with at most its 50
// largest programs and "other": damaged records and a torn one at the end add nothing; totals
// that would wrap stay at the largest value. `folded`, when given, is set when an hour had more.
std::vector<TAppHour> DecodeAppFile(std::string_view data, bool* folded = nullptr);

class TAppLog {
  public:
    // Reads the file when it can; a file that cannot be read now (also one over
    // kMaxAppLogSize, which is left as it is) is read at the next Flush, and what was added
    // meanwhile is kept. A complete temporary file left longer than the file by a rewrite cut
    // short is read instead.
    explicit TAppLog(std::string path);
    ~TAppLog();
    TAppLog(const TAppLog&) = delete;
    TAppLog& operator=(const TAppLog&) = delete;

    // Adds programs' bytes to their hours (HourUtc within the hour; before 1970 ignored). Each
    // hour added to keeps its 50 largest programs by bytes in and out; the others' bytes go to
    // "other". A path longer than kMaxAppPath bytes counts as other. Any thread.
    void Add(const std::vector<TAppHour>& programs);
    // Writes what was added since the last flush, or the whole table when the file is no longer
    // as the store left it or a program left an hour's 50; throws TFileError or EFileTooLarge,
    // keeping the additions for the next. Any thread.
    void Flush();
    // Empties the store and its file; a file that cannot be emptied now is emptied at the next
    // Flush, which reports why it cannot.
    void Reset();

    // The programs of the hours from firstUtc to lastUtc (their starts, inclusive), by hour and
    // program.
    std::vector<TAppHour> Range(int64_t firstUtc, int64_t lastUtc) const;
    std::vector<TAppHour> All() const;

  private:
    void LoadLocked();
    void WriteLocked();
    void GiveBack(std::vector<TAppHour>& batch, size_t keptBytes);

    // Taken first, and held through the file's work: only flushes and resets wait for it.
    TMutex fileLock_;
    TAppendStore store_;
    mutable TMutex lock_;            // guards the tables and rewrite_, briefly
    std::vector<TAppHour> table_;    // totals by hour and program: the file's and pending_
    std::vector<TAppHour> pending_;  // additions not yet in the file, as the table names them
    bool rewrite_ = false;           // a program left an hour's 50 since the file was written
};
