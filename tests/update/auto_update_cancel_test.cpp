// The update dialog's layout, its Cancel button while downloads run, a descriptor file that
// cannot be created, and sites that cannot be reached or never stop sending; the update site is
// the scripted server.
#include "update_dialog_fixture.h"
#include "platform/wide_text.h"

TEST_F(AutoUpdateDialogTest, ShowsItsLayoutAndCancelAsksWhileConnecting) {
    TScriptedServer server({{HoldOpen()}}); // the site never answers
    UseScriptedServer(server);
    RunDialog([&](TDialogDriver& d) {
        HWND dialog = WaitForDialog(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(::GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU, 0);
        RECT client{};
        ::GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 299);
        EXPECT_EQ(client.bottom, 158);
        RECT frame{};
        ::GetWindowRect(dialog, &frame);
        EXPECT_LE(std::abs((frame.left + frame.right) / 2 - ::GetSystemMetrics(SM_CXSCREEN) / 2),
                  1);
        EXPECT_LE(std::abs((frame.top + frame.bottom) / 2 - ::GetSystemMetrics(SM_CYSCREEN) / 2),
                  1);
        const struct {
            int Id;
            RECT Place;
        } controls[] = {{ucStatus, {16, 16, 289, 29}},
                        {ucProgress, {16, 40, 281, 57}},
                        {ucNote, {16, 80, 289, 113}},
                        {ucCancel, {16, 120, 91, 145}}};
        for (const auto& c : controls) {
            RECT rc = ClientRectOf(dialog, c.Id);
            EXPECT_TRUE(EqualRect(&rc, &c.Place)) << "control " << c.Id;
        }
        EXPECT_EQ(StatusText(dialog), kConnecting);
        EXPECT_EQ(d.Text(::GetDlgItem(dialog, ucNote)),
                  "If this dialog remains idle for a long period of time, the download site "
                  "may be unavailable");
        EXPECT_EQ(d.Text(::GetDlgItem(dialog, ucCancel)), "&Cancel");
        LOGFONTA font{};
        auto hfont = reinterpret_cast<HFONT>(
            ::SendMessageA(::GetDlgItem(dialog, ucStatus), WM_GETFONT, 0, 0));
        ASSERT_TRUE(::GetObjectA(hfont, sizeof font, &font));
        EXPECT_STREQ(font.lfFaceName, "Tahoma");
        EXPECT_EQ(font.lfHeight, -11);
        ASSERT_TRUE(d.WaitUntil([&] { return server.Requests().size() == 1; }));
        EXPECT_EQ(server.Requests()[0], "GET /udf/wendrel.udf HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");

        d.Click(dialog, ucCancel);
        HWND question = d.WaitForBox("Cancel");
        ASSERT_NE(question, nullptr);
        TBoxView view = d.Describe(question);
        EXPECT_EQ(view.Text, "Are you sure you want to cancel the auto-update process?");
        EXPECT_EQ(view.Icon, IDI_QUESTION);
        EXPECT_TRUE(view.Yes && view.No);
        d.Answer(question, IDNO);
        ASSERT_TRUE(d.WaitGone(question));
        EXPECT_TRUE(::IsWindow(dialog));
        EXPECT_TRUE(FileExists(versionFile)); // still downloading

        ASSERT_NE(CancelAnswering(d, dialog, IDYES), nullptr);
        EXPECT_TRUE(d.WaitGone(dialog));
        EXPECT_FALSE(FileExists(versionFile));
    });
}

