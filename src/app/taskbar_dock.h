// The taskbar as the docked meter sees it: the facts PlaceOnTaskbar decides from, and the
// shell's events that call for deciding again, posted to the meter's window.
#pragma once
#include "platform/handle.h"
#include "platform/taskbar_placement.h"

namespace handle_detail {
inline void UnhookEvent(HWINEVENTHOOK h) {
    ::UnhookWinEvent(h);
}
} // namespace handle_detail
using TWinEventHookHandle =
    TUniqueHandle<handle_detail::NullTraits<HWINEVENTHOOK, handle_detail::UnhookEvent>>;

class TTaskbarDock {
  public:
    // Posts changedMessage to window, with the WinEvent as wParam: EVENT_SYSTEM_FOREGROUND when
    // another window came forward, EVENT_OBJECT_LOCATIONCHANGE when the taskbar moved.
    TTaskbarDock(HWND window, UINT changedMessage);
    ~TTaskbarDock();
    TTaskbarDock(const TTaskbarDock&) = delete;
    TTaskbarDock& operator=(const TTaskbarDock&) = delete;

    // Watches the current taskbar; a recreated one lives on another thread.
    void Rehook();
    // The taskbar, its notification area, its monitor and the program's tray icon now; the
    // text's sizes are the caller's to fill in.
    TTaskbarScene Scene(HWND iconWindow, UINT iconId) const;
    // A full-screen program or a presentation holds the screen: the meter steps aside.
    static bool ScreenTaken();
    // Windows' taskbar is light (SystemUsesLightTheme); dark where it says nothing.
    static bool LightTaskbar();

  private:
    TWinEventHookHandle taskbarHook_;
    TWinEventHookHandle foregroundHook_;
};
