// Speed alerts' episodes and their settings.
#include "display/rate_alert.h"

#include <algorithm>

#include "config/config_keys.h"

bool TRateEpisode::Update(double now, uint64_t bytesPerSecond) {
    const bool above = bytesPerSecond > level_;
    if (above != inEpisode_) {
        if (!turning_)
            turning_ = now;
        if (now - *turning_ >= seconds_) {
            inEpisode_ = above;
            turning_.reset();
            return inEpisode_;
        }
        return false;
    }
    turning_.reset();
    return false;
}

TRateAlertSettings ReadRateAlertSettings(const TMemIniFile& store) {
    const auto level = [&store](const TConfigKey& key) {
        const int32_t kBps = ReadInt(store, key);
        return kBps > 0 && kBps <= kMaxRateAlertKBps ? kBps : 0;
    };
    TRateAlertSettings s;
    s.InKBps = level(cfg::kRateAlertIn);
    s.OutKBps = level(cfg::kRateAlertOut);
    s.Seconds = std::clamp(ReadInt(store, cfg::kRateAlertSeconds), 1, kMaxRateAlertSeconds);
    return s;
}

TRateAlerts::TRateAlerts(const TRateAlertSettings& settings)
    : in_(static_cast<uint64_t>(settings.InKBps) * 1024, settings.Seconds),
      out_(static_cast<uint64_t>(settings.OutKBps) * 1024, settings.Seconds),
      inOn_(settings.InKBps > 0), outOn_(settings.OutKBps > 0) {}

TRateAlerts::TDirection TRateAlerts::Update(double now, uint64_t inPerSecond,
                                            uint64_t outPerSecond) {
    const bool in = inOn_ && in_.Update(now, inPerSecond);
    const bool out = outOn_ && out_.Update(now, outPerSecond);
    return in ? In : out ? Out : None;
}
