// Parsing the export command line, and the export made from the files' contents.
#include "history/export_command_line.h"
#include "log/calendar.h"

#include <cctype>

const char kCommandLineHelp[] =
    "Usage: corvane.exe [--export csv|json --period days|hours [--from YYYY-MM-DD]\r\n"
    "                   [--to YYYY-MM-DD] --out FILE]\r\n"
    "\r\n"
    "Without options Corvane starts as usual.\r\n"
    "\r\n"
    "  --export csv|json    write the usage history to FILE and exit\r\n"
    "  --period days|hours  the daily records or the hourly records\r\n"
    "  --from YYYY-MM-DD    the first local date to include (default: the earliest)\r\n"
    "  --to YYYY-MM-DD      the last local date to include (default: the latest)\r\n"
    "  --out FILE           the file to write; an existing one is replaced\r\n"
    "  --help               show this text\r\n"
    "\r\n"
    "The records are read from bandlog.dat and hourlog.dat beside corvane.exe, also while\r\n"
    "Corvane runs (it writes them once a minute). Exit code: 0 exported, 1 the export failed,\r\n"
    "2 wrong options.\r\n";

namespace {

// "2025-03-15", a real date, as a day number.
int ParseDateOption(const std::string& option, const std::string& text) {
    double date = 0;
    if (ParseIsoDate(text, date))
        return static_cast<int>(date);
    throw EUsageError(option + " wants a date as YYYY-MM-DD, not \"" + text + "\"");
}

template <typename T>
T Choice(const std::string& option, const std::string& value, const char* first, T firstValue,
         const char* second, T secondValue) {
    if (value == first)
        return firstValue;
    if (value == second)
        return secondValue;
    throw EUsageError(option + " wants " + first + " or " + second + ", not \"" + value + "\"");
}

} // namespace

TExportRequest ParseExportArguments(const std::vector<std::string>& args) {
    TExportRequest request;
    bool seen[5] = {false, false, false, false, false};
    const char* const options[5] = {"--export", "--period", "--from", "--to", "--out"};
    // Asking for help is never wrong, whatever else the line holds.
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            request.Help = true;
            return request;
        }
    }
    for (size_t i = 0; i < args.size(); ++i) {
        int which = 0;
        while (which < 5 && args[i] != options[which])
            ++which;
        if (which == 5)
            throw EUsageError("unknown option \"" + args[i] + "\" (--help lists the options)");
        if (seen[which])
            throw EUsageError(args[i] + " is given twice");
        if (i + 1 == args.size())
            throw EUsageError(args[i] + " needs a value");
        seen[which] = true;
        const std::string& value = args[++i];
        switch (which) {
        case 0:
            request.Format =
                Choice(args[i - 1], value, "csv", TExportFormat::Csv, "json", TExportFormat::Json);
            break;
        case 1:
            request.Period = Choice(args[i - 1], value, "days", TExportPeriod::Days, "hours",
                                    TExportPeriod::Hours);
            break;
        case 2:
            request.Range.FromDay = ParseDateOption(args[i - 1], value);
            break;
        case 3:
            request.Range.ToDay = ParseDateOption(args[i - 1], value);
            break;
        default:
            if (value.empty())
                throw EUsageError(args[i - 1] + " needs a file name");
            request.OutPath = value;
            break;
        }
    }
    for (int required : {0, 1, 4}) {
        if (!seen[required])
            throw EUsageError(std::string(options[required]) +
                              " is missing (--help lists the options)");
    }
    if (request.Range.FromDay > request.Range.ToDay)
        throw EUsageError("--from is later than --to");
    return request;
}

std::string ExportFromFiles(const TExportRequest& request, const std::string& dailyLog,
                            const std::string& hourLog, TUtcOffsetFunc zone) {
    const std::vector<TExportRow> rows =
        request.Period == TExportPeriod::Days
            ? DayRows(DayTotalsOf(DecodeLogFile(dailyLog)), request.Range)
            : HourRows(DecodeHourFile(hourLog), request.Range, zone);
    return WriteExport(request.Format, request.Period, rows);
}
