// The platform's side of a reading: the interface table read once, and each row's identity
// and 64-bit counters asked for only for the rows the tracker looks at.
#pragma once
#include "traffic/adapter_monitor.h"

#include <vector>

class TTableLookup : public TInterfaceLookup {
  public:
    // Rows and source must outlive the lookup; elapsedMs goes into every reading it gives.
    // watchedLuid: the identity of the adapter watched so far, asked for first at any index.
    // countTunnel: the active connection is the route look-up's choice even under a VPN.
    TTableLookup(const std::vector<MIB_IFROW>& rows, const TInterfaceSource& source,
                 uint32_t elapsedMs, uint64_t watchedLuid = 0, bool countTunnel = false)
        : rows_(rows), source_(source), elapsedMs_(elapsedMs), watchedLuid_(watchedLuid),
          countTunnel_(countTunnel) {}

    const MIB_IFROW* Row(uint32_t index) const;
    bool ByIndex(uint32_t index, TInterfaceState& state) override;
    bool ByIdentity(uint64_t identity, TInterfaceState& state) override;
    bool ActiveConnection(uint32_t& index) override;

  private:
    const std::vector<MIB_IFROW>& rows_;
    const TInterfaceSource& source_;
    const uint32_t elapsedMs_;
    const uint64_t watchedLuid_;
    const bool countTunnel_;
};

// Which interfaces a table lists and whether each is up: a change means the route to the
// Internet may have moved, also where the platform sends no notifications.
uint64_t TableShape(const std::vector<MIB_IFROW>& rows);
