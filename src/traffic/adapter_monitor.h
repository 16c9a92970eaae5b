// The adapter monitor: a thread that has the user-interface thread read the watched adapter's
// counters once a second and adds each second's traffic to today's usage-log record.
#pragma once
#include "platform/thread.h"
#include "traffic/adapter_group.h"
#include "traffic/ip_helper.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What each second's traffic goes to: the "bandwidth" section's switches ("dolog",
// "dologins", "dologouts"), as the monitor's creator read them.
struct TLogSwitches {
    bool Log = true;
    bool LogIn = true;
    bool LogOut = true;
};

class TAdapterMonitor : public TThread {
  public:
    // On the user-interface thread: takes the first reading there, then starts the thread.
    // The monitor frees itself when its thread ends; after RequestStop nobody touches it.
    static TAdapterMonitor* Create(const TAdapterTarget& target, const TLogSwitches& logging,
                                   const TInterfaceSource& source = IpHelper());
    // Several adapters counted together; the first is the one whose details are published.
    static TAdapterMonitor* Create(const std::vector<TAdapterTarget>& targets,
                                   const TLogSwitches& logging,
                                   const TInterfaceSource& source = IpHelper());
    // Watches the interface with this index, whatever its identity, and logs nothing: a
    // monitor for readings only.
    static TAdapterMonitor* Create(uint32_t index, const TInterfaceSource& source = IpHelper());

    // The interface's first IPv4 address in the sorted address table, as FormatIpAddress
    // writes it, or "!not_found!".
    static std::string LookupIPAddress(uint32_t index, const TInterfaceSource& source = IpHelper());

    // Published readings; read them on the user-interface thread only. The address is the one
    // the last reading found the adapter with, read from the address table at the first ask.
    const std::string& IPAddress() const;
    const std::string& MACAddress() const { return macAddress_; }
    const std::string& AdapterName() const { return adapterName_; }
    uint32_t AdapterIndex() const { return tracker_.First().Index(); }
    // The watched adapter's LUID; 0 while unknown.
    uint64_t AdapterLuid() const { return tracker_.First().Identity(); }
    bool Automatic() const { return tracker_.First().Automatic(); }
    // The last reading found the watched adapter (one of them, when several are counted).
    bool Connected() const { return tracker_.Connected(); }
    // Of several adapters counted together, those the last reading did not find: each by its
    // description when it was seen, otherwise by its LUID.
    std::vector<std::string> MissingAdapters() const;
    uint32_t PortSpeed() const { return counters().PortSpeed; }
    uint32_t DeltaIn() const { return counters().DeltaIn; }
    uint32_t DeltaOut() const { return counters().DeltaOut; }
    uint32_t TotalIn() const { return counters().TotalIn; }
    uint32_t TotalOut() const { return counters().TotalOut; }
    uint32_t LastInOctets() const { return counters().LastInOctets; }
    uint32_t LastOutOctets() const { return counters().LastOutOctets; }

    // On the user-interface thread, from the main window's notifications.
    void NetworkChanged() { tracker_.NetworkChanged(); }
    void Suspend() { tracker_.Suspend(); }
    void Resume() { tracker_.Resume(); }

  protected:
    void ThreadBody() override;

  private:
    friend class TThread; // Launch constructs it
    TAdapterMonitor(const std::vector<TAdapterTarget>& targets, const TLogSwitches& logging,
                    const TInterfaceSource& source);
    ~TAdapterMonitor() override = default;

    const TTrafficCounters& counters() const { return tracker_.Counters(); }
    // Keeps the description of each member the lookup found.
    void NameMembers(const class TTableLookup& lookup);
    // One reading, on the user-interface thread.
    TTrackedReading Sample();
    // Adds one cycle's deltas to today's record, as the "bandwidth" switches allow.
    void LogCycle(uint64_t deltaIn, uint64_t deltaOut);

    const TInterfaceSource source_;
    const TLogSwitches logging_; // fixed for the monitor's life: new settings make a new monitor
    TTableBuffer tableBuffer_;
    std::vector<MIB_IFROW> rows_; // kept from one reading to the next for its storage
    mutable std::string ipAddress_;
    // The index whose address IPAddress still has to read.
    mutable std::optional<uint32_t> addressToRead_;
    std::string macAddress_;
    std::string adapterName_;
    const bool countTunnel_;
    TAdapterGroup tracker_;
    std::vector<std::string> memberNames_; // each member's description, once seen
    uint64_t tableShape_ = 0; // which interfaces the last table listed, and their states
    std::chrono::steady_clock::time_point lastReading_{};
};
