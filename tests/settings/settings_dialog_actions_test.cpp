// Tests of the settings dialog's actions that open other windows (the reset question, the
// pickers, the error box), of the run-at-start-up value, and of the modal run; and the
// screenshots of the five tabs.
#include "settings_dialog_fixture.h"
#include "platform/application.h"
#include "platform/file_io.h"
#include "quota/quota_settings.h"

#include <commctrl.h>

#include <cmath>
#include <thread>
#include <vector>

using dialogtest::TDialogAnswerer;

namespace {

bool IsCaption(const std::string& caption, const char* wanted) {
    return caption == wanted;
}

// The value "wendrel" under the real Run key, put back as it was when the test ends.
class TRealRunValue {
  public:
    TRealRunValue() {
        DWORD size = 0;
        had_ = ::RegGetValueA(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, RRF_RT_REG_SZ, nullptr,
                              nullptr, &size) == ERROR_SUCCESS;
        if (had_)
            old_ = Read();
    }
    ~TRealRunValue() {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_ALL_ACCESS, &key) !=
            ERROR_SUCCESS)
            return;
        if (had_)
            ::RegSetValueExA(key, kRunValueName, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(old_.c_str()),
                             static_cast<DWORD>(old_.size() + 1));
        else
            ::RegDeleteValueA(key, kRunValueName);
        ::RegCloseKey(key);
    }
    static bool Exists() {
        return ::RegGetValueA(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, RRF_RT_ANY, nullptr,
                              nullptr, nullptr) == ERROR_SUCCESS;
    }
    static std::string Read() {
        char data[1024] = {};
        DWORD size = sizeof data, type = 0;
        if (::RegGetValueA(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, RRF_RT_REG_SZ, &type,
                           data, &size) != ERROR_SUCCESS)
            return "";
        return data;
    }

  private:
    bool had_ = false;
    std::string old_;
};

} // namespace

TEST_F(SettingsDialogTest, ResetLogsAnsweredYesEmptiesTheLogEvenAfterCancel) {
    LoadLog();
    AddToLog(1000, 2000, 45000.0);
    SaveLog();
    ASSERT_EQ(dialogtest::ReadBytes(folder_.File("bandlog.dat")).size(), 24u);
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    TDialogAnswerer answer([](const std::string& c) { return IsCaption(c, "Reset"); }, IDYES);
    Click(*dialog, scResetLogs);
    ASSERT_TRUE(answer.Join());
    EXPECT_EQ(answer.Text(), "Resetting your bandwidth log will clear all collected bandwidth "
                             "information.  Are you sure you wish to continue?");
    EXPECT_TRUE(dialogtest::FileExists(folder_.File("bandlog.dat")));
    EXPECT_EQ(dialogtest::ReadBytes(folder_.File("bandlog.dat")).size(), 0u);
    Click(*dialog, scCancel);
    EXPECT_EQ(LogRecordCount(), 0u);
    EXPECT_EQ(dialogtest::ReadBytes(folder_.File("bandlog.dat")).size(), 0u);
}

TEST_F(SettingsDialogTest, ResetLogsAnsweredNoKeepsTheLog) {
    LoadLog();
    AddToLog(1000, 2000, 45000.0);
    SaveLog();
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    TDialogAnswerer answer([](const std::string& c) { return IsCaption(c, "Reset"); }, IDNO);
    Click(*dialog, scResetLogs);
    ASSERT_TRUE(answer.Join());
    EXPECT_EQ(LogRecordCount(), 1u);
    EXPECT_EQ(dialogtest::ReadBytes(folder_.File("bandlog.dat")).size(), 24u);
    ResetLog();
}

TEST_F(SettingsDialogTest, RunOnStartupIsTickedWhenAnyValueExists) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, runKey_.c_str(), 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    DWORD number = 5; // of another type and content: only its presence counts
    ::RegSetValueExA(key, kRunValueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                     sizeof number);
    ::RegCloseKey(key);
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    EXPECT_TRUE(Checked(*dialog, scRunOnStartup));
    Click(*dialog, scRunOnStartup);
    Click(*dialog, scOK);
    EXPECT_FALSE(RunValueExists());
}

