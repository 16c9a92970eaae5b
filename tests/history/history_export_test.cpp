// Tests of the exports against hand-written files, RFC 4180 quoting and JSON strings, and the
// command line that asks for them.
#include "apps/app_counting_check.h"
#include "history/export_command_line.h"
#include "history/export_target.h"
#include "history/status_query.h"
#include "history_test_support.h"
#include "platform/file_io.h"

#include <cstring>

namespace {

using namespace historytest;

const int kMarch1 = static_cast<int>(EncodeDate(2025, 3, 1));
const std::vector<TDayTotal> kDays = {{kMarch1 - 1, 7, 8},
                                      {kMarch1, 100, 10},
                                      {kMarch1 + 1, 0, 0},
                                      {kMarch1 + 2, 18446744073709551615u, 1}};
// The hour the clocks go back (UTC 00:00 and 01:00 of 26 October 2025 are both 02:00 there),
// and the next day's first hour.
const uint32_t kFallBack = static_cast<uint32_t>(UtcSeconds(2025, 10, 26, 0) / 3600);
const std::vector<THourRecord> kHours = {
    {kFallBack, 1, 2}, {kFallBack + 1, 3, 4}, {kFallBack + 23, 5, 6}};

using TUsageCase = std::pair<std::vector<std::string>, const char*>;

// Each command line is refused with its message.
template <size_t N, typename Parse>
void ExpectUsageErrors(const TUsageCase (&cases)[N], Parse parse) {
    for (const auto& [args, message] : cases) {
        try {
            parse(args);
            ADD_FAILURE() << message;
        } catch (const EUsageError& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

TEST(HistoryExport, DaysAsCsvAndJson) {
    const TExportRange range{kMarch1, kMarch1 + 2};
    EXPECT_EQ("date,bytes_in,bytes_out\r\n"
              "2025-03-01,100,10\r\n"
              "2025-03-02,0,0\r\n"
              "2025-03-03,18446744073709551615,1\r\n",
              WriteExport(TExportFormat::Csv, TExportPeriod::Days, DayRows(kDays, range)));
    EXPECT_EQ("[\n"
              "  {\"date\": \"2025-03-01\", \"bytes_in\": 100, \"bytes_out\": 10},\n"
              "  {\"date\": \"2025-03-02\", \"bytes_in\": 0, \"bytes_out\": 0},\n"
              "  {\"date\": \"2025-03-03\", \"bytes_in\": 18446744073709551615, \"bytes_out\": 1}\n"
              "]\n",
              WriteExport(TExportFormat::Json, TExportPeriod::Days, DayRows(kDays, range)));
    EXPECT_EQ("[\n]\n", WriteExport(TExportFormat::Json, TExportPeriod::Days, {}));
}

TEST(HistoryExport, HoursInLocalTimeWithTheirOffset) {
    const int october26 = static_cast<int>(EncodeDate(2025, 10, 26));
    EXPECT_EQ("hour,bytes_in,bytes_out\r\n"
              "2025-10-26T02:00+02:00,1,2\r\n"
              "2025-10-26T02:00+01:00,3,4\r\n",
              WriteExport(TExportFormat::Csv, TExportPeriod::Hours,
                          HourRows(kHours, {october26, october26}, &CentralEurope)));
    EXPECT_EQ("[\n"
              "  {\"hour\": \"2025-10-27T00:00+01:00\", \"bytes_in\": 5, \"bytes_out\": 6}\n"
              "]\n",
              WriteExport(TExportFormat::Json, TExportPeriod::Hours,
                          HourRows(kHours, {october26 + 1, october26 + 1}, &CentralEurope)));
}

TEST(HistoryExport, HoursPastTheLastDateAreLeftOut) {
    const uint32_t last = static_cast<uint32_t>(UtcSeconds(9999, 12, 31, 22) / 3600);
    const TUtcOffsetFunc plusOne = [](int64_t) { return 3600; };
    EXPECT_EQ(
        "hour,bytes_in,bytes_out\r\n9999-12-31T23:00+01:00,7,8\r\n",
        WriteExport(TExportFormat::Csv, TExportPeriod::Hours,
                    HourRows({{last, 7, 8}, {last + 1, 9, 9}, {UINT32_MAX, 1, 1}}, {}, plusOne)));
}

TEST(HistoryExport, CsvQuotingAndJsonEscapes) {
    EXPECT_EQ("\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\",plain\r\n",
              CsvLine({"a,b", "say \"hi\"", "two\r\nlines", "plain"}));
    EXPECT_EQ(",\r\n", CsvLine({"", ""}));
    EXPECT_EQ("\"q\\\"b\\\\s\\u000a\\u0001\\u001f\"", JsonString("q\"b\\s\n\x01\x1f"));
}

TEST(ExportCommandLine, OptionsAndTheirMistakes) {
    const TExportRequest request =
        ParseExportArguments({"--period", "hours", "--export", "json", "--from", "2024-02-29",
                              "--to", "2025-03-01", "--out", "C:\\Data\\traffic.json"});
    EXPECT_FALSE(request.Help);
    EXPECT_EQ(TExportFormat::Json, request.Format);
    EXPECT_EQ(TExportPeriod::Hours, request.Period);
    EXPECT_EQ(static_cast<int>(EncodeDate(2024, 2, 29)), request.Range.FromDay);
    EXPECT_EQ(kMarch1, request.Range.ToDay);
    EXPECT_EQ("C:\\Data\\traffic.json", request.OutPath);
    EXPECT_TRUE(ParseExportArguments({"--export", "xml", "--help"}).Help);

    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"--export", "xml", "--period", "days", "--out", "f"},
        {"--export", "csv", "--period", "weeks", "--out", "f"},
        {"--export", "csv", "--period", "days"},
        {"--export", "csv", "--period", "days", "--out"},
        {"--export", "csv", "--period", "days", "--out", ""},
        {"--export", "csv", "--export", "csv", "--period", "days", "--out", "f"},
        {"--export", "csv", "--period", "days", "--out", "f", "--from", "2025-02-29"},
        {"--export", "csv", "--period", "days", "--out", "f", "--to", "2025-3-01"},
        {"--export", "csv", "--period", "days", "--out", "f", "--from", "2025-03-02", "--to",
         "2025-03-01"},
        {"--verbose"},
    };
    for (const auto& args : wrong)
        EXPECT_THROW(ParseExportArguments(args), EUsageError) << args.size();
}

// The messages are sentences with their values put in: each value in its place, none left out.
TEST(ExportCommandLine, MessagesAndHelpInEnglish) {
    const TUsageCase cases[] = {
        {{"--export", "xml"}, "--export wants csv or json, not \"xml\""},
        {{"--from", "2025-3-01"}, "--from wants a date as YYYY-MM-DD, not \"2025-3-01\""},
        {{"--verbose"}, "unknown option \"--verbose\" (--help lists the options)"},
        {{"--to", "2025-03-01", "--to", "x"}, "--to is given twice"},
        {{"--out"}, "--out needs a value"},
        {{"--out", ""}, "--out needs a file name"},
        {{"--export", "csv", "--out", "f"}, "--period is missing (--help lists the options)"},
    };
    ExpectUsageErrors(cases, [](const auto& args) { ParseExportArguments(args); });
    const std::string help = CommandLineHelp();
    EXPECT_EQ(help.rfind("Usage: corvane.exe [--export csv|json", 0), 0u);
    EXPECT_EQ(help.substr(help.rfind("\n2 ") + 1), "2 wrong options, 3 over P %.\r\n");
    size_t lines = 0;
    for (size_t at = help.find('\n'); at != std::string::npos;
         at = help.find('\n', at + 1), ++lines)
        EXPECT_EQ(help[at - 1], '\r') << "line " << lines + 1;
    EXPECT_EQ(lines, 22u);
}

TEST(StatusCommandLine, OptionsAndTheirMistakes) {
    EXPECT_FALSE(IsStatusQuery({"--export", "csv"}));
    EXPECT_TRUE(IsStatusQuery({"--over", "5"}));
    const TStatusRequest request = ParseStatusArguments({"--over", "100", "--status", "--json"});
    EXPECT_TRUE(request.Json);
    EXPECT_EQ(request.OverPercent, 100);
    EXPECT_EQ(ParseStatusArguments({"--status"}).OverPercent, 0);
    const TUsageCase cases[] = {
        {{"--json"}, "--status is missing (--help lists the options)"},
        {{"--status", "--status"}, "--status is given twice"},
        {{"--status", "--over"}, "--over needs a value"},
        {{"--status", "--over", "0"}, "--over wants a whole percent from 1 to 1000, not \"0\""},
        {{"--status", "--over", "80,90"},
         "--over wants a whole percent from 1 to 1000, not \"80,90\""},
        {{"--status", "--over", "1001"},
         "--over wants a whole percent from 1 to 1000, not \"1001\""},
        {{"--status", "--export", "csv"}, "--export cannot go with --status"},
        {{"--status", "x"}, "unknown option \"x\" (--help lists the options)"},
    };
    ExpectUsageErrors(cases, [](const auto& args) { ParseStatusArguments(args); });
}

// The check takes no other option; its report gives each finding with its reason, the share as
// measured, and the exit code says whether events arrived.
TEST(AppCountingCheck, AloneOnTheLineAndItsReport) {
    EXPECT_FALSE(IsAppCountingCheck({"--status"}));
    EXPECT_TRUE(IsAppCountingCheck({"--app-counting-check"}));
    const TUsageCase cases[] = {
        {{"--app-counting-check", "--json"}, "--json cannot go with --app-counting-check"},
        {{"--status", "--app-counting-check"}, "--status cannot go with --app-counting-check"},
        {{"--app-counting-check", "--app-counting-check"}, "--app-counting-check is given twice"},
    };
    ExpectUsageErrors(cases, [](const auto& args) { IsAppCountingCheck(args); });

    TAppCountingCheck check;
    check.Failure = "OpenTraceW: Access denied";
    EXPECT_EQ(AppCountingCheckText(check),
              "Permission for this user: not checked\r\n"
              "Event session: not started: OpenTraceW: Access denied\r\n");
    EXPECT_EQ(AppCountingCheckExitCode(check), 1);
    check = {};
    const std::string started =
        "Permission for this user: not checked\r\nEvent session: started\r\n";
    EXPECT_EQ(AppCountingCheckText(check),
              started + "Events in 10 seconds: 0 (0 lost)\r\n"
                        "Share of the adapter's bytes: no adapter could be read\r\n");
    EXPECT_EQ(AppCountingCheckExitCode(check), 1);
    check = {"", 3, 1234, 2, 5000};
    EXPECT_EQ(AppCountingCheckText(check),
              started + "Events in 10 seconds: 3 (2 lost)\r\n"
                        "Share of the adapter's bytes: 24.6 % (1234 of 5000 bytes)\r\n");
    EXPECT_EQ(AppCountingCheckExitCode(check), 0);
    check.AdapterBytes = 0;
    EXPECT_NE(AppCountingCheckText(check).find("nothing passed the adapter"), std::string::npos);
}

std::string LogFile(const std::vector<TLogRecord>& records) {
    std::string data(records.size() * sizeof(TLogRecord), '\0');
    std::memcpy(data.data(), records.data(), data.size());
    return data;
}

// A period from 15 February 2025 (day 15) with 2 full days of 60 MB out before today, 17 Feb.
TEST(StatusQuery, FiguresFromTheFilesInBothForms) {
    const double today = EncodeDate(2025, 2, 17);
    const std::string log = LogFile({{today - 3, 1 << 30, 1 << 30}, // before the period
                                     {today - 2, 0, 40 << 20},
                                     {today - 1, 5, 20 << 20},
                                     {today, 7, 30 << 20}});
    const std::string config =
        "[display]\r\nmonthquota=100\r\nquotastartday=15\r\nquotacounts=out\r\n";
    const TStatus status = StatusFromFiles(config, log, "", today + 0.75);
    EXPECT_EQ(
        StatusJson(status),
        "{\"date\": \"2025-02-17\",\r\n"
        " \"today\": {\"bytes_in\": 7, \"bytes_out\": 31457280},\r\n"
        " \"period\": {\"first\": \"2025-02-15\", \"last\": \"2025-03-14\", \"days_left\": 26, "
        "\"bytes_in\": 12, \"bytes_out\": 94371840},\r\n"
        " \"quota\": {\"counts\": \"out\", \"bytes\": 104857600, \"used\": 94371840, "
        "\"left\": 10485760, \"percent\": 90.00, \"forecast\": 880803840, "
        "\"runs_out\": \"2025-02-18\"}}\r\n");
    EXPECT_EQ(StatusText(status),
              "Today, 2025-02-17: 0.00 MB in, 30.00 MB out\r\n"
              "Billing period 2025-02-15 to 2025-03-14: 0.00 MB in, 90.00 MB out, days left: 26\r\n"
              "Quota: 90.00 MB of 100.00 MB used (90.00%), 10.00 MB left, 840.00 MB expected at "
              "the period's end\r\n");
    EXPECT_TRUE(UseReaches(status.Quota, 90));
    EXPECT_FALSE(UseReaches(status.Quota, 91));
    // The provider said 70 MB when 50 MB were counted: 70 MB and the 40 MB since, as the bar says.
    const TStatus billed = StatusFromFiles(config + "quotaoffset=2025-02-15 73400320 52428800\r\n",
                                           log, "", today + 0.75);
    EXPECT_EQ(billed.Quota.Counted, uint64_t{110} << 20);
    EXPECT_TRUE(UseReaches(billed.Quota, 110));

    const TStatus none = StatusFromFiles("[display]\r\nmonthquota=0\r\n", "", "", today);
    EXPECT_NE(StatusJson(none).find("\"quota\": null}"), std::string::npos);
    EXPECT_NE(StatusText(none).find("No quota is set.\r\n"), std::string::npos);
    EXPECT_FALSE(UseReaches(none.Quota, 1));
}

TEST(ExportTarget, OwnFilesAndTheirTemporaryFiles) {
    std::vector<std::string> names;
    for (const TOwnFile& file : kOwnFiles)
        names.push_back(file.Name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"config.ini", "config.ini.tmp", "bandlog.dat",
                                        "bandlog.dat.tmp", "hourlog.dat", "hourlog.dat.tmp"}));
    for (size_t i = 0; i < names.size(); i += 2)
        EXPECT_EQ(TemporaryFileOf(names[i]), names[i + 1]) << "the name its replacement writes";
    EXPECT_STREQ(RefusedTarget(kOwnFiles[2].Name, kOwnFiles[2].What).what(),
                 "\"bandlog.dat\" is Corvane's own usage history; choose another file for the "
                 "export");
}

