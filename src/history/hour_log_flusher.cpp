// THourLogFlusher: one thread that waits for requests and flushes the store for each.
#include "history/hour_log_flusher.h"
#include "history/hour_log.h"

#include <utility>

THourLogFlusher::THourLogFlusher(THourLog& log, std::function<void()> flushed)
    : log_(log), flushed_(std::move(flushed)), thread_([this] { Run(); }) {}

THourLogFlusher::~THourLogFlusher() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void THourLogFlusher::Request() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        requested_ = true;
    }
    wake_.notify_one();
}

std::exception_ptr THourLogFlusher::Outcome() const {
    std::lock_guard<std::mutex> hold(lock_);
    return outcome_;
}

void THourLogFlusher::Run() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        wake_.wait(hold, [this] { return requested_ || stopping_; });
        if (stopping_)
            return;
        requested_ = false;
        hold.unlock();
        std::exception_ptr outcome;
        try {
            log_.Flush();
        } catch (const std::exception&) {
            outcome = std::current_exception();
        }
        hold.lock();
        outcome_ = outcome;
        hold.unlock();
        flushed_();
        hold.lock();
    }
}
