// Tests of the adapter monitor with a running sampling thread: scripted interface tables for
// exact counts, the real tables under Wine for the loopback, and the log in a private folder.
#include "../desktop/message_pump.h"
#include "../log/log_test_support.h"
#include "table_answer.h"
#include "platform/application.h"
#include "traffic/adapter_monitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

namespace fs = std::filesystem;
using logtest::ReadBytes;
using logtest::RecordBytes;

// The table the scripted platform calls show. Read k (from 1) carries the watched row when
// FirstPresent <= k <= LastPresent, with counters Base + Step * (k - 1), or the reset values
// from read ResetFrom on. From read MovedFrom on the watched row has MovedIndex, and a stranger
// has its old index. Beside it there is always another interface at Index + 1.
// Everything here is touched on the test's (user-interface) thread only.
struct MonitorScript {
    DWORD Index = 7;
    uint32_t BaseIn = 1000000, BaseOut = 200000;
    uint32_t StepIn = 1000, StepOut = 300;
    int FirstPresent = 1, LastPresent = INT_MAX;
    int ResetFrom = 0;
    uint32_t ResetIn = 500, ResetOut = 100;
    DWORD Speed = 100000000;
    bool With64BitCounters = false; // also gives each row its LUID
    uint64_t Luid = 0x0006000007000000;
    int MovedFrom = 0;
    DWORD MovedIndex = 9;
    DWORD RouteIndex = 0; // what the route look-up answers; 0: no route
    const char* Description = "  Scripted Adapter \t";
    DWORD PhysAddrLen = 6;
    std::vector<MIB_IPADDRROW> Addresses;
    int Reads = 0;        // completed table reads
    int SizeAnswers = 0;  // interface-table calls that only gave the size
    int AddressCalls = 0; // address-table calls
};
MonitorScript script;
constexpr uint64_t kOtherLuid = 0x0006000008000000;
constexpr uint64_t kStrangerLuid = 0x00060000FF000000;

DWORD WatchedIndex(int read) {
    return script.MovedFrom > 0 && read >= script.MovedFrom ? script.MovedIndex : script.Index;
}

bool WatchedRow(int read, MIB_IFROW& row) {
    if (read < script.FirstPresent || read > script.LastPresent)
        return false;
    row = MIB_IFROW{};
    row.dwIndex = WatchedIndex(read);
    const bool reset = script.ResetFrom > 0 && read >= script.ResetFrom;
    row.dwInOctets = reset ? script.ResetIn : script.BaseIn + script.StepIn * (read - 1);
    row.dwOutOctets = reset ? script.ResetOut : script.BaseOut + script.StepOut * (read - 1);
    row.dwSpeed = script.Speed;
    const uint8_t mac[8] = {0x00, 0x1B, 0x21, 0x0A, 0xBC, 0xDE, 0x77, 0x88};
    std::memcpy(row.bPhysAddr, mac, sizeof mac);
    row.dwPhysAddrLen = script.PhysAddrLen;
    const size_t length = std::strlen(script.Description) + 1; // Windows counts the NUL
    std::memcpy(row.bDescr, script.Description, length);
    row.dwDescrLen = static_cast<DWORD>(length);
    return true;
}

// Read k's rows: the other interface (50 bytes in a read), the stranger, the watched one.
std::vector<MIB_IFROW> RowsOfRead(int read) {
    MIB_IFROW other{};
    other.dwIndex = script.Index + 1;
    other.dwInOctets = 123 + 50 * read;
    std::vector<MIB_IFROW> rows{other};
    if (WatchedIndex(read) != script.Index) {
        MIB_IFROW stranger{};
        stranger.dwIndex = script.Index;
        stranger.dwInOctets = 7000000 + 5000 * read;
        rows.push_back(stranger);
    }
    MIB_IFROW watched;
    if (WatchedRow(read, watched))
        rows.push_back(watched);
    return rows;
}

