// THourLogFlusher: the hourly store's flushes on a thread of their own. Each ends in a flush
// to the disk, which a USB stick can take a good part of a second over (a rewrite of years of
// hours longer): the window must not wait for it.
#pragma once
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

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
    mutable std::mutex lock_; // guards the three below
    std::condition_variable wake_;
    bool requested_ = false;
    bool stopping_ = false;
    std::exception_ptr outcome_;
    std::thread thread_; // last: started once the rest is in place
};
