// TAdapterTracker: finding the watched adapter at each reading and deciding what is measured.
#include "traffic/adapter_tracker.h"

TAdapterTracker::TAdapterTracker(const TAdapterTarget& target)
    : automatic_(target.Automatic), index_(target.Automatic ? 0 : target.Index),
      identity_(target.Automatic ? 0 : target.Identity), hasTarget_(!target.Automatic) {}

void TAdapterTracker::Suspend() {
    suspended_ = true;
    fresh_ = true;
}

void TAdapterTracker::Resume() {
    suspended_ = false;
    fresh_ = true;
    chooseAgain_ = true;
}

TTrackedReading TAdapterTracker::Read(TInterfaceLookup& lookup) {
    TTrackedReading result;
    const bool fresh = fresh_;
    // The reading after waking may come before the resume notice: still a fresh one.
    fresh_ = suspended_;
    if (automatic_ && (chooseAgain_ || !connected_))
        Follow(lookup, fresh, result);
    TInterfaceState state;
    if (!hasTarget_ || !Locate(lookup, state)) {
        connected_ = false;
        missed_ = true;
        return result;
    }
    Measure(state, fresh, result);
    return result;
}

// Without identities on both sides only the index can tell.
bool TAdapterTracker::IsTarget(const TInterfaceState& state) const {
    if (identity_ == 0 || state.Identity == 0)
        return index_ != 0 && state.Index == index_;
    return state.Identity == identity_;
}

// The row at the watched index, unless it belongs to another adapter; then the adapter
// wherever its identity is now.
bool TAdapterTracker::Locate(TInterfaceLookup& lookup, TInterfaceState& state) const {
    if (lookup.ByIndex(index_, state) && IsTarget(state))
        return true;
    return identity_ != 0 && lookup.ByIdentity(identity_, state) && state.Identity == identity_;
}

void TAdapterTracker::Follow(TInterfaceLookup& lookup, bool fresh, TTrackedReading& result) {
    chooseAgain_ = false;
    uint32_t index = 0;
    TInterfaceState chosen;
    const bool found = lookup.ActiveConnection(index) && lookup.ByIndex(index, chosen);
    if (found && IsTarget(chosen)) {
        hasTarget_ = true; // the same adapter, perhaps back after a while without a route
        return;
    }
    if (hasTarget_)
        FinishSeries(lookup, fresh, result);
    hasTarget_ = found;
    if (found) {
        index_ = chosen.Index;
        identity_ = chosen.Identity;
        switched_ = true;
    }
}

// The adapter given up still counts its last interval.
void TAdapterTracker::FinishSeries(TInterfaceLookup& lookup, bool fresh, TTrackedReading& result) {
    TInterfaceState state;
    if (fresh || missed_ || !counters_.HasReading || !Locate(lookup, state))
        return;
    counters_.UpdateCounters(state.Counters);
    TakeLogDeltas(result);
}

void TAdapterTracker::Measure(const TInterfaceState& state, bool fresh, TTrackedReading& result) {
    // After readings without the adapter only 64-bit counters on both sides say what moved.
    const bool exact = counters_.HasLast64BitCounters && state.Counters.Has64BitCounters;
    if (!counters_.HasReading) {
        counters_.UpdateCounters(state.Counters); // whole counters shown, never logged
    } else if (fresh || switched_ || (missed_ && !exact)) {
        counters_.Rebase(state.Counters);
    } else {
        counters_.UpdateCounters(state.Counters);
        TakeLogDeltas(result);
        if (missed_) // what moved while it was away is no one second's rate
            counters_.DeltaIn = counters_.DeltaOut = 0;
    }
    index_ = state.Index;
    if (identity_ == 0)
        identity_ = state.Identity;
    connected_ = true;
    missed_ = false;
    switched_ = false;
    result.Present = true;
}

void TAdapterTracker::TakeLogDeltas(TTrackedReading& result) const {
    result.Measured = true;
    result.LogIn += counters_.LogDeltaIn;
    result.LogOut += counters_.LogDeltaOut;
}
