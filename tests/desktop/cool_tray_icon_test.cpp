// TCoolTrayIcon: what goes to the shell (record, tooltip, picture, visibility), the shared
// handler window, the real Shell_NotifyIconA and the picture's reload on a DPI change.
#include "desktop/cool_tray_icon.h"
#include "message_pump.h"
#include "tray_test_support.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

std::string Alphabet(size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

bool TipIsAllZero(const NOTIFYICONDATAA& data) {
    for (char c : data.szTip)
        if (c != 0)
            return false;
    return true;
}

TEST(TrayIconNotifyData, RecordCarriesWindowIdFlagsAndCallback) {
    TShellRecorder shell;
    TCoolTrayIcon icon(nullptr, shell.Function());
    ASSERT_TRUE(icon.AddTrayIcon());
    const NOTIFYICONDATAA& data = shell.Last().Data;
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shell.Last().Message);
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE), data.cbSize);
    EXPECT_EQ(icon.CallbackWindow(), data.hWnd);
    EXPECT_EQ(icon.IconId(), data.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), data.uFlags);
    EXPECT_EQ(0x800u, data.uCallbackMessage);
    EXPECT_EQ(0u, data.dwState);
    EXPECT_EQ(0, data.szInfo[0]);
    EXPECT_EQ(0, data.szInfoTitle[0]);
}

TEST(TrayIconTooltip, LongHintIsCutToItsFirst127Characters) {
    TShellRecorder shell;
    TCoolTrayIcon icon(nullptr, shell.Function());
    std::string hint = Alphabet(200);
    icon.SetHint(hint);
    ASSERT_EQ(1, shell.Count(NIM_MODIFY, icon.IconId()));
    EXPECT_EQ(hint.substr(0, 127), shell.Last().Tip());
    EXPECT_EQ(0, shell.Last().Data.szTip[127]);
    EXPECT_EQ(hint, icon.Hint());

    icon.SetIconVisible(true);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shell.Last().Message);
    EXPECT_EQ(hint.substr(0, 127), shell.Last().Tip());
}

// Texts are UTF-8: a cut inside a character would leave half of it, shown as garbage.
TEST(TrayIconTooltip, CutsNeverSplitACharacter) {
    TShellRecorder shell;
    TCoolTrayIcon icon(nullptr, shell.Function());
    std::string zhe;
    for (int i = 0; i < 100; ++i)
        zhe += "\xD0\xB6"; // two bytes each: 127 bytes would end inside the 64th
    icon.SetHint(zhe);
    EXPECT_EQ(zhe.substr(0, 126), shell.Last().Tip());
    icon.SetIconVisible(true);
    icon.ShowNotice(zhe, zhe);
    EXPECT_EQ(zhe.substr(0, 62), shell.Last().Data.szInfoTitle);
    EXPECT_EQ(zhe.substr(0, 254), shell.Last().Data.szInfo);
}

TEST(TrayIconTooltip, MultiLineHintKeepsItsLineBreaks) {
    TShellRecorder shell;
    TCoolTrayIcon icon(nullptr, shell.Function());
    icon.SetHint("In: 146.48 kB/s\r\nOut: 2.00 kB/s\r\nToday: 12 MB");
    EXPECT_EQ("In: 146.48 kB/s\r\nOut: 2.00 kB/s\r\nToday: 12 MB", shell.Last().Tip());

    std::string lines;
    while (lines.size() < 150)
        lines += "line\r\n";
    icon.SetHint(lines);
    EXPECT_EQ(lines.substr(0, 127), shell.Last().Tip());
}

TEST(TrayIconTooltip, EmptyHintOrShowHintOffClearsTheWholeTip) {
    TShellRecorder shell;
    TCoolTrayIcon icon(nullptr, shell.Function());
    EXPECT_TRUE(icon.ShowHint());
    icon.SetHint(Alphabet(200));

    icon.SetShowHint(false);
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), shell.Last().Message);
    EXPECT_TRUE(TipIsAllZero(shell.Last().Data));

    icon.SetShowHint(true);
    EXPECT_EQ(Alphabet(127), shell.Last().Tip());

    icon.SetHint("");
    EXPECT_TRUE(TipIsAllZero(shell.Last().Data));
}

TEST(TrayIconTooltip, OnlyAChangedHintGoesToTheShell) {
    TShellRecorder shell;
    TCoolTrayIcon icon(nullptr, shell.Function());
    icon.SetHint("12 kB/s");
    icon.SetHint("12 kB/s");
    EXPECT_EQ(1, shell.Count(NIM_MODIFY, icon.IconId()));
    icon.SetHint("13 kB/s");
    EXPECT_EQ(2, shell.Count(NIM_MODIFY, icon.IconId()));
    EXPECT_EQ("13 kB/s", shell.Last().Tip());
}

