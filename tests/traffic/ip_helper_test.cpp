// Tests of the interface- and address-table readers: scripted platform answers for the
// two-step read, and the real tables under Wine.
#include "table_answer.h"
#include "traffic/address_format.h"
#include "traffic/ip_helper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// What the scripted GetIfTable/GetIpAddrTable answer: the size query's code, the read's code,
// the rows, and the entry count written into the buffer (the row count unless overridden).
struct Script {
    DWORD QueryResult = ERROR_INSUFFICIENT_BUFFER;
    DWORD ReadResult = NO_ERROR;
    std::vector<MIB_IFROW> IfRows;
    std::vector<MIB_IPADDRROW> AddrRows;
    bool OverrideCount = false;
    DWORD Count = 0;
    // What the reader did.
    int Calls = 0;
    BOOL LastOrder = -1;
};
Script script;

template <typename Table, typename Row>
DWORD Answer(Table* table, PULONG size, BOOL order, const std::vector<Row>& rows) {
    ++script.Calls;
    script.LastOrder = order;
    const ULONG needed = static_cast<ULONG>(offsetof(Table, table) + rows.size() * sizeof(Row));
    if (script.Calls == 1) {
        *size = needed;
        return script.QueryResult;
    }
    if (script.ReadResult != NO_ERROR)
        return script.ReadResult;
    if (*size < needed)
        return ERROR_INSUFFICIENT_BUFFER;
    table->dwNumEntries = script.OverrideCount ? script.Count : static_cast<DWORD>(rows.size());
    if (!rows.empty())
        std::memcpy(table->table, rows.data(), rows.size() * sizeof(Row));
    return NO_ERROR;
}

DWORD WINAPI ScriptedIfTable(PMIB_IFTABLE table, PULONG size, BOOL order) {
    return Answer(table, size, order, script.IfRows);
}

DWORD WINAPI ScriptedAddrTable(PMIB_IPADDRTABLE table, PULONG size, BOOL order) {
    return Answer(table, size, order, script.AddrRows);
}

// A row whose every byte is set, so that a partial copy shows.
MIB_IFROW PatternRow(DWORD index, unsigned char fill) {
    MIB_IFROW row;
    std::memset(&row, fill, sizeof row);
    row.dwIndex = index;
    return row;
}

MIB_IPADDRROW AddrRow(DWORD index, DWORD addr) {
    MIB_IPADDRROW row{};
    row.dwIndex = index;
    row.dwAddr = addr;
    return row;
}

class TableReaders : public ::testing::Test {
  protected:
    void SetUp() override { script = Script{}; }
};

TEST_F(TableReaders, RowsAreCopiedWholeAndInOrder) {
    script.IfRows = {PatternRow(9, 0x5A), PatternRow(2, 0xA5), PatternRow(4, 0x3C)};
    std::vector<MIB_IFROW> list;
    ReadInterfaceTable(list, ScriptedIfTable);
    ASSERT_EQ(list.size(), 3u);
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(std::memcmp(&list[i], &script.IfRows[i], sizeof(MIB_IFROW)), 0) << "row " << i;
    EXPECT_EQ(script.Calls, 2);
    EXPECT_FALSE(script.LastOrder); // the interface table unsorted
}

TEST_F(TableReaders, AddressTableIsRequestedSorted) {
    script.AddrRows = {AddrRow(1, 0x0100007F), AddrRow(4, 0x0501A8C0)};
    std::vector<MIB_IPADDRROW> list;
    ReadAddressTable(list, ScriptedAddrTable);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].dwAddr, 0x0100007Fu);
    EXPECT_EQ(list[1].dwIndex, 4u);
    EXPECT_TRUE(script.LastOrder);
}

