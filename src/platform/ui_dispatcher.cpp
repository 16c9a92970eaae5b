// TUiDispatcher: runs calls from worker threads on the user-interface thread.
#include "platform/ui_dispatcher.h"

namespace {
constexpr UINT kRunMessage = WM_APP + 1;
} // namespace

TUiDispatcher::TUiDispatcher() {
    CreateMessageWindow("CorvaneUiDispatcher");
}

bool TUiDispatcher::Run(const std::function<void()>& fn) const {
    HWND target = Handle();
    if (!target)
        return false;
    // SendMessageTimeout with SMTO_BLOCK|SMTO_NOTIMEOUTIFNOTHUNG would give up on a hung
    // thread; a plain wait matches the caller's contract and returns 0 once the window is gone.
    return ::SendMessageA(target, kRunMessage, 0, reinterpret_cast<LPARAM>(&fn)) == 1;
}

LRESULT TUiDispatcher::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kRunMessage)
        return DefaultHandling(msg, wParam, lParam);
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 1;
}
