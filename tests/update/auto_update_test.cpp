// The update dialog end to end, in process: the descriptor's cases, the signed setup program
// started or refused, with Python's http.server as the update site.
#include "update_dialog_fixture.h"

TEST_F(AutoUpdateDialogTest, IsUpToDateWithVersion6) {
    REQUIRE_REAL_SERVER();
    Publish("[build]\r\nversion=6\r\npath=127.0.0.1/setup7.exe\r\n");
    RunDialog([&](TDialogDriver& d) {
        HWND dialog = WaitForDialog(d);
        HWND box = d.WaitForBox("No Updates");
        ASSERT_NE(box, nullptr);
        TBoxView view = d.Describe(box);
        EXPECT_EQ(view.Text, "Your version of Corvane is up to date");
        EXPECT_EQ(view.Icon, IDI_INFORMATION);
        EXPECT_TRUE(view.Ok);
        EXPECT_FALSE(view.Yes || view.No || view.Cancel);
        EXPECT_EQ(::GetWindow(box, GW_OWNER), dialog);
        d.Answer(box, IDOK);
        EXPECT_TRUE(d.WaitGone(dialog)) << "the dialog stayed open";
    });
    EXPECT_FALSE(FileExists(versionFile));
    EXPECT_EQ(main.CloseRequests.load(), 0);
}

TEST_F(AutoUpdateDialogTest, ANewVersionDeclinedClosesAndLeavesNoFile) {
    REQUIRE_REAL_SERVER();
    PublishSetup();
    Publish(Descriptor(7, kTestSetupSignatureV7));
    RunDialog([&](TDialogDriver& d) {
        HWND dialog = WaitForDialog(d);
        HWND box = d.WaitForBox("New Version");
        ASSERT_NE(box, nullptr);
        TBoxView view = d.Describe(box);
        EXPECT_EQ(view.Text, kNewVersionText);
        EXPECT_EQ(view.Icon, IDI_QUESTION);
        EXPECT_TRUE(view.Yes && view.No);
        EXPECT_FALSE(view.Ok || view.Cancel);
        d.Answer(box, IDNO);
        EXPECT_TRUE(d.WaitGone(dialog)) << "the dialog stayed open";
    });
    EXPECT_FALSE(FileExists(versionFile));
    EXPECT_FALSE(FileExists(setupFile));
    EXPECT_EQ(main.CloseRequests.load(), 0);
}

TEST_F(AutoUpdateDialogTest, ASignedSetupIsDownloadedStartedAndTheMainWindowClosed) {
    REQUIRE_REAL_SERVER();
    const std::string setup = PublishSetup();
    Publish(Descriptor(7, kTestSetupSignatureV7));
    RunDialog([&](TDialogDriver& d) {
        HWND dialog = WaitForDialog(d);
        ASSERT_NE(AnswerNewVersion(d, IDYES), nullptr);
        ASSERT_TRUE(d.WaitUntil([&] { return main.CloseRequests.load() > 0; }))
            << "the main window was not closed";
        EXPECT_TRUE(d.WaitUntil([&] { return FileExists(folder + L"setup-ran.txt"); }))
            << "the setup program did not run";
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, ucCancel)));
        EXPECT_EQ(StatusText(dialog), "Downloading latest update (" +
                                          std::to_string(setup.size() / 1024) + "KB downloaded)");
        HWND progress = ::GetDlgItem(dialog, ucProgress);
        EXPECT_EQ(::SendMessageA(progress, PBM_GETPOS, 0, 0), 100);
        EXPECT_EQ(ReadBytes(setupFile), setup);
        EXPECT_FALSE(d.AnyBox());
    });
    EXPECT_EQ(main.CloseRequests.load(), 1);
    EXPECT_FALSE(FileExists(versionFile));
}

TEST_F(AutoUpdateDialogTest, ASetupThatCannotStartIsReportedAndTheProgramStays) {
    REQUIRE_REAL_SERVER();
    PublishSetup(L"update_test_broken_setup.exe");
    Publish(Descriptor(7, kBrokenSetupSignatureV7));
    RunDialog([&](TDialogDriver& d) {
        HWND dialog = WaitForDialog(d);
        ASSERT_NE(AnswerNewVersion(d, IDYES), nullptr);
        HWND error = d.WaitForBox("Update Not Started");
        ASSERT_NE(error, nullptr);
        TBoxView view = d.Describe(error);
        const std::string prefix = "The update could not be started: ";
        EXPECT_EQ(view.Text.substr(0, prefix.size()), prefix);
        EXPECT_GT(view.Text.size(), prefix.size() + 1); // the system's reason
        EXPECT_EQ(view.Icon, IDI_ERROR);
        EXPECT_TRUE(view.Ok);
        EXPECT_EQ(main.CloseRequests.load(), 0);
        d.Answer(error, IDOK);
        EXPECT_TRUE(d.WaitGone(dialog));
    });
    EXPECT_EQ(main.CloseRequests.load(), 0);
    EXPECT_FALSE(FileExists(setupFile));
}