TEST(ExportTarget, DeviceNamesInAnyFolderWithOrWithoutExtension) {
    for (const char* path :
         {"NUL", "con", "CON.csv", "nul.tar.gz", "Aux  ", "prn:", "C:NUL", "D:\\data\\com1.csv",
          "out/LPT9", "COM\xC2\xB9.json", "\\\\server\\share\\nul.dat", "\\\\.\\COM3", "//./x.csv"})
        EXPECT_TRUE(IsDevicePath(path)) << path;
    for (const char* path : {"null", "console.csv", "COM", "COM10", "LPT0.txt", "nul\\x.csv",
                             "C:\\CON\\days.csv", "\\\\?\\C:\\days.csv", ".nul", "a.con"})
        EXPECT_FALSE(IsDevicePath(path)) << path;
}

TEST(ExportCommandLine, ExportsFromTheFilesContents) {
    std::string daily;
    for (const TDayTotal& day : kDays) {
        const double date = day.Day;
        char record[24];
        std::memcpy(record, &date, 8); // the tests run on little-endian machines only
        std::memcpy(record + 8, &day.In, 8);
        std::memcpy(record + 16, &day.Out, 8);
        daily.append(record, 24);
    }
    TExportRequest request;
    request.Range = {kMarch1 - 1, kMarch1};
    EXPECT_EQ("date,bytes_in,bytes_out\r\n2025-02-28,7,8\r\n2025-03-01,100,10\r\n",
              ExportFromFiles(request, daily + "xx", "", &CentralEurope));
    request.Period = TExportPeriod::Hours;
    request.Range = TExportRange{};
    EXPECT_EQ("hour,bytes_in,bytes_out\r\n2025-10-27T00:00+01:00,5,6\r\n",
              ExportFromFiles(request, daily, EncodeHourRecords({kHours[2]}), &CentralEurope));
}

} // namespace
