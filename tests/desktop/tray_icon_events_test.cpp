// TCoolTrayIcon's events: mouse callbacks sent as the shell sends them, the popup menu and its
// default item, the "TaskbarCreated" broadcast and minimising the owner into the tray.
#include "desktop/cool_tray_icon.h"
#include "message_pump.h"
#include "tray_test_support.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr UINT kSettings = 101;
constexpr UINT kAbout = 102;
constexpr UINT kClose = 103;

TMenuHandle MakeMenu(UINT defaultItem) {
    TMenuHandle menu(::CreatePopupMenu());
    ::AppendMenuA(menu.get(), MF_STRING, kSettings, "Settings");
    ::AppendMenuA(menu.get(), MF_STRING, kAbout, "&About");
    ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu.get(), MF_STRING, kClose, "&Close");
    if (defaultItem)
        ::SetMenuDefaultItem(menu.get(), defaultItem, FALSE);
    return menu;
}

void DoubleClick(const TCoolTrayIcon& icon) {
    // The order in which the system reports a double click.
    ShellCallback(icon, WM_LBUTTONDOWN);
    ShellCallback(icon, WM_LBUTTONUP);
    ShellCallback(icon, WM_LBUTTONDBLCLK);
    ShellCallback(icon, WM_LBUTTONUP);
}

struct TClicks {
    int Clicks = 0;
    int DoubleClicks = 0;
    void Attach(TCoolTrayIcon& icon, bool withDoubleClick) {
        icon.OnClick = [this] { ++Clicks; };
        icon.OnDblClick = nullptr;
        if (withDoubleClick)
            icon.OnDblClick = [this] { ++DoubleClicks; };
    }
};

class TrayIconClicks : public ::testing::Test {
  protected:
    TShellRecorder shell;
    TCoolTrayIcon icon{nullptr, shell.Function()};
    TClicks events;
};

TEST_F(TrayIconClicks, WithoutDoubleClickHandlerClickFiresAtTheRelease) {
    events.Attach(icon, false);
    ShellCallback(icon, WM_LBUTTONDOWN);
    EXPECT_EQ(0, events.Clicks);
    EXPECT_FALSE(icon.ClickDelayTimer().Active());
    ShellCallback(icon, WM_LBUTTONUP);
    EXPECT_EQ(1, events.Clicks);
    ShellCallback(icon, WM_LBUTTONUP); // a release without a press is no click
    EXPECT_EQ(1, events.Clicks);
}

TEST_F(TrayIconClicks, WithDoubleClickHandlerSingleClickWaitsForTheDelay) {
    events.Attach(icon, true);
    ShellCallback(icon, WM_LBUTTONDOWN);
    EXPECT_TRUE(icon.ClickDelayTimer().Active());
    EXPECT_EQ(::GetDoubleClickTime(), icon.ClickDelayTimer().IntervalMs());
    ShellCallback(icon, WM_LBUTTONUP);
    EXPECT_EQ(0, events.Clicks);
    ASSERT_TRUE(PumpUntil([&] { return events.Clicks == 1; }));
    EXPECT_FALSE(icon.ClickDelayTimer().Active());
    EXPECT_EQ(0, events.DoubleClicks);
}

TEST_F(TrayIconClicks, WithDoubleClickHandlerDoubleClickFiresNoClick) {
    events.Attach(icon, true);
    DoubleClick(icon);
    EXPECT_EQ(1, events.DoubleClicks);
    ASSERT_TRUE(PumpUntil([&] { return !icon.ClickDelayTimer().Active(); }));
    EXPECT_EQ(0, events.Clicks);

    // The next single click is a click again.
    ShellCallback(icon, WM_LBUTTONDOWN);
    ShellCallback(icon, WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return events.Clicks == 1; }));
    EXPECT_EQ(1, events.DoubleClicks);
}

TEST_F(TrayIconClicks, DoubleClickWithoutHandlerDoesNotSwallowALaterClick) {
    events.Attach(icon, false);
    DoubleClick(icon);
    EXPECT_EQ(1, events.Clicks); // the first release
    events.Attach(icon, true);
    ShellCallback(icon, WM_LBUTTONDOWN);
    ShellCallback(icon, WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return !icon.ClickDelayTimer().Active(); }));
    EXPECT_EQ(2, events.Clicks);
}

