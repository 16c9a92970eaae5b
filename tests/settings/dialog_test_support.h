// Helpers for the tests that create the settings dialog and the about box in this process:
// a private temporary folder, answering message boxes and pickers from a second thread, and
// screenshots of a window.
#pragma once
#include "../support/test_files.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace dialogtest {

// Common controls and the dispatcher the adapter monitor calls into, once per process.
void EnsureApplication();

using testsupport::ReadBytes;
using testsupport::TTempFolder;
using testsupport::WriteBytes;
bool FileExists(const std::string& path);

// Waits on a second thread for a top-level dialog window of the user-interface thread (a
// message box or a picker) whose caption passes the filter, hands it to act (on that thread)
// and then posts the answer command. Join() reports whether one was found.
class TDialogAnswerer {
  public:
    using TAction = std::function<void(HWND box)>;
    TDialogAnswerer(std::function<bool(const std::string& caption)> filter, int answer,
                    TAction act = nullptr);
    ~TDialogAnswerer();
    bool Join();
    const std::string& Caption() const { return caption_; }
    const std::string& Text() const { return text_; }

  private:
    void Run(DWORD uiThread);
    std::function<bool(const std::string&)> filter_;
    int answer_;
    TAction act_;
    std::string caption_;
    std::string text_; // the message box's text
    std::atomic<bool> found_{false};
    std::thread thread_;
};

// Text of a window.
std::string WindowText(HWND window);

// Saves the window as it shows on the screen to <CORVANE_SHOTS>/<name>.bmp when that
// variable names a folder; returns the file's path or an empty text.
std::string SaveScreenshot(HWND window, const std::string& name);

// Dispatches what is queued for this thread.
void PumpPending();

} // namespace dialogtest
