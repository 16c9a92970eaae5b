// Readers of the system's interface table and IPv4 address table: size query, then the read.
#include "traffic/ip_helper.h"
#include "platform/system_library.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace {

// Reads a table of the MIB_IFTABLE shape (a DWORD count, then the rows) into list.
template <typename Table, typename Row, typename Func>
void ReadTable(std::vector<Row>& list, Func getTable, BOOL sorted) {
    ULONG size = 0;
    if (getTable(nullptr, &size, sorted) != ERROR_INSUFFICIENT_BUFFER)
        return;
    try {
        // Never smaller than an empty table, so the count can always be read.
        size = std::max<ULONG>(size, sizeof(Table));
        // DWORD elements keep the table aligned as the platform expects.
        std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
        auto* table = reinterpret_cast<Table*>(buffer.data());
        if (getTable(table, &size, sorted) != NO_ERROR)
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

} // namespace

const TInterfaceSource& IpHelper() {
    static const TSystemLibrary iphlpapi("iphlpapi.dll");
    static const TInterfaceSource calls{iphlpapi.Proc<TGetIfTableFunc>("GetIfTable"),
                                        iphlpapi.Proc<TGetIpAddrTableFunc>("GetIpAddrTable"),
                                        iphlpapi.Proc<TGetIfEntry2Func>("GetIfEntry2")};
    return calls;
}

void ReadInterfaceTable(std::vector<MIB_IFROW>& list, TGetIfTableFunc getIfTable) {
    ReadTable<MIB_IFTABLE>(list, getIfTable, FALSE);
}

void ReadAddressTable(std::vector<MIB_IPADDRROW>& list, TGetIpAddrTableFunc getIpAddrTable) {
    ReadTable<MIB_IPADDRTABLE>(list, getIpAddrTable, TRUE);
}

bool ReadInterfaceCounters64(uint32_t index, uint64_t& in64, uint64_t& out64,
                             TGetIfEntry2Func getIfEntry2) {
    MIB_IF_ROW2 row{};
    row.InterfaceIndex = index;
    if (getIfEntry2(&row) != NO_ERROR)
        return false;
    in64 = row.InOctets;
    out64 = row.OutOctets;
    return true;
}
