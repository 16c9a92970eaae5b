// Tf_AutoUpdate: the update check's steps, driven by the events of its download component.
#include "update/auto_update.h"

#include "product/constants.h"
#include "platform/application.h"
#include "platform/error_text.h"
#include "platform/file_io.h"
#include "update/update_files.h"

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
// With the longest reason these still fit the one-line status label.
constexpr const char kUnreachableText[] = "Update site not reached: ";
constexpr const char kDownloadFailedText[] = "Update download failed: ";
constexpr const char kNotStartedText[] = "The update could not be started: ";

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

// The downloaded descriptor; empty when it cannot be read, which reads as no version.
std::string ReadDescriptor(const std::wstring& path) {
    TFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text(static_cast<size_t>(kMaxDescriptorBytes), '\0');
    DWORD got = 0;
    if (!file ||
        !::ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
        return {};
    text.resize(got);
    return text;
}

} // namespace

Tf_AutoUpdate::Tf_AutoUpdate(HWND mainWindow, const TSetupPublicKey& trustedKey)
    : mainWindow_(mainWindow), trustedKey_(trustedKey), server_(ServerFromEnvironment()),
      folder_(ExecutableFolder()) {}

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
    l_Status = AddControl(TControlArgs("STATIC", "STATUS_TEXT")
                              .SetStyle(SS_LEFT | SS_NOPREFIX)
                              .SetBounds(16, 16, 273, 13)
                              .SetId(ucStatus));
    DownloadProgress = AddControl(TControlArgs(PROGRESS_CLASSA)
                                      .SetStyle(PBS_SMOOTH)
                                      .SetBounds(16, 40, 265, 17)
                                      .SetId(ucProgress));
    ::SendMessageA(DownloadProgress, PBM_SETRANGE32, 0, 100);
    Label1 = AddControl(TControlArgs("STATIC", kIdleNote)
                            .SetStyle(SS_LEFT)
                            .SetBounds(16, 80, 273, 33)
                            .SetId(ucNote));
    b_Cancel =
        AddControl(TControlArgs::Button("&Cancel").SetBounds(16, 120, 75, 25).SetId(ucCancel));
    HTTPFile = std::make_unique<dHTTPFile>();
    HTTPFile->speedInterval = 1000;
    HTTPFile->remotePort = server_.Port;
}

void Tf_AutoUpdate::FormCreate() {
    ::SetWindowTextA(l_Status, kConnectingText);
    HTTPFile->remotePath = server_.Host + kDescriptorPath;
    HTTPFile->localPath = folder_ + kDescriptorFile;
    HTTPFile->maxSize = kMaxDescriptorBytes;
    HTTPFile->OnComplete = [this](dHTTPFile& sender, int32_t bytesIn) {
        OnVersionFileDownloaded(sender, bytesIn);
    };
    HTTPFile->OnFailed = [this](dHTTPFile& sender, dDownloadFailure why) {
        OnVersionFileFailed(sender, why);
    };
    HTTPFile->startDownload();
}

// Nothing runs any more: Cancel closes at once.
void Tf_AutoUpdate::OnVersionFileFailed(dHTTPFile&, dDownloadFailure why) {
    const std::string status = kUnreachableText + std::string(DownloadFailureText(why));
    ::SetWindowTextA(l_Status, status.c_str());
}

void Tf_AutoUpdate::OnVersionFileDownloaded(dHTTPFile&, int32_t) {
    const std::wstring versionPath = folder_ + kDescriptorFile;
    const TUpdateDescriptor descriptor = ReadUpdateDescriptor(ReadDescriptor(versionPath));
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
    DeleteFileQuietly(versionPath);
}

void Tf_AutoUpdate::StartSetupDownload(const TUpdateDescriptor& descriptor) {
    setupVersion_ = descriptor.Version;
    setupSignature_ = descriptor.Signature;
    setupPath_ = folder_ + SetupFileName(descriptor.Version);
    HTTPFile->remotePath = descriptor.Path;
    HTTPFile->localPath = setupPath_;
    HTTPFile->maxSize = kMaxDownloadBytes;
    HTTPFile->OnComplete = [this](dHTTPFile& sender, int32_t bytesIn) {
        OnUpdateFileDownloaded(sender, bytesIn);
    };
    HTTPFile->OnProgress = [this](dHTTPFile& sender, int32_t bytesIn) {
        OnUpdateFileProgress(sender, bytesIn);
    };
    HTTPFile->OnFailed = [this](dHTTPFile& sender, dDownloadFailure why) {
        OnUpdateFileFailed(sender, why);
    };
    HTTPFile->startDownload();
}

void Tf_AutoUpdate::OnUpdateFileFailed(dHTTPFile&, dDownloadFailure why) {
    const std::string status = kDownloadFailedText + std::string(DownloadFailureText(why));
    ::SetWindowTextA(l_Status, status.c_str());
}

void Tf_AutoUpdate::OnUpdateFileProgress(dHTTPFile& Sender, int32_t bytesIn) {
    const std::string status =
        "Downloading latest update (" + std::to_string(bytesIn / 1024) + "KB downloaded)";
    ::SetWindowTextA(l_Status, status.c_str());
    ::SendMessageA(DownloadProgress, PBM_SETPOS, Sender.percentDone(), 0);
}

void Tf_AutoUpdate::OnUpdateFileDownloaded(dHTTPFile&, int32_t) {
    ::EnableWindow(b_Cancel, FALSE);
    // Held open without write sharing from the check until the program has been started, so
    // that the file that runs is the file that was verified.
    TFileHandle setup(::CreateFileW(setupPath_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!setup || !VerifySetupSignature(setup.get(), setupVersion_, setupSignature_, trustedKey_)) {
        setup.reset();
        DeleteFileQuietly(setupPath_);
        ::MessageBoxA(Handle(), kNotVerifiedText, "Update Not Verified",
                      MB_OK | MB_ICONEXCLAMATION);
        CloseLater();
        return;
    }
    DWORD error = StartSetupProgram();
    setup.reset();
    if (error != 0) {
        DeleteFileQuietly(setupPath_);
        const std::string text =
            ErrorBoxText(kNotStartedText + SystemErrorMessage(static_cast<int>(error)));
        ::MessageBoxA(Handle(), text.c_str(), "Update Not Started", MB_OK | MB_ICONERROR);
        CloseLater(); // the application stays
        return;
    }
    ::PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
}

DWORD Tf_AutoUpdate::StartSetupProgram() const {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The shell shows no error of its own: the caller reports it.
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = Handle();
    info.lpVerb = L"open";
    info.lpFile = setupPath_.c_str(); // in full: a bare name would be searched for
    info.lpDirectory = folder_.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&info))
        return 0;
    DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_CAN_NOT_COMPLETE;
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
    if (id == ucCancel && code == BN_CLICKED)
        b_CancelClick();
}

void Tf_AutoUpdate::OnClose() {
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
