// Counter arithmetic of the adapter monitor.
#include "traffic/counters.h"

#include <algorithm>

namespace {

// The tick counter's granularity (about 16 ms) can make an interval look shorter than it was.
constexpr uint64_t kTickSlackMs = 32;
constexpr uint64_t kMarginBytes = 64 * 1024;

struct TDirection {
    uint32_t& Delta;
    uint32_t& Total;
    uint32_t& Last;
    uint64_t& LogDelta;
};

void Advance(TDirection d, uint32_t counter, uint64_t logDelta) {
    d.Delta = counter - d.Last; // modulo 2^32
    d.Total += d.Delta;
    d.Last = counter;
    d.LogDelta = logDelta;
}

// The log's delta from the 64-bit counters: a counter that went back restarted, so all it
// shows is new.
uint64_t Delta64(uint64_t counter, uint64_t last) {
    return counter < last ? counter : counter - last;
}

} // namespace

bool ExceedsLinkCapacity(uint32_t delta, uint32_t speedBitsPerSecond, uint32_t elapsedMs) {
    // A saturated 32-bit speed (links of 4.29 Gbit/s and more) says nothing reliable.
    if (speedBitsPerSecond == 0 || speedBitsPerSecond == UINT32_MAX || elapsedMs == 0) {
        return false;
    }
    const uint64_t bytesPerSecond = speedBitsPerSecond / 8;
    const uint64_t capacity = bytesPerSecond * (elapsedMs + kTickSlackMs) / 1000;
    return delta > 2 * capacity + kMarginBytes;
}

void TTrafficCounters::UpdateCounters(uint32_t inOctets, uint32_t outOctets, uint32_t speed) {
    TCounterReading reading;
    reading.InOctets = inOctets;
    reading.OutOctets = outOctets;
    reading.Speed = speed;
    UpdateCounters(reading);
}

void TTrafficCounters::UpdateCounters(const TCounterReading& reading) {
    // Without a hint the log takes the modulo delta, as the display does.
    uint64_t logIn = static_cast<uint32_t>(reading.InOctets - LastInOctets);
    uint64_t logOut = static_cast<uint32_t>(reading.OutOctets - LastOutOctets);
    if (HasReading && reading.Has64BitCounters && HasLast64BitCounters) {
        logIn = Delta64(reading.InOctets64, LastInOctets64);
        logOut = Delta64(reading.OutOctets64, LastOutOctets64);
    } else if (HasReading) {
        // A reset often comes with a renegotiated link: the faster speed of the two
        // readings keeps a burst after the change from looking like one.
        const uint32_t speed = std::max(PortSpeed, reading.Speed);
        if (ExceedsLinkCapacity(static_cast<uint32_t>(logIn), speed, reading.ElapsedMs))
            logIn = reading.InOctets;
        if (ExceedsLinkCapacity(static_cast<uint32_t>(logOut), speed, reading.ElapsedMs))
            logOut = reading.OutOctets;
    }
    PortSpeed = reading.Speed;
    Advance({DeltaIn, TotalIn, LastInOctets, LogDeltaIn}, reading.InOctets, logIn);
    Advance({DeltaOut, TotalOut, LastOutOctets, LogDeltaOut}, reading.OutOctets, logOut);
    HasLast64BitCounters = reading.Has64BitCounters;
    LastInOctets64 = reading.InOctets64;
    LastOutOctets64 = reading.OutOctets64;
    HasReading = true;
}

void TTrafficCounters::Rebase(const TCounterReading& reading) {
    PortSpeed = reading.Speed;
    DeltaIn = DeltaOut = 0;
    LogDeltaIn = LogDeltaOut = 0;
    TotalIn = LastInOctets = reading.InOctets;
    TotalOut = LastOutOctets = reading.OutOctets;
    HasLast64BitCounters = reading.Has64BitCounters;
    LastInOctets64 = reading.InOctets64;
    LastOutOctets64 = reading.OutOctets64;
    HasReading = true;
}
