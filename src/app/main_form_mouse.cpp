// Tf_Main's behaviour: dragging by the text or the outline, snapping to the screen's edges,
// the popup menu and its commands, minimising to and restoring from the tray icon.
#include "app/main_form.h"
#include "resource.h"
#include "app/window_geometry.h"
#include "desktop/cool_tray_icon.h"
#include "history/history_window.h"
#include "platform/application.h"
#include "about/about_dialog.h"
#include "config/config_keys.h"
#include "settings/settings_dialog.h"
#include "update/auto_update.h"

namespace {

TRectI WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoA(monitor, &info)) {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    }
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

POINT CursorPos() {
    POINT p{};
    ::GetCursorPos(&p);
    return p;
}

} // namespace

// Moves by the outline: the text label hands its presses to StatsMouseDown.
bool Tf_Main::MouseMessage(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
        s_BorderMouseDown(msg, CursorPos());
        return true;
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        StatsMouseDown(msg, CursorPos());
        return true;
    case WM_MOUSEMOVE:
        if (dragging_)
            DragTo(CursorPos());
        return true;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_CAPTURECHANGED:
        if (dragging_)
            EndDrag();
        return true;
    default:
        return false;
    }
}

// Docked, a double click opens History; floating, it is one more press that moves the window.
void Tf_Main::StatsMouseDown(UINT button, POINT screen) {
    if (button == WM_LBUTTONDBLCLK && docked_) {
        OnCommand(IDM_HISTORY, 0, nullptr);
        return;
    }
    if (button == WM_LBUTTONDBLCLK)
        button = WM_LBUTTONDOWN;
    else if (button == WM_MBUTTONDBLCLK)
        button = WM_MBUTTONDOWN;
    s_BorderMouseDown(button, screen);
}

// The right button leaves the press to the context menu; the others start a move, except on
// the taskbar.
void Tf_Main::s_BorderMouseDown(UINT button, POINT screen) {
    if (button == WM_RBUTTONDOWN || docked_)
        return;
    BeginDrag(screen);
}

// The window follows the pointer until the button is released. The window moves itself
// rather than through the system's move command, whose variants behave differently between
// platforms; snapping applies all the same, since it works on every position change.
void Tf_Main::BeginDrag(POINT screen) {
    RECT rc;
    ::GetWindowRect(Handle(), &rc);
    dragStartCursor_ = screen;
    dragStartWindow_ = {rc.left, rc.top};
    dragging_ = true;
    ::SetCapture(Handle());
}

