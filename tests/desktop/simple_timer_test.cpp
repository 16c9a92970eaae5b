// TSimpleTimer: start, stop, pause and resume, tick dispatch and the shared window's lifetime,
// driven through the test thread's real message loop.
#include "desktop/simple_timer.h"
#include "message_pump.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// True when the shared window had a system timer with this id (and removes it).
bool HadSystemTimer(const TSimpleTimer& timer) {
    return ::KillTimer(SimpleTimerWindow(), timer.TimerId()) != FALSE;
}

TEST(SimpleTimerSetup, DefaultTimerIsStoppedWithOneSecondAndNoHandler) {
    TSimpleTimer timer;
    EXPECT_FALSE(timer.Active());
    EXPECT_EQ(1000u, timer.IntervalMs());
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(&timer), timer.TimerId());
    EXPECT_FALSE(HadSystemTimer(timer));

    TSimpleTimer withHandler(250, [](TSimpleTimer&) {});
    EXPECT_FALSE(withHandler.Active());
    EXPECT_EQ(250u, withHandler.IntervalMs());
    EXPECT_FALSE(HadSystemTimer(withHandler));
}

TEST(SimpleTimerStart, ZeroIntervalRefusesToStart) {
    TSimpleTimer timer(0, [](TSimpleTimer&) {});
    EXPECT_FALSE(timer.StartTimer());
    EXPECT_FALSE(timer.Active());
    EXPECT_FALSE(HadSystemTimer(timer));
    timer.SetActive(true);
    EXPECT_FALSE(timer.Active());
}

TEST(SimpleTimerStart, TicksReachTheHandlerWithTheTimerAsSender) {
    int ticks = 0;
    TSimpleTimer* sender = nullptr;
    TSimpleTimer timer(10, [&](TSimpleTimer& t) {
        ++ticks;
        sender = &t;
    });
    ASSERT_TRUE(timer.StartTimer());
    EXPECT_TRUE(timer.Active());
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    EXPECT_EQ(&timer, sender);
    EXPECT_TRUE(timer.Active());
}

TEST(SimpleTimerStart, RestartKeepsASingleSystemTimer) {
    TSimpleTimer timer(40, [](TSimpleTimer&) {});
    ASSERT_TRUE(timer.StartTimer());
    ASSERT_TRUE(timer.StartTimer());
    EXPECT_TRUE(timer.Active());
    EXPECT_TRUE(timer.StopTimer(true));
    EXPECT_FALSE(timer.Active());
    EXPECT_FALSE(HadSystemTimer(timer));
}

TEST(SimpleTimerStart, HandlerThatStopsItsTimerGetsOneTick) {
    int ticks = 0;
    TSimpleTimer timer(10, [&](TSimpleTimer& t) {
        ++ticks;
        t.StopTimer(true);
    });
    ASSERT_TRUE(timer.StartTimer());
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
    EXPECT_EQ(1, ticks);
    EXPECT_FALSE(timer.Active());
    EXPECT_FALSE(HadSystemTimer(timer));
}

TEST(SimpleTimerStop, SetActiveFalseStopsAndClearsActive) {
    TSimpleTimer timer(30, [](TSimpleTimer&) {});
    timer.SetActive(true);
    EXPECT_TRUE(timer.Active());
    timer.SetActive(false);
    EXPECT_FALSE(timer.Active());
    EXPECT_FALSE(HadSystemTimer(timer));
    EXPECT_FALSE(timer.StopTimer(true)); // nothing left to remove
}

TEST(SimpleTimerInterval, SameValueLeavesARunningTimerRunning) {
    TSimpleTimer timer(30, [](TSimpleTimer&) {});
    ASSERT_TRUE(timer.StartTimer());
    timer.SetIntervalMs(30);
    EXPECT_TRUE(timer.Active());
    EXPECT_TRUE(HadSystemTimer(timer));
}

TEST(SimpleTimerInterval, SameValueDoesNotWakeAPausedTimer) {
    TSimpleTimer timer(30, [](TSimpleTimer&) {});
    ASSERT_TRUE(timer.StartTimer());
    timer.SetOnTick(nullptr); // paused: Active stays set, no system timer
    EXPECT_TRUE(timer.Active());
    EXPECT_FALSE(HadSystemTimer(timer));
    timer.SetIntervalMs(30);
    EXPECT_TRUE(timer.Active());
    EXPECT_FALSE(HadSystemTimer(timer));
}

