// Corvane's own realtime event-tracing session on the kernel's network provider: started when
// constructed, each event handed to a callback on a thread of its own, stopped when destroyed.
#pragma once
#include "apps/etw_event.h"
#include "platform/sync.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <memory>
#include <string>

// The session could not start: the text names the call and gives Windows' reason.
class EAppSessionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TAppSession {
  public:
    // Called on the session's thread for each of the provider's events.
    using TCallback = std::function<void(const TEventRecord&)>;

    // A session of the same name left by a crashed run is stopped and started anew.
    explicit TAppSession(TCallback onEvent);
    ~TAppSession();
    TAppSession(const TAppSession&) = delete;
    TAppSession& operator=(const TAppSession&) = delete;

    // The events the system dropped since the start (the consumer fell behind).
    uint64_t LostEvents() const;

  private:
    // Owners that undo a step when a later one fails, and at the end.
    struct TStarted {
        uint64_t Handle = 0;
        void Stop();
        ~TStarted() { Stop(); }
    };
    struct TOpened {
        uint64_t Handle = 0;
        void Close(); // ProcessTrace then returns
        ~TOpened() { Close(); }
    };

    TCallback onEvent_;
    TStarted session_;
    TOpened trace_;
    std::unique_ptr<TSystemThread> consumer_; // runs ProcessTrace
};
