// The export command line on Windows: wide arguments, the files beside the executable read
// with full sharing, and the messages on the parent's console or in a message box.
#include "history/export_console.h"
#include "product/constants.h"
#include "history/export_command_line.h"
#include "history/export_target.h"
#include "history/hour_file.h"
#include "history/hour_log.h"
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

int Export(const TExportRequest& request) {
    CheckExportTarget(request.OutPath);
    const std::string folder = ExecutableDirectory();
    std::string daily, hourly;
    ReadSharedIfExists(folder + kUsageLogName, daily, kMaxUsageLogSize);
    ReadSharedIfExists(folder + kHourLogName, hourly, kMaxHourLogSize);
    WriteFileReplacing(request.OutPath, ExportFromFiles(request, daily, hourly, &SystemUtcOffset));
    return kExitExported;
}

} // namespace

bool HasCommandLineOptions() {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (argv)
        ::LocalFree(argv);
    return count > 1;
}

int RunCommandLine() {
    TExportRequest request;
    try {
        request = ParseExportArguments(Arguments());
    } catch (const std::exception& e) {
        Report(std::string("corvane: ") + e.what() + "\r\n", true);
        return kExitUsage;
    }
    if (request.Help) {
        Report(CommandLineHelp(), false);
        return kExitExported;
    }
    try {
        return Export(request);
    } catch (const ERefusedExportTarget& e) {
        Report(std::string("corvane: ") + e.what() + "\r\n", true);
        return kExitFailed;
    } catch (const std::exception& e) {
        Report("corvane: " +
                   FormatText(Text(TTextId::CommandLineExportFailed),
                              {{"file", request.OutPath}, {"reason", e.what()}}) +
                   "\r\n",
               true);
        return kExitFailed;
    }
}