uint64_t LuidOfRow(DWORD index, int read) {
    if (index == script.Index + 1)
        return kOtherLuid;
    return index == WatchedIndex(read) ? script.Luid : kStrangerLuid;
}

DWORD WINAPI ScriptedIfTable(PMIB_IFTABLE table, PULONG size, BOOL) {
    const DWORD result = AnswerTable(table, size, RowsOfRead(script.Reads + 1));
    if (result == NO_ERROR)
        ++script.Reads;
    else
        ++script.SizeAnswers;
    return result;
}

DWORD WINAPI ScriptedAddrTable(PMIB_IPADDRTABLE table, PULONG size, BOOL) {
    ++script.AddressCalls;
    return AnswerTable(table, size, script.Addresses);
}

// The LUID and 64-bit counters of a row of the read just taken, asked for by its LUID or,
// without one, by its index.
DWORD WINAPI ScriptedIfEntry2(PMIB_IF_ROW2 row) {
    if (!script.With64BitCounters)
        return ERROR_FILE_NOT_FOUND;
    for (const MIB_IFROW& current : RowsOfRead(script.Reads)) {
        const uint64_t luid = LuidOfRow(current.dwIndex, script.Reads);
        if (row->InterfaceLuid.Value != 0 ? luid != row->InterfaceLuid.Value
                                          : current.dwIndex != row->InterfaceIndex)
            continue;
        row->InterfaceIndex = current.dwIndex;
        row->InterfaceLuid.Value = luid;
        row->InOctets = current.dwInOctets;
        row->OutOctets = current.dwOutOctets;
        return NO_ERROR;
    }
    return ERROR_FILE_NOT_FOUND;
}

