// Start-up: configuration store, usage log, title, main window, message loop.
#include "app/constants.h"
#include "app/main_form.h"
#include "app/single_instance.h"
#include "history/export_console.h"
#include "history/hour_file.h"
#include "history/hour_log.h"
#include "log/usage_log.h"
#include "platform/application.h"
#include "platform/error_text.h"
#include "platform/file_io.h"
#include "platform/system_library.h"
#include "settings/config_store.h"

#include <windows.h>

namespace {

// Start-up failures end the process before any window exists.
int ReportStartupError(const std::string& kind, const std::exception& error) {
    std::string text = kind + ": " + ErrorBoxText(error.what());
    ::MessageBoxA(nullptr, text.c_str(), "Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return 1;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    uint64_t folderKey = 0;
    try {
        SearchLibrariesInSystemFolderOnly();
        folderKey = ExecutableFolderKey();
    } catch (const std::exception& e) {
        return ReportStartupError("Exception", e);
    }
    // Options ask for an export: it only reads the files, also beside a running copy.
    if (HasCommandLineOptions())
        return RunCommandLine();
    // Before anything touches the files: they belong to the copy that runs in this folder.
    TFolderInstance instance(folderKey);
    if (!instance.IsFirst()) {
        instance.ShowRunningCopy();
        return 0;
    }
    TApplication& app = TApplication::Instance();
    app.Initialize();
    try {
        OpenConfigStore(ExecutableDirectory() + "config.ini");
    } catch (const TFileError& e) {
        return ReportStartupError("EFOpenError", e);
    }
    try {
        LoadLog();
    } catch (const EInOutError& e) {
        return ReportStartupError("EInOutError", e);
    }
    app.SetTitle(kProductName);
    try {
        OpenHourLog(ExecutableFolderUtf8() + kHourLogName);
        // The main window lives as long as the process: the monitor thread may still reach
        // parts of it while the process ends.
        Tf_Main* f_Main = new Tf_Main(ConfigStore(), folderKey);
        f_Main->FormCreate();
    } catch (const std::exception& e) {
        return ReportStartupError("Exception", e);
    }
    return app.Run();
}