TEST_F(TrayIconClicks, DisabledIconIgnoresCallbacks) {
    events.Attach(icon, true);
    icon.Enabled = false;
    DoubleClick(icon);
    EXPECT_FALSE(icon.ClickDelayTimer().Active());
    EXPECT_EQ(0, events.Clicks);
    EXPECT_EQ(0, events.DoubleClicks);

    icon.Enabled = true;
    events.Attach(icon, false);
    ShellCallback(icon, WM_LBUTTONDOWN);
    ShellCallback(icon, WM_LBUTTONUP);
    EXPECT_EQ(1, events.Clicks);
}

TEST_F(TrayIconClicks, CallbackForAnotherIdIsIgnored) {
    events.Attach(icon, false);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP})
        ::SendMessageA(icon.CallbackWindow(), TCoolTrayIcon::CallbackMessage, icon.IconId() + 77,
                       message);
    EXPECT_EQ(0, events.Clicks);
}

TEST_F(TrayIconClicks, ClickHandlerMayDestroyTheIcon) {
    auto doomed = std::make_unique<TCoolTrayIcon>(nullptr, shell.Function());
    int clicks = 0;
    doomed->OnClick = [&] {
        ++clicks;
        doomed.reset();
    };
    HWND window = doomed->CallbackWindow();
    UINT id = doomed->IconId();
    ::SendMessageA(window, TCoolTrayIcon::CallbackMessage, id, WM_LBUTTONDOWN);
    ::SendMessageA(window, TCoolTrayIcon::CallbackMessage, id, WM_LBUTTONUP);
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(nullptr, doomed);
    ::SendMessageA(window, TCoolTrayIcon::CallbackMessage, id, WM_LBUTTONUP);
    EXPECT_EQ(1, clicks);
}

class TrayIconMenu : public ::testing::Test {
  protected:
    TShellRecorder shell;
    TRecordingWindow target{false};
    TCoolTrayIcon icon{nullptr, shell.Function()};
    TClicks events;
};

TEST_F(TrayIconMenu, DoubleClickRunsTheDefaultItem) {
    TMenuHandle menu = MakeMenu(kSettings);
    icon.SetPopupMenu(menu.get(), target.Handle());
    events.Attach(icon, false);
    DoubleClick(icon);
    ASSERT_TRUE(target.Sync());
    EXPECT_EQ(std::vector<UINT>{kSettings}, target.Commands());
    EXPECT_EQ(1, events.Clicks);
}

TEST_F(TrayIconMenu, DoubleClickRunsNothingWithoutADefaultItem) {
    TMenuHandle menu = MakeMenu(0);
    icon.SetPopupMenu(menu.get(), target.Handle());
    DoubleClick(icon);
    ASSERT_TRUE(target.Sync());
    EXPECT_TRUE(target.Commands().empty());
}

TEST_F(TrayIconMenu, DisabledDefaultItemDoesNotRun) {
    TMenuHandle menu = MakeMenu(kAbout);
    ::EnableMenuItem(menu.get(), kAbout, MF_BYCOMMAND | MF_GRAYED);
    icon.SetPopupMenu(menu.get(), target.Handle());
    DoubleClick(icon);
    ASSERT_TRUE(target.Sync());
    EXPECT_TRUE(target.Commands().empty());
}

TEST_F(TrayIconMenu, DoubleClickHandlerAndDefaultItemBothRun) {
    TMenuHandle menu = MakeMenu(kSettings);
    icon.SetPopupMenu(menu.get(), target.Handle());
    events.Attach(icon, true);
    DoubleClick(icon);
    EXPECT_EQ(1, events.DoubleClicks);
    ASSERT_TRUE(target.Sync());
    EXPECT_EQ(std::vector<UINT>{kSettings}, target.Commands());
}

TEST_F(TrayIconMenu, RightPressWithoutMenuDoesNothing) {
    ShellCallback(icon, WM_RBUTTONDOWN);
    ASSERT_TRUE(target.Sync());
    EXPECT_TRUE(target.Commands().empty());
    EXPECT_EQ(0, target.Count(WM_NULL));
}

// Once the menu is open, chooses its first item with the keyboard.
void CALLBACK ChooseFirstItem(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menuWindow = ::FindWindowA("#32768", nullptr);
    if (!menuWindow || !::IsWindowVisible(menuWindow))
        return;
    ::KillTimer(nullptr, timer);
    ::PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(TrayIconMenu, RightPressOpensTheMenuAndPostsTheChoice) {
    TMenuHandle menu = MakeMenu(kSettings);
    icon.SetPopupMenu(menu.get(), target.Handle());
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &ChooseFirstItem);
    ASSERT_NE(0u, timer);
    ShellCallback(icon, WM_RBUTTONDOWN); // returns when the menu has closed
    ::KillTimer(nullptr, timer);
    ASSERT_TRUE(target.Sync());
    std::vector<UINT> posted;
    for (const auto& entry : target.Entries)
        if (entry.Message == WM_COMMAND || entry.Message == WM_NULL)
            posted.push_back(entry.Message);
    EXPECT_EQ((std::vector<UINT>{WM_COMMAND, WM_NULL}), posted);
    EXPECT_EQ(std::vector<UINT>{kSettings}, target.Commands());
}

