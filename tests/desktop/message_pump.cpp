// The tests' message loop helper.
#include "message_pump.h"

namespace {
constexpr DWORD kRoundMs = 25;
}

void PumpPending() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, int maxRounds) {
    for (int round = 0; round < maxRounds; ++round) {
        PumpPending();
        if (done())
            return true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kRoundMs, QS_ALLINPUT);
    }
    PumpPending();
    return done();
}
