// TSimpleTimer and its shared hidden window TSimpleTimerHandler.
#include "desktop/simple_timer.h"
#include "desktop/shared_handler_window.h"

#include <utility>

// One per process while any timer lives. Ticks are looked up among the live timers, so a
// late WM_TIMER for a destroyed timer, or any unknown id, is dropped.
class TSimpleTimerHandler : public TSharedHandlerWindow<TSimpleTimerHandler, TSimpleTimer> {
  public:
    TSimpleTimerHandler() { CreateMessageWindow("CorvaneSimpleTimer"); }

  protected:
    void OnTimer(UINT_PTR id) override {
        // The tick may destroy the timer, even the last one and with it this window.
        if (TSimpleTimer* timer = Find(id))
            timer->Tick();
    }
};

static void AcquireTimerWindow(TSimpleTimer* timer) {
    TSimpleTimerHandler::Shared().Add(timer->TimerId(), timer);
}

static void ReleaseTimerWindow(TSimpleTimer* timer) {
    TSimpleTimerHandler::Release(timer->TimerId());
}

HWND SimpleTimerWindow() {
    TSimpleTimerHandler* handler = TSimpleTimerHandler::Current();
    return handler ? handler->Handle() : nullptr;
}

TSimpleTimer::TSimpleTimer() : TSimpleTimer(1000, nullptr) {}

TSimpleTimer::TSimpleTimer(UINT intervalMs, TTickEvent onTick)
    : TimerId_(reinterpret_cast<UINT_PTR>(this)), IntervalMs_(intervalMs) {
    SetOnTick(std::move(onTick));
    AcquireTimerWindow(this);
}

TSimpleTimer::~TSimpleTimer() {
    if (Active_)
        StopTimer(true);
    ReleaseTimerWindow(this);
}

bool TSimpleTimer::StartTimer() {
    if (IntervalMs_ == 0)
        return false;
    if (Active_)
        StopTimer(true);
    // A second SetTimer with the same window and id would replace the first one anyway.
    if (!::SetTimer(SimpleTimerWindow(), TimerId_, IntervalMs_, nullptr))
        return false;
    Active_ = true;
    return true;
}

bool TSimpleTimer::StopTimer(bool clearActive) {
    if (clearActive)
        Active_ = false;
    return ::KillTimer(SimpleTimerWindow(), TimerId_) != FALSE;
}

void TSimpleTimer::SetActive(bool value) {
    if (value)
        StartTimer();
    else
        StopTimer(true);
}

void TSimpleTimer::SetIntervalMs(UINT value) {
    if (value == IntervalMs_)
        return;
    IntervalMs_ = value;
    if (!Active_)
        return;
    if (value != 0)
        StartTimer();
    else
        StopTimer(false);
}

void TSimpleTimer::SetOnTick(TTickEvent handler) {
    OnTick_ = std::move(handler);
    if (!OnTick_ && Active_)
        StopTimer(false);
}

void TSimpleTimer::Tick() {
    // A copy: the handler may destroy this timer and with it OnTick_.
    TTickEvent handler = OnTick_;
    if (handler)
        handler(*this);
}