TEST(TrayIconTaskbar, RestartReAddsOnlyVisibleIcons) {
    TShellRecorder shell;
    TCoolTrayIcon shown(nullptr, shell.Function());
    TCoolTrayIcon hidden(nullptr, shell.Function());
    shown.SetIconVisible(true);
    hidden.SetIconVisible(true);
    hidden.SetIconVisible(false);
    ASSERT_EQ(1, shell.Count(NIM_ADD, shown.IconId()));
    ASSERT_EQ(1, shell.Count(NIM_ADD, hidden.IconId()));

    UINT restart = ::RegisterWindowMessageA("TaskbarCreated");
    ASSERT_NE(0u, restart);
    ASSERT_TRUE(::PostMessageA(HWND_BROADCAST, restart, 0, 0));
    // One message handles both icons: once the shown one is back, the other was decided on.
    ASSERT_TRUE(PumpUntil([&] { return shell.Count(NIM_ADD, shown.IconId()) == 2; }));
    EXPECT_EQ(1, shell.Count(NIM_ADD, hidden.IconId()));
    EXPECT_TRUE(shown.IconVisible());
    EXPECT_FALSE(hidden.IconVisible());
}

class TrayIconOwner : public ::testing::Test {
  protected:
    TShellRecorder shell;
    TRecordingWindow owner{true};
};

TEST_F(TrayIconOwner, MinimisingHidesTheOwnerIntoTheTray) {
    TCoolTrayIcon icon(owner.Handle(), shell.Function());
    icon.MinimizeToTray = true;
    ::ShowWindow(owner.Handle(), SW_MINIMIZE);
    EXPECT_FALSE(::IsWindowVisible(owner.Handle()));
    EXPECT_TRUE(icon.IconVisible());
    EXPECT_EQ(1, shell.Count(NIM_ADD, icon.IconId()));
    EXPECT_GE(owner.Count(WM_SIZE), 1); // the owner still sees its own messages

    ::SendMessageA(owner.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(::IsWindowVisible(owner.Handle()));
    EXPECT_FALSE(::IsIconic(owner.Handle()));
}

TEST_F(TrayIconOwner, WithoutMinimizeToTrayTheOwnerStaysVisible) {
    TCoolTrayIcon icon(owner.Handle(), shell.Function());
    ::ShowWindow(owner.Handle(), SW_MINIMIZE);
    EXPECT_TRUE(::IsWindowVisible(owner.Handle()));
    EXPECT_FALSE(icon.IconVisible());
    EXPECT_EQ(0, shell.Count(NIM_ADD, icon.IconId()));
}

TEST_F(TrayIconOwner, HideToTrayHidesTheOwnerAndShowsTheIcon) {
    TCoolTrayIcon icon(owner.Handle(), shell.Function());
    icon.HideToTray();
    EXPECT_FALSE(::IsWindowVisible(owner.Handle()));
    EXPECT_TRUE(icon.IconVisible());
    EXPECT_EQ(1, shell.Count(NIM_ADD, icon.IconId()));
}

TEST_F(TrayIconOwner, DestroyedIconLeavesTheOwnerAlone) {
    auto icon = std::make_unique<TCoolTrayIcon>(owner.Handle(), shell.Function());
    icon->MinimizeToTray = true;
    icon.reset();
    size_t calls = shell.Calls.size();
    ::ShowWindow(owner.Handle(), SW_MINIMIZE);
    EXPECT_TRUE(::IsWindowVisible(owner.Handle()));
    EXPECT_EQ(calls, shell.Calls.size());
}

TEST_F(TrayIconOwner, OwnerMayBeDestroyedBeforeTheIcon) {
    TCoolTrayIcon icon(owner.Handle(), shell.Function());
    icon.MinimizeToTray = true;
    ::DestroyWindow(owner.Handle());
    EXPECT_EQ(nullptr, owner.Handle());
    icon.HideToTray(); // no owner left to hide
    EXPECT_TRUE(icon.IconVisible());
}

} // namespace
