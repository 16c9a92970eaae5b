// The command line that exports the history without opening a window:
//   corvane.exe --export csv|json --period days|hours [--from YYYY-MM-DD] [--to YYYY-MM-DD]
//               --out FILE
// `corvane.exe --status [--json] [--over P]`, `corvane.exe --app-counting-check` and
// `corvane.exe --help`.
#pragma once
#include "history/history_export.h"

#include <stdexcept>
#include <string>
#include <vector>

struct TExportRequest {
    bool Help = false;
    TExportFormat Format = TExportFormat::Csv;
    TExportPeriod Period = TExportPeriod::Days;
    TExportRange Range;
    std::string OutPath; // UTF-8
};

// A command line that asks for something else than this program understands; the text says
// what, for the user.
class EUsageError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

// The arguments after the program's name.
TExportRequest ParseExportArguments(const std::vector<std::string>& args);

// What --help prints, its lines ended by CR LF.
std::string CommandLineHelp();
std::string WithCrLf(const std::string& text);
bool AsksForHelp(const std::vector<std::string>& args);

// `--status [--json] [--over P]`: any of its options makes the line a status query.
struct TStatusRequest {
    bool Json = false;
    int OverPercent = 0; // 0: not asked; else 1 to 1000
};
bool IsStatusQuery(const std::vector<std::string>& args);
TStatusRequest ParseStatusArguments(const std::vector<std::string>& args);

// `--app-counting-check`, which takes no other option: whether the line asks for it.
bool IsAppCountingCheck(const std::vector<std::string>& args);

// Exit codes.
inline constexpr int kExitExported = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOverQuota = 3; // --status --over P: the use reached P %

// The export file's text from the contents of the daily log and the hourly store files.
std::string ExportFromFiles(const TExportRequest& request, const std::string& dailyLog,
                            const std::string& hourLog, TUtcOffsetFunc zone);
