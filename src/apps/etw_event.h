// The send and receive events of the system's kernel network provider, read from their payloads:
// which process moved how many bytes, in which direction, between which addresses.
//
// Payload layouts (little-endian, packed; addresses and ports in network byte order), as the
// provider's manifest describes them. Not yet checked against events captured on Windows.
//
//   id  event              PID  size  daddr  saddr  dport  sport  then (not read)
//   10  TCP IPv4 send      u32  u32   4      4      u16    u16    startime, endtime, seqnum, connid
//   11  TCP IPv4 receive   u32  u32   4      4      u16    u16    seqnum, connid
//   26  TCP IPv6 send      u32  u32   16     16     u16    u16    startime, endtime, seqnum, connid
//   27  TCP IPv6 receive   u32  u32   16     16     u16    u16    seqnum, connid
//   42  UDP IPv4 send      u32  u32   4      4      u16    u16    seqnum, connid
//   43  UDP IPv4 receive   u32  u32   4      4      u16    u16    seqnum, connid
//   58  UDP IPv6 send      u32  u32   16     16     u16    u16    seqnum, connid
//   59  UDP IPv6 receive   u32  u32   16     16     u16    u16    seqnum, connid
//
// Every event is version 0. The fields after sport are not needed (connid is pointer-sized), so
// a payload is long enough when it reaches the end of sport. The addresses are named from the
// connection's side, not the packet's: saddr and sport are this machine's end, daddr and dport
// the peer's, for receive events as well as for send events (a receive's saddr is the local
// address, where a packet capture shows it as the destination).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

enum class TNetDirection : uint8_t { Send, Receive };
enum class TNetProtocol : uint8_t { Tcp, Udp };

// An IPv4 or IPv6 address, its bytes in network order (an IPv4 address in the first four).
struct TIpAddress {
    bool V6 = false;
    std::array<uint8_t, 16> Bytes{};

    static TIpAddress V4(uint8_t a, uint8_t b, uint8_t c, uint8_t d);
    bool IsLoopback() const; // 127.0.0.0/8, ::1 and ::ffff:127.0.0.0/104
};
bool operator==(const TIpAddress& a, const TIpAddress& b);
bool operator<(const TIpAddress& a, const TIpAddress& b);

struct TNetworkEvent {
    TNetDirection Direction = TNetDirection::Send;
    TNetProtocol Protocol = TNetProtocol::Tcp;
    uint32_t ProcessId = 0; // from the payload: the event header's process id is not the sender's
    uint32_t Size = 0;      // payload bytes, without the protocols' headers
    TIpAddress Local, Remote;
    uint16_t LocalPort = 0, RemotePort = 0;
};

// One event as the session delivers it (or a replay reads it): its time, in seconds since 1970
// UTC, its id and version, and its payload.
struct TEventRecord {
    int64_t TimeUtc = 0;
    uint16_t Id = 0;
    uint8_t Version = 0;
    const uint8_t* Payload = nullptr;
    size_t Size = 0;
};

// The event read from its payload; nothing for another id or version or a payload too short.
std::optional<TNetworkEvent> ParseNetworkEvent(uint16_t id, uint8_t version, const uint8_t* payload,
                                               size_t size);
