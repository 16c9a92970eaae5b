// TThread: starts after construction, stops on request, frees itself, and reaches the
// user-interface thread also while a message box runs there.
#include "platform/application.h"
#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Pumps the user-interface thread's messages until done() or the bound is reached.
template <typename Pred> bool PumpUntil(Pred done, int rounds = 2000) {
    for (int i = 0; i < rounds && !done(); ++i) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return done();
}

struct Shared {
    std::atomic<int> constructedValue{0};
    std::atomic<DWORD> uiCallThread{0};
    std::atomic<int> cycles{0};
    std::atomic<bool> destroyed{false};
    std::atomic<bool> uiCallResult{false};
};

class TProbeThread : public TThread {
  public:
    TProbeThread(Shared& shared, int value) : shared_(shared) {
        SetFreeWhenDone(true);
        // Set late in the constructor: the thread must not see it unset.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        value_ = value;
    }
    ~TProbeThread() override { shared_.destroyed = true; }

  protected:
    void ThreadBody() override {
        shared_.constructedValue = value_;
        while (!StopRequested()) {
            shared_.uiCallResult =
                RunOnUiThread([this] { shared_.uiCallThread = ::GetCurrentThreadId(); });
            ++shared_.cycles;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

  private:
    Shared& shared_;
    int value_ = 0;
};

// Waits once for a short time, then for an hour: only a stop request can end the second wait.
class TWaitingThread : public TThread {
  public:
    explicit TWaitingThread(Shared& shared) : shared_(shared) { SetFreeWhenDone(true); }
    ~TWaitingThread() override { shared_.destroyed = true; }

  protected:
    void ThreadBody() override {
        shared_.uiCallResult = WaitForStop(std::chrono::milliseconds(1));
        ++shared_.cycles;
        shared_.constructedValue = WaitForStop(std::chrono::hours(1)) ? 1 : 2;
    }

  private:
    Shared& shared_;
};

class ThreadTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static bool initialized = false;
        if (!initialized)
            TApplication::Instance().Initialize();
        initialized = true;
    }
};

TEST_F(ThreadTest, StartsAfterConstructionRunsOnUiThreadAndFreesItself) {
    Shared shared;
    TProbeThread* thread = TThread::Launch<TProbeThread>(shared, 42);
    ASSERT_TRUE(PumpUntil([&] { return shared.cycles >= 3; }));
    EXPECT_EQ(shared.constructedValue.load(), 42);
    EXPECT_EQ(shared.uiCallThread.load(), ::GetCurrentThreadId());
    EXPECT_TRUE(shared.uiCallResult.load());
    thread->RequestStop();
    EXPECT_TRUE(PumpUntil([&] { return shared.destroyed.load(); }));
}

TEST_F(ThreadTest, UiCallsGoOnWhileAMessageBoxIsOpen) {
    Shared shared;
    TProbeThread* thread = TThread::Launch<TProbeThread>(shared, 1);
    ASSERT_TRUE(PumpUntil([&] { return shared.cycles >= 1; }));
    // A timer closes the box once the worker has made more calls through it.
    int before = shared.cycles;
    static Shared* watched;
    static int target;
    watched = &shared;
    target = before + 5;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
        if (watched->cycles < target)
            return;
        ::KillTimer(nullptr, id);
        HWND box = ::FindWindowA("#32770", "corvane-thread-test");
        if (box)
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    ASSERT_NE(timer, 0u);
    ::MessageBoxA(nullptr, "waiting", "corvane-thread-test", MB_OK);
    EXPECT_GE(shared.cycles.load(), target);
    thread->RequestStop();
    EXPECT_TRUE(PumpUntil([&] { return shared.destroyed.load(); }));
}

TEST_F(ThreadTest, StopRequestEndsAWaitAtOnce) {
    Shared shared;
    TWaitingThread* thread = TThread::Launch<TWaitingThread>(shared);
    ASSERT_TRUE(PumpUntil([&] { return shared.cycles >= 1; }));
    EXPECT_FALSE(shared.uiCallResult.load()); // the short wait ran out unstopped
    thread->RequestStop();
    ASSERT_TRUE(PumpUntil([&] { return shared.destroyed.load(); }));
    EXPECT_EQ(shared.constructedValue.load(), 1);
}

} // namespace
