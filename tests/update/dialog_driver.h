// Drives the modal update dialog from a second thread, as a user would: finds the dialog and
// its message boxes among the test thread's windows, reads them, and answers them.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// What a message box shows.
struct TBoxView {
    HWND Window = nullptr;
    std::string Caption;
    std::string Text;
    LPCSTR Icon = nullptr; // IDI_INFORMATION, IDI_WARNING, IDI_QUESTION, IDI_ERROR or null
    bool Ok = false, Yes = false, No = false, Cancel = false; // the buttons shown
};

class TDialogDriver {
  public:
    explicit TDialogDriver(DWORD uiThread) : uiThread_(uiThread) {}

    // Waits (in bounded rounds of 50 ms) for a visible top-level window of the test thread.
    HWND WaitForWindow(const char* className, const char* caption, int rounds = 600);
    HWND WaitForBox(const char* caption) { return WaitForWindow("#32770", caption); }
    // Any message box of the test thread that is showing now.
    HWND AnyBox();
    bool WaitUntil(const std::function<bool()>& done, int rounds = 600);
    bool WaitGone(HWND window) {
        return WaitUntil([window] { return !::IsWindow(window); });
    }

    TBoxView Describe(HWND box);
    void Answer(HWND box, int buttonId);
    void Click(HWND dialog, int controlId);

    static std::string Text(HWND window);

  private:
    DWORD uiThread_;
};