TEST(TrayIconPicture, IconIsACopyOwnedByTheComponent) {
    TShellRecorder shell;
    TCoolTrayIcon icon(nullptr, shell.Function());
    EXPECT_EQ(nullptr, icon.Icon());

    HICON original = MakeTestIcon(16);
    ASSERT_NE(nullptr, original);
    icon.SetIcon(original);
    ::DestroyIcon(original); // the caller's handle may go at once
    ASSERT_NE(nullptr, icon.Icon());
    EXPECT_NE(original, icon.Icon());
    EXPECT_EQ(16, IconSize(icon.Icon()));
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), shell.Last().Message);
    EXPECT_EQ(icon.Icon(), shell.Last().Data.hIcon);

    icon.SetIcon(nullptr);
    EXPECT_EQ(nullptr, icon.Icon());
    EXPECT_EQ(nullptr, shell.Last().Data.hIcon);
}

TEST(TrayIconPicture, LoaderIsAskedAgainForTheNewDpi) {
    TShellRecorder shell;
    TCoolTrayIcon icon(nullptr, shell.Function());
    std::vector<int> sizes;
    icon.SetIconLoader([&](int size) {
        sizes.push_back(size);
        return MakeTestIcon(size);
    });
    UINT dpi = ::GetDpiForWindow(icon.CallbackWindow());
    ASSERT_EQ(1u, sizes.size());
    EXPECT_EQ(::GetSystemMetricsForDpi(SM_CXSMICON, dpi), sizes[0]);
    EXPECT_EQ(sizes[0], IconSize(icon.Icon()));

    RECT suggested{0, 0, 1, 1};
    ::SendMessageA(icon.CallbackWindow(), WM_DPICHANGED, MAKEWPARAM(192, 192),
                   reinterpret_cast<LPARAM>(&suggested));
    ASSERT_EQ(2u, sizes.size());
    EXPECT_EQ(::GetSystemMetricsForDpi(SM_CXSMICON, 192), sizes[1]);
    EXPECT_EQ(sizes[1], IconSize(icon.Icon()));
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), shell.Last().Message);
    EXPECT_EQ(icon.Icon(), shell.Last().Data.hIcon);

    // A fixed picture ends the reloading.
    HICON fixed = MakeTestIcon(24);
    icon.SetIcon(fixed);
    ::DestroyIcon(fixed);
    ::SendMessageA(icon.CallbackWindow(), WM_DPICHANGED, MAKEWPARAM(96, 96),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(2u, sizes.size());
    EXPECT_EQ(24, IconSize(icon.Icon()));
}

TEST(TrayIconVisibility, WantedStateIsKeptApartFromTheShellsAnswer) {
    TShellRecorder shell;
    TCoolTrayIcon icon(nullptr, shell.Function());
    EXPECT_FALSE(icon.IconVisible());
    shell.Result = FALSE;
    icon.SetIconVisible(true);
    EXPECT_TRUE(icon.IconVisible());
    EXPECT_EQ(1, shell.Count(NIM_ADD, icon.IconId()));
    EXPECT_FALSE(icon.AddTrayIcon());
    EXPECT_TRUE(icon.IconVisible());

    shell.Result = TRUE;
    icon.SetIconVisible(false);
    EXPECT_FALSE(icon.IconVisible());
    EXPECT_EQ(1, shell.Count(NIM_DELETE, icon.IconId()));
    EXPECT_TRUE(icon.UpdateTrayIcon()); // modifications are sent whether shown or not
}

TEST(TrayIconVisibility, DestructionDeletesTheIcon) {
    TShellRecorder shell;
    UINT id = 0;
    {
        TCoolTrayIcon icon(nullptr, shell.Function());
        id = icon.IconId();
        icon.SetIconVisible(true);
    }
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), shell.Last().Message);
    EXPECT_EQ(id, shell.Last().Data.uID);
}

// The text of a notice window: its one static control.
std::string NoticeText(HWND notice) {
    char text[256] = "";
    ::GetWindowTextA(::FindWindowExA(notice, nullptr, "Static", nullptr), text, sizeof text);
    return text;
}

