// Tf_Main: creation, the update cycle and shutdown.
#include "app/main_form.h"
#include "app/constants.h"
#include "log/usage_log.h"
#include "platform/application.h"
#include "platform/file_io.h"
#include "settings/mem_ini_file.h"

namespace {
constexpr UINT_PTR kTimerUpdate = 1;
constexpr UINT_PTR kTimerAutoSave = 2;
constexpr int kDefaultBackground = 12937777;
} // namespace

Tf_Main::Tf_Main(TMemIniFile& config) : config_(config) { CreateNativeWindow(); }

void Tf_Main::CreateNativeWindow() {
    TWindowSpec spec;
    spec.ClassName = "TCorvaneMain";
    spec.Caption = kProductName;
    spec.Style = WS_POPUP | WS_CLIPCHILDREN;
    spec.X = 5;
    spec.Y = 5;
    spec.Width = 180;
    spec.Height = 228;
    if (config_.QueryFlag("display", "dropshadow", true)) spec.ClassStyle |= CS_DROPSHADOW;
    CreateHandle(spec);
    background_.reset(::CreateSolidBrush(static_cast<COLORREF>(kDefaultBackground)));
    if (!::SetTimer(Handle(), kTimerUpdate, 1000, nullptr)) RaiseLastWin32Error("SetTimer");
    if (!::SetTimer(Handle(), kTimerAutoSave, 60000, nullptr)) RaiseLastWin32Error("SetTimer");
}

void Tf_Main::FormCreate() {
    PlaceFromStore();
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
    Initialize();
    DeleteFileQuietly(ExecutableDirectory() + "setup.exe");
}

// Top and left from the store; beyond the primary screen's size they go to 0.
void Tf_Main::PlaceFromStore() {
    int top = config_.QueryInt("display", "top", 5);
    int left = config_.QueryInt("display", "left", 5);
    if (::GetSystemMetrics(SM_CYSCREEN) < top) top = 0;
    if (::GetSystemMetrics(SM_CXSCREEN) < left) left = 0;
    ::SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Tf_Main::Initialize() { ApplyDisplaySettings(); }

void Tf_Main::ApplyDisplaySettings() {
    int width = config_.QueryInt("display", "width", 180);
    int height = config_.QueryInt("display", "height", 228);
    ::SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Tf_Main::WriteStatistics() {}

void Tf_Main::timerUpdateTimer() { WriteStatistics(); }

void Tf_Main::timerAutoSaveTimer() { SaveLog(); }

// The log first, then the configuration; a failure keeps the window open and running.
void Tf_Main::FormClose() {
    SaveLog();
    config_.FlushToFile();
    DestroyHandle();
}

// Windows is ending the session: nothing may be lost, and nobody is there to read an error.
void Tf_Main::SaveOnEndSession() {
    try {
        SaveLog();
    } catch (const std::exception&) {
    }
    try {
        config_.FlushToFile();
    } catch (const std::exception&) {
    }
}

LRESULT Tf_Main::EraseBackground(HDC dc) {
    RECT rc;
    ::GetClientRect(Handle(), &rc);
    ::FillRect(dc, &rc, background_.get());
    return 1;
}

LRESULT Tf_Main::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kTimerUpdate) timerUpdateTimer();
        else if (wParam == kTimerAutoSave) timerAutoSaveTimer();
        return 0;
    case WM_ERASEBKGND:
        return EraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_CLOSE:
        FormClose();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) SaveOnEndSession();
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return DefaultHandling(msg, wParam, lParam);
    }
}
