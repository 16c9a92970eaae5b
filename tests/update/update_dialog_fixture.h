// The fixture of the update dialog's end-to-end tests: a stand-in main window, the update site
// (Python's http.server through the test driver, or the scripted server), and the dialog run
// modally while a second thread drives it.
#pragma once
#include "update/auto_update.h"

#include "platform/application.h"
#include "update/update_files.h"
#include "dialog_driver.h"
#include "test_broken_setup_signature.h"
#include "test_release_key.h"
#include "test_setup_signature.h"
#include "update_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <commctrl.h>
#include <functional>
#include <string>

constexpr UINT kDestroyMainMessage = WM_APP + 7;

// Counts the requests to close instead of closing; destroys itself on kDestroyMainMessage,
// which takes the owned dialog down as the application's end would.
class TMainWindowStandIn : public TWindow {
  public:
    TMainWindowStandIn() {
        TWindowParams params;
        params.ClassName = "CorvaneUpdateTestMain";
        params.Caption = "Corvane";
        params.Style = WS_POPUP;
        params.X = params.Y = 0;
        params.Width = params.Height = 50;
        CreateHandle(params);
    }
    std::atomic<int> CloseRequests{0};

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CLOSE) {
            ++CloseRequests;
            return 0;
        }
        if (msg == kDestroyMainMessage) {
            DestroyHandle();
            return 0;
        }
        return DefaultHandling(msg, wParam, lParam);
    }
};

inline const std::string kNewVersionText = "A new version of Corvane is available for download\r\n"
                                           "Do you want to download this update?";
inline const std::string kNoVersionText = "The latest available version could not be determined at "
                                          "this time. Please try again later";
inline const std::string kConnecting = "Connecting to the update site..";
inline const std::string kUnreachable = "Update site not reached: ";
inline const std::string kDownloadFailed = "Update download failed: ";

class AutoUpdateDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static bool initialized = false;
        if (!initialized) {
            TApplication::Instance().Initialize();
            TApplication::Instance().SetTitle("Corvane");
            initialized = true;
        }
    }
    void SetUp() override {
        folder = ExecutableFolder();
        versionFile = folder + kDescriptorFile;
        setupFile = folder + SetupFileName(7);
        RemoveLeftovers();
        docroot = TestEnvironment("CORVANE_TEST_DOCROOT");
        port = TestEnvironment("CORVANE_TEST_HTTP_PORT");
        ::SetEnvironmentVariableA("CORVANE_UPDATE_HOST", "127.0.0.1");
        ::SetEnvironmentVariableA("CORVANE_UPDATE_PORT", port.c_str());
    }
    void TearDown() override {
        RemoveLeftovers();
        ::SetEnvironmentVariableA("CORVANE_UPDATE_HOST", nullptr);
        ::SetEnvironmentVariableA("CORVANE_UPDATE_PORT", nullptr);
    }
    bool HaveRealServer() const { return !docroot.empty() && !port.empty(); }
    void UseScriptedServer(const TScriptedServer& server) {
        ::SetEnvironmentVariableA("CORVANE_UPDATE_PORT", std::to_string(server.Port()).c_str());
    }
    // The setup program may still be running for a moment: its file is removed once free.
    void RemoveLeftovers() {
        for (const std::wstring& path : {versionFile, setupFile, folder + L"setup-ran.txt"}) {
            for (int i = 0; i < 100 && FileExists(path) && !::DeleteFileW(path.c_str()); ++i)
                ::Sleep(50);
        }
    }
    void Publish(const std::string& descriptor) {
        ::CreateDirectoryA((docroot + "\\udf").c_str(), nullptr);
        WriteBytes(Widen(docroot + "\\udf\\wendrel.udf"), descriptor);
    }
    std::string PublishSetup(const wchar_t* program = L"update_test_setup.exe") {
        std::string data = ReadBytes(folder + program);
        WriteBytes(Widen(docroot + "\\setup7.exe"), data);
        return data;
    }
    static std::string Descriptor(int version, const std::string& signature) {
        return "[build]\r\nversion=" + std::to_string(version) +
               "\r\npath=127.0.0.1/setup7.exe\r\nsignature=" + signature + "\r\n";
    }

    // Runs the dialog modally while script drives it from another thread; whatever the script
    // leaves open is answered, and the stand-in main window is taken down at the end.
    void RunDialog(const std::function<void(TDialogDriver&)>& script) {
        std::atomic<bool> done{false};
        const DWORD ui = ::GetCurrentThreadId();
        const HWND mainWindow = main.Handle();
        std::thread driver([&] {
            TDialogDriver d(ui);
            script(d);
            d.WaitUntil(
                [&] {
                    if (HWND box = d.AnyBox()) {
                        d.Answer(box, d.Text(box) == "Cancel" ? IDYES : IDOK);
                        d.Answer(box, IDNO);
                    } else {
                        ::PostMessageA(mainWindow, kDestroyMainMessage, 0, 0);
                    }
                    return !d.WaitForWindow("CorvaneAutoUpdate", nullptr, 1) && !d.AnyBox();
                },
                200);
            done = true;
        });
        {
            Tf_AutoUpdate dialog(mainWindow, kTestPublicKey);
            dialog.Execute();
        }
        PumpMessagesUntil([&] { return done.load(); }, 2400);
        driver.join();
    }
    HWND WaitForDialog(TDialogDriver& d) {
        HWND dialog = d.WaitForWindow("CorvaneAutoUpdate", "Auto-Update");
        EXPECT_NE(dialog, nullptr) << "the update dialog did not show";
        return dialog;
    }
    // The descriptor has been handled once its file, present beforehand, is gone.
    bool WaitDescriptorHandled(TDialogDriver& d) {
        return d.WaitUntil([&] { return !FileExists(versionFile); });
    }
    // Waits for the question about a new version and answers it; null when none came.
    static HWND AnswerNewVersion(TDialogDriver& d, int answer) {
        HWND box = d.WaitForBox("New Version");
        if (box)
            d.Answer(box, answer);
        return box;
    }
    // Clicks Cancel and answers the question that follows; null when none came.
    static HWND CancelAnswering(TDialogDriver& d, HWND dialog, int answer) {
        d.Click(dialog, ucCancel);
        HWND question = d.WaitForBox("Cancel");
        if (question)
            d.Answer(question, answer);
        return question;
    }
    static std::string StatusText(HWND dialog) {
        return TDialogDriver::Text(::GetDlgItem(dialog, ucStatus));
    }

    std::wstring folder, versionFile, setupFile;
    std::string docroot, port;
    TMainWindowStandIn main;
};

#define REQUIRE_REAL_SERVER()                                                                      \
    if (!HaveRealServer())                                                                         \
    GTEST_SKIP() << "run through run_update_tests.py"

// Where a control lies in the dialog's client area.
inline RECT ClientRectOf(HWND dialog, int id) {
    RECT rc{};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rc);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}
