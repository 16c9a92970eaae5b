// TApplication: error box, message loop and the cross-thread dispatcher.
#include "platform/application.h"
#include "platform/error_text.h"
#include "platform/wide_text.h"
#include "platform/ui_dispatcher.h"
#include "platform/window.h"

#include <commctrl.h>
#include <objbase.h>

#include <stdexcept>
#include <utility>

namespace {
bool HasClass(HWND window, const char* name) {
    char cls[32] = "";
    return ::GetClassNameA(window, cls, sizeof cls) > 0 && lstrcmpiA(cls, name) == 0;
}

// The button that answers a system dialog (message box, picker) as Cancel would: Cancel where
// there is one, else No, else OK.
BOOL CALLBACK PressCancel(HWND window, LPARAM) {
    if (!::IsWindowVisible(window) || !HasClass(window, "#32770"))
        return TRUE;
    for (int id : {IDCANCEL, IDNO, IDOK}) {
        HWND button = ::GetDlgItem(window, id);
        if (button && ::IsWindowVisible(button)) {
            ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(button));
            break;
        }
    }
    return TRUE;
}

// The window that takes input while modal windows run: visible, enabled, with a title bar (the
// main window and tooltips have none) and not a window of its own with a taskbar button.
// Windows come in Z order, the frontmost first.
BOOL CALLBACK FindInputWindow(HWND window, LPARAM found) {
    LONG style = ::GetWindowLongA(window, GWL_STYLE);
    if (!::IsWindowVisible(window) || !::IsWindowEnabled(window) ||
        (style & WS_CAPTION) != WS_CAPTION ||
        (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_APPWINDOW))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}
} // namespace

TApplication& TApplication::Instance() {
    // Never destroyed: worker threads may still call in while the process ends.
    static TApplication* instance = new TApplication;
    return *instance;
}

void TApplication::Initialize() {
    uiThreadId_ = ::GetCurrentThreadId();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                             ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&icc);
    // An apartment of its own: what a screen reader asks of the windows' accessible objects is
    // then answered on this thread, between its messages.
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        throw std::runtime_error("COM cannot start on the user-interface thread");
    dispatcher_ = new TUiDispatcher;
}

void TApplication::ShowException(const std::exception& error, HWND owner) {
    TModalRun box;
    // Error texts are UTF-8: they may name a file in a folder of any script.
    ::MessageBoxW(owner, WideFromUtf8(ErrorBoxText(error.what())).c_str(),
                  WideFromUtf8(title_).c_str(), MB_OK | MB_ICONERROR | (owner ? 0 : MB_TASKMODAL));
}

void TErrorBoxOnce::Show(const std::exception& error) {
    if (showing_ || (repeat_ == kOncePerCause && shown_ == error.what()))
        return;
    if (repeat_ == kOncePerCause)
        shown_ = error.what();
    showing_ = true;
    struct TShowing {
        bool& flag;
        ~TShowing() { flag = false; }
    } showing{showing_};
    TApplication::Instance().ShowException(error);
}

TApplication::TModalRun::TModalRun(HWND dialog) {
    Instance().modals_.push_back(dialog);
}

TApplication::TModalRun::~TModalRun() {
    TApplication& app = Instance();
    app.modals_.pop_back();
    if (app.modals_.empty() && app.closeAfterModals_)
        ::PostMessageA(std::exchange(app.closeAfterModals_, nullptr), WM_CLOSE, 0, 0);
}

UINT TApplication::CancelModalMessage() {
    static const UINT message = ::RegisterWindowMessageA("CorvaneCancelModal");
    return message;
}

// Posted, not sent: each modal ends from its own loop once the handlers above it have returned.
void TApplication::CloseAfterModals(HWND target) {
    closeAfterModals_ = target;
    ::EnumThreadWindows(uiThreadId_, PressCancel, 0);
    for (HWND dialog : modals_) {
        if (dialog)
            ::PostMessageA(dialog, CancelModalMessage(), 0, 0);
    }
}

bool TApplication::BringModalToFront() const {
    if (modals_.empty())
        return false;
    HWND front = nullptr;
    ::EnumThreadWindows(uiThreadId_, FindInputWindow, reinterpret_cast<LPARAM>(&front));
    if (!front)
        front = modals_.back();
    if (front)
        BringToFront(front);
    return true;
}

void TApplication::SetAccelerators(HWND target, HACCEL table) {
    acceleratorTarget_ = target;
    accelerators_ = table;
}

int TApplication::Run() {
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(msg.wParam);
        if (got == -1)
            return 1;
        if (accelerators_ && ::IsWindow(acceleratorTarget_) &&
            ::GetForegroundWindow() == acceleratorTarget_ &&
            ::TranslateAcceleratorA(acceleratorTarget_, accelerators_, &msg))
            continue;
        if (DialogMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// The program's dialogs are the windows with controls to step through (WS_EX_CONTROLPARENT).
bool TApplication::DialogMessage(MSG& msg) {
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    return root && (::GetWindowLongA(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) &&
           ::IsDialogMessageA(root, &msg);
}

bool TApplication::RunOnUiThread(const std::function<void()>& fn) {
    if (IsUiThread()) {
        fn();
        return true;
    }
    return dispatcher_ && dispatcher_->Run(fn);
}
