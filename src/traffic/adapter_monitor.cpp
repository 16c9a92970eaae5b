// TAdapterMonitor: the sampling thread, the reading on the user-interface thread, logging.
#include "traffic/adapter_monitor.h"
#include "history/hour_log.h"
#include "log/usage_log.h"
#include "traffic/address_format.h"
#include "traffic/table_lookup.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <vector>

namespace {

constexpr std::chrono::milliseconds kCycle{1000};
const char kNotFound[] = "!not_found!";

std::string WithoutSpaces(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

double Today() {
    return std::floor(LogNow());
}

} // namespace

TAdapterMonitor* TAdapterMonitor::Create(const TAdapterTarget& target, const TLogSwitches& logging,
                                         const TInterfaceSource& source) {
    return Create(std::vector<TAdapterTarget>{target}, logging, source);
}

TAdapterMonitor* TAdapterMonitor::Create(const std::vector<TAdapterTarget>& targets,
                                         const TLogSwitches& logging,
                                         const TInterfaceSource& source) {
    return TThread::Launch<TAdapterMonitor>(targets, logging, source);
}

TAdapterMonitor* TAdapterMonitor::Create(uint32_t index, const TInterfaceSource& source) {
    TAdapterTarget target;
    target.Index = index;
    return Create(target, TLogSwitches{false, false, false}, source);
}

TAdapterMonitor::TAdapterMonitor(const std::vector<TAdapterTarget>& targets,
                                 const TLogSwitches& logging, const TInterfaceSource& source)
    : source_(source), logging_(logging), countTunnel_(!targets.empty() && targets[0].CountTunnel),
      tracker_(targets), memberNames_(tracker_.Members().size()) {
    SetFreeWhenDone(true);
    // The first reading is never logged: its deltas are the adapter's whole counters.
    Sample();
}

std::string TAdapterMonitor::LookupIPAddress(uint32_t index, const TInterfaceSource& source) {
    std::vector<MIB_IPADDRROW> rows;
    ReadAddressTable(rows, source.GetIpAddrTable);
    for (const MIB_IPADDRROW& row : rows) {
        if (row.dwIndex == index)
            return FormatIpAddress(row.dwAddr);
    }
    return kNotFound;
}

const std::string& TAdapterMonitor::IPAddress() const {
    if (addressToRead_) {
        ipAddress_ = WithoutSpaces(LookupIPAddress(*addressToRead_, source_));
        addressToRead_.reset();
    }
    return ipAddress_;
}

TTrackedReading TAdapterMonitor::Sample() {
    std::vector<MIB_IFROW>& rows = rows_;
    rows.clear(); // a failed read finds no adapter
    ReadInterfaceTable(rows, tableBuffer_, source_.GetIfTable);
    const uint64_t shape = TableShape(rows);
    if (shape != tableShape_)
        tracker_.NetworkChanged();
    tableShape_ = shape;

    const auto now = std::chrono::steady_clock::now();
    uint32_t elapsedMs = 0;
    if (counters().HasReading) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - lastReading_).count();
        elapsedMs = static_cast<uint32_t>(std::clamp<long long>(elapsed, 1, UINT32_MAX));
    }
    TTableLookup lookup(rows, source_, elapsedMs, AdapterLuid(), countTunnel_);
    const TTrackedReading reading = tracker_.Read(lookup);
    if (reading.Present)
        lastReading_ = now;
    NameMembers(lookup);
    const MIB_IFROW* row = lookup.Row(AdapterIndex());
    if (!tracker_.First().Connected() || !row)
        return reading; // the published texts keep the last reading's values
    // Nothing shown each second uses the address: the table is read when someone asks.
    addressToRead_ = AdapterIndex();
    macAddress_ = FormatMacAddress(row->bPhysAddr, row->dwPhysAddrLen);
    adapterName_ = AdapterDescription(row->bDescr, row->dwDescrLen);
    return reading;
}

void TAdapterMonitor::NameMembers(const TTableLookup& lookup) {
    for (size_t i = 0; i < memberNames_.size(); ++i) {
        const TAdapterTracker& member = tracker_.Members()[i];
        const MIB_IFROW* row = member.Connected() ? lookup.Row(member.Index()) : nullptr;
        if (row)
            memberNames_[i] = AdapterDescription(row->bDescr, row->dwDescrLen);
    }
}

std::vector<std::string> TAdapterMonitor::MissingAdapters() const {
    std::vector<std::string> missing;
    for (size_t i = 0; i < memberNames_.size(); ++i) {
        const TAdapterTracker& member = tracker_.Members()[i];
        if (member.Connected())
            continue;
        missing.push_back(memberNames_[i].empty() ? LuidText(member.Identity()) : memberNames_[i]);
    }
    return missing;
}

void TAdapterMonitor::ThreadBody() {
    while (!StopRequested()) {
        TTrackedReading reading;
        const bool ran = RunOnUiThread([&] { reading = Sample(); });
        if (!ran)
            return; // the user-interface thread takes no more calls
        // Only a reading that follows an earlier one of the same adapter measures traffic.
        if (reading.Measured)
            LogCycle(reading.LogIn, reading.LogOut);
        WaitForStop(kCycle);
    }
}

void TAdapterMonitor::LogCycle(uint64_t deltaIn, uint64_t deltaOut) {
    try {
        if (StopRequested() || !logging_.Log)
            return;
        const bool logIn = logging_.LogIn;
        const bool logOut = logging_.LogOut;
        if (logIn && !StopRequested())
            AddToLog(deltaIn, 0, Today());
        if (logOut && !StopRequested())
            AddToLog(0, deltaOut, Today());
        if (!StopRequested())
            AddToHourLog(logIn ? deltaIn : 0, logOut ? deltaOut : 0);
    } catch (const std::exception&) {
        // Nothing leaves the monitor; the cycle's traffic is simply not logged.
    }
}
