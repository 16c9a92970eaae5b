// POSIX implementation of sync.h over the standard library, for the native build of the core.
#include "platform/sync.h"

#include <utility>

void TMutex::lock() {
    lock_.lock();
}

void TMutex::unlock() {
    lock_.unlock();
}

void TConditionVariable::WaitOnce(TMutex& held) {
    std::unique_lock<std::mutex> lock(held.lock_, std::adopt_lock);
    condition_.wait(lock);
    lock.release(); // still the caller's
}

void TConditionVariable::NotifyOne() {
    condition_.notify_one();
}

TSystemThread::TSystemThread(std::function<void()> body) : thread_(std::move(body)) {}

TSystemThread::~TSystemThread() {
    if (thread_.joinable())
        thread_.join();
}

void TSystemThread::Detach() {
    thread_.detach();
}