TEST_F(TableReaders, SizeQueryAnsweredOtherwiseThan122LeavesTheListEmpty) {
    script.IfRows = {PatternRow(1, 0x11)};
    script.AddrRows = {AddrRow(1, 0x0100007F)};
    for (DWORD code : {DWORD{NO_ERROR}, DWORD{ERROR_NOT_SUPPORTED}, DWORD{ERROR_INVALID_PARAMETER},
                       DWORD{ERROR_NO_DATA}}) {
        script.QueryResult = code;
        script.Calls = 0;
        std::vector<MIB_IFROW> ifList;
        ReadInterfaceTable(ifList, ScriptedIfTable);
        EXPECT_TRUE(ifList.empty()) << code;
        EXPECT_EQ(script.Calls, 1) << code;
        script.Calls = 0;
        std::vector<MIB_IPADDRROW> addrList;
        ReadAddressTable(addrList, ScriptedAddrTable);
        EXPECT_TRUE(addrList.empty()) << code;
        EXPECT_EQ(script.Calls, 1) << code;
    }
}

TEST_F(TableReaders, FailedReadLeavesTheListAsItWasWithoutRetry) {
    script.IfRows = {PatternRow(1, 0x11), PatternRow(2, 0x22)};
    // A table that grew since the size query gives 122 again; that too is not retried.
    for (DWORD code : {DWORD{ERROR_INSUFFICIENT_BUFFER}, DWORD{ERROR_NOT_SUPPORTED}, DWORD{1}}) {
        script.ReadResult = code;
        script.Calls = 0;
        std::vector<MIB_IFROW> list;
        ReadInterfaceTable(list, ScriptedIfTable);
        EXPECT_TRUE(list.empty()) << code;
        EXPECT_EQ(script.Calls, 2) << code;
    }
    // A list that already held rows keeps them.
    script.Calls = 0;
    std::vector<MIB_IFROW> kept{PatternRow(7, 0x77)};
    ReadInterfaceTable(kept, ScriptedIfTable);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].dwIndex, 7u);
}

TEST_F(TableReaders, ZeroEntriesGiveAnEmptyList) {
    std::vector<MIB_IFROW> ifList;
    ReadInterfaceTable(ifList, ScriptedIfTable);
    EXPECT_TRUE(ifList.empty());
    EXPECT_EQ(script.Calls, 2);
    script.Calls = 0;
    std::vector<MIB_IPADDRROW> addrList;
    ReadAddressTable(addrList, ScriptedAddrTable);
    EXPECT_TRUE(addrList.empty());
    // Zero entries although rows follow: the count decides.
    script.IfRows = {PatternRow(1, 0x11)};
    script.OverrideCount = true;
    script.Count = 0;
    script.Calls = 0;
    ReadInterfaceTable(ifList, ScriptedIfTable);
    EXPECT_TRUE(ifList.empty());
}

TEST_F(TableReaders, CountBeyondTheBufferIsCutToTheRowsThatFit) {
    script.IfRows = {PatternRow(3, 0x33), PatternRow(5, 0x55)};
    script.OverrideCount = true;
    script.Count = 1000;
    std::vector<MIB_IFROW> list;
    ReadInterfaceTable(list, ScriptedIfTable);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].dwIndex, 3u);
    EXPECT_EQ(list[1].dwIndex, 5u);
}

DWORD WINAPI SizedIfTable(PMIB_IFTABLE table, PULONG size, BOOL) {
    ++script.Calls;
    return AnswerTable(table, size, script.IfRows);
}

TEST_F(TableReaders, KeptBufferAsksForTheSizeOnlyWhenTheTableOutgrewIt) {
    TTableBuffer buffer;
    const auto read = [&buffer] {
        std::vector<MIB_IFROW> list;
        ReadInterfaceTable(list, buffer, SizedIfTable);
        return list;
    };
    script.IfRows = {PatternRow(1, 0x11), PatternRow(2, 0x22)};
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(read().size(), 2u);
    EXPECT_EQ(script.Calls, 4); // size, then three reads

    script.IfRows.push_back(PatternRow(3, 0x33));
    script.Calls = 0;
    const std::vector<MIB_IFROW> grown = read();
    ASSERT_EQ(grown.size(), 3u);
    EXPECT_EQ(std::memcmp(&grown[2], &script.IfRows[2], sizeof(MIB_IFROW)), 0);
    EXPECT_EQ(script.Calls, 2);

    script.IfRows.resize(1);
    script.Calls = 0;
    EXPECT_EQ(read().size(), 1u);
    EXPECT_EQ(script.Calls, 1);
}

