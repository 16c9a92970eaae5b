// TThread on std::thread: detached, since nothing ever waits for a worker.
#include "platform/thread.h"
#include "platform/application.h"

#include <thread>

void TThread::Start() {
    std::thread([this] {
        ThreadBody();
        if (freeWhenDone_)
            delete this;
    }).detach();
}

bool TThread::RunOnUiThread(const std::function<void()>& fn) {
    return TApplication::Instance().RunOnUiThread(fn);
}