DWORD WINAPI ScriptedLuidToIndex(const NET_LUID* luid, PNET_IFINDEX index) {
    for (const MIB_IFROW& current : RowsOfRead(script.Reads)) {
        if (LuidOfRow(current.dwIndex, script.Reads) == luid->Value) {
            *index = current.dwIndex;
            return NO_ERROR;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

DWORD WINAPI ScriptedBestInterface(sockaddr*, PDWORD index) {
    if (script.RouteIndex == 0)
        return ERROR_NETWORK_UNREACHABLE;
    *index = script.RouteIndex;
    return NO_ERROR;
}

// The real interface table, with its reads counted.
DWORD WINAPI CountedRealIfTable(PMIB_IFTABLE table, PULONG size, BOOL order) {
    const DWORD result = IpHelper().GetIfTable(table, size, order);
    if (table && result == NO_ERROR)
        ++script.Reads;
    return result;
}

// The real source's notification calls, scripted answers for everything read.
TInterfaceSource ScriptedSource() {
    TInterfaceSource source = IpHelper();
    source.GetIfTable = ScriptedIfTable;
    source.GetIpAddrTable = ScriptedAddrTable;
    source.GetIfEntry2 = ScriptedIfEntry2;
    source.GetBestInterfaceEx = ScriptedBestInterface;
    source.ConvertInterfaceLuidToIndex = ScriptedLuidToIndex;
    return source;
}

const TInterfaceSource kScripted = ScriptedSource();

uint32_t NetworkOrder(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return uint32_t{a} | uint32_t{b} << 8 | uint32_t{c} << 16 | uint32_t{d} << 24;
}

MIB_IPADDRROW AddrRow(DWORD index, DWORD addr) {
    MIB_IPADDRROW row{};
    row.dwIndex = index;
    row.dwAddr = addr;
    return row;
}

uint64_t LoggedIn() {
    return GetLogTotal(lpToday, ldIn);
}
uint64_t LoggedOut() {
    return GetLogTotal(lpToday, ldOut);
}

class AdapterMonitorTest : public logtest::LogFileTest {
  protected:
    void SetUp() override {
        LogFileTest::SetUp();
        if (!TApplication::Instance().IsUiThread())
            TApplication::Instance().Initialize();
        SetSwitches(true, true, true);
        script = MonitorScript{};
        script.Addresses = {AddrRow(3, NetworkOrder(10, 0, 0, 1)),
                            AddrRow(7, NetworkOrder(192, 168, 1, 5)),
                            AddrRow(7, NetworkOrder(192, 168, 1, 200))};
    }

    void TearDown() override {
        for (TAdapterMonitor* monitor : running_)
            monitor->RequestStop();
        running_.clear();
        // Serve a reading a stopping thread may still have sent, and let it end.
        PumpUntil([] { return false; }, 12);
        SetSwitches(true, true, true);
        LogFileTest::TearDown();
    }

    // For the monitors started from now on.
    void SetSwitches(bool dolog, bool dologins, bool dologouts) {
        switches_ = TLogSwitches{dolog, dologins, dologouts};
    }

    TAdapterMonitor* Start(const TAdapterTarget& target,
                           const TInterfaceSource& source = kScripted) {
        TAdapterMonitor* monitor = TAdapterMonitor::Create(target, switches_, source);
        running_.push_back(monitor);
        return monitor;
    }
    TAdapterMonitor* Start(uint32_t index, const TInterfaceSource& source = kScripted) {
        TAdapterTarget target;
        target.Index = index;
        return Start(target, source);
    }

    // After this the monitor may free itself at any time.
    void Stop(TAdapterMonitor* monitor) {
        monitor->RequestStop();
        running_.erase(std::find(running_.begin(), running_.end(), monitor));
    }

    std::vector<TAdapterMonitor*> running_;
    TLogSwitches switches_;
};

const MIB_IFROW* FindRow(const std::vector<MIB_IFROW>& rows, DWORD index) {
    for (const MIB_IFROW& row : rows)
        if (row.dwIndex == index)
            return &row;
    return nullptr;
}

// Under Wine, index 1 is the loopback "lo" with 127.0.0.1 and no physical address.
TEST_F(AdapterMonitorTest, FirstReadingOfTheLoopbackTakesTheTablesCounters) {
    std::vector<MIB_IFROW> before, after;
    ReadInterfaceTable(before);
    TAdapterMonitor* monitor = Start(1, IpHelper());
    ReadInterfaceTable(after);
    const MIB_IFROW* first = FindRow(before, 1);
    const MIB_IFROW* last = FindRow(after, 1);
    ASSERT_TRUE(first && last);

    EXPECT_EQ(monitor->AdapterIndex(), 1u);
    EXPECT_GE(monitor->TotalIn(), first->dwInOctets);
    EXPECT_LE(monitor->TotalIn(), last->dwInOctets);
    EXPECT_GE(monitor->TotalOut(), first->dwOutOctets);
    EXPECT_LE(monitor->TotalOut(), last->dwOutOctets);
    EXPECT_EQ(monitor->DeltaIn(), monitor->TotalIn());
    EXPECT_EQ(monitor->DeltaOut(), monitor->TotalOut());
    EXPECT_EQ(monitor->LastInOctets(), monitor->TotalIn());
    EXPECT_EQ(monitor->LastOutOctets(), monitor->TotalOut());
    EXPECT_EQ(monitor->PortSpeed(), last->dwSpeed);
    EXPECT_EQ(monitor->AdapterName(), "lo");
    EXPECT_EQ(monitor->MACAddress(), "00-00-00-00-00-00");
    EXPECT_EQ(monitor->IPAddress(), "127.0.0.1");

    // Its cycles log into today's record, even a second without traffic.
    ASSERT_TRUE(PumpUntil([] { return LogRecordCount() == 1; }));
}

TEST_F(AdapterMonitorTest, MonitorOfAMissingIndexKeepsZerosAndLogsNothing) {
    TInterfaceSource counted = IpHelper();
    counted.GetIfTable = CountedRealIfTable;
    TAdapterMonitor* monitor = Start(0x7FFF0001u, counted);
    ASSERT_TRUE(PumpUntil([] { return script.Reads >= 4; }));
    EXPECT_EQ(LogRecordCount(), 0u);
    EXPECT_EQ(monitor->TotalIn(), 0u);
    EXPECT_EQ(monitor->TotalOut(), 0u);
    EXPECT_EQ(monitor->DeltaIn(), 0u);
    EXPECT_EQ(monitor->DeltaOut(), 0u);
    EXPECT_EQ(monitor->PortSpeed(), 0u);
    EXPECT_EQ(monitor->IPAddress(), "");
    EXPECT_EQ(monitor->MACAddress(), "");
    EXPECT_EQ(monitor->AdapterName(), "");
}

TEST_F(AdapterMonitorTest, FirstReadingIsNotLoggedAndCyclesLogTheirDeltas) {
    TAdapterMonitor* monitor = Start(7);
    EXPECT_EQ(monitor->DeltaIn(), 1000000u);
    EXPECT_EQ(monitor->TotalIn(), 1000000u);
    EXPECT_EQ(monitor->DeltaOut(), 200000u);
    EXPECT_EQ(monitor->TotalOut(), 200000u);
    EXPECT_EQ(monitor->PortSpeed(), 100000000u);
    EXPECT_EQ(monitor->AdapterName(), "Scripted Adapter");
    EXPECT_EQ(monitor->MACAddress(), "00-1B-21-0A-BC-DE");
    EXPECT_EQ(monitor->IPAddress(), "192.168.1.5"); // the first of its two, spaces removed

    ASSERT_TRUE(PumpUntil([] { return LoggedOut() >= 300; }));
    const uint64_t in = LoggedIn();
    const uint64_t out = LoggedOut();
    EXPECT_EQ(in % 1000, 0u);
    EXPECT_EQ(out % 300, 0u);
    EXPECT_LE(in, 1000u * (script.Reads - 1));
    EXPECT_EQ(script.SizeAnswers, 1); // the buffer is kept from one reading to the next
    EXPECT_EQ(monitor->DeltaIn(), 1000u);
    EXPECT_EQ(monitor->DeltaOut(), 300u);
    EXPECT_EQ(monitor->TotalIn(), 1000000u + 1000u * (script.Reads - 1));
    Stop(monitor);
    PumpUntil([] { return false; }, 12);

    // One record, keyed by the date without its time of day.
    SaveLog();
    EXPECT_EQ(ReadBytes(path_), RecordBytes(EncodeDate(2025, 3, 15), LoggedIn(), LoggedOut()));
}

TEST_F(AdapterMonitorTest, CyclesWithoutTheRowLogNothingAndKeepTheLastReading) {
    script.LastPresent = 2;
    TAdapterMonitor* monitor = Start(7);
    ASSERT_TRUE(PumpUntil([] { return script.Reads >= 5; }));
    EXPECT_EQ(script.AddressCalls, 0); // nobody asked for the address yet
    EXPECT_FALSE(monitor->Connected());
    EXPECT_EQ(LoggedIn(), 1000u);
    EXPECT_EQ(LoggedOut(), 300u);
    EXPECT_EQ(monitor->TotalIn(), 1001000u);
    EXPECT_EQ(monitor->TotalOut(), 200300u);
    EXPECT_EQ(monitor->DeltaIn(), 1000u);
    EXPECT_EQ(monitor->PortSpeed(), 100000000u);
    EXPECT_EQ(monitor->AdapterName(), "Scripted Adapter");
    EXPECT_EQ(monitor->MACAddress(), "00-1B-21-0A-BC-DE");
    EXPECT_EQ(monitor->IPAddress(), "192.168.1.5");
    EXPECT_EQ(monitor->IPAddress(), "192.168.1.5");
    EXPECT_EQ(script.AddressCalls, 2); // one read of the table: its size, then the rows
}

TEST_F(AdapterMonitorTest, RowFoundOnlyAfterStartIsNotLoggedWhole) {
    script.FirstPresent = 2;
    script.BaseIn = 5000000;
    TAdapterMonitor* monitor = Start(7);
    EXPECT_EQ(monitor->TotalIn(), 0u);
    EXPECT_EQ(monitor->AdapterName(), "");
    ASSERT_TRUE(PumpUntil([] { return LoggedOut() >= 300; }));
    EXPECT_EQ(LoggedIn() % 1000, 0u);
    EXPECT_LE(LoggedIn(), 1000u * (script.Reads - 2));
    // The total still starts at the adapter's counter.
    EXPECT_EQ(monitor->TotalIn(), 5000000u + 1000u * (script.Reads - 1));
    EXPECT_EQ(monitor->AdapterName(), "Scripted Adapter");
}

TEST_F(AdapterMonitorTest, CounterResetSeenInThe64BitCountersLogsTheNewCount) {
    script.Speed = 0; // no link speed: only the 64-bit counters can tell a reset
    script.With64BitCounters = true;
    script.BaseIn = 5000000;
    script.ResetFrom = 3; // reads 3 and on stand at 500 in, 100 out
    TAdapterMonitor* monitor = Start(7);
    ASSERT_TRUE(PumpUntil([] { return script.Reads >= 5; }));
    EXPECT_EQ(LoggedIn(), 1000u + 500u);
    EXPECT_EQ(LoggedOut(), 300u + 100u);
    // Shown figures stay modulo 2^32: the total is the counter itself.
    EXPECT_EQ(monitor->TotalIn(), 500u);
    EXPECT_EQ(monitor->TotalOut(), 100u);
    EXPECT_EQ(monitor->DeltaIn(), 0u);
}

TEST_F(AdapterMonitorTest, RenumberedAdapterIsFollowedByItsLuid) {
    script.With64BitCounters = true;
    script.MovedFrom = 4; // and a stranger takes index 7
    TAdapterTarget target;
    target.Index = 7;
    target.Identity = 0x0006000007000000;
    TAdapterMonitor* monitor = Start(target);
    ASSERT_TRUE(PumpUntil([&] { return monitor->AdapterIndex() == 9 && script.Reads >= 6; }));
    EXPECT_TRUE(monitor->Connected());
    EXPECT_EQ(monitor->AdapterLuid(), 0x0006000007000000u);
    // Every reading after the first logs one step: none lost to the move, none of the stranger.
    ASSERT_TRUE(PumpUntil([] {
        return LoggedIn() == 1000u * (script.Reads - 1) && LoggedOut() == 300u * (script.Reads - 1);
    }));
    EXPECT_EQ(monitor->TotalIn(), 1000000u + 1000u * (script.Reads - 1));
}

TEST_F(AdapterMonitorTest, AutomaticModeWatchesTheRoutesAdapterAndFollowsItsChange) {
    script.With64BitCounters = true;
    script.RouteIndex = 7;
    TAdapterTarget automatic;
    automatic.Automatic = true;
    TAdapterMonitor* monitor = Start(automatic);
    EXPECT_TRUE(monitor->Automatic());
    EXPECT_EQ(monitor->AdapterIndex(), 7u);
    EXPECT_EQ(monitor->AdapterName(), "Scripted Adapter");
    ASSERT_TRUE(PumpUntil([] { return script.Reads >= 3; }));

    const int switchAfter = script.Reads;
    script.RouteIndex = 8;
    monitor->NetworkChanged();
    ASSERT_TRUE(PumpUntil([&] { return script.Reads >= switchAfter + 3; }));
    EXPECT_EQ(monitor->AdapterIndex(), 8u);
    EXPECT_EQ(monitor->AdapterLuid(), 0x0006000008000000u);
    // The first adapter up to and with the switch's reading, then 50 bytes a reading of the
    // second: never its whole counter, never a gap.
    ASSERT_TRUE(PumpUntil([&] {
        return LoggedIn() == 1000u * switchAfter + 50u * (script.Reads - switchAfter - 1);
    }));
    EXPECT_EQ(monitor->DeltaIn(), 50u);

    // No route at all: nothing is watched, nothing is logged.
    script.RouteIndex = 0;
    monitor->NetworkChanged();
    ASSERT_TRUE(PumpUntil([&] { return !monitor->Connected(); }));
    const int readsAtLoss = script.Reads;
    const uint64_t loggedAtLoss = LoggedIn();
    ASSERT_TRUE(PumpUntil([&] { return script.Reads >= readsAtLoss + 2; }));
    EXPECT_LE(LoggedIn(), loggedAtLoss + 50u); // the reading under way may still log its step
}

TEST_F(AdapterMonitorTest, DologFalseLogsNothing) {
    SetSwitches(false, true, true);
    Start(7);
    ASSERT_TRUE(PumpUntil([] { return script.Reads >= 4; }));
    EXPECT_EQ(LogRecordCount(), 0u);
}

TEST_F(AdapterMonitorTest, EachDirectionHasItsOwnSwitch) {
    SetSwitches(true, false, true);
    TAdapterMonitor* first = Start(7);
    ASSERT_TRUE(PumpUntil([] { return LoggedOut() >= 600; }));
    EXPECT_EQ(LoggedIn(), 0u);
    EXPECT_EQ(LogRecordCount(), 1u);

    // New switches come with a new monitor, as after the settings dialog.
    Stop(first);
    SetSwitches(true, true, false);
    Start(7);
    const uint64_t outBefore = LoggedOut();
    ASSERT_TRUE(PumpUntil([] { return LoggedIn() >= 2000; }));
    const int readsAtCheck = script.Reads;
    // At most the cycle under way when the switch changed still logged its outgoing bytes.
    EXPECT_LE(LoggedOut(), outBefore + 300);
    ASSERT_TRUE(PumpUntil([&] { return script.Reads >= readsAtCheck + 2; }));
    const uint64_t outLater = LoggedOut();
    ASSERT_TRUE(PumpUntil([&] { return script.Reads >= readsAtCheck + 4; }));
    EXPECT_EQ(LoggedOut(), outLater);
}

TEST_F(AdapterMonitorTest, StoppedMonitorAddsNothingMore) {
    TAdapterMonitor* monitor = Start(7);
    ASSERT_TRUE(PumpUntil([] { return LoggedOut() >= 300; }));
    const uint64_t in = LoggedIn();
    const uint64_t out = LoggedOut();
    const int reads = script.Reads;
    Stop(monitor);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(LoggedIn(), in);
    EXPECT_EQ(LoggedOut(), out);
    EXPECT_LE(script.Reads, reads + 1); // a reading already sent may still be served
}

TEST_F(AdapterMonitorTest, AdapterWithoutAddressesOrDescription) {
    script.Addresses.clear();
    script.PhysAddrLen = 0;
    script.Description = "";
    TAdapterMonitor* monitor = Start(7);
    EXPECT_EQ(monitor->IPAddress(), "!not_found!");
    EXPECT_EQ(monitor->MACAddress(), "00-00-00-00-00-00");
    EXPECT_EQ(monitor->AdapterName(), "");
    EXPECT_EQ(monitor->TotalIn(), 1000000u);
}

TEST_F(AdapterMonitorTest, LookupGivesTheFirstAddressOfTheIndexInTableOrder) {
    EXPECT_EQ(TAdapterMonitor::LookupIPAddress(7, kScripted), "192.168.  1.  5");
    EXPECT_EQ(TAdapterMonitor::LookupIPAddress(3, kScripted), " 10.  0.  0.  1");
    EXPECT_EQ(TAdapterMonitor::LookupIPAddress(9, kScripted), "!not_found!");
    EXPECT_EQ(TAdapterMonitor::LookupIPAddress(1), "127.  0.  0.  1");
}

} // namespace