DWORD WINAPI FailingIfEntry2(PMIB_IF_ROW2) {
    return ERROR_FILE_NOT_FOUND;
}
// One interface, index 6, found by its index or its LUID as the platform finds them.
int entryCalls = 0;
DWORD WINAPI ScriptedIfEntry2(PMIB_IF_ROW2 row) {
    ++entryCalls;
    const uint64_t luid = row->InterfaceLuid.Value;
    if (luid != 0 ? luid != 0x0006'0000'0A00'00F1ull : row->InterfaceIndex != 6)
        return ERROR_FILE_NOT_FOUND;
    row->InterfaceIndex = 6;
    row->InterfaceLuid.Value = 0x0006'0000'0A00'00F1ull;
    row->InOctets = 0x1'0000'0005ull;
    row->OutOctets = 0x2'0000'0007ull;
    return NO_ERROR;
}

TEST(InterfaceEntry2, GivesTheRowsLuidAndCountersOrFalse) {
    TInterfaceEntry2 entry;
    EXPECT_FALSE(ReadInterfaceEntry2(6, entry, FailingIfEntry2));
    EXPECT_FALSE(ReadInterfaceEntry2(5, entry, ScriptedIfEntry2));
    EXPECT_EQ(entry.InOctets, 0u);
    ASSERT_TRUE(ReadInterfaceEntry2(6, entry, ScriptedIfEntry2));
    EXPECT_EQ(entry.Luid, 0x0006'0000'0A00'00F1ull);
    EXPECT_EQ(entry.InOctets, 0x1'0000'0005ull);
    EXPECT_EQ(entry.OutOctets, 0x2'0000'0007ull);

    // The expected LUID is asked for at once; at another index it does not count.
    entryCalls = 0;
    entry = TInterfaceEntry2{};
    ASSERT_TRUE(ReadInterfaceEntry2(6, entry, ScriptedIfEntry2, 0x0006'0000'0A00'00F1ull));
    EXPECT_EQ(entryCalls, 1);
    EXPECT_EQ(entry.InOctets, 0x1'0000'0005ull);
    EXPECT_FALSE(ReadInterfaceEntry2(5, entry, ScriptedIfEntry2, 0x0006'0000'0A00'00F1ull));
    EXPECT_EQ(entryCalls, 3);
    ASSERT_TRUE(ReadInterfaceEntry2(6, entry, ScriptedIfEntry2, 0x0006'0000'0000'0001ull));
    EXPECT_EQ(entry.Luid, 0x0006'0000'0A00'00F1ull);
}

DWORD WINAPI ScriptedLuidToIndex(const NET_LUID* luid, PNET_IFINDEX index) {
    if (luid->Value != 0x0006'0000'0A00'00F1ull)
        return ERROR_FILE_NOT_FOUND;
    *index = 12;
    return NO_ERROR;
}

TEST(InterfaceEntry2, LuidLeadsBackToTheIndex) {
    uint32_t index = 99;
    EXPECT_TRUE(InterfaceIndexOfLuid(0x0006'0000'0A00'00F1ull, index, ScriptedLuidToIndex));
    EXPECT_EQ(index, 12u);
    for (uint64_t luid : {0ull, 0x0006'0000'0A00'00F2ull}) {
        index = 99;
        EXPECT_FALSE(InterfaceIndexOfLuid(luid, index, ScriptedLuidToIndex)) << luid;
        EXPECT_EQ(index, 99u) << luid;
    }
}

// Which families the route look-up was asked for, and which of them has a route.
struct RouteScript {
    bool V4 = false, V6 = false;
    std::vector<int> Asked;
} routes;

DWORD WINAPI ScriptedBestInterface(sockaddr* destination, PDWORD index) {
    routes.Asked.push_back(destination->sa_family);
    const bool v4 = destination->sa_family == AF_INET;
    if (v4) {
        // A public address, not one of the machine's own networks.
        EXPECT_EQ(reinterpret_cast<sockaddr_in*>(destination)->sin_addr.s_addr, htonl(0xC0000201));
    }
    if (!(v4 ? routes.V4 : routes.V6))
        return ERROR_NETWORK_UNREACHABLE;
    *index = v4 ? 4 : 6;
    return NO_ERROR;
}

TEST(ActiveConnection, IPv4RouteFirstThenIPv6) {
    const std::vector<int> both = {AF_INET, AF_INET6};
    struct Case {
        bool V4, V6;
        bool Found;
        uint32_t Index;
        std::vector<int> Asked;
    } cases[] = {{true, true, true, 4, {AF_INET}},
                 {false, true, true, 6, both},
                 {false, false, false, 77, both}};
    for (const Case& c : cases) {
        routes = RouteScript{c.V4, c.V6, {}};
        uint32_t index = 77;
        EXPECT_EQ(ActiveConnectionIndex(index, ScriptedBestInterface), c.Found);
        EXPECT_EQ(index, c.Index);
        EXPECT_EQ(routes.Asked, c.Asked);
    }
}

// The routing and interface tables as the platform would allocate them; FreeMibTable counts.
struct TRoutingScript {
    std::vector<MIB_IPFORWARD_ROW2> Routes;
    std::vector<MIB_IPINTERFACE_ROW> Interfaces;
    std::vector<std::vector<uint8_t>> Tables;
    int Freed = 0;
} routing;

template <typename Table, typename Row> Table* Allocate(const std::vector<Row>& rows) {
    routing.Tables.emplace_back(sizeof(Table) + rows.size() * sizeof(Row));
    auto* table = reinterpret_cast<Table*>(routing.Tables.back().data());
    table->NumEntries = static_cast<ULONG>(rows.size());
    std::copy(rows.begin(), rows.end(), table->Table);
    return table;
}

DWORD WINAPI ScriptedRoutes(ADDRESS_FAMILY, PMIB_IPFORWARD_TABLE2* table) {
    *table = Allocate<MIB_IPFORWARD_TABLE2>(routing.Routes);
    return NO_ERROR;
}

DWORD WINAPI ScriptedIpInterfaces(ADDRESS_FAMILY, PMIB_IPINTERFACE_TABLE* table) {
    *table = Allocate<MIB_IPINTERFACE_TABLE>(routing.Interfaces);
    return NO_ERROR;
}

void WINAPI ScriptedFree(PVOID) {
    ++routing.Freed;
}

MIB_IPFORWARD_ROW2 Route(NET_IFINDEX index, uint32_t destination, UINT8 length, uint32_t nextHop) {
    MIB_IPFORWARD_ROW2 row{};
    row.InterfaceIndex = index;
    row.DestinationPrefix.Prefix.si_family = AF_INET;
    row.DestinationPrefix.Prefix.Ipv4.sin_addr.s_addr = htonl(destination);
    row.DestinationPrefix.PrefixLength = length;
    row.NextHop.si_family = AF_INET;
    row.NextHop.Ipv4.sin_addr.s_addr = htonl(nextHop);
    return row;
}

MIB_IFROW InterfaceRow(DWORD index, DWORD type, const char* description) {
    MIB_IFROW row{};
    row.dwIndex = index;
    row.dwType = type;
    row.dwOperStatus = MIB_IF_OPER_STATUS_OPERATIONAL;
    row.dwDescrLen = static_cast<DWORD>(std::strlen(description));
    std::memcpy(row.bDescr, description, row.dwDescrLen);
    return row;
}

// The route look-up (scripted above) picks index 4, a VPN's adapter: the server's route through
// a gateway names the adapter under it; without one the default route of the lowest metric,
// the interface's metric included, does; a host route on the link itself names nothing.
TEST(CountedConnectionNow, ReadsTheRoutingTableUnderAVpn) {
    const std::vector<MIB_IFROW> rows = {InterfaceRow(4, IF_TYPE_PROP_VIRTUAL, "VPN Client"),
                                         InterfaceRow(7, IF_TYPE_ETHERNET_CSMACD, "Ethernet"),
                                         InterfaceRow(9, IF_TYPE_IEEE80211, "Wi-Fi")};
    TInterfaceSource source = IpHelper();
    source.GetBestInterfaceEx = ScriptedBestInterface;
    source.GetIpForwardTable2 = ScriptedRoutes;
    source.GetIpInterfaceTable = ScriptedIpInterfaces;
    source.FreeMibTable = ScriptedFree;
    routes = RouteScript{true, false, {}};
    routing = TRoutingScript{};
    routing.Interfaces.resize(2);
    routing.Interfaces[0].Family = routing.Interfaces[1].Family = AF_INET;
    routing.Interfaces[0].InterfaceIndex = 7;
    routing.Interfaces[0].Metric = 25;
    routing.Interfaces[1].InterfaceIndex = 9;
    routing.Interfaces[1].Metric = 50;
    routing.Routes = {Route(4, 0, 0, 0), Route(9, 0, 0, 0xC0A80101), Route(7, 0, 0, 0xC0A80001),
                      Route(7, 0xFFFFFFFF, 32, 0), Route(9, 0xC6336407, 32, 0xC0A80101)};

    TCountedConnection counted = CountedConnectionNow(rows, false, source);
    EXPECT_EQ(counted.Index, 9u);
    EXPECT_EQ(counted.Tunnel, 4u);
    EXPECT_EQ(routing.Freed, 2);
    routing.Routes.pop_back();
    EXPECT_EQ(CountedConnectionNow(rows, false, source).Index, 7u);
    counted = CountedConnectionNow(rows, true, source);
    EXPECT_EQ(counted.Index, 4u);
    EXPECT_EQ(counted.Tunnel, 0u);
}

// Under Wine, index 1 is the loopback "lo" without a physical address, carrying 127.0.0.1.
TEST(RealTables, InterfaceTableHoldsTheLoopback) {
    std::vector<MIB_IFROW> list;
    ReadInterfaceTable(list);
    ASSERT_FALSE(list.empty());
    const MIB_IFROW* loopback = nullptr;
    for (const MIB_IFROW& row : list)
        if (row.dwIndex == 1)
            loopback = &row;
    ASSERT_NE(loopback, nullptr);
    EXPECT_EQ(AdapterDescription(loopback->bDescr, loopback->dwDescrLen), "lo");
    EXPECT_EQ(FormatMacAddress(loopback->bPhysAddr, loopback->dwPhysAddrLen), "00-00-00-00-00-00");
    EXPECT_EQ(loopback->dwType, DWORD{IF_TYPE_SOFTWARE_LOOPBACK});
}

TEST(RealTables, AddressTableHasTheLoopbackAddressOnIndexOne) {
    std::vector<MIB_IPADDRROW> list;
    ReadAddressTable(list);
    bool found = false;
    for (const MIB_IPADDRROW& row : list)
        if (row.dwIndex == 1 && FormatIpAddress(row.dwAddr) == "127.  0.  0.  1")
            found = true;
    EXPECT_TRUE(found);
}

DWORD WINAPI CountedRealIfEntry2(PMIB_IF_ROW2 row) {
    ++entryCalls;
    return IpHelper().GetIfEntry2(row);
}

// Wine 8 makes a LUID from the interface type and the kernel's index: "lo" is 0018000001000000
// (type 24, software loopback, index 1).
TEST(RealTables, LoopbackHasA64BitRowAndItsLuidLeadsBack) {
    TInterfaceEntry2 entry;
    ASSERT_TRUE(ReadInterfaceEntry2(1, entry));
    EXPECT_EQ(entry.Luid >> 48, 0x0018u);
    uint32_t index = 0;
    EXPECT_TRUE(InterfaceIndexOfLuid(entry.Luid, index));
    EXPECT_EQ(index, 1u);
    EXPECT_FALSE(ReadInterfaceEntry2(0x7FFF0001u, entry));
    // Asked for by its LUID, the row says its index (Wine 8 as Windows), so one call does.
    entryCalls = 0;
    TInterfaceEntry2 byLuid;
    ASSERT_TRUE(ReadInterfaceEntry2(1, byLuid, CountedRealIfEntry2, entry.Luid));
    EXPECT_EQ(byLuid.Luid, entry.Luid);
    EXPECT_EQ(entryCalls, 1);
}

} // namespace
