// Which adapter the monitor reads, from one reading to the next: found by its interface index,
// checked against its permanent identity, followed when the system renumbers it, chosen by a
// route look-up in automatic mode; and which readings measure traffic for the usage log.
#pragma once
#include "traffic/counters.h"

#include <cstdint>

// One interface as a reading finds it.
struct TInterfaceState {
    uint32_t Index = 0;
    uint64_t Identity = 0; // permanent identity (the LUID); 0 when the platform gives none
    TCounterReading Counters;
};

// What the tracker asks of the platform during one reading.
class TInterfaceLookup {
  public:
    virtual ~TInterfaceLookup() = default;
    // The interface that has this index now.
    virtual bool ByIndex(uint32_t index, TInterfaceState& state) = 0;
    // The interface with this identity, whatever its index is now.
    virtual bool ByIdentity(uint64_t identity, TInterfaceState& state) = 0;
    // The interface that a route look-up picks for the Internet; false when there is none.
    virtual bool ActiveConnection(uint32_t& index) = 0;
};

// The adapter to watch: a stored index and identity, or whatever carries the Internet.
struct TAdapterTarget {
    bool Automatic = false;
    uint32_t Index = 0;
    uint64_t Identity = 0; // 0: learned from the row at Index at the first reading
    // Automatic mode under a VPN: the tunnel counted rather than the adapter under it.
    bool CountTunnel = false;
};

// What one reading gives the usage log.
struct TTrackedReading {
    bool Present = false;  // the watched adapter was read
    bool Measured = false; // LogIn and LogOut are one interval's traffic
    uint64_t LogIn = 0;
    uint64_t LogOut = 0;
};

// A reading measures traffic only when it follows a reading of the same adapter in the same
// series. A new series (another adapter, a resume from sleep, a return without 64-bit
// counters, which may have wrapped any number of times meanwhile) starts with a reading that
// is never logged, so a gap is neither shown as one second's rate nor logged as traffic.
class TAdapterTracker {
  public:
    explicit TAdapterTracker(const TAdapterTarget& target);

    TTrackedReading Read(TInterfaceLookup& lookup);
    // Routes or interfaces changed: automatic mode chooses again at the next reading.
    void NetworkChanged() { chooseAgain_ = true; }
    // Until the resume, and at the first reading after it, readings start new series.
    void Suspend();
    void Resume();

    bool Automatic() const { return automatic_; }
    // The last reading found the watched adapter.
    bool Connected() const { return connected_; }
    uint32_t Index() const { return index_; }
    uint64_t Identity() const { return identity_; }
    const TTrafficCounters& Counters() const { return counters_; }

  private:
    bool IsTarget(const TInterfaceState& state) const;
    bool Locate(TInterfaceLookup& lookup, TInterfaceState& state) const;
    void Follow(TInterfaceLookup& lookup, bool fresh, TTrackedReading& result);
    void FinishSeries(TInterfaceLookup& lookup, bool fresh, TTrackedReading& result);
    void Measure(const TInterfaceState& state, bool fresh, TTrackedReading& result);
    void TakeLogDeltas(TTrackedReading& result) const;

    const bool automatic_;
    uint32_t index_;
    uint64_t identity_;
    bool hasTarget_;          // automatic mode: a route look-up found an adapter
    bool connected_ = false;  // the last reading found it
    bool missed_ = false;     // some reading since the last measurement did not find it
    bool switched_ = false;   // the target changed since the last reading
    bool chooseAgain_ = true; // automatic mode: look the route up at the next reading
    bool suspended_ = false;
    bool fresh_ = false; // the next reading starts a new series
    TTrafficCounters counters_;
};
