// Tests of the adapter monitor's counter arithmetic.
#include "traffic/counters.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t k4GiB = uint64_t{1} << 32;
constexpr uint32_t k100Mbit = 100000000;

TCounterReading Reading(uint32_t in, uint32_t out, uint32_t speed = 0, uint32_t elapsedMs = 0) {
    TCounterReading r;
    r.InOctets = in;
    r.OutOctets = out;
    r.Speed = speed;
    r.ElapsedMs = elapsedMs;
    return r;
}

TCounterReading Reading64(uint64_t in, uint64_t out) {
    TCounterReading r = Reading(static_cast<uint32_t>(in), static_cast<uint32_t>(out));
    r.Has64BitCounters = true;
    r.InOctets64 = in;
    r.OutOctets64 = out;
    return r;
}

TEST(TrafficCounters, FirstReadingCountsTheWholeCounters) {
    TTrafficCounters c;
    c.UpdateCounters(1000000, 200000, k100Mbit);
    EXPECT_EQ(c.DeltaIn, 1000000u);
    EXPECT_EQ(c.TotalIn, 1000000u);
    EXPECT_EQ(c.DeltaOut, 200000u);
    EXPECT_EQ(c.TotalOut, 200000u);
    EXPECT_EQ(c.LastInOctets, 1000000u);
    EXPECT_EQ(c.LastOutOctets, 200000u);
    EXPECT_EQ(c.PortSpeed, k100Mbit);
    EXPECT_EQ(c.LogDeltaIn, 1000000u);
    EXPECT_EQ(c.LogDeltaOut, 200000u);
}

TEST(TrafficCounters, FirstReadingIsNeverAReset) {
    TTrafficCounters c;
    c.UpdateCounters(Reading(3000000000u, 5, 8000, 1000)); // far beyond the link's capacity
    EXPECT_EQ(c.DeltaIn, 3000000000u);
    EXPECT_EQ(c.LogDeltaIn, 3000000000u);
}

TEST(TrafficCounters, DeltasAndTotalsFollowTheReadings) {
    TTrafficCounters c;
    c.UpdateCounters(1000, 10, 0);
    c.UpdateCounters(1500, 30, 0);
    EXPECT_EQ(c.DeltaIn, 500u);
    EXPECT_EQ(c.DeltaOut, 20u);
    c.UpdateCounters(1500, 90, 0);
    EXPECT_EQ(c.DeltaIn, 0u);
    EXPECT_EQ(c.DeltaOut, 60u);
    EXPECT_EQ(c.TotalIn, 1500u);
    EXPECT_EQ(c.TotalOut, 90u);
}

TEST(TrafficCounters, WrapGivesTheTrueDelta) {
    const uint32_t before = static_cast<uint32_t>(k4GiB - 296);
    for (bool with64 : {false, true}) {
        TTrafficCounters c;
        if (with64) {
            c.UpdateCounters(Reading64(before, before));
            c.UpdateCounters(Reading64(k4GiB + 500, k4GiB + 500));
        } else {
            c.UpdateCounters(Reading(before, before, k100Mbit, 1000));
            c.UpdateCounters(Reading(500, 500, k100Mbit, 1000));
        }
        SCOPED_TRACE(with64 ? "64-bit counters" : "link speed");
        EXPECT_EQ(c.DeltaIn, 796u);
        EXPECT_EQ(c.LogDeltaIn, 796u);
        EXPECT_EQ(c.DeltaOut, 796u);
        EXPECT_EQ(c.LogDeltaOut, 796u);
        EXPECT_EQ(c.TotalIn, 500u); // the total wraps with the counter
    }
}

TEST(TrafficCounters, WrapWithoutAnyHintIsModulo) {
    TTrafficCounters c;
    c.UpdateCounters(static_cast<uint32_t>(k4GiB - 296), 0, 0);
    c.UpdateCounters(500, 0, 0);
    EXPECT_EQ(c.DeltaIn, 796u);
    EXPECT_EQ(c.LogDeltaIn, 796u);
}

