// Fuzz target: the export command line, checked against a literal reading of its rules; a
// request that parses reads back the same from its own canonical arguments, in any order.
// Input: the arguments, separated by NUL bytes.
#include "fuzz_support.h"
#include "history/export_command_line.h"
#include "log/calendar.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

const std::vector<std::string> kOptions = {"--export", "--period", "--from", "--to", "--out"};

bool IsDate(const std::string& text) {
    double date = 0;
    return ParseIsoDate(text, date);
}

// Help anywhere wins; otherwise pairs of a known option, given once, and its value.
bool LiterallyValid(const std::vector<std::string>& args, bool& help) {
    help = std::any_of(args.begin(), args.end(), [](const std::string& a) {
        return a == "--help" || a == "-h" || a == "/?";
    });
    if (help)
        return true;
    std::map<std::string, std::string> given;
    for (size_t i = 0; i < args.size(); i += 2) {
        if (std::find(kOptions.begin(), kOptions.end(), args[i]) == kOptions.end() ||
            given.count(args[i]) || i + 1 == args.size())
            return false;
        given[args[i]] = args[i + 1];
    }
    if (!given.count("--export") || !given.count("--period") || !given.count("--out"))
        return false;
    const std::string& format = given["--export"];
    const std::string& period = given["--period"];
    if ((format != "csv" && format != "json") || (period != "days" && period != "hours") ||
        given["--out"].empty())
        return false;
    for (const char* date : {"--from", "--to"}) {
        if (given.count(date) && !IsDate(given[date]))
            return false;
    }
    return !given.count("--from") || !given.count("--to") || given["--from"] <= given["--to"];
}

bool Parses(const std::vector<std::string>& args, TExportRequest& request) {
    try {
        request = ParseExportArguments(args);
        return true;
    } catch (const EUsageError& e) {
        FUZZ_CHECK(e.what()[0] != '\0'); // the user is told what is wrong
        return false;
    }
}

// The request as arguments, the option pairs in the order given by `order`.
std::vector<std::string> Canonical(const TExportRequest& r, uint8_t order) {
    std::vector<std::vector<std::string>> pairs = {
        {"--export", r.Format == TExportFormat::Csv ? "csv" : "json"},
        {"--period", r.Period == TExportPeriod::Days ? "days" : "hours"},
        {"--out", r.OutPath}};
    if (r.Range.FromDay != TExportRange{}.FromDay)
        pairs.push_back({"--from", FormatIsoDate(r.Range.FromDay)});
    if (r.Range.ToDay != TExportRange{}.ToDay)
        pairs.push_back({"--to", FormatIsoDate(r.Range.ToDay)});
    std::rotate(pairs.begin(), pairs.begin() + order % pairs.size(), pairs.end());
    if (order & 0x80)
        std::reverse(pairs.begin(), pairs.end());
    std::vector<std::string> args;
    for (const auto& pair : pairs)
        args.insert(args.end(), pair.begin(), pair.end());
    return args;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args;
    for (size_t start = 0; size > 0 && start <= text.size();) {
        const size_t end = std::min(text.find('\0', start), text.size());
        args.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    bool help = false;
    TExportRequest request;
    const bool parsed = Parses(args, request);
    FUZZ_CHECK(parsed == LiterallyValid(args, help));
    if (!parsed)
        return 0;
    FUZZ_CHECK(request.Help == help);
    if (help)
        return 0;
    FUZZ_CHECK(!request.OutPath.empty());
    FUZZ_CHECK(request.Range.FromDay <= request.Range.ToDay);
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--out")
            FUZZ_CHECK(request.OutPath == args[i + 1]);
        if (args[i] == "--from")
            FUZZ_CHECK(FormatIsoDate(request.Range.FromDay) == args[i + 1]);
        if (args[i] == "--to")
            FUZZ_CHECK(FormatIsoDate(request.Range.ToDay) == args[i + 1]);
    }
    TExportRequest again;
    FUZZ_CHECK(Parses(Canonical(request, data[0]), again));
    FUZZ_CHECK(again.Format == request.Format && again.Period == request.Period &&
               again.OutPath == request.OutPath && again.Range.FromDay == request.Range.FromDay &&
               again.Range.ToDay == request.Range.ToDay && !again.Help);
    return 0;
}
