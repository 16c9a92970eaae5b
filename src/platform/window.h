// Base of every window class: binds the C++ object to its HWND at WM_NCCREATE and hands each
// message to HandleMessage, which routes the common ones to named handlers. An error escaping a
// handler goes to the application's error box.
#pragma once
#include "platform/handle.h"

struct TWindowParams {
    const char* ClassName = nullptr;
    const char* Caption = "";
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = CW_USEDEFAULT, Y = CW_USEDEFAULT, Width = CW_USEDEFAULT, Height = CW_USEDEFAULT;
    HWND Parent = nullptr;
    UINT ClassStyle = 0;
    HBRUSH Background = nullptr;
    bool ProgramIcon = false; // the program's icon in the title bar and on the taskbar
    // OnPaint covers every pixel: WM_ERASEBKGND erases nothing, so nothing flickers.
    bool PaintsWholeClient = false;
};

class TWindow {
  public:
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    HWND Handle() const { return hwnd_; }

  protected:
    TWindow() = default;
    // Registers the class on first use (one registration per class and process) and creates
    // the window. Throws std::runtime_error when the window cannot be created.
    void CreateHandle(const TWindowParams& params);
    // Destroys the window now (no-op when it is gone already).
    void DestroyHandle();
    // Routes WM_PAINT (and WM_ERASEBKGND), WM_TIMER, WM_SIZE, WM_COMMAND, WM_CONTEXTMENU,
    // WM_CLOSE, WM_SETTINGCHANGE, WM_DPICHANGED, WM_CTLCOLOR*, WM_GETMINMAXINFO and
    // WM_THEMECHANGED to the named handlers below, everything else to DefaultHandling.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam);

    // Named handlers; each default does what the system's default handling would.
    virtual void OnPaint();
    virtual void OnTimer(UINT_PTR id);
    // kind: SIZE_MINIMIZED, SIZE_RESTORED, ...; the new client size.
    virtual void OnSize(UINT kind, int width, int height);
    virtual void OnCommand(int id, int code, HWND control);
    // screen: where the menu goes, {-1, -1} when it was asked for from the keyboard.
    virtual void OnContextMenu(HWND window, POINT screen);
    // The close box, Alt+F4 or a posted WM_CLOSE; the default destroys the window.
    virtual void OnClose();
    // A system setting changed; area names it ("ImmersiveColorSet", "intl", ...) or is null.
    // The system's default handling follows whatever this does.
    virtual void OnSettingChange(const char* area);
    // Moved to a monitor of another DPI (or its DPI changed); suggested: the window's new place.
    virtual void OnDpiChanged(int dpi, const RECT& suggested);
    // A child control (or a message box) is about to draw: kind is the WM_CTLCOLOR* message.
    // A brush to paint its ground with, having set the DC's colours; null for the default.
    virtual HBRUSH OnControlColour(HDC dc, HWND control, UINT kind);
    // The smallest (and largest) size the user may drag the window to.
    virtual void OnMinimumSize(MINMAXINFO& info);
    // Windows' visual style changed, or the program's windows changed between light, dark and
    // high contrast (TUiTheme sends WM_THEMECHANGED to its top-level windows then). The
    // system's default handling follows.
    virtual void OnThemeChanged() {}

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    bool paintsWholeClient_ = false;
};

// A hidden window that only receives messages (timers, tray callbacks, socket notifications).
// Message-only windows miss broadcasts such as "TaskbarCreated"; pass topLevel for those.
class TMessageWindow : public TWindow {
  protected:
    void CreateMessageWindow(const char* className, bool topLevel = false);
};

// Raises std::runtime_error with the system's text for GetLastError(), naming the call.
[[noreturn]] void RaiseLastWin32Error(const char* what);

// Makes a top-level window the active one, in front of the others; restored when minimised.
void BringToFront(HWND window);

// The program's icon at a size in pixels, as its windows and tray icon show it.
HICON LoadProgramIcon(int size);
