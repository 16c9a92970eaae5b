// A worker thread that starts after its object is fully constructed, with a stop flag,
// optional freeing of itself when it ends, and calls into the user-interface thread.
#pragma once
#include <atomic>
#include <functional>
#include <utility>

class TThread {
  public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Sets the stop flag and returns at once; nobody waits for the thread.
    void RequestStop() { stopRequested_.store(true); }
    bool StopRequested() const { return stopRequested_.load(); }

    // Constructs a T and only then starts its thread.
    template <typename T, typename... Args> static T* Launch(Args&&... args) {
        T* thread = new T(std::forward<Args>(args)...);
        thread->Start();
        return thread;
    }

  protected:
    TThread() = default;
    virtual ~TThread() = default;
    virtual void ThreadBody() = 0;
    // When set before the thread starts, the object deletes itself when ThreadBody returns.
    void SetFreeWhenDone(bool value) { freeWhenDone_ = value; }
    // Runs fn on the user-interface thread and waits; false when that thread is gone.
    bool RunOnUiThread(const std::function<void()>& fn);

  private:
    void Start();
    std::atomic<bool> stopRequested_{false};
    bool freeWhenDone_ = false;
};
