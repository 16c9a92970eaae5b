// Reading the kernel network provider's send and receive payloads (layouts in the header).
#include "apps/etw_event.h"

#include <algorithm>
#include <cstring>

namespace {

struct TEventKind {
    uint16_t Id;
    TNetDirection Direction;
    TNetProtocol Protocol;
    bool V6;
};

constexpr TEventKind kKinds[] = {
    {10, TNetDirection::Send, TNetProtocol::Tcp, false},
    {11, TNetDirection::Receive, TNetProtocol::Tcp, false},
    {26, TNetDirection::Send, TNetProtocol::Tcp, true},
    {27, TNetDirection::Receive, TNetProtocol::Tcp, true},
    {42, TNetDirection::Send, TNetProtocol::Udp, false},
    {43, TNetDirection::Receive, TNetProtocol::Udp, false},
    {58, TNetDirection::Send, TNetProtocol::Udp, true},
    {59, TNetDirection::Receive, TNetProtocol::Udp, true},
};

const TEventKind* KindOf(uint16_t id) {
    for (const TEventKind& kind : kKinds) {
        if (kind.Id == id)
            return &kind;
    }
    return nullptr;
}

uint32_t LittleEndian32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint16_t NetworkOrder16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

TIpAddress AddressAt(const uint8_t* p, bool v6) {
    TIpAddress address;
    address.V6 = v6;
    std::memcpy(address.Bytes.data(), p, v6 ? 16 : 4);
    return address;
}

} // namespace

TIpAddress TIpAddress::V4(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    TIpAddress address;
    address.Bytes = {a, b, c, d};
    return address;
}

bool TIpAddress::IsLoopback() const {
    if (!V6)
        return Bytes[0] == 127;
    static constexpr uint8_t kMappedV4[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    if (std::memcmp(Bytes.data(), kMappedV4, 12) == 0)
        return Bytes[12] == 127;
    return std::all_of(Bytes.begin(), Bytes.end() - 1, [](uint8_t b) { return b == 0; }) &&
           Bytes[15] == 1;
}

bool operator==(const TIpAddress& a, const TIpAddress& b) {
    return a.V6 == b.V6 && a.Bytes == b.Bytes;
}

bool operator<(const TIpAddress& a, const TIpAddress& b) {
    return a.V6 != b.V6 ? b.V6 : a.Bytes < b.Bytes;
}

std::optional<TNetworkEvent> ParseNetworkEvent(uint16_t id, uint8_t version, const uint8_t* payload,
                                               size_t size) {
    const TEventKind* kind = KindOf(id);
    if (!kind || version != 0)
        return std::nullopt;
    const size_t addressSize = kind->V6 ? 16 : 4;
    if (!payload || size < 8 + 2 * addressSize + 4)
        return std::nullopt;
    TNetworkEvent event;
    event.Direction = kind->Direction;
    event.Protocol = kind->Protocol;
    event.ProcessId = LittleEndian32(payload);
    event.Size = LittleEndian32(payload + 4);
    const uint8_t* ports = payload + 8 + 2 * addressSize;
    event.Remote = AddressAt(payload + 8, kind->V6);
    event.Local = AddressAt(payload + 8 + addressSize, kind->V6);
    event.RemotePort = NetworkOrder16(ports);
    event.LocalPort = NetworkOrder16(ports + 2);
    return event;
}
