// THourLogFlusher: one thread that waits for requests and flushes the store for each.
#include "history/hour_log_flusher.h"
#include "history/hour_log.h"

#include <utility>

THourLogFlusher::THourLogFlusher(THourLog& log, std::function<void()> flushed)
    : log_(log), flushed_(std::move(flushed)), thread_([this] { Run(); }) {}

// Then thread_, the first member destroyed, waits for the thread to end.
THourLogFlusher::~THourLogFlusher() {
    {
        std::lock_guard<TMutex> hold(lock_);
        stopping_ = true;
    }
    wake_.NotifyOne();
}

void THourLogFlusher::Request() {
    {
        std::lock_guard<TMutex> hold(lock_);
        requested_ = true;
    }
    wake_.NotifyOne();
}

std::exception_ptr THourLogFlusher::Outcome() const {
    std::lock_guard<TMutex> hold(lock_);
    return outcome_;
}

void THourLogFlusher::Run() {
    for (;;) {
        {
            std::lock_guard<TMutex> hold(lock_);
            wake_.Wait(lock_, [this] { return requested_ || stopping_; });
            if (stopping_)
                return;
            requested_ = false;
        }
        std::exception_ptr outcome;
        try {
            log_.Flush();
        } catch (const std::exception&) {
            outcome = std::current_exception();
        }
        {
            std::lock_guard<TMutex> hold(lock_);
            outcome_ = outcome;
        }
        flushed_();
    }
}
