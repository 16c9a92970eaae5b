// Tests of the speed alerts: one notice per episode, with the level held for the seconds both
// ways, and the settings read within their ranges.
#include "display/rate_alert.h"
#include "config/config_keys.h"
#include "config/mem_ini_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Readings one second apart from t = 0; the times at which an episode starts.
std::string Starts(TRateEpisode& episode, std::initializer_list<uint64_t> rates) {
    std::string starts;
    double now = 0;
    for (uint64_t rate : rates) {
        if (episode.Update(now, rate))
            starts += std::to_string(static_cast<int>(now)) + " ";
        ++now;
    }
    return starts;
}

TEST(RateEpisode, StartsOnceAfterTheLevelHeldAndAgainOnlyAfterAQuietSpell) {
    TRateEpisode episode(1000, 2);
    // Above at 1..3 starts at 3; the dips at 5 and 7 are shorter than 2 s; quiet 9..11 ends
    // it at 11; above 12..14 starts the next at 14; the level itself is not above it.
    EXPECT_EQ(Starts(episode, {0, 2000, 2000, 2000, 2000, 0, 2000, 1000, 2000, 0, 0, 0, 2000, 2000,
                               2000, 1000, 1001}),
              "3 14 ");
    EXPECT_TRUE(episode.InEpisode());
}

TEST(RateEpisode, ShortBurstsNeverStartOneAndAGapInTheReadingsCountsAsHeld) {
    TRateEpisode episode(1000, 3);
    EXPECT_EQ(Starts(episode, {5000, 5000, 0, 5000, 5000, 0, 5000, 0}), "");
    EXPECT_FALSE(episode.Update(100, 5000));
    EXPECT_TRUE(episode.Update(103.5, 5000)); // a missed tick between the two
    EXPECT_FALSE(episode.Update(104, 5000));
}

TEST(RateAlerts, OnlyTheDirectionsSwitchedOnAlert) {
    TRateAlerts alerts({0, 1, 1}); // in off, out above 1 kB/s for 1 s
    EXPECT_EQ(alerts.Update(0, 1 << 30, 2048), TRateAlerts::None);
    EXPECT_EQ(alerts.Update(1, 1 << 30, 2048), TRateAlerts::Out);
    EXPECT_EQ(alerts.Update(2, 1 << 30, 2048), TRateAlerts::None);
}

TEST(RateAlertSettings, OffByDefaultAndOutOfRangeValuesTamed) {
    TMemIniFile store("config.ini", "");
    TRateAlertSettings s = ReadRateAlertSettings(store);
    EXPECT_FALSE(s.Any());
    EXPECT_EQ(s.Seconds, 30);
    WriteInt(store, cfg::kRateAlertIn, -5);
    WriteInt(store, cfg::kRateAlertOut, 200);
    WriteInt(store, cfg::kRateAlertSeconds, 0);
    s = ReadRateAlertSettings(store);
    EXPECT_EQ(s.InKBps, 0);
    EXPECT_EQ(s.OutKBps, 200);
    EXPECT_EQ(s.Seconds, 1);
}

} // namespace
