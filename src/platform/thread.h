// A worker thread that starts after its object is fully constructed, with a stop request that
// also ends a wait at once, optional freeing of itself when it ends, and calls into the
// user-interface thread.
#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <utility>

class TThread {
  public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Sets the stop flag, ends a WaitForStop under way and returns at once; nobody waits for
    // the thread.
    void RequestStop();
    bool StopRequested() const;

    // Constructs a T and only then starts its thread.
    template <typename T, typename... Args> static T* Launch(Args&&... args) {
        T* thread = new T(std::forward<Args>(args)...);
        try {
            thread->Start();
        } catch (...) { // no thread to free it
            delete static_cast<TThread*>(thread);
            throw;
        }
        return thread;
    }

  protected:
    TThread();
    virtual ~TThread();
    virtual void ThreadBody() = 0;
    // When set before the thread starts, the object deletes itself when ThreadBody returns.
    void SetFreeWhenDone(bool value) { freeWhenDone_ = value; }
    // Runs fn on the user-interface thread and waits; false when that thread is gone.
    bool RunOnUiThread(const std::function<void()>& fn);
    // Sleeps for the time given, or less when a stop is requested; true when it was.
    bool WaitForStop(std::chrono::milliseconds timeout) const;

  private:
    struct TStopSignal;
    void Start();
    // Shared, so that RequestStop can still signal after the thread, seeing the flag, has
    // ended and freed this object.
    std::shared_ptr<TStopSignal> stop_;
    bool freeWhenDone_ = false;
};
