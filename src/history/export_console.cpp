// The export and status command lines on Windows: wide arguments, the files beside the executable
// read with full sharing, and the messages on the parent's console or in a message box.
#include "history/export_console.h"
#include "product/constants.h"
#include "history/export_command_line.h"
#include "history/export_target.h"
#include "log/append_file.h"
#include "history/hour_log.h"
#include "history/status_query.h"
#include "config/config_store.h"
#include "log/calendar.h"
#include "log/usage_log.h"
#include "platform/wide_text.h"
#include "platform/handle.h"
#include "text/texts.h"

#include <shellapi.h>

#include <vector>

namespace {

// The arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv)
        return {};
    std::vector<std::string> args;
    try {
        for (int i = 1; i < count; ++i)
            args.push_back(Utf8FromWide(argv[i]));
    } catch (...) {
        ::LocalFree(argv);
        throw;
    }
    ::LocalFree(argv);
    return args;
}

bool WriteToConsole(HANDLE console, const std::wstring& text) {
    DWORD written = 0;
    return ::WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written,
                           nullptr) != FALSE;
}

// Output sent to a file or a pipe gets UTF-8; a console gets wide characters. A program of the
// windows subsystem has a console only when it attaches to its parent's.
void Report(const std::string& text, bool error) {
    const std::wstring wide = WideFromUtf8(text);
    HANDLE out = ::GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE) {
        DWORD mode = 0, written = 0;
        if (::GetConsoleMode(out, &mode)
                ? WriteToConsole(out, wide)
                : ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written,
                              nullptr) != FALSE)
            return;
    }
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        TFileHandle console(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        if (console && WriteToConsole(console.get(), L"\r\n" + wide))
            return;
    }
    ::MessageBoxW(nullptr, wide.c_str(), WideFromUtf8(kProductName).c_str(),
                  MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

void ReportError(const std::string& text) {
    Report("corvane: " + text + "\r\n", true);
}

// The files beside the executable, each read whole with full sharing; a missing one is empty.
struct TSharedFiles {
    std::string Daily, Hourly;
    TSharedFiles() {
        const std::string folder = ExecutableDirectory();
        ReadSharedIfExists(folder + kUsageLogName, Daily, kMaxUsageLogSize);
        ReadSharedIfExists(folder + kHourLogName, Hourly, kMaxHourLogSize);
    }
};

int Export(const TExportRequest& request) {
    CheckExportTarget(request.OutPath);
    const TSharedFiles files;
    WriteFileReplacing(request.OutPath,
                       ExportFromFiles(request, files.Daily, files.Hourly, &SystemUtcOffset));
    return kExitExported;
}

int RunExport(const std::vector<std::string>& args) {
    TExportRequest request;
    try {
        request = ParseExportArguments(args);
    } catch (const std::exception& e) {
        ReportError(e.what());
        return kExitUsage;
    }
    try {
        return Export(request);
    } catch (const ERefusedExportTarget& e) {
        ReportError(e.what());
        return kExitFailed;
    } catch (const std::exception& e) {
        ReportError(FormatText(Text(TTextId::CommandLineExportFailed),
                               {{"file", request.OutPath}, {"reason", e.what()}}));
        return kExitFailed;
    }
}

// config.ini is read as the logs are: whole, sharing it with Corvane.
int Status(const TStatusRequest& request) {
    const TSharedFiles files;
    std::string config;
    ReadSharedIfExists(ExecutableDirectory() + kConfigFileName, config);
    const TStatus status =
        StatusFromFiles(config, files.Daily, files.Hourly, CurrentLocalDateTime());
    if (request.OverPercent && status.Quota.QuotaBytes == 0) {
        ReportError(Text(TTextId::CommandLineNeedsQuota));
        return kExitFailed;
    }
    Report(request.Json ? StatusJson(status) : StatusText(status), false);
    const bool over = request.OverPercent != 0 && UseReaches(status.Quota, request.OverPercent);
    return over ? kExitOverQuota : kExitExported;
}

int RunStatus(const std::vector<std::string>& args) {
    TStatusRequest request;
    try {
        request = ParseStatusArguments(args);
    } catch (const std::exception& e) {
        ReportError(e.what());
        return kExitUsage;
    }
    try {
        return Status(request);
    } catch (const std::exception& e) {
        ReportError(FormatText(Text(TTextId::CommandLineStatusFailed), {{"reason", e.what()}}));
        return kExitFailed;
    }
}

int RunCheck(TAppCountingCheck (*appCountingCheck)()) {
    try {
        const TAppCountingCheck check = appCountingCheck();
        Report(AppCountingCheckText(check), false);
        return AppCountingCheckExitCode(check);
    } catch (const std::exception& e) {
        ReportError(e.what());
        return kExitFailed;
    }
}

} // namespace

bool HasCommandLineOptions() {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (argv)
        ::LocalFree(argv);
    return count > 1;
}

int RunCommandLine(TAppCountingCheck (*appCountingCheck)()) {
    std::vector<std::string> args;
    bool check = false;
    try {
        args = Arguments();
        check = !AsksForHelp(args) && IsAppCountingCheck(args);
    } catch (const std::exception& e) {
        ReportError(e.what());
        return kExitUsage;
    }
    if (AsksForHelp(args)) {
        Report(CommandLineHelp(), false);
        return kExitExported;
    }
    if (check)
        return RunCheck(appCountingCheck);
    return IsStatusQuery(args) ? RunStatus(args) : RunExport(args);
}
