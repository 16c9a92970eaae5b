// Tf_AutoUpdate: the update check's steps, driven by the events of its download component.
#include "update/auto_update.h"

#include "app/constants.h"
#include "platform/application.h"
#include "platform/file_io.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

constexpr UINT kCloseLaterMessage = WM_APP + 1;

constexpr const char kConnectingText[] = "Connecting to the update site..";
constexpr const char kIdleNote[] = "If this dialog remains idle for a long period of time, the "
                                   "download site may be unavailable";
constexpr const char kNoVersionText[] = "The latest available version could not be determined "
                                        "at this time. Please try again later";
constexpr const char kNotVerifiedText[] =
    "The downloaded update could not be verified and was removed.";
constexpr const char kVersionFile[] = "version.tmp";
constexpr const char kSetupFile[] = "setup.exe";

// The environment's value, or null when it is not set.
const char* EnvironmentValue(const char* name, std::string& buffer) {
    DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0)
        return nullptr;
    buffer.assign(size, '\0');
    DWORD length = ::GetEnvironmentVariableA(name, buffer.data(), size);
    if (length == 0 || length >= size)
        return nullptr;
    buffer.resize(length);
    return buffer.c_str();
}

TUpdateServer ServerFromEnvironment() {
    std::string host, port;
    const char* hostValue = EnvironmentValue("CORVANE_UPDATE_HOST", host);
    const char* portValue = EnvironmentValue("CORVANE_UPDATE_PORT", port);
    return ResolveUpdateServer(hostValue, portValue);
}

} // namespace

Tf_AutoUpdate::Tf_AutoUpdate(HWND mainWindow, const TSetupPublicKey& trustedKey)
    : mainWindow_(mainWindow), trustedKey_(trustedKey), server_(ServerFromEnvironment()),
      folder_(ExecutableDirectory()) {}

Tf_AutoUpdate::~Tf_AutoUpdate() {
    FormClose();
}

void Tf_AutoUpdate::Execute() {
    TDialogParams params;
    params.ClassName = "CorvaneAutoUpdate";
    params.Caption = "Auto-Update";
    params.ClientWidth = 299;
    params.ClientHeight = 158;
    params.SystemMenu = false;
    CreateDialogWindow(params, mainWindow_);
    CreateControls();
    try {
        FormCreate();
    } catch (const std::exception& error) {
        // The dialog opens all the same, with nothing running: Cancel closes it.
        TApplication::Instance().ShowException(error);
    }
    ShowModal(mainWindow_);
}

void Tf_AutoUpdate::CreateControls() {
    l_Status =
        AddControl("STATIC", "STATUS_TEXT", SS_LEFT | SS_NOPREFIX, 16, 16, 273, 13, kStatusId);
    DownloadProgress = AddControl(PROGRESS_CLASSA, "", PBS_SMOOTH, 16, 40, 265, 17, kProgressId);
    ::SendMessageA(DownloadProgress, PBM_SETRANGE32, 0, 100);
    Label1 = AddControl("STATIC", kIdleNote, SS_LEFT, 16, 80, 273, 33, kNoteId);
    b_Cancel =
        AddControl("BUTTON", "&Cancel", BS_PUSHBUTTON | WS_TABSTOP, 16, 120, 75, 25, kCancelId);
    HTTPFile = std::make_unique<dHTTPFile>();
    HTTPFile->speedInterval = 1000;
    HTTPFile->remotePort = server_.Port;
}

void Tf_AutoUpdate::FormCreate() {
    ::SetWindowTextA(l_Status, kConnectingText);
    HTTPFile->remotePath = server_.Host + kDescriptorPath;
    HTTPFile->localPath = folder_ + kVersionFile;
    HTTPFile->OnComplete = [this](dHTTPFile& sender, int32_t bytesIn) {
        OnVersionFileDownloaded(sender, bytesIn);
    };
    HTTPFile->startDownload();
}

