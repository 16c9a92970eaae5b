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
    uint32_t& LogDelta;
};

void Advance(TDirection d, uint32_t counter, bool reset) {
    d.Delta = counter - d.Last; // modulo 2^32
    d.Total += d.Delta;
    d.Last = counter;
    d.LogDelta = reset ? counter : d.Delta;
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
    bool inReset = false;
    bool outReset = false;
    if (HasReading) {
        if (reading.Has64BitCounters && HasLast64BitCounters) {
            inReset = reading.InOctets64 < LastInOctets64;
            outReset = reading.OutOctets64 < LastOutOctets64;
        } else {
            // A reset often comes with a renegotiated link: the faster speed of the two
            // readings keeps a burst after the change from looking like one.
            const uint32_t speed = std::max(PortSpeed, reading.Speed);
            inReset =
                ExceedsLinkCapacity(reading.InOctets - LastInOctets, speed, reading.ElapsedMs);
            outReset =
                ExceedsLinkCapacity(reading.OutOctets - LastOutOctets, speed, reading.ElapsedMs);
        }
    }
    PortSpeed = reading.Speed;
    Advance({DeltaIn, TotalIn, LastInOctets, LogDeltaIn}, reading.InOctets, inReset);
    Advance({DeltaOut, TotalOut, LastOutOctets, LogDeltaOut}, reading.OutOctets, outReset);
    HasLast64BitCounters = reading.Has64BitCounters;
    LastInOctets64 = reading.InOctets64;
    LastOutOctets64 = reading.OutOctets64;
    HasReading = true;
}
