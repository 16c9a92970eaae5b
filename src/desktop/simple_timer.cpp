// TSimpleTimer and its shared hidden window TSimpleTimerHandler.
#include "desktop/simple_timer.h"
#include "platform/window.h"

#include <memory>
#include <unordered_map>
#include <utility>

// One per process while any timer lives. Ticks are looked up among the live timers, so a
// late WM_TIMER for a destroyed timer, or any unknown id, is dropped.
class TSimpleTimerHandler : public TMessageWindow {
  public:
    TSimpleTimerHandler() { CreateMessageWindow("CorvaneSimpleTimer"); }

    void Add(TSimpleTimer* timer) { timers_[timer->TimerId()] = timer; }
    void Remove(TSimpleTimer* timer) { timers_.erase(timer->TimerId()); }
    size_t Count() const { return timers_.size(); }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != WM_TIMER)
            return DefaultHandling(msg, wParam, lParam);
        auto it = timers_.find(static_cast<UINT_PTR>(wParam));
        // The tick may destroy the timer, even the last one and with it this window.
        if (it != timers_.end())
            it->second->Tick();
        return 0;
    }

  private:
    std::unordered_map<UINT_PTR, TSimpleTimer*> timers_;
};

// Destroyed at unit finalisation if a timer was never freed.
static std::unique_ptr<TSimpleTimerHandler> TimerHandler;

static void AcquireTimerWindow(TSimpleTimer* timer) {
    if (!TimerHandler)
        TimerHandler = std::make_unique<TSimpleTimerHandler>();
    TimerHandler->Add(timer);
}

static void ReleaseTimerWindow(TSimpleTimer* timer) {
    if (!TimerHandler)
        return;
    TimerHandler->Remove(timer);
    if (TimerHandler->Count() == 0)
        TimerHandler.reset();
}

HWND SimpleTimerWindow() {
    return TimerHandler ? TimerHandler->Handle() : nullptr;
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
