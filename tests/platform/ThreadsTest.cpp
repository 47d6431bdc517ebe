// Threads, thread-local storage, critical sections and times of the layer.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

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

DWORD WINAPI ExitEarly(LPVOID parameter) {
    ExitThread(7);
    ++static_cast<Shared*>(parameter)->runs;  // never reached
    return 1;
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

DWORD WINAPI BusyForAWhile(LPVOID) {
    const auto start = Clock::now();
    volatile uint64_t sink = 0;
    while (ElapsedMs(start) < 60)
        sink = sink + 1;
    return 0;
}

uint64_t Ticks(const FILETIME& time) {
    return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// Takes away the privilege to raise priorities, as an ordinary user has it.
void DropNicePrivilege() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) == 0) {
        data[0].effective &= ~(1u << CAP_SYS_NICE);
        data[0].permitted &= ~(1u << CAP_SYS_NICE);
        ::syscall(SYS_capset, &header, data);
    }
    rlimit none{0, 0};
    ::setrlimit(RLIMIT_NICE, &none);
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

TEST(ThreadsTest, ExitThreadEndsTheThreadWithItsCode) {
    Shared shared;
    HANDLE thread = CreateThread(nullptr, 0, &ExitEarly, &shared, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(shared.runs.load(), 0);
    CloseHandle(thread);
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

    // Without the privilege to raise priorities the call still succeeds.
    TestSupport::ChildResult child = TestSupport::RunInChild([] {
        DropNicePrivilege();
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
    EXPECT_NE(child.stdErr.find("thread priority 15 (nice -20) refused"), std::string::npos) << child.stdErr;
}

TEST(ThreadsTest, ThreadTimesStayReadableAfterTheThreadEnded) {
    HANDLE thread = CreateThread(nullptr, 0, &BusyForAWhile, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    FILETIME creation, exit, kernel, user;
    ASSERT_TRUE(GetThreadTimes(thread, &creation, &exit, &kernel, &user));
    const uint64_t busy = Ticks(kernel) + Ticks(user);
    EXPECT_GT(busy, 100000u);  // at least 10 ms of its 60 ms
    EXPECT_LT(busy, 100000000u);
    CloseHandle(thread);

    FILETIME processKernel, processUser;
    ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &creation, &exit, &processKernel, &processUser));
    EXPECT_GE(Ticks(processKernel) + Ticks(processUser), busy);
}

TEST(ThreadsTest, OpenThreadGivesAHandleOnlyForTheCallingThread) {
    HANDLE self = OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, GetCurrentThreadId());
    ASSERT_NE(self, nullptr);
    FILETIME creation, exit, kernel, user;
    EXPECT_TRUE(GetThreadTimes(self, &creation, &exit, &kernel, &user));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(self, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(self, 10), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(self));

    EXPECT_EQ(OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId() + 100000), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(ThreadsTest, ThreadLocalValuesArePerThread) {
    const DWORD index = TlsAlloc();
    ASSERT_NE(index, TLS_OUT_OF_INDEXES);
    int mine = 1;
    EXPECT_EQ(TlsGetValue(index), nullptr);
    EXPECT_TRUE(TlsSetValue(index, &mine));
    void* seenByOther = &mine;
    std::thread other([&] { seenByOther = TlsGetValue(index); });
    other.join();
    EXPECT_EQ(seenByOther, nullptr);
    EXPECT_EQ(TlsGetValue(index), &mine);
    EXPECT_TRUE(TlsFree(index));
}

TEST(ThreadsTest, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = TryEnterCriticalSection(&section); }).join();
    EXPECT_FALSE(otherGotIt);
    LeaveCriticalSection(&section);
    std::thread([&] { otherGotIt = TryEnterCriticalSection(&section); }).join();
    EXPECT_FALSE(otherGotIt);  // still entered once
    LeaveCriticalSection(&section);
    std::thread([&] {
        otherGotIt = TryEnterCriticalSection(&section);
        if (otherGotIt)
            LeaveCriticalSection(&section);
    }).join();
    EXPECT_TRUE(otherGotIt);
    DeleteCriticalSection(&section);
}

TEST(ThreadsTest, SleepLastsAtLeastItsTime) {
    const auto start = Clock::now();
    Sleep(30);
    EXPECT_GE(ElapsedMs(start), 30);
    Sleep(0);
}

}  // namespace
