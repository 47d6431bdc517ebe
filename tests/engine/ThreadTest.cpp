// Engine threads, the main-thread object and the processor-usage sampler.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include <mmsystem.h>
#include <windows.h>

#include "Common/Thread.h"
#include "Platforms/Win32/Win32Thread.h"
#include "TestHooks.h"
#include "TestSupport.h"
#include "ThreadTestSupport.h"

namespace {

using ThreadTestSupport::FunctionThread;
using ThreadTestSupport::ReportOf;

TEST(ThreadTest, StackSizesFollowTheRoundingRule) {
    EXPECT_EQ(Zep::Win32::Thread::RoundStackSize(0), 0u);
    EXPECT_EQ(Zep::Win32::Thread::RoundStackSize(1000), 65536u);
    EXPECT_EQ(Zep::Win32::Thread::RoundStackSize(65536), 65536u);
    EXPECT_EQ(Zep::Win32::Thread::RoundStackSize(70000), 73728u);

    for (uint32_t requested : {1000u, 70000u}) {
        FunctionThread thread([] {
            char big[48 * 1024];  // the real stack holds what the recorded size promises
            big[0] = 1;
            return static_cast<uint32_t>(big[0]);
        });
        thread.Create(requested, false, 0);
        EXPECT_EQ(thread.Wait(), 1u);
        EXPECT_EQ(thread.GetStackSize(), Zep::Win32::Thread::RoundStackSize(requested));
    }
}

TEST(ThreadTest, CreateLogsTheThreadAndAnEscapedExceptionEndsItWithZero) {
    TestSupport::StderrCapture capture;
    Zep::Thread* seen = nullptr;
    uint32_t id = 0;
    FunctionThread thread([&]() -> uint32_t {
        seen = Zep::Thread::GetCurrent();
        id = ::GetCurrentThreadId();
        throw std::runtime_error("lost");
    });
    thread.Create(0, false, 0);
    EXPECT_EQ(thread.Wait(), 0u);
    EXPECT_EQ(seen, &thread);
    EXPECT_EQ(thread.onExitThreadId.load(), id);  // OnExit ran on the thread itself
    EXPECT_EQ(thread.GetThreadId(), 0u);
    char line[200];
    std::snprintf(line, sizeof(line), "New thread is created, Id == 0x%04x, handle == 0x", id);
    EXPECT_NE(capture.Text().find(line), std::string::npos) << capture.Text();
    std::snprintf(line, sizeof(line), "Error: unhandled exception were thrown in thread (Id == 0x%08X, handle == 0x",
                  id);
    EXPECT_NE(capture.Text().find(line), std::string::npos) << capture.Text();
    EXPECT_NE(capture.Text().find("). Thread execution will be terminated now\n"), std::string::npos);
}

TEST(ThreadTest, PrioritiesAreClampedAndASuspendedThreadWaitsForResume) {
    const int expected[7] = {-15, -2, -1, 0, 1, 2, 15};
    for (int priority = -3; priority <= 3; ++priority)
        EXPECT_EQ(Zep::Win32::Thread::ToSystemPriority(priority), expected[priority + 3]);
    EXPECT_EQ(Zep::Win32::Thread::ToSystemPriority(-9), -15);
    EXPECT_EQ(Zep::Win32::Thread::ToSystemPriority(7), 15);

    std::atomic<bool> ran{false};
    std::atomic<bool> release{false};
    FunctionThread thread([&] {
        ran = true;
        while (!release)
            Zep::Thread::Sleep(1);
        return 0u;
    });
    thread.Create(0, true, 5);
    EXPECT_EQ(thread.GetPriority(), 3);
    EXPECT_EQ(thread.SetPriority(-1), 3);
    EXPECT_EQ(thread.SetPriority(7), -1);
    EXPECT_EQ(thread.GetPriority(), 3);
    EXPECT_EQ(thread.SetPriority(-10), 3);
    EXPECT_EQ(thread.GetPriority(), -3);

    // Created suspended: the body runs only after Resume; a second Resume does nothing.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(ran.load());
    thread.Resume();
    thread.Resume();
    release = true;
    thread.Wait();
    EXPECT_TRUE(ran.load());
    EXPECT_NE(ReportOf([&] {
                  thread.Resume();
              }).find("Zep::Win32::Thread.Resume(): thread was not created, was terminated or has finished"),
              std::string::npos);
}

TEST(ThreadTest, RaisingPrioritiesWithoutPrivilegeGoesOn) {
    TestSupport::ChildResult child = TestSupport::RunInChild([] {
        TestSupport::DropNicePrivilege();
        // The sampler starts at time-critical priority with the main-thread object.
        Zep::Thread* main = Zep::Thread::GetCurrent();
        if (!main)
            _exit(2);
        FunctionThread thread([] { return 0u; });
        thread.Create(0, true, 3);
        if (thread.SetPriority(7) != 3 || thread.SetPriority(-7) != 3 || thread.SetPriority(7) != -3 ||
            thread.GetPriority() != 3)
            _exit(3);
        thread.Resume();
        thread.Wait();
    });
    EXPECT_EQ(child.exitCode, 0) << child.stdErr;
    EXPECT_EQ(child.stdErr.find("Failed to set thread priority"), std::string::npos) << child.stdErr;
}

TEST(ThreadTest, ExitFromTheBodyEndsWithItsCode) {
    std::atomic<bool> after{false};
    FunctionThread* self = nullptr;
    FunctionThread thread([&] {
        self->Exit(5);
        after = true;
        return 1u;
    });
    self = &thread;
    thread.Create(0, false, 0);
    EXPECT_EQ(thread.Wait(), 5u);
    EXPECT_FALSE(after.load());
    EXPECT_EQ(thread.Wait(), 5u);  // waiting on a finished thread returns at once
    EXPECT_NE(ReportOf([&] {
                  thread.Exit(1);
              }).find("Zep::Win32::Thread.Exit(): function can not be called from other context"),
              std::string::npos);
}

TEST(ThreadTest, MisuseFromTheWrongThreadPanics) {
    std::string waitText, terminateText, createText;
    std::atomic<bool> checked{false};
    std::atomic<bool> release{false};
    FunctionThread* self = nullptr;
    FunctionThread thread([&] {
        waitText = ReportOf([&] { self->Wait(); });
        terminateText = ReportOf([&] { self->Terminate(); });
        createText = ReportOf([&] { self->Create(0, false, 0); });
        checked = true;
        while (!release)
            Zep::Thread::Sleep(1);
        return 0u;
    });
    self = &thread;
    thread.Create(0, false, 0);
    while (!checked)  // reports share one buffer: one at a time
        Zep::Thread::Sleep(1);
    std::string mainText;
    Zep::Thread* main = Zep::Thread::GetCurrent();
    std::thread other([&] { mainText = ReportOf([main] { main->Terminate(); }); });
    other.join();
    release = true;
    thread.Wait();
    EXPECT_NE(waitText.find("Zep::Win32::Thread.Wait(): function can only be called from other context"),
              std::string::npos);
    EXPECT_NE(terminateText.find("Zep::Win32::Thread.Terminate(): function can only be called from other context"),
              std::string::npos);
    EXPECT_NE(createText.find("Zep::Win32::Thread.Create(): thread is already created"), std::string::npos);
    EXPECT_NE(mainText.find("Zep::Win32::Thread.Terminate(): main thread can not be terminated"), std::string::npos)
        << mainText;
}

TEST(ThreadTest, TerminateEndsASleepingThreadAndTheObjectCanBeCreatedAgain) {
    std::atomic<int> passes{0};
    FunctionThread thread([&] {
        for (;;) {
            ++passes;
            Zep::Thread::Sleep(10);
        }
        return 1u;
    });
    thread.Create(0, false, 0);
    while (passes.load() == 0)
        Zep::Thread::Sleep(1);
    EXPECT_TRUE(thread.Terminate());
    EXPECT_EQ(thread.Wait(), 0u);
    EXPECT_FALSE(thread.Terminate());

    thread.Create(0, false, 0);
    while (passes.load() < 3)
        Zep::Thread::Sleep(1);
    EXPECT_TRUE(thread.Terminate());
}

TEST(MainThreadTest, TheMainThreadObjectIsSetUpOnFirstUse) {
    Zep::Thread* main = Zep::Thread::GetCurrent();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(Zep::Thread::GetCurrent(), main);
    EXPECT_EQ(main->GetThreadId(), ::GetCurrentThreadId());
    EXPECT_EQ(main->GetPriority(), 0);
    EXPECT_EQ(main->GetProcessorCount(), static_cast<uint32_t>(::sysconf(_SC_NPROCESSORS_ONLN)));
    EXPECT_NE(ReportOf([main] {
                  main->Wait();
              }).find("Zep::Win32::Thread.Wait(): function can only be called from other context"),
              std::string::npos);
    std::thread([] { EXPECT_EQ(Zep::Thread::GetCurrent(), nullptr); }).join();  // not an engine thread

    main->SetTimerResolution(8);
    EXPECT_EQ(PlatformTest::GetTimerPeriod(), 8u);
    main->SetTimerResolution(5);  // ends the period in force first
    EXPECT_EQ(PlatformTest::GetTimerPeriod(), 5u);
}

TEST(MainThreadTest, ProcessorUsageStaysInRangeAndRisesUnderABusyThread) {
    Zep::Thread* main = Zep::Thread::GetCurrent();
    const float count = static_cast<float>(main->GetProcessorCount());
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const float idle = main->GetProcessorUsage();
    EXPECT_GE(idle, 0.0f);
    EXPECT_LE(idle, 1.0f);

    std::atomic<bool> stop{false};
    FunctionThread busy([&] {
        volatile uint64_t sink = 0;
        while (!stop)
            sink = sink + 1;
        return 0u;
    });
    EXPECT_EQ(busy.GetCpuTime(), 0.0);
    busy.Create(0, false, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    const float loaded = main->GetProcessorUsage();
    stop = true;
    busy.Wait();
    const double busySeconds = busy.GetCpuTime();  // through the previous handle
    // A busy machine (other test processes) gives the spinning thread only part of a processor.
    EXPECT_GT(busySeconds, 0.1);
    EXPECT_LT(busySeconds, 10.0);
    EXPECT_LE(loaded, 1.0f);
    EXPECT_GT(loaded, 0.1f / count) << "idle " << idle;
    EXPECT_GT(loaded, idle);
}

TEST(ProcessorSamplerTest, SamplesAreLoadPerIntervalAndAZeroIntervalIsSkipped) {
    Zep::Detail::ProcessorSampler sampler;
    sampler.Start(0, 1000);
    sampler.AddSample(1000000, 1000);  // no time passed: nothing to divide by
    EXPECT_EQ(sampler.GetSum(), 0u);
    // One processor busy for 250 ms of 250 ms.
    uint64_t cpu = 0;
    uint32_t now = 1000;
    for (int i = 0; i < 4; ++i) {
        cpu += 2500000;
        now += 250;
        sampler.AddSample(cpu, now);
    }
    EXPECT_EQ(sampler.GetSum(), 4u * 0x20000u);
    EXPECT_FLOAT_EQ(sampler.GetUsage(1), 1.0f);
    EXPECT_FLOAT_EQ(sampler.GetUsage(4), 0.25f);
    // Idle samples push the busy ones out of the ring.
    for (int i = 0; i < 2; ++i)
        sampler.AddSample(cpu, now += 250);
    EXPECT_FLOAT_EQ(sampler.GetUsage(1), 0.5f);
}

}  // namespace
