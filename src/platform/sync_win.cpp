// Windows implementation of sync.h: slim reader/writer locks taken exclusively, condition
// variables and CreateThread (the C runtime is a DLL, which sets up each thread's own data).
#include "platform/sync.h"
#include "platform/file_io.h"
#include "platform/handle.h"

#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && alignof(SRWLOCK) == alignof(void*));
static_assert(sizeof(CONDITION_VARIABLE) == sizeof(void*) &&
              alignof(CONDITION_VARIABLE) == alignof(void*));

SRWLOCK* Native(void*& lock) {
    return reinterpret_cast<SRWLOCK*>(&lock);
}

// noexcept: a body that lets an exception out ends the process, as with std::thread.
DWORD WINAPI RunBody(void* parameter) noexcept {
    const std::unique_ptr<std::function<void()>> body(
        static_cast<std::function<void()>*>(parameter));
    (*body)();
    return 0;
}

} // namespace

void TMutex::lock() {
    ::AcquireSRWLockExclusive(Native(lock_));
}

void TMutex::unlock() {
    ::ReleaseSRWLockExclusive(Native(lock_));
}

// Without a time limit the wait fails only by returning early, which Wait's loop covers.
void TConditionVariable::WaitOnce(TMutex& held) {
    ::SleepConditionVariableSRW(reinterpret_cast<CONDITION_VARIABLE*>(&condition_),
                                Native(held.lock_), INFINITE, 0);
}

void TConditionVariable::NotifyOne() {
    ::WakeConditionVariable(reinterpret_cast<CONDITION_VARIABLE*>(&condition_));
}

TSystemThread::TSystemThread(std::function<void()> body) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    TKernelHandle thread(::CreateThread(nullptr, 0, RunBody, owned.get(), 0, nullptr));
    if (!thread)
        throw std::runtime_error("CreateThread failed: " +
                                 SystemErrorMessage(static_cast<int>(::GetLastError())));
    owned.release(); // the thread's now
    thread_ = thread.release();
}

// A join that cannot wait must not free what the thread still uses: as std::thread's join
// failing in a destructor, it ends the process.
TSystemThread::~TSystemThread() {
    const TKernelHandle thread(static_cast<HANDLE>(thread_));
    if (thread && ::WaitForSingleObject(thread.get(), INFINITE) != WAIT_OBJECT_0)
        std::terminate();
}

void TSystemThread::Detach() {
    const TKernelHandle thread(static_cast<HANDLE>(thread_)); // closed: the thread runs on
    thread_ = nullptr;
}