TEST(TrayIconNotice, BalloonFromAShownIconElseAWindowOfItsOwn) {
    TShellRecorder shell;
    TCoolTrayIcon icon(nullptr, shell.Function());
    icon.SetIconVisible(true);
    icon.ShowNotice("Corvane", "80% of the quota reached");
    const NOTIFYICONDATAA& balloon = shell.Last().Data;
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), shell.Last().Message);
    EXPECT_TRUE(balloon.uFlags & NIF_INFO);
    EXPECT_STREQ("80% of the quota reached", balloon.szInfo);
    EXPECT_STREQ("Corvane", balloon.szInfoTitle);
    EXPECT_EQ(nullptr, icon.NoticeWindow());
    icon.SetHint("next second");
    EXPECT_FALSE(shell.Last().Data.uFlags & NIF_INFO) << "a tip change shows no balloon again";
    EXPECT_EQ(0, shell.Last().Data.szInfo[0]);

    // The shell refuses, then the icon is hidden: each time a window of its own instead.
    shell.Result = FALSE;
    icon.ShowNotice("Corvane", "first");
    ASSERT_NE(nullptr, icon.NoticeWindow());
    const HWND first = icon.NoticeWindow();
    EXPECT_EQ("first", NoticeText(first));
    shell.Result = TRUE;
    icon.SetIconVisible(false);
    const size_t calls = shell.Calls.size();
    icon.ShowNotice("Corvane", "At this rate the quota runs out on 26/03/2025");
    EXPECT_EQ(calls, shell.Calls.size()) << "no balloon for a hidden icon";
    EXPECT_FALSE(::IsWindow(first)) << "the newer notice replaces the older";
    const HWND notice = icon.NoticeWindow();
    ASSERT_NE(nullptr, notice);
    EXPECT_TRUE(::IsWindowVisible(notice));
    EXPECT_NE(notice, ::GetForegroundWindow()) << "a notice takes no focus";
    EXPECT_EQ("At this rate the quota runs out on 26/03/2025", NoticeText(notice));
    ::SendMessageA(notice, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(nullptr, icon.NoticeWindow()) << "a click closes it";
}

TEST(TrayIconHandlerWindow, OneHiddenTopLevelWindowLivesWithTheIcons) {
    auto first = std::make_unique<TCoolTrayIcon>(nullptr);
    HWND window = first->CallbackWindow();
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_FALSE(::IsWindowVisible(window));
    // Top level, so that broadcasts such as "TaskbarCreated" reach it.
    EXPECT_EQ(::GetDesktopWindow(), ::GetAncestor(window, GA_PARENT));

    auto second = std::make_unique<TCoolTrayIcon>(nullptr);
    EXPECT_EQ(window, second->CallbackWindow());
    EXPECT_NE(first->IconId(), second->IconId());

    ::SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(window));

    first.reset();
    EXPECT_TRUE(::IsWindow(window));
    second.reset();
    EXPECT_FALSE(::IsWindow(window));
}

// Relies on the Wine fact that Shell_NotifyIcon works on an Xvfb display (Wine shows the
// icons in a small window of its own when there is no desktop tray). Processes of one Wine
// prefix share one tray, which is lost when the X display it was opened on goes away while
// the prefix is still in use; a plain request made here tells whether there is a tray at all.
class TrayIconRealShell : public ::testing::Test {
  protected:
    void SetUp() override {
        TRecordingWindow probeWindow(false);
        NOTIFYICONDATAA probe{};
        probe.cbSize = sizeof probe;
        probe.hWnd = probeWindow.Handle();
        probe.uID = 1;
        probe.uFlags = NIF_TIP;
        if (!::Shell_NotifyIconA(NIM_ADD, &probe))
            GTEST_SKIP() << "no notification area reachable in this Wine session";
        ::Shell_NotifyIconA(NIM_DELETE, &probe);
    }
};

TEST_F(TrayIconRealShell, AddModifyAndDeleteAreAccepted) {
    TCoolTrayIcon icon(nullptr);
    HICON picture = MakeTestIcon(16);
    icon.SetIcon(picture);
    ::DestroyIcon(picture);
    EXPECT_FALSE(icon.UpdateTrayIcon()); // not present yet
    EXPECT_TRUE(icon.AddTrayIcon());
    icon.SetHint("Corvane");
    EXPECT_TRUE(icon.UpdateTrayIcon());
    EXPECT_TRUE(icon.DeleteTrayIcon());
    EXPECT_FALSE(icon.UpdateTrayIcon());
}

TEST_F(TrayIconRealShell, DestructionRemovesTheIconFromTheShell) {
    TCoolTrayIcon keeper(nullptr); // keeps the handler window
    auto icon = std::make_unique<TCoolTrayIcon>(nullptr);
    ASSERT_TRUE(icon->AddTrayIcon());
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = icon->CallbackWindow();
    data.uID = icon->IconId();
    icon.reset();
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_DELETE, &data));
}

} // namespace
