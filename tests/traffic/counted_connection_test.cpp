// The adapter automatic mode counts, from tables of interfaces and routes.
#include "traffic/counted_connection.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kEthernet = 6, kWifi = 71, kPpp = 23, kVirtual = 53, kTunnel = 131;

TInterfaceKind Up(uint32_t index, uint32_t type, std::string_view description) {
    return {index, type, description, true};
}

TRouteKind DefaultRoute(uint32_t index, uint64_t metric) {
    return {index, true, false, metric};
}

TRouteKind ServerRoute(uint32_t index, uint64_t metric) {
    return {index, false, true, metric};
}

struct TCase {
    const char* Name;
    std::vector<TInterfaceKind> Interfaces;
    std::vector<TRouteKind> Routes;
    uint32_t RouteIndex;
    uint32_t Counted, Tunnel;
};

TEST(CountedConnection, CountsThePhysicalAdapterUnderATunnel) {
    const TInterfaceKind ethernet = Up(4, kEthernet, "Intel(R) Ethernet Connection I219-V");
    const TInterfaceKind wifi = Up(7, kWifi, "Wireless Network Adapter");
    const TInterfaceKind wireguard = Up(12, kVirtual, "WireGuard Tunnel");
    const TCase cases[] = {
        {"physical and tunnel: the tunnel's server route wins",
         {wifi, ethernet, wireguard},
         {DefaultRoute(7, 10), ServerRoute(4, 50), DefaultRoute(4, 50), DefaultRoute(12, 5)},
         12,
         4,
         12},
        {"physical and tunnel without a server route: the best other default route",
         {wifi, ethernet, wireguard},
         {DefaultRoute(4, 50), DefaultRoute(7, 25), DefaultRoute(12, 5)},
         12,
         7,
         12},
        {"an adapter that is down carries nothing",
         {wifi, {4, kEthernet, "Ethernet", false}, wireguard},
         {ServerRoute(4, 1), DefaultRoute(7, 25), DefaultRoute(12, 5)},
         12,
         7,
         12},
        {"a dial-up VPN found by its type",
         {ethernet, Up(9, kPpp, "RAS Connection")},
         {DefaultRoute(4, 50), DefaultRoute(9, 1)},
         9,
         4,
         9},
        {"a tunnel found by its description",
         {ethernet, Up(9, kEthernet, "TAP-Windows Adapter V9")},
         {DefaultRoute(4, 50), DefaultRoute(9, 1)},
         9,
         4,
         9},
        {"tunnel only: the tunnel is all there is",
         {wireguard, Up(1, 24, "Loopback")},
         {DefaultRoute(12, 5), DefaultRoute(1, 1)},
         12,
         12,
         0},
        {"two physical adapters: the route look-up's choice stands",
         {wifi, ethernet},
         {DefaultRoute(4, 10), DefaultRoute(7, 25)},
         7,
         7,
         0},
        {"a virtual machine switch bound to the physical adapter is the way out",
         {Up(4, kEthernet, "Intel(R) Ethernet Connection I219-V"),
          Up(15, kEthernet, "Hyper-V Virtual Ethernet Adapter")},
         {DefaultRoute(15, 25)},
         15,
         15,
         0},
        {"a virtual machine switch beside the physical adapter",
         {ethernet, Up(15, kTunnel, "Hyper-V Virtual Ethernet Adapter #2")},
         {DefaultRoute(15, 5), DefaultRoute(4, 25)},
         15,
         4,
         15},
        {"a route look-up into an unknown interface stands", {ethernet}, {}, 33, 33, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TCountedConnection counted = CountedConnection(c.RouteIndex, c.Interfaces, c.Routes);
        EXPECT_EQ(counted.Index, c.Counted);
        EXPECT_EQ(counted.Tunnel, c.Tunnel);
    }
}

} // namespace
