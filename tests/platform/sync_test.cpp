// TMutex and TSystemThread: on Windows the system's own, checked here under Wine as well.
#include "platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Lost additions tell a lock that lets two threads in; a short count, threads not waited for.
TEST(Sync, ThreadsCountingUnderTheLockLoseNothingAndAreWaitedFor) {
    constexpr int kEach = 1000000;
    TMutex lock;
    int count = 0;
    {
        std::atomic<int> started{0};
        auto add = [&] {
            for (++started; started < 2;)
                std::this_thread::yield(); // both count at once
            for (int i = 0; i < kEach; ++i) {
                std::lock_guard<TMutex> hold(lock);
                ++count;
            }
        };
        TSystemThread first(add), second(add);
    }
    EXPECT_EQ(2 * kEach, count);
}

} // namespace
