// The process-wide application: its title, the handler for unhandled errors, the message
// loop, and the user-interface thread's dispatcher that worker threads call into.
#pragma once
#include <windows.h>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TUiDispatcher;

// Shows the errors of one repeating operation (a timer's work) one box at a time: while the box
// of one failure is open, further failures show nothing and the operation goes on trying.
// Once per cause, a failure is shown once: again only after the operation succeeded, or when
// it fails with another text.
class TErrorBoxOnce {
  public:
    enum TRepeat { kEachTime, kOncePerCause };
    explicit TErrorBoxOnce(TRepeat repeat = kEachTime) : repeat_(repeat) {}

    template <typename Fn> void Run(Fn&& operation) {
        try {
            operation();
            shown_.clear();
        } catch (const std::exception& error) {
            Show(error);
        }
    }

  private:
    void Show(const std::exception& error);
    const TRepeat repeat_;
    bool showing_ = false;
    std::string shown_; // once per cause: the text shown since the last success
};

class TApplication {
  public:
    static TApplication& Instance();

    // On the user-interface thread, before any window: common controls and the dispatcher.
    void Initialize();
    void SetTitle(const std::string& title) { title_ = title; }
    const std::string& Title() const { return title_; }

    // The error box: error icon, OK, the title as caption, the text with its full stop; owned
    // by owner when one is given, else modal to every window of the thread.
    void ShowException(const std::exception& error, HWND owner = nullptr);

    // Keyboard shortcuts of the main window, translated while it has the focus.
    void SetAccelerators(HWND target, HACCEL table);

    // Runs the message loop until WM_QUIT; returns its exit code.
    int Run();
    // Dialog keyboard handling (Tab, arrow keys, Enter, Escape, mnemonics) for a message to one
    // of the program's dialogs or their controls, modal or not; true when it took the message.
    static bool DialogMessage(MSG& msg);

    // Modal windows of the user-interface thread, counted while they run: dialogs by their
    // window, message boxes without one.
    class TModalRun {
      public:
        explicit TModalRun(HWND dialog = nullptr);
        ~TModalRun();
        TModalRun(const TModalRun&) = delete;
        TModalRun& operator=(const TModalRun&) = delete;
    };
    bool ModalOpen() const { return !modals_.empty(); }
    // Posted to a counted dialog: end as its Cancel button would, without asking anything.
    static UINT CancelModalMessage();
    // Ends every open modal window as Cancel would, then posts WM_CLOSE to target once the
    // last of them has gone.
    void CloseAfterModals(HWND target);
    // Brings the innermost open modal window forward; false when none is open. Windows of their
    // own (History), which no modal window disables, are not among them.
    bool BringModalToFront() const;

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
    std::vector<HWND> modals_; // innermost last; null for a message box
    HWND closeAfterModals_ = nullptr;
    TUiDispatcher* dispatcher_ = nullptr; // lives as long as the process
};