TEST(SimpleTimerInterval, ZeroPausesWithActiveSetAndANewValueResumes) {
    int ticks = 0;
    TSimpleTimer timer(20, [&](TSimpleTimer&) { ++ticks; });
    ASSERT_TRUE(timer.StartTimer());
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));

    timer.SetIntervalMs(0);
    EXPECT_TRUE(timer.Active());
    EXPECT_EQ(0u, timer.IntervalMs());
    EXPECT_FALSE(HadSystemTimer(timer));
    timer.SetIntervalMs(0);
    EXPECT_FALSE(HadSystemTimer(timer));

    ticks = 0;
    timer.SetIntervalMs(500);
    EXPECT_TRUE(timer.Active());
    EXPECT_EQ(500u, timer.IntervalMs());
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
}

TEST(SimpleTimerInterval, NewValueOnAStoppedTimerDoesNotStartIt) {
    TSimpleTimer timer(30, [](TSimpleTimer&) {});
    timer.SetIntervalMs(60);
    EXPECT_EQ(60u, timer.IntervalMs());
    EXPECT_FALSE(timer.Active());
    EXPECT_FALSE(HadSystemTimer(timer));
}

TEST(SimpleTimerWindowLifetime, SharedWindowLivesFromFirstToLastTimer) {
    ASSERT_EQ(nullptr, SimpleTimerWindow());
    auto first = std::make_unique<TSimpleTimer>();
    HWND window = SimpleTimerWindow();
    ASSERT_TRUE(::IsWindow(window));
    auto second = std::make_unique<TSimpleTimer>(100, [](TSimpleTimer&) {});
    EXPECT_EQ(window, SimpleTimerWindow());

    first.reset();
    EXPECT_EQ(window, SimpleTimerWindow());
    EXPECT_TRUE(::IsWindow(window));

    second.reset();
    EXPECT_EQ(nullptr, SimpleTimerWindow());
    EXPECT_FALSE(::IsWindow(window));

    TSimpleTimer third;
    EXPECT_TRUE(::IsWindow(SimpleTimerWindow()));
}

TEST(SimpleTimerWindowLifetime, DestroyingARunningTimerRemovesItsSystemTimer) {
    TSimpleTimer keeper; // keeps the shared window alive
    auto timer = std::make_unique<TSimpleTimer>(30, [](TSimpleTimer&) {});
    ASSERT_TRUE(timer->StartTimer());
    UINT_PTR id = timer->TimerId();
    timer.reset();
    EXPECT_FALSE(::KillTimer(SimpleTimerWindow(), id));
}

TEST(SimpleTimerDispatch, UnknownAndStaleIdsAreIgnored) {
    int liveTicks = 0;
    int goneTicks = 0;
    TSimpleTimer live(1000, [&](TSimpleTimer&) { ++liveTicks; });
    auto gone = std::make_unique<TSimpleTimer>(1000, [&](TSimpleTimer&) { ++goneTicks; });
    UINT_PTR goneId = gone->TimerId();
    gone.reset();

    HWND window = SimpleTimerWindow();
    ASSERT_TRUE(::PostMessageA(window, WM_TIMER, 12345, 0));
    ASSERT_TRUE(::PostMessageA(window, WM_TIMER, goneId, 0));
    // Posted last: once it arrives, the two before it have been handled.
    ASSERT_TRUE(::PostMessageA(window, WM_TIMER, live.TimerId(), 0));
    ASSERT_TRUE(PumpUntil([&] { return liveTicks == 1; }));
    EXPECT_EQ(0, goneTicks);
}

TEST(SimpleTimerDispatch, TickHandlerMayDestroyTheLastTimer) {
    ASSERT_EQ(nullptr, SimpleTimerWindow());
    std::unique_ptr<TSimpleTimer> timer;
    int ticks = 0;
    timer = std::make_unique<TSimpleTimer>(10, [&](TSimpleTimer&) {
        ++ticks;
        timer.reset();
    });
    ASSERT_TRUE(timer->StartTimer());
    HWND window = SimpleTimerWindow();
    ASSERT_TRUE(PumpUntil([&] { return timer == nullptr; }));
    EXPECT_EQ(1, ticks);
    EXPECT_EQ(nullptr, SimpleTimerWindow());
    EXPECT_FALSE(::IsWindow(window));
}

} // namespace
