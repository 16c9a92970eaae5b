// Tf_AutoUpdate: the update check's steps, driven by the events of its download component.
#include "update/auto_update.h"

#include "product/constants.h"
#include "platform/application.h"
#include "platform/error_text.h"
#include "platform/file_io.h"
#include "platform/text_fit.h"
#include "update/update_files.h"
#include "text/texts.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

constexpr UINT kCloseLaterMessage = WM_APP + 1;

// A box with the dialog as its owner.
int ShowBox(HWND owner, const std::string& text, TTextId caption, UINT type) {
    return ::MessageBoxA(owner, text.c_str(), Text(caption).c_str(), type);
}

// "Update site not reached: timed out"; with the longest reason it still fits the status line.
std::string FailureStatus(TTextId text, dDownloadFailure why) {
    return FormatText(Text(text), {{"reason", DownloadFailureText(why)}});
}

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
    params.Caption = Text(TTextId::UpdateCaption).c_str();
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
    Label1 = AddControl(TControlArgs("STATIC", Text(TTextId::UpdateIdleNote).c_str())
                            .SetStyle(SS_LEFT)
                            .SetBounds(16, 80, 273, 33)
                            .SetId(ucNote));
    b_Cancel = AddControl(TControlArgs::Button(Text(TTextId::UpdateCancel).c_str())
                              .SetBounds(16, 120, 75, 25)
                              .SetId(ucCancel));
    HTTPFile = std::make_unique<dHTTPFile>();
    HTTPFile->speedInterval = 1000;
    HTTPFile->remotePort = server_.Port;
}

void Tf_AutoUpdate::FormCreate() {
    SetStatus(Text(TTextId::UpdateConnecting));
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

// A status longer than its line (in a language with longer words) widens the dialog.
void Tf_AutoUpdate::SetStatus(const std::string& status) {
    ::SetWindowTextA(l_Status, status.c_str());
    if (::IsWindowVisible(Handle()))
        GrowToFitTexts(Handle());
}

// Nothing runs any more: Cancel closes at once.
void Tf_AutoUpdate::OnVersionFileFailed(dHTTPFile&, dDownloadFailure why) {
    const std::string status = FailureStatus(TTextId::UpdateUnreachable, why);
    SetStatus(status);
}

void Tf_AutoUpdate::OnVersionFileDownloaded(dHTTPFile&, int32_t) {
    const std::wstring versionPath = folder_ + kDescriptorFile;
    const TUpdateDescriptor descriptor = ReadUpdateDescriptor(ReadDescriptor(versionPath));
    if (descriptor.Version < 0 || descriptor.Path.empty())
        ShowBox(Handle(), Text(TTextId::UpdateNoVersion), TTextId::UpdateNoVersionCaption,
                MB_OK | MB_ICONEXCLAMATION);
    if (descriptor.Version == kOwnBuildNumber) {
        ShowBox(Handle(), FormatText(Text(TTextId::UpdateNoUpdates), {{"product", kProductName}}),
                TTextId::UpdateNoUpdatesCaption, MB_OK | MB_ICONINFORMATION);
        CloseLater();
    } else if (descriptor.Version > kOwnBuildNumber) {
        const std::string question =
            FormatText(Text(TTextId::UpdateNewVersion), {{"product", kProductName}}) + "\r\n" +
            Text(TTextId::UpdateNewVersionQuestion);
        int answer = ShowBox(Handle(), question, TTextId::UpdateNewVersionCaption,
                             MB_YESNO | MB_ICONQUESTION);
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
    const std::string status = FailureStatus(TTextId::UpdateDownloadFailed, why);
    SetStatus(status);
}

void Tf_AutoUpdate::OnUpdateFileProgress(dHTTPFile& Sender, int32_t bytesIn) {
    const std::string status = FormatText(Text(TTextId::UpdateDownloading),
                                          {{"kilobytes", std::to_string(bytesIn / 1024)}});
    SetStatus(status);
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
        ShowBox(Handle(), Text(TTextId::UpdateNotVerified), TTextId::UpdateNotVerifiedCaption,
                MB_OK | MB_ICONEXCLAMATION);
        CloseLater();
        return;
    }
    DWORD error = StartSetupProgram();
    setup.reset();
    if (error != 0) {
        DeleteFileQuietly(setupPath_);
        const std::string text =
            ErrorBoxText(FormatText(Text(TTextId::UpdateNotStarted),
                                    {{"reason", SystemErrorMessage(static_cast<int>(error))}}));
        ShowBox(Handle(), text, TTextId::UpdateNotStartedCaption, MB_OK | MB_ICONERROR);
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
    int answer = ShowBox(Handle(), Text(TTextId::UpdateCancelQuestion),
                         TTextId::UpdateCancelQuestionCaption, MB_YESNO | MB_ICONQUESTION);
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
