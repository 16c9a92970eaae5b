// Counts the network events per program and per hour (UTC): each event's bytes go to the
// program whose process the payload names, when the event's local address is one of the
// watched adapters' addresses. The session's thread adds events, the autosave takes the hours
// that have ended, and the address watcher replaces the addresses; one lock serialises them.
#pragma once
#include "apps/app_hour.h"
#include "apps/etw_event.h"
#include "platform/sync.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// A running process's image: its full path and its start time (any unit; only compared).
struct TProcessImage {
    std::string Path;
    uint64_t StartTime = 0;
};
// Asks the system about a process id; nothing when the process is gone or cannot be read.
using TProcessLookup = std::function<std::optional<TProcessImage>(uint32_t processId)>;

// The name counted for the idle process (id 0) and the kernel (id 4), which have no image.
inline constexpr char kSystemProgram[] = "System";
// The programs an hour keeps by name; the rest of the hour is one entry with an empty name.
inline constexpr size_t kProgramsPerHour = 50;
// How long a process id is trusted to name the same process before it is asked about again.
inline constexpr int64_t kProcessRecheckSeconds = 10;

class TAppCounter {
  public:
    explicit TAppCounter(TProcessLookup lookup);

    // The watched adapters' unicast addresses; events on other addresses are not counted, nor
    // loopback ones.
    void SetLocalAddresses(std::vector<TIpAddress> addresses);

    // One event as the session delivers it; one that is no send or receive is left out.
    void Add(const TEventRecord& record);
    // Events timed before 1970 or after 9999 are left out.
    void Add(int64_t timeUtc, const TNetworkEvent& event);

    // The hours that ended by nowUtc, in time order, each as its top programs by bytes and one
    // entry with an empty Program for the rest (when there is a rest). An event that arrives
    // for an hour already handed out is handed out with the next call.
    std::vector<TAppHour> TakeFinishedHours(int64_t nowUtc);
    // Every hour, the current one too (at exit).
    std::vector<TAppHour> TakeAllHours();

  private:
    struct TProcess {
        std::string Program; // empty when the process could not be read
        uint64_t StartTime = 0;
        int64_t CheckedAt = 0; // when the system was last asked
        int64_t UsedAt = 0;    // the last event's time
    };
    struct TInOut {
        uint64_t In = 0, Out = 0;
    };
    using THour = std::unordered_map<std::string, TInOut>;

    bool IsWatched(const TIpAddress& local) const;
    const std::string& ProgramOf(uint32_t processId, int64_t timeUtc);
    std::vector<TAppHour> TakeBefore(int64_t hourLimit);
    void ForgetIdleProcesses(int64_t nowUtc);

    TMutex lock_;
    TProcessLookup lookup_;
    std::vector<TIpAddress> local_; // sorted
    std::unordered_map<uint32_t, TProcess> processes_;
    std::map<int64_t, THour> hours_; // by the hour's start
};

// One hour's programs cut to the top `count` by bytes (in + out), largest first, and the rest
// summed into one entry with an empty Program, last; an entry already empty-named joins it.
std::vector<TAppHour> TopProgramsOfHour(std::vector<TAppHour> programs, size_t count);
