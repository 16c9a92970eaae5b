// The rule that counts the physical adapter under a VPN.
#include "traffic/counted_connection.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

constexpr uint32_t kTypePpp = 23;
constexpr uint32_t kTypeLoopback = 24;
constexpr uint32_t kTypeVirtual = 53; // IF_TYPE_PROP_VIRTUAL: most VPN clients' adapters
constexpr uint32_t kTypeTunnel = 131;

bool Mentions(std::string_view description, std::string_view word) {
    auto lower = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    return std::search(description.begin(), description.end(), word.begin(), word.end(),
                       [&](char a, char b) { return lower(a) == b; }) != description.end();
}

const TInterfaceKind* Find(const std::vector<TInterfaceKind>& interfaces, uint32_t index) {
    auto found = std::find_if(interfaces.begin(), interfaces.end(),
                              [index](const TInterfaceKind& i) { return i.Index == index; });
    return found == interfaces.end() ? nullptr : &*found;
}

bool IsPhysical(const TInterfaceKind* kind) {
    return kind && kind->Up && kind->Type != kTypeLoopback &&
           !IsVirtualAdapter(kind->Type, kind->Description);
}

// The lowest-metric route of this kind over an up physical adapter; 0 when there is none.
template <typename Pred>
uint32_t BestPhysical(const std::vector<TInterfaceKind>& interfaces,
                      const std::vector<TRouteKind>& routes, Pred kind) {
    const TRouteKind* best = nullptr;
    for (const TRouteKind& route : routes) {
        if (kind(route) && IsPhysical(Find(interfaces, route.Index)) &&
            (!best || route.Metric < best->Metric))
            best = &route;
    }
    return best ? best->Index : 0;
}

} // namespace

bool IsVirtualAdapter(uint32_t type, std::string_view description) {
    if (type == kTypePpp || type == kTypeVirtual || type == kTypeTunnel)
        return true;
    for (std::string_view word : {"virtual", "vpn", "tunnel", "tap-windows"}) {
        if (Mentions(description, word))
            return true;
    }
    return false;
}

TCountedConnection CountedConnection(uint32_t routeIndex,
                                     const std::vector<TInterfaceKind>& interfaces,
                                     const std::vector<TRouteKind>& routes) {
    const TInterfaceKind* chosen = Find(interfaces, routeIndex);
    if (!chosen || !IsVirtualAdapter(chosen->Type, chosen->Description))
        return {routeIndex, 0};
    uint32_t under =
        BestPhysical(interfaces, routes, [](const TRouteKind& r) { return r.HostViaGateway; });
    if (under == 0)
        under = BestPhysical(interfaces, routes, [](const TRouteKind& r) { return r.Default; });
    if (under == 0)
        return {routeIndex, 0};
    return {under, routeIndex};
}
