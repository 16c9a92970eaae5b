// TSimpleTimer: a periodic timer without a window of its own; all timers share one hidden
// message window that receives the system's WM_TIMER messages and hands each to its timer.
#pragma once
#include <windows.h>
#include <functional>

class TSimpleTimer {
  public:
    using TTickEvent = std::function<void(TSimpleTimer& sender)>;

    // Both leave the timer stopped; the first timer creates the shared window.
    TSimpleTimer();
    TSimpleTimer(UINT intervalMs, TTickEvent onTick);
    // The id is the object's address, so a timer can be neither copied nor moved.
    TSimpleTimer(const TSimpleTimer&) = delete;
    TSimpleTimer& operator=(const TSimpleTimer&) = delete;
    ~TSimpleTimer();

    // Starts or restarts the period. False when IntervalMs is 0 or the system refuses.
    bool StartTimer();
    // Removes the system timer; clearActive false pauses with Active still set.
    // Returns whether a system timer was removed.
    bool StopTimer(bool clearActive);
    void SetActive(bool value);
    // A new non-zero value restarts a running timer; 0 pauses it.
    void SetIntervalMs(UINT value);
    // Clearing the handler pauses a running timer.
    void SetOnTick(TTickEvent handler);

    bool Active() const { return Active_; }
    UINT IntervalMs() const { return IntervalMs_; }
    UINT_PTR TimerId() const { return TimerId_; }

  private:
    friend class TSimpleTimerHandler;
    void Tick();

    UINT_PTR TimerId_;
    bool Active_ = false;
    UINT IntervalMs_;
    TTickEvent OnTick_;
};

// The shared window while any timer lives, else null.
HWND SimpleTimerWindow();