TEST_F(SettingsDialogTest, RunOnStartupWritesTheQuotedPathUnderTheRunKeyAndRemovesIt) {
    ASSERT_EQ(std::string(kRunKeyPath), "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    TRealRunValue restore;
    TMemIniFile store(ConfigPath());
    {
        Tf_Settings dialog(nullptr, store);
        ::SendMessageA(dialog.Item(scRunOnStartup), BM_SETCHECK, BST_CHECKED, 0);
        Click(dialog, scOK);
        ASSERT_FALSE(::IsWindow(dialog.Handle()));
    }
    EXPECT_EQ(TRealRunValue::Read(), "\"" + ExecutablePath() + "\"");
    {
        Tf_Settings dialog(nullptr, store);
        EXPECT_TRUE(Checked(dialog, scRunOnStartup));
        Click(dialog, scRunOnStartup);
        Click(dialog, scOK);
    }
    EXPECT_FALSE(TRealRunValue::Exists());
}

TEST_F(SettingsDialogTest, RunValueThatCannotBeSetIsReportedAndTheDialogStaysOpen) {
    TMemIniFile store(ConfigPath());
    Tf_Settings dialog(nullptr, store, runKey_ + "\\Missing");
    Click(dialog, scRunOnStartup);
    TDialogAnswerer box([](const std::string& c) { return IsCaption(c, "Corvane"); }, IDOK);
    Click(dialog, scOK);
    ASSERT_TRUE(box.Join());
    EXPECT_EQ(box.Text(), "Failed to set data for 'wendrel'");
    EXPECT_TRUE(::IsWindow(dialog.Handle()));
    EXPECT_FALSE(dialogtest::FileExists(ConfigPath())) << "the flush is abandoned";
    EXPECT_EQ(store.QueryText("display", "opacity", ""), "10") << "earlier steps are in memory";
}

TEST_F(SettingsDialogTest, FileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
    TMemIniFile store(folder_.File("missing\\config.ini"), ""); // its folder does not exist
    auto dialog = Open(store);
    TDialogAnswerer box([](const std::string& c) { return IsCaption(c, "Corvane"); }, IDOK);
    Click(*dialog, scOK);
    ASSERT_TRUE(box.Join());
    EXPECT_EQ(box.Text().rfind("Cannot create file ", 0), 0u) << box.Text();
    EXPECT_TRUE(::IsWindow(dialog->Handle()));
    EXPECT_EQ(store.QueryText("bandwidth", "dolog", ""), "1");
}

// Free hours that are no range keep the dialog open and nothing written; Set stores the
// provider's figure at once, with what the period counts at that moment.
TEST_F(SettingsDialogTest, FreeHoursAreRefusedAndSetStoresTheProvidersFigure) {
    constexpr uint64_t MB = uint64_t{1} << 20;
    const double today = std::floor(LogNow());
    AddToLog(3 * MB, 1 * MB, today);
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    SetText(*dialog, scQuotaFreeHours, "2-8");
    TDialogAnswerer box([](const std::string& c) { return IsCaption(c, "Corvane"); }, IDOK);
    Click(*dialog, scOK);
    ASSERT_TRUE(box.Join());
    EXPECT_EQ(box.Text().rfind("\"2-8\" are not hours", 0), 0u) << box.Text();
    EXPECT_TRUE(::IsWindow(dialog->Handle()));
    EXPECT_FALSE(dialogtest::FileExists(ConfigPath()));

    SetText(*dialog, scQuotaUsed, "lots");
    TDialogAnswerer notANumber([](const std::string& c) { return IsCaption(c, "Corvane"); }, IDOK);
    Click(*dialog, scQuotaSetUsed);
    ASSERT_TRUE(notANumber.Join());
    EXPECT_EQ(notANumber.Text(), "\"lots\" is not a number of megabytes.");
    EXPECT_EQ(store.QueryText("display", "quotaoffset", "(none)"), "(none)");

    SetText(*dialog, scQuotaUsed, "12.5");
    Click(*dialog, scQuotaSetUsed);
    const auto stored = ParseQuotaCorrection(store.QueryText("display", "quotaoffset", ""));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->PeriodFirst, BillingPeriodOf(today, 1).First);
    EXPECT_EQ(stored->Provider, 12 * MB + MB / 2);
    EXPECT_EQ(stored->CountedThen, 4 * MB);
    EXPECT_TRUE(dialogtest::FileExists(ConfigPath()));

    // The rows lie below the page's first edge: shown, the page has grown to hold them.
    dialog->Show();
    HWND button = dialog->Item(scQuotaSetUsed);
    RECT page, row;
    ::GetClientRect(::GetParent(button), &page);
    ::GetWindowRect(button, &row);
    ::MapWindowPoints(nullptr, ::GetParent(button), reinterpret_cast<POINT*>(&row), 2);
    EXPECT_LE(row.bottom, page.bottom);
    Click(*dialog, scCancel);
}

