// The adapter monitor's counter arithmetic: per-reading deltas and running totals from the
// interface's 32-bit octet counters, and the deltas that may go into the usage log.
#pragma once
#include <cstdint>

// One reading of the watched interface.
struct TCounterReading {
    uint32_t InOctets = 0;  // dwInOctets
    uint32_t OutOctets = 0; // dwOutOctets
    uint32_t Speed = 0;     // link speed in bit/s; 0 when unknown
    // The platform's 64-bit counters of the same interface, where it offers them.
    bool Has64BitCounters = false;
    uint64_t InOctets64 = 0;
    uint64_t OutOctets64 = 0;
    // Milliseconds since the previous successful reading; 0 when unknown.
    uint32_t ElapsedMs = 0;
};

// Shown deltas and totals are modulo 2^32, so one wrap between readings still gives the true
// delta. The log's deltas are the 64-bit difference when both readings have 64-bit counters,
// so that more than 4 GiB between two readings is logged in full. A counter that went back
// because the adapter restarted counting is told apart from a wrap for the log only: by the
// 64-bit counters when both readings have them, otherwise when the wrapped delta is more than
// the link could have carried in the elapsed time. After such a reset the logged delta is the
// new reading itself (the traffic since the reset).
struct TTrafficCounters {
    uint32_t DeltaIn = 0;
    uint32_t TotalIn = 0;
    uint32_t TotalOut = 0;
    uint32_t DeltaOut = 0;
    uint32_t LastInOctets = 0;
    uint32_t LastOutOctets = 0;
    uint32_t PortSpeed = 0;
    // What the last reading adds to the usage log.
    uint64_t LogDeltaIn = 0;
    uint64_t LogDeltaOut = 0;
    // The previous reading's 64-bit counters, when it had them.
    bool HasLast64BitCounters = false;
    uint64_t LastInOctets64 = 0;
    uint64_t LastOutOctets64 = 0;
    bool HasReading = false;

    // Plain modulo arithmetic: nothing to tell a reset by, so the log deltas equal the deltas.
    void UpdateCounters(uint32_t inOctets, uint32_t outOctets, uint32_t speed);
    void UpdateCounters(const TCounterReading& reading);
    // Starts a new series at this reading (another adapter, or after a sleep): nothing is
    // measured, shown deltas are 0 and totals are the adapter's counters, as after a first
    // reading, but without showing the whole counters as one second's traffic.
    void Rebase(const TCounterReading& reading);
};

// Whether a wrapped delta is more than a link of `speedBitsPerSecond` can carry in
// `elapsedMs` (with a generous margin); false when speed or time is unknown.
bool ExceedsLinkCapacity(uint32_t delta, uint32_t speedBitsPerSecond, uint32_t elapsedMs);
