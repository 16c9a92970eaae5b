// Readers of the system's interface table and IPv4 address table. They keep nothing between
// calls: each call reads the table afresh into the caller's list.
#pragma once
#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstdint>
#include <vector>

// The platform calls, replaceable so that tests can script their answers.
using TGetIfTableFunc = decltype(&::GetIfTable);
using TGetIpAddrTableFunc = decltype(&::GetIpAddrTable);
using TGetIfEntry2Func = decltype(&::GetIfEntry2);

// The platform calls a reader goes through.
struct TInterfaceSource {
    TGetIfTableFunc GetIfTable;
    TGetIpAddrTableFunc GetIpAddrTable;
    TGetIfEntry2Func GetIfEntry2;
};

// IP Helper's own calls, from iphlpapi.dll in the system folder: loaded on first use and kept
// for the process. Throws when the library or one of the calls is missing.
const TInterfaceSource& IpHelper();

// Fills list with the interface rows, unsorted, in the platform's order. A failed read or a
// table that changed size between the size query and the read leaves list as it was.
void ReadInterfaceTable(std::vector<MIB_IFROW>& list,
                        TGetIfTableFunc getIfTable = IpHelper().GetIfTable);

// The same for the IPv4 address table, sorted by address.
void ReadAddressTable(std::vector<MIB_IPADDRROW>& list,
                      TGetIpAddrTableFunc getIpAddrTable = IpHelper().GetIpAddrTable);

// The interface's 64-bit octet counters; false when the platform cannot give them.
bool ReadInterfaceCounters64(uint32_t index, uint64_t& in64, uint64_t& out64,
                             TGetIfEntry2Func getIfEntry2 = IpHelper().GetIfEntry2);
