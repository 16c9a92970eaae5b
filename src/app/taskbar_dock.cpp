// TTaskbarDock: what the shell reports about the taskbar, and its events out of context.
#include "app/taskbar_dock.h"
#include "platform/dpi.h"
#include "platform/window.h"

#include <shellapi.h>

namespace {

// A WinEvent callback carries no context of its own: the one docked meter of the process.
struct TDockTarget {
    HWND Window = nullptr;
    UINT Message = 0;
    HWND Taskbar = nullptr;
};
TDockTarget target;

HWND FindTaskbar() {
    return ::FindWindowA("Shell_TrayWnd", nullptr);
}

TRectI ToRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The rectangle of a visible window, empty for a hidden or missing one.
TRectI VisibleRect(HWND window) {
    RECT r{};
    if (!window || !::IsWindowVisible(window) || !::GetWindowRect(window, &r))
        return {};
    return ToRect(r);
}

// Calls on the hooking thread, from its message loop.
void CALLBACK TaskbarEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD,
                           DWORD) {
    if (!target.Window || object != OBJID_WINDOW)
        return;
    // The taskbar or one of its parts (the notification area growing) moved.
    if (event == EVENT_OBJECT_LOCATIONCHANGE && window != target.Taskbar &&
        !::IsChild(target.Taskbar, window))
        return;
    ::PostMessageA(target.Window, target.Message, event, 0);
}

TWinEventHookHandle Hook(DWORD event, DWORD process, DWORD thread) {
    TWinEventHookHandle hook(::SetWinEventHook(event, event, nullptr, TaskbarEvent, process,
                                               thread, WINEVENT_OUTOFCONTEXT |
                                                           WINEVENT_SKIPOWNPROCESS));
    if (!hook)
        RaiseLastWin32Error("SetWinEventHook");
    return hook;
}

} // namespace

TTaskbarDock::TTaskbarDock(HWND window, UINT changedMessage) {
    target = {window, changedMessage, nullptr};
    foregroundHook_ = Hook(EVENT_SYSTEM_FOREGROUND, 0, 0);
    Rehook();
}

TTaskbarDock::~TTaskbarDock() {
    target = {};
}

// No taskbar (the shell restarting) leaves nothing to watch until "TaskbarCreated".
void TTaskbarDock::Rehook() {
    taskbarHook_.reset();
    target.Taskbar = FindTaskbar();
    DWORD process = 0;
    if (target.Taskbar && ::GetWindowThreadProcessId(target.Taskbar, &process))
        taskbarHook_ = Hook(EVENT_OBJECT_LOCATIONCHANGE, process, 0);
}

TTaskbarScene TTaskbarDock::Scene(HWND iconWindow, UINT iconId) const {
    TTaskbarScene scene;
    APPBARDATA bar{};
    bar.cbSize = sizeof bar;
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &bar) && bar.uEdge <= ABE_BOTTOM) {
        scene.Edge = static_cast<TTaskbarEdge>(bar.uEdge);
        scene.ShellRect = ToRect(bar.rc);
    }
    scene.AutoHide = (::SHAppBarMessage(ABM_GETSTATE, &bar) & ABS_AUTOHIDE) != 0;
    const HWND taskbar = FindTaskbar();
    scene.WindowRect = VisibleRect(taskbar);
    if (taskbar)
        scene.NotifyRect = VisibleRect(::FindWindowExA(taskbar, nullptr, "TrayNotifyWnd", nullptr));
    NOTIFYICONIDENTIFIER icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = iconWindow;
    icon.uID = iconId;
    RECT iconRect{};
    if (iconWindow && SUCCEEDED(::Shell_NotifyIconGetRect(&icon, &iconRect)))
        scene.IconRect = ToRect(iconRect);

    const TRectI& barRect = scene.WindowRect.Width() > 0 ? scene.WindowRect : scene.ShellRect;
    const RECT onScreen{barRect.Left, barRect.Top, barRect.Right, barRect.Bottom};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (::GetMonitorInfoA(::MonitorFromRect(&onScreen, MONITOR_DEFAULTTOPRIMARY), &monitor))
        scene.Monitor = ToRect(monitor.rcMonitor);
    scene.Dpi = WindowDpi(taskbar);
    // An auto-hidden bar keeps a sliver of a pixel or two on the screen.
    RECT shown{};
    const int thickness = !::IntersectRect(&shown, &onScreen, &monitor.rcMonitor) ? 0
                          : scene.Edge == TTaskbarEdge::Left || scene.Edge == TTaskbarEdge::Right
                              ? shown.right - shown.left
                              : shown.bottom - shown.top;
    scene.HiddenNow = thickness <= 2;
    return scene;
}

bool TTaskbarDock::ScreenTaken() {
    QUERY_USER_NOTIFICATION_STATE state{};
    if (FAILED(::SHQueryUserNotificationState(&state)))
        return false;
    return state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN ||
           state == QUNS_PRESENTATION_MODE;
}

bool TTaskbarDock::LightTaskbar() {
    DWORD value = 0, size = sizeof value;
    return ::RegGetValueA(HKEY_CURRENT_USER,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                          "SystemUsesLightTheme", RRF_RT_REG_DWORD, nullptr, &value,
                          &size) == ERROR_SUCCESS &&
           value != 0;
}
