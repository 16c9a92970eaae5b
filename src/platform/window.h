// Base of every window class: binds the C++ object to its HWND at WM_NCCREATE and hands each
// message to HandleMessage. An error escaping a handler goes to the application's error box.
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
    HICON Icon = nullptr;
    HICON SmallIcon = nullptr;
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
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// A hidden window that only receives messages (timers, tray callbacks, socket notifications).
// Message-only windows miss broadcasts such as "TaskbarCreated"; pass topLevel for those.
class TMessageWindow : public TWindow {
  protected:
    void CreateMessageWindow(const char* className, bool topLevel = false);
};

// Raises std::runtime_error with the system's text for GetLastError(), naming the call.
[[noreturn]] void RaiseLastWin32Error(const char* what);
