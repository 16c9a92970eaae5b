// Readers of the system's interface table and IPv4 address table. Each call reads the table
// afresh into the caller's list; only a buffer the caller keeps outlives a call.
#pragma once
#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>

#include "traffic/counted_connection.h"

#include <cstdint>
#include <string>
#include <vector>

// The platform calls, replaceable so that tests can script their answers.
using TGetIfTableFunc = decltype(&::GetIfTable);
using TGetIpAddrTableFunc = decltype(&::GetIpAddrTable);
using TGetIfEntry2Func = decltype(&::GetIfEntry2);
using TGetBestInterfaceExFunc = decltype(&::GetBestInterfaceEx);
using TConvertLuidToIndexFunc = decltype(&::ConvertInterfaceLuidToIndex);

// The platform calls a reader goes through.
struct TInterfaceSource {
    TGetIfTableFunc GetIfTable;
    TGetIpAddrTableFunc GetIpAddrTable;
    TGetIfEntry2Func GetIfEntry2;
    TGetBestInterfaceExFunc GetBestInterfaceEx;
    TConvertLuidToIndexFunc ConvertInterfaceLuidToIndex;
    decltype(&::NotifyRouteChange2) NotifyRouteChange2;
    decltype(&::NotifyIpInterfaceChange) NotifyIpInterfaceChange;
    decltype(&::CancelMibChangeNotify2) CancelMibChangeNotify2;
    decltype(&::GetIpForwardTable2) GetIpForwardTable2;
    decltype(&::GetIpInterfaceTable) GetIpInterfaceTable;
    decltype(&::FreeMibTable) FreeMibTable;
};

// IP Helper's own calls, from iphlpapi.dll in the system folder: loaded on first use and kept
// for the process. Throws when the library or one of the calls is missing.
const TInterfaceSource& IpHelper();

// Fills list with the interface rows, unsorted, in the platform's order. A failed read or a
// table that changed size between the size query and the read leaves list as it was.
void ReadInterfaceTable(std::vector<MIB_IFROW>& list,
                        TGetIfTableFunc getIfTable = IpHelper().GetIfTable);

// The platform's buffer for a table, kept from one reading to the next: the size is asked for
// only at the first reading and when the table has outgrown the buffer.
using TTableBuffer = std::vector<DWORD>;
void ReadInterfaceTable(std::vector<MIB_IFROW>& list, TTableBuffer& buffer,
                        TGetIfTableFunc getIfTable = IpHelper().GetIfTable);

// The same for the IPv4 address table, sorted by address.
void ReadAddressTable(std::vector<MIB_IPADDRROW>& list,
                      TGetIpAddrTableFunc getIpAddrTable = IpHelper().GetIpAddrTable);

// What the newer interface row adds: the permanent identity and the 64-bit octet counters.
struct TInterfaceEntry2 {
    uint64_t Luid = 0;
    uint64_t InOctets = 0;
    uint64_t OutOctets = 0;
};

// The interface's row by index; false when the platform cannot give it. With the LUID the
// interface at the index is expected to have, the row is asked for by that LUID, which spares
// the platform looking the index up; the answer stands only if it is still at the index.
bool ReadInterfaceEntry2(uint32_t index, TInterfaceEntry2& entry,
                         TGetIfEntry2Func getIfEntry2 = IpHelper().GetIfEntry2,
                         uint64_t expectedLuid = 0);

// The index that the interface with this LUID has now; false when it has none.
bool InterfaceIndexOfLuid(uint64_t luid, uint32_t& index,
                          TConvertLuidToIndexFunc convert = IpHelper().ConvertInterfaceLuidToIndex);

// The interface that the system would send Internet traffic through: a route look-up for a
// public IPv4 address, then for a public IPv6 address. Nothing is sent.
bool ActiveConnectionIndex(
    uint32_t& index, TGetBestInterfaceExFunc getBestInterfaceEx = IpHelper().GetBestInterfaceEx);

// What automatic mode counts now: the route look-up's interface, or under a VPN (unless
// countTunnel) the physical adapter that carries it, as CountedConnection decides from rows and
// the routing table. Index 0 when there is no route to the Internet.
TCountedConnection CountedConnectionNow(const std::vector<MIB_IFROW>& rows, bool countTunnel,
                                        const TInterfaceSource& source = IpHelper());
