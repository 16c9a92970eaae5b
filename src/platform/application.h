// The process-wide application: its title, the handler for unhandled errors, the message
// loop, and the user-interface thread's dispatcher that worker threads call into.
#pragma once
#include <windows.h>
#include <exception>
#include <functional>
#include <memory>
#include <string>

class TUiDispatcher;

class TApplication {
  public:
    static TApplication& Instance();

    // On the user-interface thread, before any window: common controls and the dispatcher.
    void Initialize();
    void SetTitle(const std::string& title) { title_ = title; }
    const std::string& Title() const { return title_; }

    // The error box: error icon, OK, the title as caption, the text with its full stop.
    void ShowException(const std::exception& error);

    // Keyboard shortcuts of the main window, translated while it has the focus.
    void SetAccelerators(HWND target, HACCEL table);

    // Runs the message loop until WM_QUIT; returns its exit code.
    int Run();

    // Runs fn on the user-interface thread and waits for it, also while a modal dialog or
    // message box runs there. False when the user-interface thread no longer takes calls.
    bool RunOnUiThread(const std::function<void()>& fn);
    bool IsUiThread() const { return ::GetCurrentThreadId() == uiThreadId_; }

  private:
    TApplication() = default;
    std::string title_;
    DWORD uiThreadId_ = 0;
    HWND acceleratorTarget_ = nullptr;
    HACCEL accelerators_ = nullptr;
    TUiDispatcher* dispatcher_ = nullptr; // lives as long as the process
};
