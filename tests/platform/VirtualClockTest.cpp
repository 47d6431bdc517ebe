#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <thread>

#include <TestHooks.h>
#include <mmsystem.h>
#include <windows.h>

#include "TestSupport.h"

namespace {

struct Clocks {
    int64_t counter;
    DWORD ticks;
    DWORD multimedia;
};

Clocks Read() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return Clocks{counter.QuadPart, GetTickCount(), timeGetTime()};
}

// Checks the clocks against ZEP_TEST_EXPECTED_STEP in a process started with
// ZEP_VIRTUAL_CLOCK_MS; run by EnvironmentChoosesTheClock only.
TEST(VirtualClock, DISABLED_ChildFollowsTheEnvironment) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    const int step = std::atoi(std::getenv("ZEP_TEST_EXPECTED_STEP"));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    const Clocks before = Read();
    if (step == 0) {
        Sleep(30);
        const Clocks after = Read();
        EXPECT_GE(after.counter - before.counter, 300000);
        EXPECT_GE(after.ticks - before.ticks, 29u);
        return;
    }
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    const Clocks after = Read();
    EXPECT_EQ(10 * step * 10000, after.counter - before.counter);
    EXPECT_EQ(static_cast<DWORD>(10 * step), after.ticks - before.ticks);
    EXPECT_EQ(static_cast<DWORD>(10 * step), after.multimedia - before.multimedia);
    // Sleeps take real time but move nothing; other threads' idle passes move nothing.
    Sleep(1);
    std::thread([] {
        MSG own;
        for (int i = 0; i < 5; ++i)
            PeekMessageA(&own, nullptr, 0, 0, PM_REMOVE);
        Sleep(1);
    }).join();
    EXPECT_EQ(after.counter, Read().counter);
    EXPECT_EQ(after.ticks, Read().ticks);
}

TEST(VirtualClock, EnvironmentChoosesTheClock) {
    const struct {
        const char* value;
        int step;
    } cases[] = {{"16", 16}, {"1", 1}, {"1000", 1000}, {"0", 0}, {"1001", 0}, {"16ms", 0}, {"", 0}};
    for (const auto& c : cases) {
        const auto result = TestSupport::RunProgram(
            "/proc/self/exe",
            {"--gtest_filter=VirtualClock.DISABLED_ChildFollowsTheEnvironment", "--gtest_also_run_disabled_tests"},
            {std::string("ZEP_VIRTUAL_CLOCK_MS=") + c.value, "ZEP_TEST_EXPECTED_STEP=" + std::to_string(c.step)});
        EXPECT_EQ(0, result.exitCode) << c.value << "\n" << result.stdErr;
    }
}

TEST(VirtualClock, MovesOnlyByIdlePassesAndAdvances) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    PlatformTest::SetVirtualClock(16);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    const Clocks start = Read();
    for (int i = 0; i < 10; ++i)
        ASSERT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    Clocks now = Read();
    EXPECT_EQ(1600000, now.counter - start.counter);
    EXPECT_EQ(160u, now.ticks - start.ticks);

    // A message waiting is no idle pass.
    PostQuitMessage(0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    Sleep(2);
    EXPECT_EQ(now.counter, Read().counter);

    PlatformTest::AdvanceVirtualClock(250);
    EXPECT_EQ(now.ticks + 250, Read().ticks);
    // The tick offset still applies, so the wrap can be tested in virtual time.
    PlatformTest::SetTickOffset(0xFFFFFFFFu - now.ticks - 250);
    EXPECT_EQ(0xFFFFFFFFu, GetTickCount());
    ASSERT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(15u, GetTickCount());
    PlatformTest::SetTickOffset(0);

    PlatformTest::SetVirtualClock(0);
    const Clocks real = Read();
    Sleep(20);
    EXPECT_GE(Read().counter - real.counter, 190000);
}

}  // namespace
