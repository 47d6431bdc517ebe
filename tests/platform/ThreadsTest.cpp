// Threads, thread-local storage, critical sections and times of the layer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

#include <windows.h>

#include "TestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

struct Shared {
    std::atomic<int> runs{0};
    std::atomic<DWORD> seenId{0};
    std::atomic<bool> release{false};
};

DWORD WINAPI RecordAndReturn(LPVOID parameter) {
    Shared* shared = static_cast<Shared*>(parameter);
    shared->seenId = GetCurrentThreadId();
    ++shared->runs;
    return 42;
}

DWORD WINAPI SleepForever(LPVOID parameter) {
    Shared* shared = static_cast<Shared*>(parameter);
    ++shared->runs;
    for (;;)
        Sleep(10);
}

DWORD WINAPI WaitForRelease(LPVOID parameter) {
    Shared* shared = static_cast<Shared*>(parameter);
    while (!shared->release)
        Sleep(1);
    return 0;
}

TEST(ThreadsTest, SuspendedThreadPublishesItsIdAndRunsOnlyAfterResume) {
    Shared shared;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 1000, &RecordAndReturn, &shared, CREATE_SUSPENDED, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(thread) % 4, 0u);

    EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
    EXPECT_EQ(shared.runs.load(), 0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(ResumeThread(thread), 0u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);  // waiting again is fine
    EXPECT_EQ(shared.runs.load(), 1);
    EXPECT_EQ(shared.seenId.load(), id);
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
}

TEST(ThreadsTest, TerminateStopsASleepingOrSuspendedThread) {
    Shared shared;
    HANDLE sleeping = CreateThread(nullptr, 0, &SleepForever, &shared, 0, nullptr);
    HANDLE suspended = CreateThread(nullptr, 0, &SleepForever, &shared, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(sleeping, nullptr);
    ASSERT_NE(suspended, nullptr);
    while (shared.runs.load() == 0)
        Sleep(1);

    const auto start = Clock::now();
    EXPECT_TRUE(TerminateThread(sleeping, 3));
    EXPECT_TRUE(TerminateThread(suspended, 4));
    EXPECT_LT(ElapsedMs(start), 900);  // both stopped well before the give-up time
    DWORD code = 0;
    EXPECT_EQ(WaitForSingleObject(sleeping, INFINITE), WAIT_OBJECT_0);
    ASSERT_TRUE(GetExitCodeThread(sleeping, &code));
    EXPECT_EQ(code, 3u);
    EXPECT_EQ(WaitForSingleObject(suspended, INFINITE), WAIT_OBJECT_0);
    ASSERT_TRUE(GetExitCodeThread(suspended, &code));
    EXPECT_EQ(code, 4u);
    EXPECT_EQ(shared.runs.load(), 1);  // the suspended one never ran
    CloseHandle(sleeping);
    CloseHandle(suspended);
}

TEST(ThreadsTest, PrioritiesAreKeptAndCheckedAndARefusalIsNoFailure) {
    Shared shared;
    HANDLE thread = CreateThread(nullptr, 0, &WaitForRelease, &shared, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
    for (int priority : {-15, -2, -1, 0, 1, 2, 15}) {
        EXPECT_TRUE(SetThreadPriority(thread, priority));
        EXPECT_EQ(GetThreadPriority(thread), priority);
    }
    EXPECT_FALSE(SetThreadPriority(thread, 3));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetThreadPriority(thread), 15);
    shared.release = true;
    ResumeThread(thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_ERROR_RETURN);

    // Without the privilege to raise priorities the call still succeeds, and says nothing:
    // ordinary users never have it.
    TestSupport::ChildResult child = TestSupport::RunInChild([] {
        TestSupport::DropNicePrivilege();
        Shared inner;
        inner.release = true;
        HANDLE worker = CreateThread(nullptr, 0, &WaitForRelease, &inner, CREATE_SUSPENDED, nullptr);
        if (!SetThreadPriority(worker, THREAD_PRIORITY_TIME_CRITICAL) ||
            GetThreadPriority(worker) != THREAD_PRIORITY_TIME_CRITICAL)
            _exit(2);
        ResumeThread(worker);
        WaitForSingleObject(worker, INFINITE);
    });
    EXPECT_EQ(child.exitCode, 0) << child.stdErr;
    EXPECT_EQ("", child.stdErr);
}

}  // namespace
