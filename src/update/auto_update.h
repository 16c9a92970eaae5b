// The update dialog: fetches the update descriptor, asks the user, downloads the signed setup
// program, verifies it, starts it and closes the main window.
#pragma once
#include "platform/dialog.h"
#include "update/http_file.h"
#include "update/setup_signature.h"
#include "update/update_descriptor.h"

#include <cstdint>
#include <memory>
#include <string>

// Control ids.
enum TAutoUpdateControl : int {
    ucStatus = 101,
    ucProgress,
    ucNote,
    ucCancel,
};

class Tf_AutoUpdate : public TDialog {
  public:
    // The dialog starts only setup programs signed with trustedKey.
    Tf_AutoUpdate(HWND mainWindow, const TSetupPublicKey& trustedKey);
    ~Tf_AutoUpdate() override;
    // Creates the window over the main window, starts the check and runs modally until closed.
    void Execute();
    // The application is closing: a running download is cancelled, its partial file deleted.
    void Cancel() override;

  protected:
    void OnCommand(int id, int code, HWND control) override;
    void OnClose() override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    void CreateControls();
    void FormCreate();
    void SetStatus(const std::string& status);
    void OnVersionFileDownloaded(dHTTPFile& Sender, int32_t bytesIn);
    void OnVersionFileFailed(dHTTPFile& Sender, dDownloadFailure why);
    void StartSetupDownload(const TUpdateDescriptor& descriptor);
    void OnUpdateFileProgress(dHTTPFile& Sender, int32_t bytesIn);
    void OnUpdateFileDownloaded(dHTTPFile& Sender, int32_t bytesIn);
    void OnUpdateFileFailed(dHTTPFile& Sender, dDownloadFailure why);
    // Starts the verified setup program, still held open so that it cannot change meanwhile;
    // 0, or the system's error code.
    DWORD StartSetupProgram() const;
    void b_CancelClick();
    void FormClose();
    // Closing from inside a component event waits for the modal loop, so that the component
    // is never released while its own event runs.
    void CloseLater();

    HWND mainWindow_;
    const TSetupPublicKey& trustedKey_;
    TUpdateServer server_;
    std::wstring folder_; // the executable's, with its separator
    std::wstring setupPath_;
    std::unique_ptr<dHTTPFile> HTTPFile;
    HWND l_Status = nullptr;
    HWND DownloadProgress = nullptr;
    HWND Label1 = nullptr;
    HWND b_Cancel = nullptr;
    int32_t setupVersion_ = 0;   // the build the setup program is published as
    std::string setupSignature_; // its signature from the descriptor
};

// Creates the update dialog over the main window and runs it modally; it trusts the release
// key only.
void ShowUpdateDialog(HWND mainWindow);