TEST_F(AutoUpdateDialogTest, CancelDuringTheSetupDownloadDeletesThePartialFile) {
    const std::string descriptor = Descriptor(7, kTestSetupSignatureV7);
    TScriptedServer server(
        {{SendBytes("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(descriptor.size()) +
                    "\r\n\r\n" + descriptor),
          CloseConnection()},
         {SendBytes("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(40000, 'x')),
          HoldOpen()}});
    UseScriptedServer(server);
    RunDialog([&](TDialogDriver& d) {
        HWND dialog = WaitForDialog(d);
        ASSERT_NE(AnswerNewVersion(d, IDYES), nullptr);
        ASSERT_TRUE(d.WaitUntil([&] {
            return StatusText(dialog) == "Downloading latest update (39KB downloaded)";
        })) << StatusText(dialog);
        HWND progress = ::GetDlgItem(dialog, ucProgress);
        EXPECT_EQ(::SendMessageA(progress, PBM_GETPOS, 0, 0), 40);
        EXPECT_EQ(server.Requests()[1], "GET /setup7.exe HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");

        HWND question = CancelAnswering(d, dialog, IDNO);
        ASSERT_NE(question, nullptr);
        ASSERT_TRUE(d.WaitGone(question));
        EXPECT_TRUE(FileExists(setupFile));
        ASSERT_NE(CancelAnswering(d, dialog, IDYES), nullptr);
        EXPECT_TRUE(d.WaitGone(dialog));
        EXPECT_FALSE(FileExists(setupFile));
    });
    EXPECT_EQ(main.CloseRequests.load(), 0);
}

TEST_F(AutoUpdateDialogTest, AVersionFileThatCannotBeCreatedIsReportedAndNothingRuns) {
    // Held open without sharing, the file cannot be replaced.
    TFileHandle held(::CreateFileW(versionFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    RunDialog([&](TDialogDriver& d) {
        HWND box = d.WaitForBox("Corvane");
        ASSERT_NE(box, nullptr);
        TBoxView view = d.Describe(box);
        const std::string prefix = "Cannot create file \"" + Utf8FromWide(versionFile) + "\". ";
        EXPECT_EQ(view.Text.substr(0, prefix.size()), prefix);
        EXPECT_EQ(view.Text.back(), '.');
        EXPECT_EQ(view.Icon, IDI_ERROR);
        d.Answer(box, IDOK);
        HWND dialog = WaitForDialog(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(StatusText(dialog), kConnecting);
        d.Click(dialog, ucCancel);
        EXPECT_TRUE(d.WaitGone(dialog));
        EXPECT_EQ(d.AnyBox(), nullptr);
    });
}

TEST_F(AutoUpdateDialogTest, AnUnreachableSiteIsSaidAndCancelClosesAtOnce) {
    ::SetEnvironmentVariableA("CORVANE_UPDATE_PORT", std::to_string(UnusedPort()).c_str());
    RunDialog([&](TDialogDriver& d) {
        HWND dialog = WaitForDialog(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(d.WaitUntil([&] {
            return StatusText(dialog) == kUnreachable + "connection refused";
        })) << StatusText(dialog);
        EXPECT_FALSE(FileExists(versionFile));
        d.Click(dialog, ucCancel);
        EXPECT_TRUE(d.WaitGone(dialog));
        EXPECT_EQ(d.AnyBox(), nullptr);
    });
}

// Replies without end: the main window goes on answering within 1 s, no file passes its cap,
// and nothing is left behind.
class EndlessReplyTest : public AutoUpdateDialogTest {
  protected:
    // Serves reply and then data without end; a setup program's reply follows a descriptor
    // that names build 7. Runs the dialog and, once it shows, check.
    void RunEndless(const std::string& setupReply,
                    const std::function<void(TDialogDriver&, HWND, TScriptedServer&)>& check) {
        std::vector<std::vector<TServerStep>> scripts;
        if (!setupReply.empty()) {
            const std::string descriptor = Descriptor(7, kTestSetupSignatureV7);
            scripts.push_back(
                {SendBytes("HTTP/1.0 200 OK\r\nContent-Length: " +
                           std::to_string(descriptor.size()) + "\r\n\r\n" + descriptor),
                 CloseConnection()});
        }
        // The header and the first body bytes in one send: a header without a length read on
        // its own completes as an empty file, which is the "No Version" case, not this one.
        const std::string chunk(16 * 1024, 'x');
        const std::string header = setupReply.empty() ? "HTTP/1.0 200 OK\r\n\r\n" : setupReply;
        scripts.push_back({SendBytes(header + chunk), SendEndlessly(chunk)});
        TScriptedServer server(scripts);
        UseScriptedServer(server);
        RunDialog([&](TDialogDriver& d) {
            HWND dialog = WaitForDialog(d);
            ASSERT_NE(dialog, nullptr);
            if (!setupReply.empty()) {
                HWND box = AnswerNewVersion(d, IDYES);
                ASSERT_NE(box, nullptr);
                // Wine without a window manager holds the thread about 2 s while it hides the
                // box: that wait is not the download's.
                ASSERT_TRUE(d.WaitGone(box));
            }
            check(d, dialog, server);
        });
        EXPECT_EQ(main.CloseRequests.load(), 0);
    }
    // Waits for done while the main window answers within 1 s and file stays within cap.
    void WaitAnswering(TDialogDriver& d, TScriptedServer& server, const std::wstring& file,
                       int64_t cap, const std::function<bool()>& done) {
        bool answered = true;
        int64_t largest = 0;
        EXPECT_TRUE(d.WaitUntil([&] {
            DWORD_PTR result = 0;
            answered = ::SendMessageTimeoutA(main.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 1000,
                                             &result) != 0;
            if (!answered) {
                server.Release(); // a thread that is stuck reading gets free this way
                return true;
            }
            largest = std::max(largest, FileSize(file));
            return done();
        }));
        EXPECT_TRUE(answered) << "the main window did not answer within 1 s";
        EXPECT_LE(largest, cap);
    }
};

TEST_F(EndlessReplyTest, ADescriptorWithoutLengthStopsAtItsCapAndIsSaid) {
    RunEndless("", [&](TDialogDriver& d, HWND dialog, TScriptedServer& server) {
        WaitAnswering(d, server, versionFile, kMaxDescriptorBytes,
                      [&] { return StatusText(dialog) == kUnreachable + "reply too large"; });
        EXPECT_FALSE(FileExists(versionFile));
        d.Click(dialog, ucCancel);
        EXPECT_TRUE(d.WaitGone(dialog));
    });
}

// Read at full speed in one go, 4 MiB would hold the window for seconds.
TEST_F(EndlessReplyTest, ASetupProgramWithoutEndLeavesTheWindowAnsweringUntilCancel) {
    RunEndless("HTTP/1.0 200 OK\r\nContent-Length: 200000000\r\n\r\n",
               [&](TDialogDriver& d, HWND dialog, TScriptedServer& server) {
                   WaitAnswering(d, server, setupFile, 200000000,
                                 [&] { return FileSize(setupFile) > 4 * 1024 * 1024; });
                   ASSERT_NE(CancelAnswering(d, dialog, IDYES), nullptr);
                   EXPECT_TRUE(d.WaitGone(dialog));
                   EXPECT_FALSE(FileExists(setupFile));
               });
}
