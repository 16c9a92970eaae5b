// The cost of one reading of the watched adapter with the real tables: as it was (table, the
// row's 64-bit counters, counter update, address) against now (the table read into a kept
// buffer, the row asked for by the adapter's identity, the table's shape compared and the
// tracker deciding; the address only when asked), and the look-ups made only when something
// changed. Prints wall time and this thread's CPU time per call.
#include "traffic/adapter_monitor.h"
#include "traffic/address_format.h"
#include "traffic/table_lookup.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr uint32_t kIndex = 1; // the loopback under Wine; present on every machine
constexpr int kBlocks = 31;
constexpr int kCallsPerBlock = 200;

void PublishFields(const MIB_IFROW& row, std::string (&fields)[3]) {
    fields[1] = FormatMacAddress(row.bPhysAddr, row.dwPhysAddrLen);
    fields[2] = AdapterDescription(row.bDescr, row.dwDescrLen);
}

void ReadingBefore(TTrafficCounters& counters, std::string (&fields)[3]) {
    std::vector<MIB_IFROW> rows;
    ReadInterfaceTable(rows);
    auto row = std::find_if(rows.begin(), rows.end(),
                            [](const MIB_IFROW& r) { return r.dwIndex == kIndex; });
    if (row == rows.end())
        return;
    TCounterReading reading;
    reading.InOctets = row->dwInOctets;
    reading.OutOctets = row->dwOutOctets;
    reading.Speed = row->dwSpeed;
    reading.ElapsedMs = 1000;
    MIB_IF_ROW2 row2{};
    row2.InterfaceIndex = kIndex;
    reading.Has64BitCounters = IpHelper().GetIfEntry2(&row2) == NO_ERROR;
    reading.InOctets64 = row2.InOctets;
    reading.OutOctets64 = row2.OutOctets;
    counters.UpdateCounters(reading);
    fields[0] = TAdapterMonitor::LookupIPAddress(kIndex);
    PublishFields(*row, fields);
}

void ReadingNow(TAdapterTracker& tracker, uint64_t& shape, TTableBuffer& buffer,
                std::string (&fields)[3]) {
    const TInterfaceSource& source = IpHelper();
    std::vector<MIB_IFROW> rows;
    ReadInterfaceTable(rows, buffer);
    const uint64_t now = TableShape(rows);
    if (now != shape)
        tracker.NetworkChanged();
    shape = now;
    TTableLookup lookup(rows, source, 1000, tracker.Identity());
    if (tracker.Read(lookup).Present)
        if (const MIB_IFROW* row = lookup.Row(tracker.Index()))
            PublishFields(*row, fields);
}

double ThreadCpuMicroseconds() {
    FILETIME created, ended, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user);
    auto micro = [](const FILETIME& t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10.0;
    };
    return micro(kernel) + micro(user);
}

double WallMicroseconds() {
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

struct TCase {
    const char* Name;
    std::function<void()> Call;
    std::vector<double> Wall, Cpu;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    TTrafficCounters counters;
    TAdapterTarget target;
    target.Index = kIndex;
    TAdapterTracker tracker(target);
    TAdapterTarget automatic;
    automatic.Automatic = true;
    TAdapterTracker follower(automatic);
    uint64_t shape = 0, followerShape = 0;
    TTableBuffer buffer, followerBuffer;
    std::string fields[3];
    TInterfaceEntry2 entry;
    ReadInterfaceEntry2(kIndex, entry);
    const uint64_t luid = entry.Luid;

    std::vector<TCase> cases;
    cases.push_back({"reading as it was", [&] { ReadingBefore(counters, fields); }, {}, {}});
    cases.push_back({"reading now, stored adapter",
                     [&] { ReadingNow(tracker, shape, buffer, fields); },
                     {},
                     {}});
    cases.push_back({"reading now, automatic",
                     [&] { ReadingNow(follower, followerShape, followerBuffer, fields); },
                     {},
                     {}});
    cases.push_back({"LUID to index (after a change)",
                     [&] {
                         uint32_t index = 0;
                         InterfaceIndexOfLuid(luid, index);
                     },
                     {},
                     {}});
    cases.push_back({"route look-up (after a change)",
                     [&] {
                         uint32_t index = 0;
                         ActiveConnectionIndex(index);
                     },
                     {},
                     {}});
    // Blocks alternate between the cases, so that a busy moment of the machine hits them all.
    for (int block = 0; block < kBlocks; ++block) {
        for (TCase& c : cases) {
            const double wall = WallMicroseconds(), cpu = ThreadCpuMicroseconds();
            for (int i = 0; i < kCallsPerBlock; ++i)
                c.Call();
            c.Wall.push_back((WallMicroseconds() - wall) / kCallsPerBlock);
            c.Cpu.push_back((ThreadCpuMicroseconds() - cpu) / kCallsPerBlock);
        }
    }
    std::printf("%-34s %12s %12s   (median of %d blocks of %d calls)\n", "per call", "wall us",
                "thread CPU us", kBlocks, kCallsPerBlock);
    for (const TCase& c : cases)
        std::printf("%-34s %12.1f %12.1f\n", c.Name, Median(c.Wall), Median(c.Cpu));
    std::printf("watched LUID %016llX, automatic mode chose index %u\n",
                static_cast<unsigned long long>(luid), follower.Connected() ? follower.Index() : 0);
    return 0;
}
