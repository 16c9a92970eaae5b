// The adapters the monitor counts together: each followed by its own tracker (found by its
// identity, renumbered, reset, absent on its own), their traffic summed for the rates and
// the usage log.
#pragma once
#include "traffic/adapter_tracker.h"

#include <vector>

class TAdapterGroup {
  public:
    // One target at least; the first is the one whose details are shown.
    explicit TAdapterGroup(const std::vector<TAdapterTarget>& targets);

    TTrackedReading Read(TInterfaceLookup& lookup);
    void NetworkChanged();
    void Suspend();
    void Resume();

    const TAdapterTracker& First() const { return trackers_.front(); }
    const std::vector<TAdapterTracker>& Members() const { return trackers_; }
    // Some adapter of the group was found by the last reading.
    bool Connected() const;
    // The members' counters summed; the deltas and speed only of those the last reading found,
    // so an absent adapter adds nothing.
    const TTrafficCounters& Counters() const { return sum_; }

  private:
    void Sum(const std::vector<bool>& found);

    std::vector<TAdapterTracker> trackers_;
    TTrafficCounters sum_;
};
