// The adapter monitor: a thread that has the user-interface thread read one interface's
// counters once a second and adds each second's traffic to today's usage-log record.
#pragma once
#include "platform/thread.h"
#include "traffic/counters.h"
#include "traffic/ip_helper.h"

#include <chrono>
#include <cstdint>
#include <string>

class TAdapterMonitor : public TThread {
  public:
    // On the user-interface thread: takes the first reading there, then starts the thread.
    // The monitor frees itself when its thread ends; after RequestStop nobody touches it.
    // Tests replace the platform calls with scripted tables.
    static TAdapterMonitor* Create(uint32_t index, const TInterfaceSource& source = IpHelper());

    // The interface's first IPv4 address in the sorted address table, as FormatIpAddress
    // writes it, or "!not_found!".
    static std::string LookupIPAddress(uint32_t index, const TInterfaceSource& source = IpHelper());

    // Published readings; read them on the user-interface thread only.
    const std::string& IPAddress() const { return ipAddress_; }
    const std::string& MACAddress() const { return macAddress_; }
    const std::string& AdapterName() const { return adapterName_; }
    uint32_t AdapterIndex() const { return adapterIndex_; }
    uint32_t PortSpeed() const { return counters_.PortSpeed; }
    uint32_t DeltaIn() const { return counters_.DeltaIn; }
    uint32_t DeltaOut() const { return counters_.DeltaOut; }
    uint32_t TotalIn() const { return counters_.TotalIn; }
    uint32_t TotalOut() const { return counters_.TotalOut; }
    uint32_t LastInOctets() const { return counters_.LastInOctets; }
    uint32_t LastOutOctets() const { return counters_.LastOutOctets; }

  protected:
    void ThreadBody() override;

  private:
    friend class TThread; // Launch constructs it
    TAdapterMonitor(uint32_t index, const TInterfaceSource& source);
    ~TAdapterMonitor() override = default;

    // One reading, on the user-interface thread; false when the watched row was missing.
    bool Sample();
    // Adds one cycle's deltas to today's record, as the "bandwidth" switches allow.
    void LogCycle(uint32_t deltaIn, uint32_t deltaOut);
    // Sleeps for the given time, in short steps so that a stopped monitor ends promptly.
    void SleepUnlessStopped(std::chrono::milliseconds duration);

    const uint32_t adapterIndex_;
    const TInterfaceSource source_;
    std::string ipAddress_;
    std::string macAddress_;
    std::string adapterName_;
    TTrafficCounters counters_;
    std::chrono::steady_clock::time_point lastReading_{};
};
