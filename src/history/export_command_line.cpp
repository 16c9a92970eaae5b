// Parsing the export command line, and the export made from the files' contents.
#include "history/export_command_line.h"
#include "log/calendar.h"
#include "quota/quota_settings.h"
#include "text/texts.h"

#include <algorithm>
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

// A whole percent as an alert level takes it, 1 to 1000.
int ParsePercentOption(const std::string& option, const std::string& value) {
    const std::vector<int> level = ParseAlertLevels(value);
    if (level.size() != 1 || value.find(',') != std::string::npos)
        throw EUsageError(Said(TTextId::CommandLineWantsPercent, option, value));
    return level.front();
}

} // namespace

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string CommandLineHelp() {
    return WithCrLf(Text(TTextId::CommandLineHelp));
}

// Asking for help is never wrong, whatever else the line holds.
bool AsksForHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
        return arg == "--help" || arg == "-h" || arg == "/?";
    });
}

bool IsStatusQuery(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
        return arg == "--status" || arg == "--json" || arg == "--over";
    });
}

bool IsAppCountingCheck(const std::vector<std::string>& args) {
    const std::string check = "--app-counting-check";
    const auto first = std::find(args.begin(), args.end(), check);
    if (first == args.end())
        return false;
    for (auto other = args.begin(); other != args.end(); ++other) {
        if (other != first)
            throw EUsageError(Said(*other == check ? TTextId::CommandLineGivenTwice
                                                   : TTextId::CommandLineNotWithCheck,
                                   *other));
    }
    return true;
}

TStatusRequest ParseStatusArguments(const std::vector<std::string>& args) {
    TStatusRequest request;
    bool status = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool given = option == "--status" ? status
                           : option == "--json" ? request.Json
                           : option == "--over"
                               ? request.OverPercent != 0
                               : throw EUsageError(Said(option.rfind("--", 0) == 0
                                                            ? TTextId::CommandLineNotWithStatus
                                                            : TTextId::CommandLineUnknownOption,
                                                        option));
        if (given)
            throw EUsageError(Said(TTextId::CommandLineGivenTwice, option));
        if (option == "--status")
            status = true;
        else if (option == "--json")
            request.Json = true;
        else if (i + 1 == args.size())
            throw EUsageError(Said(TTextId::CommandLineNeedsValue, option));
        else
            request.OverPercent = ParsePercentOption(option, args[++i]);
    }
    if (!status)
        throw EUsageError(Said(TTextId::CommandLineMissing, "--status"));
    return request;
}

TExportRequest ParseExportArguments(const std::vector<std::string>& args) {
    TExportRequest request;
    bool seen[5] = {false, false, false, false, false};
    const char* const options[5] = {"--export", "--period", "--from", "--to", "--out"};
    if (AsksForHelp(args)) {
        request.Help = true;
        return request;
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
