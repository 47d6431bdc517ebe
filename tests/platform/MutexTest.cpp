#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <thread>

#include <windows.h>

#include "TestSupport.h"

using TestSupport::TempFolder;

namespace {

TEST(Handles, AreMultiplesOfFourAndCloseOnce) {
    HANDLE first = CreateMutexA(nullptr, FALSE, nullptr);
    HANDLE second = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(first) % 4);
    EXPECT_NE(first, second);
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_FALSE(CloseHandle(first));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(first, 0));
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_TRUE(CloseHandle(second));
}

TEST(KernelMutex, IsRecursiveForItsOwnerOnly) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, INFINITE));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));

    std::atomic<DWORD> fromOther{0};
    std::atomic<BOOL> releasedByOther{TRUE};
    std::thread([&] {
        fromOther = WaitForSingleObject(mutex, 0);
        releasedByOther = ReleaseMutex(mutex);
    }).join();
    EXPECT_EQ(WAIT_TIMEOUT, fromOther.load());
    EXPECT_FALSE(releasedByOther.load());

    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(ERROR_NOT_OWNER, GetLastError());

    std::thread([&] {
        fromOther = WaitForSingleObject(mutex, 0);
        ReleaseMutex(mutex);
    }).join();
    EXPECT_EQ(WAIT_OBJECT_0, fromOther.load());
    CloseHandle(mutex);
}

TEST(KernelMutex, NamedOneExcludesOtherProcesses) {
    TempFolder runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    const char* name = "0F0E0D0C-0B0A-0908-0706-050403020100";

    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    ASSERT_NE(nullptr, mutex);
    EXPECT_EQ(ERROR_SUCCESS, GetLastError());
    HANDLE again = CreateMutexA(nullptr, FALSE, name);
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));

    // A fresh process (not a fork, which would share the lock) tries the name.
    auto tryInChild = [&] {
        return TestSupport::RunProgram(
            "/proc/self/exe",
            {"--gtest_also_run_disabled_tests", "--gtest_filter=KernelMutex.DISABLED_TryNamedInOtherProcess"},
            {"XDG_RUNTIME_DIR=" + runtime.Path(), std::string("ZEP_TEST_MUTEX=") + name});
    };
    EXPECT_EQ(10, tryInChild().exitCode) << "held here, so busy there";

    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(20, tryInChild().exitCode) << "released here, so free there";

    CloseHandle(again);
    CloseHandle(mutex);
    unsetenv("XDG_RUNTIME_DIR");
}

// Run only as the other process of the test above.
TEST(KernelMutex, DISABLED_TryNamedInOtherProcess) {
    HANDLE other = CreateMutexA(nullptr, FALSE, getenv("ZEP_TEST_MUTEX"));
    ExitProcess(WaitForSingleObject(other, 0) == WAIT_TIMEOUT ? 10 : 20);
}

}  // namespace
