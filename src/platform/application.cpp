// TApplication: error box, message loop and the cross-thread dispatcher.
#include "platform/application.h"
#include "platform/error_text.h"
#include "platform/wide_text.h"
#include "platform/window.h"

#include <commctrl.h>

namespace {
constexpr UINT kRunMessage = WM_APP + 1;
}

// A message-only window on the user-interface thread; SendMessage to it runs a call there.
class TUiDispatcher : public TMessageWindow {
  public:
    TUiDispatcher() { CreateMessageWindow("CorvaneUiDispatcher"); }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != kRunMessage)
            return DefaultHandling(msg, wParam, lParam);
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 1;
    }
};

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
    dispatcher_ = new TUiDispatcher;
}

void TApplication::ShowException(const std::exception& error) {
    // Error texts are UTF-8: they may name a file in a folder of any script.
    ::MessageBoxW(nullptr, WideFromUtf8(ErrorBoxText(error.what())).c_str(),
                  WideFromUtf8(title_).c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
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
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool TApplication::RunOnUiThread(const std::function<void()>& fn) {
    if (IsUiThread()) {
        fn();
        return true;
    }
    HWND target = dispatcher_ ? dispatcher_->Handle() : nullptr;
    if (!target)
        return false;
    DWORD_PTR result = 0;
    // SendMessageTimeout with SMTO_BLOCK|SMTO_NOTIMEOUTIFNOTHUNG would give up on a hung
    // thread; a plain wait matches the caller's contract and returns 0 once the window is gone.
    result = ::SendMessageA(target, kRunMessage, 0, reinterpret_cast<LPARAM>(&fn));
    return result == 1;
}
