// Parsing the export command line, and the export made from the files' contents.
#include "history/export_command_line.h"
#include "log/calendar.h"
#include "text/texts.h"

#include <cctype>

namespace {

std::string Said(TTextId text, const std::string& option, const std::string& value = {}) {
    return FormatText(Text(text), {{"option", option}, {"value", value}});
}

// "2025-03-15", a real date, as a day number.
int ParseDateOption(const std::string& option, const std::string& text) {
    double date = 0;
    if (ParseIsoDate(text, date))
        return static_cast<int>(date);
    throw EUsageError(Said(TTextId::CommandLineWantsDate, option, text));
}

template <typename T>
T Choice(const std::string& option, const std::string& value, const char* first, T firstValue,
         const char* second, T secondValue) {
    if (value == first)
        return firstValue;
    if (value == second)
        return secondValue;
    throw EUsageError(
        FormatText(Text(TTextId::CommandLineWantsChoice),
                   {{"option", option}, {"first", first}, {"second", second}, {"value", value}}));
}

} // namespace

std::string CommandLineHelp() {
    std::string help;
    for (char c : Text(TTextId::CommandLineHelp)) {
        if (c == '\n')
            help += '\r';
        help += c;
    }
    return help;
}

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
            throw EUsageError(Said(TTextId::CommandLineUnknownOption, args[i]));
        if (seen[which])
            throw EUsageError(Said(TTextId::CommandLineGivenTwice, args[i]));
        if (i + 1 == args.size())
            throw EUsageError(Said(TTextId::CommandLineNeedsValue, args[i]));
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
                throw EUsageError(Said(TTextId::CommandLineNeedsFile, args[i - 1]));
            request.OutPath = value;
            break;
        }
    }
    for (int required : {0, 1, 4}) {
        if (!seen[required])
            throw EUsageError(Said(TTextId::CommandLineMissing, options[required]));
    }
    if (request.Range.FromDay > request.Range.ToDay)
        throw EUsageError(Text(TTextId::CommandLineFromAfterTo));
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
