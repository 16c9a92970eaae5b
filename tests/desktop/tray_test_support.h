// Helpers for the tray icon tests: a recorder that stands in for the shell's notification
// entry point, and a plain window that records the messages the component posts to it.
#pragma once
#include "desktop/cool_tray_icon.h"

#include <cstring>
#include <string>
#include <vector>

// Records every Shell_NotifyIconA request and answers with Result.
class TShellRecorder {
  public:
    struct TCall {
        DWORD Message;
        NOTIFYICONDATAA Data;
        std::string Tip() const { return std::string(Data.szTip, strnlen(Data.szTip, 128)); }
    };

    TCoolTrayIcon::TShellNotify Function();
    int Count(DWORD message, UINT id) const;
    const TCall& Last() const { return Calls.back(); }

    std::vector<TCall> Calls;
    BOOL Result = TRUE;
};

// An unframed pop-up window that records WM_COMMAND ids, WM_NULL, WM_SIZE and the WM_APP
// sentinel. Without a window manager Wine waits about 2 s when it hides a shown window, so
// only the tests that need a visible one ask for it.
class TRecordingWindow {
  public:
    struct TEntry {
        UINT Message;
        WPARAM WParam;
    };

    explicit TRecordingWindow(bool visible);
    TRecordingWindow(const TRecordingWindow&) = delete;
    TRecordingWindow& operator=(const TRecordingWindow&) = delete;
    ~TRecordingWindow();

    HWND Handle() const { return window_.get(); }
    // Posts WM_APP and pumps until it arrives: everything posted before it has arrived too.
    bool Sync();
    std::vector<UINT> Commands() const;
    int Count(UINT message) const;

    std::vector<TEntry> Entries;

  private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    TWindowHandle window_;
};

// Sends the callback the shell would send for a mouse message on the icon.
void ShellCallback(const TCoolTrayIcon& icon, UINT mouseMessage);
// A small monochrome icon of the given edge length.
HICON MakeTestIcon(int sizePx);
// Edge length of an icon's picture, 0 when it has none.
int IconSize(HICON icon);
