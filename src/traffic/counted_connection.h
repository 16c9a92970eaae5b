// Which adapter automatic mode counts. When the route to the Internet leads into a tunnel or a
// virtual adapter, the bytes the provider bills pass through the physical adapter under it (the
// tunnel's traffic plus its overhead), so that one is counted instead.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

// One interface as the interface table lists it.
struct TInterfaceKind {
    uint32_t Index = 0;
    uint32_t Type = 0; // IANA ifType, as the platform gives it
    std::string_view Description;
    bool Up = false;
};

// One route as the routing table lists it, reduced to what the rule asks.
struct TRouteKind {
    uint32_t Index = 0;          // the interface it leaves through
    bool Default = false;        // 0.0.0.0/0 or ::/0
    bool HostViaGateway = false; // a /32 or /128 through a gateway: a VPN's route to its server
    uint64_t Metric = 0;         // route and interface metric together
};

// Interface types that carry a tunnel or a dial-up style VPN, and adapters whose description
// says they are virtual, a VPN or a tunnel.
bool IsVirtualAdapter(uint32_t type, std::string_view description);

struct TCountedConnection {
    uint32_t Index = 0;  // the adapter to count
    uint32_t Tunnel = 0; // the virtual adapter the route look-up chose, when it is not counted
};

// `routeIndex` is what the route look-up picked for the Internet. Under a virtual adapter the
// counted one is the physical adapter of the best host route through a gateway (the route to
// the tunnel's server), else of the best default route; without either, the virtual adapter
// itself.
TCountedConnection CountedConnection(uint32_t routeIndex,
                                     const std::vector<TInterfaceKind>& interfaces,
                                     const std::vector<TRouteKind>& routes);