void Tf_Main::DragTo(POINT screen) {
    int left = dragStartWindow_.x + (screen.x - dragStartCursor_.x);
    int top = dragStartWindow_.y + (screen.y - dragStartCursor_.y);
    ::SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The position is stored after every press, also when the window did not move.
void Tf_Main::EndDrag() {
    dragging_ = false;
    if (::GetCapture() == Handle())
        ::ReleaseCapture();
    RECT rc;
    ::GetWindowRect(Handle(), &rc);
    WriteInt(config_, cfg::kTop, rc.top);
    WriteInt(config_, cfg::kLeft, rc.left);
}

// Docked, the place is the taskbar's, outside the work area the edges snap to.
void Tf_Main::SnapWindowPos(WINDOWPOS& pos) {
    if ((pos.flags & SWP_NOMOVE) || docked_)
        return;
    RECT rc;
    ::GetWindowRect(Handle(), &rc);
    int width = (pos.flags & SWP_NOSIZE) ? rc.right - rc.left : pos.cx;
    int height = (pos.flags & SWP_NOSIZE) ? rc.bottom - rc.top : pos.cy;
    RECT target{pos.x, pos.y, pos.x + width, pos.y + height};
    SnapPosition(pos.x, pos.y, width, height,
                 WorkAreaOf(::MonitorFromRect(&target, MONITOR_DEFAULTTONEAREST)));
}

// A place remembered on a monitor that is gone (unplugged: top = -32768) is on none at all;
// such a window comes back into the primary monitor's work area. A window still partly on a
// monitor stays where it is.
void Tf_Main::KeepOnAMonitor() {
    RECT rc;
    if (!::GetWindowRect(Handle(), &rc) || ::MonitorFromRect(&rc, MONITOR_DEFAULTTONULL))
        return;
    int left = rc.left, top = rc.top;
    MoveIntoWorkArea(left, top, rc.right - rc.left, rc.bottom - rc.top,
                     WorkAreaOf(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY)));
    ::SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Tf_Main::OnContextMenu(HWND, POINT screen) {
    if (screen.x == -1 && screen.y == -1) { // from the keyboard: at the window's corner
        RECT rc;
        ::GetWindowRect(Handle(), &rc);
        screen = {rc.left, rc.top};
    }
    ::SetForegroundWindow(Handle());
    ::TrackPopupMenu(PopupMenu->Menu(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                     Handle(), nullptr);
    ::PostMessageA(Handle(), WM_NULL, 0, 0);
}

void Tf_Main::OnCommand(int id, int, HWND) {
    // One modal window at a time: asked again (the tray's double click, a shortcut), the open
    // one comes forward instead of a second one opening inside it. History, not modal itself,
    // waits for an open one as well.
    bool opensDialog =
        id == IDM_SETTINGS || id == IDM_ABOUT || id == IDM_CHECKUPDATES || id == IDM_HISTORY;
    if (opensDialog && TApplication::Instance().BringModalToFront())
        return;
    switch (id) {
    case IDM_SETTINGS:
        Settings1Click();
        break;
    case IDM_ABOUT:
        About1Click();
        break;
    case IDM_HISTORY:
        History1Click();
        break;
    case IDM_CHECKUPDATES:
        CheckforUpdates1Click();
        break;
    case IDM_MINIMIZE:
        Minimize1Click();
        break;
    case IDM_CLOSE:
        Close1Click();
        break;
    case IDM_DOCK:
        OnTheTaskbar1Click();
        break;
    default:
        break;
    }
}

// Whether confirmed or cancelled, the settings are applied again and the monitor restarted.
void Tf_Main::Settings1Click() {
    ShowSettingsDialog(Handle());
    Initialize();
}

void Tf_Main::About1Click() {
    ShowAboutDialog(Handle());
}

// One History window: asked again, the open one comes to the front, restored if minimised.
void Tf_Main::History1Click() {
    if (history_ && history_->Handle()) {
        BringToFront(history_->Handle());
        return;
    }
    history_ = std::make_unique<Tf_History>(Handle(), config_);
    history_->Show();
}

void Tf_Main::CheckforUpdates1Click() {
    ShowUpdateDialog(Handle());
}

// The icon shows whatever "gototray" says; with it, the tray icon hides the window as well.
void Tf_Main::Minimize1Click() {
    if (docked_) { // a minimized tool window would sit at the desktop's corner
        dockTucked_ = true;
        ::ShowWindow(Handle(), SW_HIDE);
    } else {
        ::ShowWindow(Handle(), SW_MINIMIZE);
    }
    TrayIcon->SetIconVisible(true);
}

void Tf_Main::Close1Click() {
    ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

// The icon stays hidden until the next "Minimize" or the next Initialize.
void Tf_Main::TrayIconClick() {
    if (docked_) {
        dockTucked_ = false;
        PlaceDocked();
    } else {
        ::ShowWindow(Handle(), SW_RESTORE);
    }
    TrayIcon->SetIconVisible(false);
    if (!docked_)
        ApplicationEvents1Restore();
}

void Tf_Main::ApplicationEvents1Restore() {
    wasMinimized_ = false;
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
    ::BringWindowToTop(Handle());
}

// A second copy started in this folder hands over to this one: out of the tray if need be.
void Tf_Main::ShowRunningCopy() {
    if (::IsIconic(Handle()) || !::IsWindowVisible(Handle()))
        TrayIconClick();
    else
        ApplicationEvents1Restore();
    TApplication::Instance().BringModalToFront();
}

void Tf_Main::FormActivate() {
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Tf_Main::CreateTrayIcon() {
    TrayIcon = std::make_unique<TCoolTrayIcon>(Handle());
    TrayIcon->SetIconLoader(LoadProgramIcon);
    TrayIcon->SetPopupMenu(PopupMenu->Menu(), Handle());
    TrayIcon->OnClick = [this] { TrayIconClick(); };
}
