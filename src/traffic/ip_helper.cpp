// Readers of the system's interface table and IPv4 address table: size query, then the read.
#include "traffic/ip_helper.h"
#include "platform/system_library.h"
#include "traffic/address_format.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <utility>

namespace {

// Reads a table of the MIB_IFTABLE shape (a DWORD count, then the rows) into list. An empty
// buffer first learns the size; one that is too small is made larger and read into once more.
template <typename Table, typename Row, typename Func>
void ReadTable(std::vector<Row>& list, TTableBuffer& buffer, Func getTable, BOOL sorted) {
    try {
        ULONG size = static_cast<ULONG>(buffer.size() * sizeof(DWORD));
        auto* table = buffer.empty() ? nullptr : reinterpret_cast<Table*>(buffer.data());
        DWORD result = getTable(table, &size, sorted);
        if (result == ERROR_INSUFFICIENT_BUFFER) {
            // Never smaller than an empty table, so the count can always be read.
            size = std::max<ULONG>(size, sizeof(Table));
            // DWORD elements keep the table aligned as the platform expects.
            buffer.assign((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
            table = reinterpret_cast<Table*>(buffer.data());
            result = getTable(table, &size, sorted);
        } else if (!table) {
            return; // the size query failed
        }
        if (result != NO_ERROR)
            return;
        // A count larger than the buffer could hold is cut to the rows that fit.
        const size_t bytes = buffer.size() * sizeof(DWORD);
        const size_t fit = (bytes - offsetof(Table, table)) / sizeof(Row);
        const size_t count = std::min<size_t>(table->dwNumEntries, fit);
        if (count == 0)
            return;
        list.assign(table->table, table->table + count);
    } catch (const std::bad_alloc&) {
        // Like any other failed read: the list stays as it was.
    }
}

// A table the platform allocated, freed by it.
template <typename Table> class TMibTable {
  public:
    explicit TMibTable(decltype(&::FreeMibTable) free) : free_(free) {}
    TMibTable(const TMibTable&) = delete;
    TMibTable& operator=(const TMibTable&) = delete;
    ~TMibTable() {
        if (table_)
            free_(table_);
    }
    Table** Receive() { return &table_; }
    const Table* operator->() const { return table_; }

  private:
    decltype(&::FreeMibTable) free_;
    Table* table_ = nullptr;
};

bool IsUnspecified(const SOCKADDR_INET& address) {
    if (address.si_family == AF_INET)
        return address.Ipv4.sin_addr.s_addr == 0;
    static const IN6_ADDR none{};
    return std::memcmp(&address.Ipv6.sin6_addr, &none, sizeof none) == 0;
}

// Routes with their full metric: the route's own plus its interface's, as the system adds them.
std::vector<TRouteKind> ReadRoutes(const TInterfaceSource& source) {
    std::vector<TRouteKind> routes;
    std::map<std::pair<int, NET_IFINDEX>, ULONG> interfaceMetrics;
    TMibTable<MIB_IPINTERFACE_TABLE> interfaces(source.FreeMibTable);
    if (source.GetIpInterfaceTable(AF_UNSPEC, interfaces.Receive()) == NO_ERROR) {
        for (ULONG i = 0; i < interfaces->NumEntries; ++i) {
            const MIB_IPINTERFACE_ROW& row = interfaces->Table[i];
            interfaceMetrics[{row.Family, row.InterfaceIndex}] = row.Metric;
        }
    }
    TMibTable<MIB_IPFORWARD_TABLE2> table(source.FreeMibTable);
    if (source.GetIpForwardTable2(AF_UNSPEC, table.Receive()) != NO_ERROR)
        return routes;
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IPFORWARD_ROW2& row = table->Table[i];
        const int family = row.DestinationPrefix.Prefix.si_family;
        const UINT8 length = row.DestinationPrefix.PrefixLength;
        TRouteKind route;
        route.Index = row.InterfaceIndex;
        route.Default = length == 0;
        route.HostViaGateway =
            length == (family == AF_INET ? 32 : 128) && !IsUnspecified(row.NextHop);
        route.Metric = uint64_t{row.Metric} + interfaceMetrics[{family, row.InterfaceIndex}];
        routes.push_back(route);
    }
    return routes;
}

} // namespace

const TInterfaceSource& IpHelper() {
    static const TSystemLibrary iphlpapi("iphlpapi.dll");
    static const TInterfaceSource calls{
        iphlpapi.Proc<TGetIfTableFunc>("GetIfTable"),
        iphlpapi.Proc<TGetIpAddrTableFunc>("GetIpAddrTable"),
        iphlpapi.Proc<TGetIfEntry2Func>("GetIfEntry2"),
        iphlpapi.Proc<TGetBestInterfaceExFunc>("GetBestInterfaceEx"),
        iphlpapi.Proc<TConvertLuidToIndexFunc>("ConvertInterfaceLuidToIndex"),
        iphlpapi.Proc<decltype(&::NotifyRouteChange2)>("NotifyRouteChange2"),
        iphlpapi.Proc<decltype(&::NotifyIpInterfaceChange)>("NotifyIpInterfaceChange"),
        iphlpapi.Proc<decltype(&::CancelMibChangeNotify2)>("CancelMibChangeNotify2"),
        iphlpapi.Proc<decltype(&::GetIpForwardTable2)>("GetIpForwardTable2"),
        iphlpapi.Proc<decltype(&::GetIpInterfaceTable)>("GetIpInterfaceTable"),
        iphlpapi.Proc<decltype(&::FreeMibTable)>("FreeMibTable")};
    return calls;
}

void ReadInterfaceTable(std::vector<MIB_IFROW>& list, TGetIfTableFunc getIfTable) {
    TTableBuffer buffer;
    ReadInterfaceTable(list, buffer, getIfTable);
}

void ReadInterfaceTable(std::vector<MIB_IFROW>& list, TTableBuffer& buffer,
                        TGetIfTableFunc getIfTable) {
    ReadTable<MIB_IFTABLE>(list, buffer, getIfTable, FALSE);
}

void ReadAddressTable(std::vector<MIB_IPADDRROW>& list, TGetIpAddrTableFunc getIpAddrTable) {
    TTableBuffer buffer;
    ReadTable<MIB_IPADDRTABLE>(list, buffer, getIpAddrTable, TRUE);
}

bool ReadInterfaceEntry2(uint32_t index, TInterfaceEntry2& entry, TGetIfEntry2Func getIfEntry2,
                         uint64_t expectedLuid) {
    MIB_IF_ROW2 row{};
    row.InterfaceLuid.Value = expectedLuid;
    if (expectedLuid == 0 || getIfEntry2(&row) != NO_ERROR || row.InterfaceIndex != index) {
        row = MIB_IF_ROW2{};
        row.InterfaceIndex = index;
        if (getIfEntry2(&row) != NO_ERROR)
            return false;
    }
    entry.Luid = row.InterfaceLuid.Value;
    entry.InOctets = row.InOctets;
    entry.OutOctets = row.OutOctets;
    return true;
}

bool InterfaceIndexOfLuid(uint64_t luid, uint32_t& index, TConvertLuidToIndexFunc convert) {
    if (luid == 0)
        return false;
    NET_LUID value{};
    value.Value = luid;
    NET_IFINDEX found = 0;
    if (convert(&value, &found) != NO_ERROR || found == 0)
        return false;
    index = found;
    return true;
}

bool ActiveConnectionIndex(uint32_t& index, TGetBestInterfaceExFunc getBestInterfaceEx) {
    // Documentation addresses: no host has them, and the default route leads to them as it
    // leads to any address on the Internet.
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = htonl(0xC0000201); // 192.0.2.1
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    const uint8_t v6Address[16] = {0x20, 0x01, 0x0D, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    std::memcpy(v6.sin6_addr.s6_addr, v6Address, sizeof v6Address); // 2001:db8::1
    for (sockaddr* destination :
         {reinterpret_cast<sockaddr*>(&v4), reinterpret_cast<sockaddr*>(&v6)}) {
        DWORD found = 0;
        if (getBestInterfaceEx(destination, &found) == NO_ERROR && found != 0) {
            index = found;
            return true;
        }
    }
    return false;
}

TCountedConnection CountedConnectionNow(const std::vector<MIB_IFROW>& rows, bool countTunnel,
                                        const TInterfaceSource& source) {
    uint32_t index = 0;
    if (!ActiveConnectionIndex(index, source.GetBestInterfaceEx))
        return {};
    std::vector<std::string> descriptions;
    descriptions.reserve(rows.size()); // the kinds below point into these strings
    std::vector<TInterfaceKind> kinds;
    bool virtualChosen = false;
    for (const MIB_IFROW& row : rows) {
        descriptions.push_back(AdapterDescription(row.bDescr, row.dwDescrLen));
        kinds.push_back({row.dwIndex, row.dwType, descriptions.back(),
                         row.dwOperStatus >= MIB_IF_OPER_STATUS_CONNECTED});
        virtualChosen = virtualChosen ||
                        (row.dwIndex == index && IsVirtualAdapter(row.dwType, descriptions.back()));
    }
    if (countTunnel || !virtualChosen) // the routing table is read only when it can matter
        return {index, 0};
    return CountedConnection(index, kinds, ReadRoutes(source));
}
