// The daily usage log: a table of day records mirrored in "bandlog.dat", and the sums over
// today, this week, this month, this year and the billing period.
#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// One calendar day; identical in memory and in the file (24 bytes, little-endian).
struct TLogRecord {
    double Date;       // whole days since 30 December 1899, local calendar date
    uint64_t InBytes;  // bytes received that day
    uint64_t OutBytes; // bytes sent that day
};
static_assert(sizeof(TLogRecord) == 24, "TLogRecord is 24 bytes on disk");

enum TLogPeriod : uint8_t { lpToday = 0, lpThisWeek = 1, lpThisMonth = 2, lpThisYear = 3 };
enum TLogDirection : uint8_t { ldIn = 0, ldOut = 1, ldInOut = 2 };

// A failed file operation of the log, with its code and fixed text
// (2 "File not found", 3 "Invalid filename", ..., other codes "I/O error %d").
class EInOutError : public std::runtime_error {
  public:
    explicit EInOutError(int code);
    int ErrorCode() const { return code_; }

  private:
    int code_;
};

// Every period and direction, from one consistent state of the table. "This week" is the
// current ISO week of the current ISO week-year, "this month" the current month of the
// current year.
struct TLogTotals {
    uint64_t Sum[4][3] = {};
    uint64_t Get(TLogPeriod p, TLogDirection d) const { return Sum[p][d]; }
};

// Bytes in and out of the records dated firstDay to lastDay (day numbers, both included).
struct TLogAmounts {
    uint64_t In = 0;
    uint64_t Out = 0;
    uint64_t Get(TLogDirection d) const { return d == ldIn ? In : d == ldOut ? Out : In + Out; }
};

// The current local date and time as a day number with fraction.
using TClockFunc = double (*)();

// One table of day records and its file. Every operation holds the table's one lock for its
// whole duration, so the sampling thread may add while the user-interface thread reads.
// The sums are running totals: kept up by every addition, worked out afresh from the table
// only when the day or the asked range changed or the table was replaced.
class TUsageLog {
  public:
    TUsageLog(std::string path, TClockFunc clock);
    ~TUsageLog();
    TUsageLog(const TUsageLog&) = delete;
    TUsageLog& operator=(const TUsageLog&) = delete;

    // Reads the file, creating it empty when missing. A complete temporary file left longer
    // than it by an interrupted save is loaded instead and saved. Failures raise EInOutError;
    // a file too large to be a log raises EFileTooLarge and is left as it is.
    void Load();
    void Save();
    // The autosave: writes only when the table changed since the last save (a loaded table
    // counts as changed until this process has written it).
    void SaveIfChanged();
    void Add(uint64_t bytesIn, uint64_t bytesOut, double date);
    TLogTotals Totals();
    // The running sums over up to two ranges are kept at once (the billing period and its
    // days before today); any other range is summed from the table.
    TLogAmounts TotalBetween(double firstDay, double lastDay);
    void Reset();

    const std::string& Path() const { return path_; }
    double Now() const { return clock_(); }
    size_t RecordCount();
    std::vector<TLogRecord> CopyTable();

  private:
    struct TState;
    const std::string path_;
    const TClockFunc clock_;
    std::unique_ptr<TState> state_;
};

inline constexpr char kUsageLogName[] = "bandlog.dat";
// 699 050 days, more than 1 900 years: anything larger is no usage log, and reading it whole
// could exhaust memory.
inline constexpr size_t kMaxUsageLogSize = 16 << 20;

// The log that the functions below use: by default "bandlog.dat" beside the executable on the
// local clock. Programs that keep their log elsewhere (tests, benchmarks) put theirs in its
// place; nullptr puts a default one back.
std::shared_ptr<TUsageLog> ProcessUsageLog();
void UseProcessUsageLog(std::shared_ptr<TUsageLog> log);

void LoadLog();
void SaveLog();
void SaveLogIfChanged();
void AddToLog(uint64_t bytesIn, uint64_t bytesOut, double date);
uint64_t GetLogTotal(TLogPeriod period, TLogDirection direction);
void ResetLog();
TLogTotals GetLogTotals();
TLogAmounts GetLogTotalBetween(double firstDay, double lastDay);
std::string LogFilePath();
double LogNow();
// Number of records in the table (for tests and diagnostics).
size_t LogRecordCount();

// The table as it is now, and the records of a file's contents (a partial record at the end
// is ignored): what the History window and the export show.
std::vector<TLogRecord> CopyLogTable();
std::vector<TLogRecord> DecodeLogFile(const std::string& data);