TEST_F(AutoUpdateDialogTest, ASetupWithAWrongSignatureIsRemovedAndNotStarted) {
    REQUIRE_REAL_SERVER();
    PublishSetup();
    // A genuine signature, but for build 8: an old setup passed off as another build.
    Publish(Descriptor(7, kTestSetupSignatureV8));
    RunDialog([&](TDialogDriver& d) {
        HWND dialog = WaitForDialog(d);
        ASSERT_NE(AnswerNewVersion(d, IDYES), nullptr);
        HWND warning = d.WaitForBox("Update Not Verified");
        ASSERT_NE(warning, nullptr);
        TBoxView view = d.Describe(warning);
        EXPECT_EQ(view.Text, "The downloaded update could not be verified and was removed.");
        EXPECT_EQ(view.Icon, IDI_WARNING);
        EXPECT_TRUE(view.Ok);
        EXPECT_FALSE(FileExists(setupFile));
        d.Answer(warning, IDOK);
        EXPECT_TRUE(d.WaitGone(dialog));
    });
    EXPECT_EQ(main.CloseRequests.load(), 0);
    EXPECT_FALSE(FileExists(setupFile));
    EXPECT_FALSE(FileExists(folder + L"setup-ran.txt"));
}

TEST_F(AutoUpdateDialogTest, AnUnsignedSetupIsRemovedAndNotStarted) {
    REQUIRE_REAL_SERVER();
    PublishSetup();
    Publish("[build]\r\nversion=7\r\npath=127.0.0.1/setup7.exe\r\n");
    RunDialog([&](TDialogDriver& d) {
        WaitForDialog(d);
        ASSERT_NE(AnswerNewVersion(d, IDYES), nullptr);
        HWND warning = d.WaitForBox("Update Not Verified");
        ASSERT_NE(warning, nullptr);
        d.Answer(warning, IDOK);
    });
    EXPECT_EQ(main.CloseRequests.load(), 0);
    EXPECT_FALSE(FileExists(setupFile));
    EXPECT_FALSE(FileExists(folder + L"setup-ran.txt"));
}

TEST_F(AutoUpdateDialogTest, AnOlderVersionShowsNothingAndCancelClosesAtOnce) {
    REQUIRE_REAL_SERVER();
    Publish("[build]\r\nversion=3\r\npath=127.0.0.1/setup7.exe\r\n");
    WriteBytes(versionFile, "left from before");
    RunDialog([&](TDialogDriver& d) {
        HWND dialog = WaitForDialog(d);
        ASSERT_TRUE(WaitDescriptorHandled(d));
        EXPECT_EQ(d.AnyBox(), nullptr);
        EXPECT_EQ(StatusText(dialog), kConnecting);
        d.Click(dialog, ucCancel);
        EXPECT_TRUE(d.WaitGone(dialog));
    });
    EXPECT_EQ(main.CloseRequests.load(), 0);
}

TEST_F(AutoUpdateDialogTest, ADescriptorWithoutBuildSectionWarnsAndStaysOpen) {
    REQUIRE_REAL_SERVER();
    Publish("[other]\r\nversion=9\r\n");
    RunDialog([&](TDialogDriver& d) {
        HWND dialog = WaitForDialog(d);
        HWND box = d.WaitForBox("No Version");
        ASSERT_NE(box, nullptr);
        TBoxView view = d.Describe(box);
        EXPECT_EQ(view.Text, kNoVersionText);
        EXPECT_EQ(view.Icon, IDI_WARNING);
        EXPECT_TRUE(view.Ok);
        EXPECT_FALSE(view.Yes || view.No || view.Cancel);
        d.Answer(box, IDOK);
        ASSERT_TRUE(d.WaitGone(box));
        ASSERT_TRUE(WaitDescriptorHandled(d));
        EXPECT_TRUE(::IsWindow(dialog));
        EXPECT_EQ(StatusText(dialog), kConnecting);
        d.Click(dialog, ucCancel); // nothing runs: no question
        EXPECT_TRUE(d.WaitGone(dialog));
        EXPECT_EQ(d.AnyBox(), nullptr);
    });
}
