#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

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

// Without a runtime folder each user's locks live in a folder of their own, so one
// user's lock never stops another's.
TEST(KernelMutex, WithoutARuntimeFolderEachUserHasAPrivateLockFolder) {
    TestSupport::NoRuntimeFolder noRuntime;
    const char* name = "1F0E0D0C-0B0A-0908-0706-050403020100";
    HANDLE mutex = nullptr;
    noRuntime.Within([&] { mutex = CreateMutexA(nullptr, FALSE, name); });
    ASSERT_NE(nullptr, mutex);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
    struct stat folder, file;
    ASSERT_EQ(0, lstat(noRuntime.LockFolder().c_str(), &folder));
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(0700u, folder.st_mode & 07777);
    ASSERT_EQ(0, stat((noRuntime.LockFolder() + "/" + name + ".lock").c_str(), &file));
    EXPECT_EQ(0600u, file.st_mode & 07777);

    if (TestSupport::RunningAsRoot()) {
        std::vector<std::string> variables = noRuntime.Environment();
        variables.push_back(std::string("ZEP_TEST_MUTEX=") + name);
        EXPECT_EQ(20, TestSupport::RunProgramAs(TestSupport::OrdinaryUser(), "/proc/self/exe",
                                                {"--gtest_also_run_disabled_tests",
                                                 "--gtest_filter=KernelMutex.DISABLED_TryNamedInOtherProcess"},
                                                variables)
                          .exitCode)
            << "another user has a lock of their own";
    }
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

// A lock folder that another user could have made or can enter is not used: the
// mutex is refused with access denied and a line that says why.
TEST(KernelMutex, ALockFolderThatIsNotTheUsersOwnIsRefused) {
    struct Case {
        const char* what;
        std::function<void(const std::string& folder, const std::string& elsewhere)> make;
    };
    const std::vector<Case> cases = {
        {"a link to a folder",
         [](const std::string& folder, const std::string& elsewhere) {
             ASSERT_EQ(0, symlink(elsewhere.c_str(), folder.c_str()));
         }},
        {"a folder open to others",
         [](const std::string& folder, const std::string&) { ASSERT_EQ(0, mkdir(folder.c_str(), 0755)); }},
        {"a file", [](const std::string& folder, const std::string&) { TestSupport::WriteFile(folder, ""); }},
        {"another user's folder",
         [](const std::string& folder, const std::string&) {
             ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
             if (TestSupport::RunningAsRoot())
                 TestSupport::HandOver(folder, TestSupport::OrdinaryUser());
         }},
    };
    for (const Case& c : cases) {
        if (std::string(c.what) == "another user's folder" && !TestSupport::RunningAsRoot())
            continue;
        SCOPED_TRACE(c.what);
        TestSupport::NoRuntimeFolder noRuntime;
        TempFolder elsewhere;
        c.make(noRuntime.LockFolder(), elsewhere.Path());
        TestSupport::StderrCapture capture;
        noRuntime.Within([] {
            EXPECT_EQ(nullptr, CreateMutexA(nullptr, FALSE, "2F0E0D0C-0B0A-0908-0706-050403020100"));
            EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
        });
        EXPECT_NE(std::string::npos, capture.Text().find("lock folder \"" + noRuntime.LockFolder() + "\""))
            << capture.Text();
        EXPECT_TRUE(std::filesystem::is_empty(elsewhere.Path()));
    }
}

// Run only as the other process of the tests above.
TEST(KernelMutex, DISABLED_TryNamedInOtherProcess) {
    HANDLE other = CreateMutexA(nullptr, FALSE, getenv("ZEP_TEST_MUTEX"));
    if (!other)
        ExitProcess(30);
    ExitProcess(WaitForSingleObject(other, 0) == WAIT_TIMEOUT ? 10 : 20);
}

}  // namespace
