// The network events' payloads: golden bytes for each event id, short payloads, other ids and
// versions.
#include "apps/etw_event.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

std::optional<TNetworkEvent> Parse(uint16_t id, const Bytes& payload, uint8_t version = 0) {
    // A copy of exactly this size, so that a read past the end is caught by the sanitizer.
    const Bytes exact(payload);
    return ParseNetworkEvent(id, version, exact.data(), exact.size());
}

const TIpAddress kServerV6{true, {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x53}};
const TIpAddress kHostV6{true, {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20}};

// The payloads' bytes in rows of their fields.
// clang-format off
// TCP over IPv4, send (10): PID 0x1234, 1460 bytes, daddr 93.184.216.34, saddr 192.168.1.20,
// dport 443, sport 51000, startime, endtime, seqnum, connid.
const Bytes kTcp4Send = {
    0x34, 0x12, 0x00, 0x00, 0xB4, 0x05, 0x00, 0x00,
    0x5D, 0xB8, 0xD8, 0x22,
    0xC0, 0xA8, 0x01, 0x14,
    0x01, 0xBB, 0xC7, 0x38,
    0x10, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x78, 0x56, 0x34, 0x12, 0xEF, 0xBE, 0xAD, 0xDE};

// UDP over IPv6, receive (59): PID 7000, 512 bytes, daddr 2001:db8::53, saddr 2001:db8::20,
// dport 53, sport 60001, seqnum, connid.
const Bytes kUdp6Receive = {
    0x58, 0x1B, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00,
    0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x53,
    0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20,
    0x00, 0x35, 0xEA, 0x61, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};
// clang-format on

TEST(NetworkEvent, GoldenPayloadsGiveProcessSizeAndBothEnds) {
    const auto send = Parse(10, kTcp4Send);
    ASSERT_TRUE(send);
    EXPECT_EQ(send->Direction, TNetDirection::Send);
    EXPECT_EQ(send->Protocol, TNetProtocol::Tcp);
    EXPECT_EQ(send->ProcessId, 0x1234u);
    EXPECT_EQ(send->Size, 1460u);
    EXPECT_EQ(send->Local, TIpAddress::V4(192, 168, 1, 20));
    EXPECT_EQ(send->LocalPort, 51000);
    EXPECT_EQ(send->Remote, TIpAddress::V4(93, 184, 216, 34));
    EXPECT_EQ(send->RemotePort, 443);

    // A receive names the ends as a send does: saddr is this machine's.
    const auto receive = Parse(59, kUdp6Receive);
    ASSERT_TRUE(receive);
    EXPECT_EQ(receive->Direction, TNetDirection::Receive);
    EXPECT_EQ(receive->Protocol, TNetProtocol::Udp);
    EXPECT_EQ(receive->ProcessId, 7000u);
    EXPECT_EQ(receive->Size, 512u);
    EXPECT_EQ(receive->Local, kHostV6);
    EXPECT_EQ(receive->LocalPort, 60001);
    EXPECT_EQ(receive->Remote, kServerV6);
    EXPECT_EQ(receive->RemotePort, 53);
}

// The same fields laid out for each of the eight ids, the trailing fields left off.
TEST(NetworkEvent, EachIdHasItsDirectionProtocolAndFamily) {
    struct TCase {
        uint16_t Id;
        TNetDirection Direction;
        TNetProtocol Protocol;
        bool V6;
    };
    const TCase cases[] = {{10, TNetDirection::Send, TNetProtocol::Tcp, false},
                           {11, TNetDirection::Receive, TNetProtocol::Tcp, false},
                           {26, TNetDirection::Send, TNetProtocol::Tcp, true},
                           {27, TNetDirection::Receive, TNetProtocol::Tcp, true},
                           {42, TNetDirection::Send, TNetProtocol::Udp, false},
                           {43, TNetDirection::Receive, TNetProtocol::Udp, false},
                           {58, TNetDirection::Send, TNetProtocol::Udp, true},
                           {59, TNetDirection::Receive, TNetProtocol::Udp, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Id);
        const Bytes& golden = c.V6 ? kUdp6Receive : kTcp4Send;
        const size_t needed = c.V6 ? 44 : 20;
        const Bytes fields(golden.begin(), golden.begin() + needed);
        const auto event = Parse(c.Id, fields);
        ASSERT_TRUE(event);
        EXPECT_EQ(event->Direction, c.Direction);
        EXPECT_EQ(event->Protocol, c.Protocol);
        EXPECT_EQ(event->Local, c.V6 ? kHostV6 : TIpAddress::V4(192, 168, 1, 20));
        EXPECT_EQ(event->RemotePort, c.V6 ? 53 : 443);
        EXPECT_EQ(event->ProcessId, c.V6 ? 7000u : 0x1234u);
        // Every shorter payload is refused, never read past its end.
        for (size_t n = 0; n < needed; ++n)
            EXPECT_FALSE(Parse(c.Id, Bytes(fields.begin(), fields.begin() + n))) << n;
        EXPECT_FALSE(Parse(c.Id, fields, 1));
    }
}

TEST(NetworkEvent, OtherIdsAndVersionsAreNotCounted) {
    for (unsigned id = 0; id <= 0xFFFF; ++id) {
        if (id == 10 || id == 11 || id == 26 || id == 27 || id == 42 || id == 43 || id == 58 ||
            id == 59)
            continue;
        ASSERT_FALSE(Parse(static_cast<uint16_t>(id), kUdp6Receive)) << id;
    }
    for (unsigned version = 1; version <= 255; ++version)
        ASSERT_FALSE(Parse(10, kTcp4Send, static_cast<uint8_t>(version))) << version;
    EXPECT_FALSE(ParseNetworkEvent(10, 0, nullptr, 64));
}

TEST(NetworkEvent, LoopbackAddresses) {
    EXPECT_TRUE(TIpAddress::V4(127, 0, 0, 1).IsLoopback());
    EXPECT_TRUE(TIpAddress::V4(127, 8, 9, 10).IsLoopback());
    EXPECT_FALSE(TIpAddress::V4(128, 0, 0, 1).IsLoopback());
    TIpAddress v6{true, {}};
    v6.Bytes[15] = 1;
    EXPECT_TRUE(v6.IsLoopback()); // ::1
    v6.Bytes[0] = 0xfe;
    EXPECT_FALSE(v6.IsLoopback());
    const TIpAddress mapped{true, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 127, 0, 0, 1}};
    EXPECT_TRUE(mapped.IsLoopback());
}

} // namespace
