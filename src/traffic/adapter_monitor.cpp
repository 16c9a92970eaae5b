// TAdapterMonitor: the sampling thread, the reading on the user-interface thread, logging.
#include "traffic/adapter_monitor.h"
#include "history/hour_log.h"
#include "log/usage_log.h"
#include "settings/config_store.h"
#include "traffic/address_format.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <thread>
#include <vector>

namespace {

constexpr std::chrono::milliseconds kCycle{1000};
constexpr std::chrono::milliseconds kStopCheck{50};
const char kNotFound[] = "!not_found!";

std::string WithoutSpaces(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

double Today() {
    return std::floor(LogNow());
}

} // namespace

TAdapterMonitor* TAdapterMonitor::Create(uint32_t index, const TInterfaceSource& source) {
    return TThread::Launch<TAdapterMonitor>(index, source);
}

TAdapterMonitor::TAdapterMonitor(uint32_t index, const TInterfaceSource& source)
    : adapterIndex_(index), source_(source) {
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

bool TAdapterMonitor::Sample() {
    std::vector<MIB_IFROW> rows;
    ReadInterfaceTable(rows, source_.GetIfTable);
    // The row is found by its index, never by its position in the table.
    auto row = std::find_if(rows.begin(), rows.end(),
                            [this](const MIB_IFROW& r) { return r.dwIndex == adapterIndex_; });
    if (row == rows.end())
        return false; // everything keeps the last reading's values

    const auto now = std::chrono::steady_clock::now();
    TCounterReading reading;
    reading.InOctets = row->dwInOctets;
    reading.OutOctets = row->dwOutOctets;
    reading.Speed = row->dwSpeed;
    reading.Has64BitCounters = ReadInterfaceCounters64(adapterIndex_, reading.InOctets64,
                                                       reading.OutOctets64, source_.GetIfEntry2);
    if (counters_.HasReading) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - lastReading_).count();
        reading.ElapsedMs = static_cast<uint32_t>(std::clamp<long long>(elapsed, 1, UINT32_MAX));
    }
    counters_.UpdateCounters(reading);
    lastReading_ = now;

    ipAddress_ = WithoutSpaces(LookupIPAddress(adapterIndex_, source_));
    macAddress_ = FormatMacAddress(row->bPhysAddr, row->dwPhysAddrLen);
    adapterName_ = AdapterDescription(row->bDescr, row->dwDescrLen);
    return true;
}

void TAdapterMonitor::ThreadBody() {
    while (!StopRequested()) {
        bool measured = false;
        uint32_t logIn = 0;
        uint32_t logOut = 0;
        const bool ran = RunOnUiThread([&] {
            // Only a reading that follows an earlier one measures traffic: a missing row
            // leaves old deltas standing, and a first reading's deltas are whole counters.
            const bool hadReading = counters_.HasReading;
            measured = Sample() && hadReading;
            logIn = counters_.LogDeltaIn;
            logOut = counters_.LogDeltaOut;
        });
        if (!ran)
            return; // the user-interface thread takes no more calls
        if (measured)
            LogCycle(logIn, logOut);
        SleepUnlessStopped(kCycle);
    }
}

void TAdapterMonitor::LogCycle(uint32_t deltaIn, uint32_t deltaOut) {
    try {
        // Read afresh each cycle, so the settings dialog's changes apply from the next one.
        TMemIniFile& store = ConfigStore();
        if (StopRequested() || !store.QueryFlag("bandwidth", "dolog", true))
            return;
        const bool logIn = store.QueryFlag("bandwidth", "dologins", true);
        const bool logOut = store.QueryFlag("bandwidth", "dologouts", true);
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

void TAdapterMonitor::SleepUnlessStopped(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (!StopRequested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(end - now, kStopCheck));
    }
}
