// Speed alerts: when the rate in or out stays above a level for some seconds, one notice; the
// next comes only after the rate has stayed at or below the level for as long.
#pragma once
#include <cstdint>
#include <optional>

class TMemIniFile;

// One direction's rate against its level. Times are seconds on a clock that never goes back.
class TRateEpisode {
  public:
    TRateEpisode(uint64_t levelBytesPerSecond, double seconds)
        : level_(levelBytesPerSecond), seconds_(seconds) {}

    // The rate seen at `now`; true when this reading starts an episode. Readings on the same
    // side of the level count from the first of them, so a missed tick changes nothing.
    bool Update(double now, uint64_t bytesPerSecond);
    bool InEpisode() const { return inEpisode_; }

  private:
    uint64_t level_;
    double seconds_;
    bool inEpisode_ = false;
    std::optional<double> turning_; // since when the rate has been on the other side
};

// "ratealertin" and "ratealertout" in kB/s (0: off), "ratealertseconds", in section
// "bandwidth".
struct TRateAlertSettings {
    int32_t InKBps = 0;
    int32_t OutKBps = 0;
    int32_t Seconds = 30;

    bool Any() const { return InKBps > 0 || OutKBps > 0; }
};

constexpr int32_t kMaxRateAlertKBps = 10000000;
constexpr int32_t kMaxRateAlertSeconds = 3600;

// Values outside the ranges above are taken as off (levels) or the nearest end (seconds).
TRateAlertSettings ReadRateAlertSettings(const TMemIniFile& store);

// The two directions' detectors for the settings; a direction that is off never alerts.
class TRateAlerts {
  public:
    explicit TRateAlerts(const TRateAlertSettings& settings);
    enum TDirection { None, In, Out };
    // One reading of both rates; the direction whose episode starts now (in first).
    TDirection Update(double now, uint64_t inPerSecond, uint64_t outPerSecond);

  private:
    TRateEpisode in_, out_;
    bool inOn_, outOn_;
};
