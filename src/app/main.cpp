// Start-up: configuration store, usage log, title, main window, message loop.
#include "product/constants.h"
#include "app/app_counting_check_win.h"
#include "app/main_form.h"
#include "app/single_instance.h"
#include "history/export_console.h"
#include "log/append_file.h"
#include "history/hour_log.h"
#include "log/usage_log.h"
#include "platform/application.h"
#include "platform/error_text.h"
#include "platform/file_io.h"
#include "platform/system_library.h"
#include "platform/user_locale.h"
#include "platform/wide_text.h"
#include "text/texts.h"
#include "config/config_keys.h"
#include "config/config_store.h"

#include <windows.h>

namespace {

// Whatever escapes start-up or the message loop ends the process with this box and code 1.
int ReportFatalError(const std::string& kind, const std::string& message) {
    const std::wstring text = WideFromUtf8(
        FormatText(Text(TTextId::ErrorText), {{"kind", kind}, {"message", ErrorBoxText(message)}}));
    ::MessageBoxW(nullptr, text.c_str(), WideFromUtf8(Text(TTextId::ErrorCaption)).c_str(),
                  MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return 1;
}

int StartAndRun() {
    SearchLibrariesInSystemFolderOnly();
    // The command line reads no settings: it speaks Windows' display language.
    ChooseLanguage("", DisplayLanguageName());
    // Options ask for an export: it only reads the files, also beside a running copy.
    if (HasCommandLineOptions())
        return RunCommandLine(&RunAppCountingCheck);
    const uint64_t folderKey = ExecutableFolderKey();
    // Before anything touches the files: they belong to the copy that runs in this folder.
    TFolderInstance instance(folderKey);
    if (!instance.IsFirst()) {
        instance.ShowRunningCopy();
        return 0;
    }
    TApplication& app = TApplication::Instance();
    app.Initialize();
    OpenConfigStore(ExecutableDirectory() + kConfigFileName, &Utf8FromAnsi);
    ChooseWindowLanguage(ReadText(ConfigStore(), cfg::kLanguage));
    LoadLog();
    app.SetTitle(kProductName);
    OpenHourLog(ExecutableDirectory() + kHourLogName);
    // The main window lives as long as the process: the monitor thread may still reach parts
    // of it while the process ends.
    Tf_Main* f_Main = new Tf_Main(ConfigStore(), folderKey);
    f_Main->FormCreate();
    return app.Run();
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        return StartAndRun();
    } catch (const EInOutError& e) {
        return ReportFatalError("EInOutError", e.what());
    } catch (const TFileError& e) {
        return ReportFatalError("EFOpenError", e.what());
    } catch (const EFileTooLarge& e) {
        return ReportFatalError("EFileTooLarge", e.what());
    } catch (const std::exception& e) {
        return ReportFatalError("Exception", e.what());
    } catch (...) {
        return ReportFatalError("Exception", Text(TTextId::ErrorUnknown));
    }
}