TEST(TrafficCounters, SixtyFourBitCountersGoingBackAreAReset) {
    TTrafficCounters c;
    c.UpdateCounters(Reading64(5000000000, 700000));
    c.UpdateCounters(Reading64(1200, 700100));
    const uint32_t wrapped = static_cast<uint32_t>(1200 - static_cast<uint32_t>(5000000000));
    EXPECT_EQ(c.DeltaIn, wrapped); // shown as the plain modulo difference
    EXPECT_EQ(c.TotalIn, 1200u);
    EXPECT_EQ(c.LogDeltaIn, 1200u); // logged: only what came since the reset
    EXPECT_EQ(c.DeltaOut, 100u);    // the other direction did not go back
    EXPECT_EQ(c.LogDeltaOut, 100u);
}

TEST(TrafficCounters, MoreThanTheLinkCarriesIsAReset) {
    TTrafficCounters c;
    c.UpdateCounters(Reading(3000000000u, 2000000000u, k100Mbit, 1000));
    c.UpdateCounters(Reading(4000, 2012500000u, k100Mbit, 1000));
    EXPECT_EQ(c.DeltaIn, static_cast<uint32_t>(4000 - 3000000000u));
    EXPECT_EQ(c.TotalIn, 4000u);
    EXPECT_EQ(c.LogDeltaIn, 4000u);
    EXPECT_EQ(c.DeltaOut, 12500000u); // a full second at 100 Mbit/s is real traffic
    EXPECT_EQ(c.LogDeltaOut, 12500000u);
}

TEST(TrafficCounters, ResetRuleNeedsSpeedAndTime) {
    const uint32_t speeds[] = {0, UINT32_MAX, k100Mbit};
    const uint32_t elapsed[] = {1000, 1000, 0};
    for (int i = 0; i < 3; ++i) {
        TTrafficCounters c;
        c.UpdateCounters(Reading(3000000000u, 0, speeds[i], elapsed[i]));
        c.UpdateCounters(Reading(4000, 0, speeds[i], elapsed[i]));
        EXPECT_EQ(c.LogDeltaIn, c.DeltaIn) << "case " << i;
        EXPECT_EQ(c.LogDeltaIn, static_cast<uint32_t>(4000 - 3000000000u));
    }
}

TEST(TrafficCounters, SixtyFourBitCountersOnlyCountWhenBothReadingsHaveThem) {
    TTrafficCounters c;
    c.UpdateCounters(Reading(3000000000u, 0, k100Mbit, 1000));
    TCounterReading next = Reading64(4000, 0);
    next.Speed = k100Mbit;
    next.ElapsedMs = 1000;
    c.UpdateCounters(next); // no earlier 64-bit figure: the speed rule decides
    EXPECT_EQ(c.LogDeltaIn, 4000u);
}

TEST(TrafficCounters, ThreeArgumentFormNeverResets) {
    TTrafficCounters c;
    c.UpdateCounters(3000000000u, 0, k100Mbit);
    c.UpdateCounters(4000, 0, k100Mbit);
    EXPECT_EQ(c.LogDeltaIn, c.DeltaIn);
    EXPECT_EQ(c.DeltaIn, static_cast<uint32_t>(4000 - 3000000000u));
}

TEST(LinkCapacity, MarginIsTwiceTheLinkPlus64KiB) {
    // 8000 bit/s = 1000 bytes/s; 968 ms plus 32 ms of tick slack is one second.
    EXPECT_FALSE(ExceedsLinkCapacity(2 * 1000 + 65536, 8000, 968));
    EXPECT_TRUE(ExceedsLinkCapacity(2 * 1000 + 65537, 8000, 968));
    EXPECT_FALSE(ExceedsLinkCapacity(UINT32_MAX, 0, 1000));
    EXPECT_FALSE(ExceedsLinkCapacity(UINT32_MAX, 8000, 0));
    EXPECT_FALSE(ExceedsLinkCapacity(UINT32_MAX, UINT32_MAX, 1000));
    // No overflow for the largest inputs: a nearly saturated link over 49 days carries it all.
    EXPECT_FALSE(ExceedsLinkCapacity(UINT32_MAX, UINT32_MAX - 1, UINT32_MAX));
}

} // namespace
