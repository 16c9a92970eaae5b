// A Windows program that only reads the interface and address tables once a second, the way
// the meter reads them: the floor against which the meter's own CPU time is measured.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <vector>

namespace {

// Size query, then the read into a DWORD-aligned buffer of that size; the rows are not used.
template <typename Table, typename Func> bool ReadTableOnce(Func getTable, BOOL sorted) {
    ULONG size = 0;
    if (getTable(nullptr, &size, sorted) != ERROR_INSUFFICIENT_BUFFER)
        return false;
    if (size < sizeof(Table))
        size = sizeof(Table);
    std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    return getTable(reinterpret_cast<Table*>(buffer.data()), &size, sorted) == NO_ERROR;
}

bool ReadBothTables() {
    const bool interfaces = ReadTableOnce<MIB_IFTABLE>(::GetIfTable, FALSE);
    const bool addresses = ReadTableOnce<MIB_IPADDRTABLE>(::GetIpAddrTable, TRUE);
    return interfaces && addresses;
}

} // namespace

// Runs until it is ended from outside. A first reading that fails ends it with exit code 1,
// so that a measurement never times a program that reads nothing.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (!ReadBothTables())
        return 1;
    for (;;) {
        Sleep(1000);
        ReadBothTables();
    }
}
