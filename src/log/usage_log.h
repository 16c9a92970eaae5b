// The daily usage log: one process-wide table of day records, mirrored in "bandlog.dat"
// beside the executable. Every operation holds the table's one lock for its whole duration.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

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

// Reads the log file, creating it empty when missing. A complete temporary file left longer
// than it by an interrupted save is loaded instead and saved. Failures raise EInOutError; a
// file too large to be a log raises EFileTooLarge and is left as it is.
void LoadLog();
void SaveLog();
// The autosave: writes only when the table changed since the last save (a loaded table
// counts as changed until this process has written it).
void SaveLogIfChanged();
void AddToLog(uint64_t bytesIn, uint64_t bytesOut, double date);
uint64_t GetLogTotal(TLogPeriod period, TLogDirection direction);
void ResetLog();

// Every period and direction, from one consistent state of the table. "This week" is the
// current ISO week of the current ISO week-year, "this month" the current month of the
// current year.
struct TLogTotals {
    uint64_t Sum[4][3] = {};
    uint64_t Get(TLogPeriod p, TLogDirection d) const { return Sum[p][d]; }
};
TLogTotals GetLogTotals();

// Where the log lives: beside the executable unless a test points it elsewhere.
std::string LogFilePath();
void SetLogFilePathForTesting(const std::string& path);

// The current local date and time as a day number with fraction; tests may replace it.
using TClockFunc = double (*)();
double LogNow();
void SetLogClockForTesting(TClockFunc clock); // nullptr restores the real clock

// Number of records in the table (for tests and diagnostics).
size_t LogRecordCount();
