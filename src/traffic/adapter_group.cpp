// TAdapterGroup: one reading of every member, summed.
#include "traffic/adapter_group.h"

#include <cstddef>

TAdapterGroup::TAdapterGroup(const std::vector<TAdapterTarget>& targets)
    : trackers_(targets.begin(), targets.end()) {
    if (trackers_.empty())
        trackers_.emplace_back(TAdapterTarget{});
}

TTrackedReading TAdapterGroup::Read(TInterfaceLookup& lookup) {
    TTrackedReading total;
    std::vector<bool> found;
    for (TAdapterTracker& tracker : trackers_) {
        const TTrackedReading one = tracker.Read(lookup);
        found.push_back(one.Present);
        total.Present = total.Present || one.Present;
        total.Measured = total.Measured || one.Measured;
        total.LogIn += one.LogIn;
        total.LogOut += one.LogOut;
    }
    Sum(found);
    return total;
}

void TAdapterGroup::Sum(const std::vector<bool>& found) {
    if (trackers_.size() == 1) { // one adapter shows what it always showed
        sum_ = trackers_.front().Counters();
        return;
    }
    TTrafficCounters sum;
    for (size_t i = 0; i < trackers_.size(); ++i) {
        const TTrafficCounters& c = trackers_[i].Counters();
        sum.HasReading = sum.HasReading || c.HasReading;
        sum.TotalIn += c.TotalIn;
        sum.TotalOut += c.TotalOut;
        sum.LastInOctets += c.LastInOctets;
        sum.LastOutOctets += c.LastOutOctets;
        if (!found[i])
            continue;
        sum.DeltaIn += c.DeltaIn;
        sum.DeltaOut += c.DeltaOut;
        sum.PortSpeed =
            c.PortSpeed > UINT32_MAX - sum.PortSpeed ? UINT32_MAX : sum.PortSpeed + c.PortSpeed;
        sum.LogDeltaIn += c.LogDeltaIn;
        sum.LogDeltaOut += c.LogDeltaOut;
    }
    sum_ = sum;
}

void TAdapterGroup::NetworkChanged() {
    for (TAdapterTracker& tracker : trackers_)
        tracker.NetworkChanged();
}

void TAdapterGroup::Suspend() {
    for (TAdapterTracker& tracker : trackers_)
        tracker.Suspend();
}

void TAdapterGroup::Resume() {
    for (TAdapterTracker& tracker : trackers_)
        tracker.Resume();
}

bool TAdapterGroup::Connected() const {
    for (const TAdapterTracker& tracker : trackers_) {
        if (tracker.Connected())
            return true;
    }
    return false;
}
