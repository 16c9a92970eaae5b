// THourLogFlusher: the hourly store's flushes on a thread of their own. Each ends in a flush
// to the disk, which a USB stick can take a good part of a second over (a rewrite of years of
// hours longer): the window must not wait for it.
#pragma once
#include "platform/sync.h"

#include <exception>
#include <functional>

class THourLog;

class THourLogFlusher {
  public:
    // flushed: called on the flusher's thread after each flush, whose outcome Outcome tells.
    THourLogFlusher(THourLog& log, std::function<void()> flushed);
    // Lets a flush under way end; one only asked for is dropped.
    ~THourLogFlusher();
    THourLogFlusher(const THourLogFlusher&) = delete;
    THourLogFlusher& operator=(const THourLogFlusher&) = delete;

    // Asks for a flush; asked again before it starts, it is still one.
    void Request();
    // The failure of the last flush, or null when it succeeded (or none ended yet).
    std::exception_ptr Outcome() const;

  private:
    void Run();

    THourLog& log_;
    const std::function<void()> flushed_;
    mutable TMutex lock_; // guards the three below
    TConditionVariable wake_;
    bool requested_ = false;
    bool stopping_ = false;
    std::exception_ptr outcome_;
    TSystemThread thread_; // last: started once the rest is in place, and joined first
};