TEST_F(SettingsDialogTest, SwatchAnswersAnyMouseButtonWithThePickerPreset) {
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    HWND swatch = dialog->Item(scBorderColour);
    std::string shownRed;
    // The picker opens on the swatch's colour; a new red value typed into it is taken on OK.
    TDialogAnswerer picker([](const std::string& c) { return c.find("Colo") != std::string::npos; },
                           IDOK,
                           [&](HWND box) {
                               shownRed = dialogtest::WindowText(::GetDlgItem(box, 706));
                               ::SetDlgItemTextA(box, 706, "10");
                           });
    ::SendMessageA(swatch, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
    ASSERT_TRUE(picker.Join());
    EXPECT_EQ(shownRed, "255");
    EXPECT_EQ(SwatchColour(*dialog, scBorderColour), RGB(10, 255, 255));

    TDialogAnswerer cancel([](const std::string& c) { return c.find("Colo") != std::string::npos; },
                           IDCANCEL);
    ::SendMessageA(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ASSERT_TRUE(cancel.Join());
    EXPECT_EQ(SwatchColour(*dialog, scBorderColour), RGB(10, 255, 255));
    Click(*dialog, scOK);
    EXPECT_EQ(store.QueryInt("display", "bordercolour", 0), static_cast<int>(RGB(10, 255, 255)));
}

TEST_F(SettingsDialogTest, BoldItalicFontTicksBothBoxesAndTheBoxesAreStoredAsShown) {
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    constexpr int kFaceList = 0x470, kStyleList = 0x471, kSizeList = 0x472;
    std::string face, size;
    TDialogAnswerer picker([](const std::string& c) { return c == "Font"; }, IDOK,
                           [&](HWND box) {
                               HWND styles = ::GetDlgItem(box, kStyleList);
                               ::SendMessageA(styles, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>("Bold Italic"));
                               ::SendMessageA(box, WM_COMMAND,
                                              MAKEWPARAM(kStyleList, CBN_SELCHANGE),
                                              reinterpret_cast<LPARAM>(styles));
                               face = dialogtest::WindowText(::GetDlgItem(box, kFaceList));
                               size = dialogtest::WindowText(::GetDlgItem(box, kSizeList));
                           });
    Click(*dialog, scSelectFont);
    ASSERT_TRUE(picker.Join());
    EXPECT_TRUE(Checked(*dialog, scBold));
    EXPECT_TRUE(Checked(*dialog, scItalic));
    Click(*dialog, scBold);
    Click(*dialog, scOK);
    EXPECT_EQ(store.QueryText("display", "fontbold", ""), "0");
    EXPECT_EQ(store.QueryText("display", "fontitalic", ""), "1");
    // The typeface and size the picker ended with (a machine without the stored typeface
    // offers another one) are the ones stored.
    EXPECT_EQ(store.QueryText("display", "fontname", ""), face);
    EXPECT_EQ(store.QueryText("display", "fontsize", ""), size);
}

TEST_F(SettingsDialogTest, EscapeLeavesTheDialogOpenAndEnterPressesOk) {
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    ::ShowWindow(dialog->Handle(), SW_SHOW);
    HWND box = dialog->Item(scStayOnTop);
    ::SetFocus(box);
    MSG escape{box, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    ::IsDialogMessageA(dialog->Handle(), &escape);
    dialogtest::PumpPending();
    ASSERT_TRUE(::IsWindow(dialog->Handle()));
    EXPECT_FALSE(dialogtest::FileExists(ConfigPath()));
    MSG enter{box, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    ::IsDialogMessageA(dialog->Handle(), &enter);
    dialogtest::PumpPending();
    EXPECT_FALSE(::IsWindow(dialog->Handle()));
    EXPECT_TRUE(dialogtest::FileExists(ConfigPath())) << "Enter is OK: the file is written";
}

TEST_F(SettingsDialogTest, CloseBoxEndsTheModalRunWithoutStoringAndFreesTheOwner) {
    TMemIniFile store(ConfigPath());
    TWindowHandle owner(::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                          nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner);
    Tf_Settings dialog(owner.get(), store, runKey_);
    bool ownerDisabled = false;
    LONG boldWeight = 0;
    BYTE italic = 0;
    std::thread closer([&, target = dialog.Handle()] {
        for (int round = 0; round < 500 && !::IsWindowVisible(target); ++round)
            ::Sleep(20);
        ownerDisabled = !::IsWindowEnabled(owner.get());
        // The modal run sets the dialog's font everywhere; the styled captions keep theirs.
        LOGFONTA lf{};
        auto font = [](HWND w) {
            return reinterpret_cast<HFONT>(::SendMessageA(w, WM_GETFONT, 0, 0));
        };
        if (::GetObjectA(font(dialog.Item(scBold)), sizeof lf, &lf))
            boldWeight = lf.lfWeight;
        if (::GetObjectA(font(dialog.Item(scItalic)), sizeof lf, &lf))
            italic = lf.lfItalic;
        ::PostMessageA(target, WM_CLOSE, 0, 0);
    });
    dialog.ShowModal(owner.get());
    closer.join();
    EXPECT_TRUE(ownerDisabled);
    EXPECT_GE(boldWeight, FW_BOLD);
    EXPECT_TRUE(italic);
    EXPECT_TRUE(::IsWindowEnabled(owner.get()));
    EXPECT_FALSE(::IsWindow(dialog.Handle()));
    EXPECT_FALSE(dialogtest::FileExists(ConfigPath()));
    EXPECT_EQ(store.ToText(), "");
}

TEST_F(SettingsDialogTest, ScreenshotsOfTheFiveTabs) {
    dialogtest::WriteBytes(ConfigPath(), "[display]\r\nopacity=80\r\nformat=In: %kBinpersec% kB/s"
                                         "%nl%Out: %kBoutpersec% kB/s\r\n\r\n");
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    Click(*dialog, scAutoDetect);
    ::ShowWindow(dialog->Handle(), SW_SHOW);
    const char* names[] = {"settings_adapters", "settings_display", "settings_information",
                           "settings_logs", "settings_general"};
    for (int i = 0; i < Tf_Settings::kPageCount; ++i) {
        dialog->SelectTab(i);
        ::RedrawWindow(dialog->Handle(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        dialogtest::PumpPending();
        ::Sleep(200); // let the X server catch up before the screen is read
        dialogtest::PumpPending();
        dialogtest::SaveScreenshot(dialog->Handle(), names[i]);
        EXPECT_TRUE(::IsWindowVisible(::GetParent(dialog->Item(i == 0   ? scNetworkAdapters
                                                               : i == 1 ? scOpacity
                                                               : i == 2 ? scTags
                                                               : i == 3 ? scResetLogs
                                                                        : scWidth))));
    }
}