void Tf_AutoUpdate::OnVersionFileDownloaded(dHTTPFile&, int32_t) {
    const std::string versionPath = folder_ + kVersionFile;
    std::string text;
    ReadFileIfExists(versionPath, text);
    const TUpdateDescriptor descriptor = ReadUpdateDescriptor(text);
    if (descriptor.Version < 0 || descriptor.Path.empty())
        ::MessageBoxA(Handle(), kNoVersionText, "No Version", MB_OK | MB_ICONEXCLAMATION);
    if (descriptor.Version == kOwnBuildNumber) {
        const std::string message =
            std::string("Your version of ") + kProductName + " is up to date";
        ::MessageBoxA(Handle(), message.c_str(), "No Updates", MB_OK | MB_ICONINFORMATION);
        CloseLater();
    } else if (descriptor.Version > kOwnBuildNumber) {
        const std::string question = std::string("A new version of ") + kProductName +
                                     " is available for download\r\n"
                                     "Do you want to download this update?";
        int answer =
            ::MessageBoxA(Handle(), question.c_str(), "New Version", MB_YESNO | MB_ICONQUESTION);
        // The dialog may have been taken down while the question was shown.
        if (answer == IDYES && HTTPFile)
            StartSetupDownload(descriptor); // a file-creation error skips the rest
        else
            CloseLater();
    }
    ::DeleteFileA(versionPath.c_str());
}

void Tf_AutoUpdate::StartSetupDownload(const TUpdateDescriptor& descriptor) {
    setupVersion_ = descriptor.Version;
    setupSignature_ = descriptor.Signature;
    HTTPFile->remotePath = descriptor.Path;
    HTTPFile->localPath = folder_ + kSetupFile;
    HTTPFile->OnComplete = [this](dHTTPFile& sender, int32_t bytesIn) {
        OnUpdateFileDownloaded(sender, bytesIn);
    };
    HTTPFile->OnProgress = [this](dHTTPFile& sender, int32_t bytesIn) {
        OnUpdateFileProgress(sender, bytesIn);
    };
    HTTPFile->startDownload();
}

void Tf_AutoUpdate::OnUpdateFileProgress(dHTTPFile& Sender, int32_t bytesIn) {
    const std::string status =
        "Downloading latest update (" + std::to_string(bytesIn / 1024) + "KB downloaded)";
    ::SetWindowTextA(l_Status, status.c_str());
    ::SendMessageA(DownloadProgress, PBM_SETPOS, Sender.percentDone(), 0);
}

void Tf_AutoUpdate::OnUpdateFileDownloaded(dHTTPFile&, int32_t) {
    ::EnableWindow(b_Cancel, FALSE);
    const std::string setupPath = folder_ + kSetupFile;
    // Held open without write sharing from the check until the program has been started, so
    // that the file that runs is the file that was verified.
    TFileHandle setup(::CreateFileA(setupPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!setup || !VerifySetupSignature(setup.get(), setupVersion_, setupSignature_, trustedKey_)) {
        setup.reset();
        ::DeleteFileA(setupPath.c_str());
        ::MessageBoxA(Handle(), kNotVerifiedText, "Update Not Verified",
                      MB_OK | MB_ICONEXCLAMATION);
        CloseLater();
        return;
    }
    // The full path: a bare "setup.exe" would be searched for, and might find another file.
    ::ShellExecuteA(Handle(), "open", setupPath.c_str(), nullptr, folder_.c_str(), SW_SHOWNORMAL);
    setup.reset();
    ::PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
}

void Tf_AutoUpdate::b_CancelClick() {
    if (!HTTPFile || !HTTPFile->busy())
        return CloseLater();
    int answer = ::MessageBoxA(Handle(), "Are you sure you want to cancel the auto-update process?",
                               "Cancel", MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES)
        return;
    // The download may have ended while the question was shown; then nothing is deleted.
    if (HTTPFile && HTTPFile->busy())
        HTTPFile->abortDownload();
    CloseLater();
}

void Tf_AutoUpdate::Cancel() {
    if (HTTPFile && HTTPFile->busy())
        HTTPFile->abortDownload();
    Close();
}

void Tf_AutoUpdate::FormClose() {
    HTTPFile.reset();
}

void Tf_AutoUpdate::CloseLater() {
    if (Handle())
        ::PostMessageA(Handle(), kCloseLaterMessage, 0, 0);
}

void Tf_AutoUpdate::OnCommand(int id, int code, HWND) {
    if (id == kCancelId && code == BN_CLICKED)
        b_CancelClick();
}

void Tf_AutoUpdate::OnCloseRequest() {
    if (::IsWindowEnabled(b_Cancel))
        b_CancelClick();
}

LRESULT Tf_AutoUpdate::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kCloseLaterMessage) {
        Close();
        return 0;
    }
    if (msg == WM_DESTROY)
        FormClose(); // a running download stops and fires nothing more
    return TDialog::HandleMessage(msg, wParam, lParam);
}

void ShowUpdateDialog(HWND mainWindow) {
    Tf_AutoUpdate dialog(mainWindow, kReleasePublicKey);
    dialog.Execute();
}
