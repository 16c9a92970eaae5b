// TThread on a system thread: detached, since nothing ever waits for a worker. The stop request
// is an event as well as a flag, so that a waiting thread wakes only when its time has come
// or it is told to stop.
#include "platform/thread.h"
#include "platform/application.h"
#include "platform/handle.h"
#include "platform/sync.h"
#include "platform/window.h"

#include <algorithm>
#include <atomic>

struct TThread::TStopSignal {
    std::atomic<bool> Requested{false};
    TKernelHandle Event; // manual reset: set once, for good
};

TThread::TThread() : stop_(std::make_shared<TStopSignal>()) {
    stop_->Event.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stop_->Event)
        RaiseLastWin32Error("CreateEvent");
}

TThread::~TThread() = default;

void TThread::RequestStop() {
    // Taken before the flag is set: from then on the thread may end and free this object.
    const std::shared_ptr<TStopSignal> stop = stop_;
    stop->Requested.store(true);
    ::SetEvent(stop->Event.get());
}

bool TThread::StopRequested() const {
    return stop_->Requested.load();
}

bool TThread::WaitForStop(std::chrono::milliseconds timeout) const {
    const DWORD ms = static_cast<DWORD>(std::clamp<long long>(timeout.count(), 0, INFINITE - 1));
    if (::WaitForSingleObject(stop_->Event.get(), ms) == WAIT_FAILED)
        ::Sleep(ms); // still never a busy loop
    return StopRequested();
}

void TThread::Start() {
    TSystemThread([this] {
        ThreadBody();
        if (freeWhenDone_)
            delete this;
    }).Detach();
}

bool TThread::RunOnUiThread(const std::function<void()>& fn) {
    return TApplication::Instance().RunOnUiThread(fn);
}
