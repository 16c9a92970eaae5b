// A mutex, a condition variable and a thread for both layers. On Windows they are the system's
// own (sync_win.cpp), which keeps the C++ library's thread support and its std::system_error
// out of the program; elsewhere the standard library's (sync_posix.cpp), which the sanitizers
// know. Lock a TMutex with std::lock_guard: unique_lock's own lock and unlock can throw.
#pragma once
#include <functional>
#include <mutex>
#ifndef _WIN32
#include <condition_variable>
#include <thread>
#endif

// A BasicLockable mutex; not recursive.
class TMutex {
  public:
    constexpr TMutex() = default;
    TMutex(const TMutex&) = delete;
    TMutex& operator=(const TMutex&) = delete;

    void lock();
    void unlock();

  private:
    friend class TConditionVariable;
#ifdef _WIN32
    void* lock_ = nullptr; // an SRWLOCK: one pointer, and unlocked when zero
#else
    std::mutex lock_;
#endif
};

class TConditionVariable {
  public:
    TConditionVariable() = default;
    TConditionVariable(const TConditionVariable&) = delete;
    TConditionVariable& operator=(const TConditionVariable&) = delete;

    // Waits until ready() holds; held is the caller's locked mutex, let go while waiting.
    template <typename Ready> void Wait(TMutex& held, Ready ready) {
        while (!ready())
            WaitOnce(held);
    }
    void NotifyOne();

  private:
    void WaitOnce(TMutex& held); // may also return without a notification

#ifdef _WIN32
    void* condition_ = nullptr; // a CONDITION_VARIABLE: one pointer, zero to start
#else
    std::condition_variable condition_;
#endif
};

// A thread running one function; the destructor waits for it to end unless it was detached.
class TSystemThread {
  public:
    // Starts body at once; throws std::runtime_error when the system cannot start a thread.
    explicit TSystemThread(std::function<void()> body);
    ~TSystemThread();
    TSystemThread(const TSystemThread&) = delete;
    TSystemThread& operator=(const TSystemThread&) = delete;

    // Lets the thread run on alone: nobody waits for it.
    void Detach();

  private:
#ifdef _WIN32
    void* thread_ = nullptr; // the thread's HANDLE, owned; null once detached
#else
    std::thread thread_;
#endif
};
