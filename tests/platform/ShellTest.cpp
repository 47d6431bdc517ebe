#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include <windows.h>

#include "TestSupport.h"

using TestSupport::ReadFile;
using TestSupport::RunInChild;
using TestSupport::TempFolder;
using TestSupport::WriteFile;

namespace {

uintptr_t ResultOf(HINSTANCE result) {
    return reinterpret_cast<uintptr_t>(result);
}

// A stand-in opener on PATH that records its arguments, one per line.
void InstallRecordingOpener(const TempFolder& folder) {
    const std::string opener = folder.File("xdg-open");
    WriteFile(opener,
              "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args.tmp\"\n"
              "mv \"$0.args.tmp\" \"$0.args\"\n");
    ::chmod(opener.c_str(), 0755);
}

std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        if (::access(path.c_str(), F_OK) == 0)
            return ReadFile(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "<none>";
}

TEST(ShellExecute, HeadlessOnlyLogsTheOpen) {
    TempFolder folder;
    InstallRecordingOpener(folder);
    const auto result = RunInChild([&] {
        setenv("ZEP_HEADLESS", "1", 1);
        setenv("PATH", folder.Path().c_str(), 1);
        if (ResultOf(ShellExecuteA(nullptr, "open", "http://example.org/a b", nullptr, nullptr, SW_SHOWNORMAL)) != 42)
            ExitProcess(3);
        if (ResultOf(ShellExecuteW(nullptr, u"open", u"Caf\u00e9.txt", nullptr, nullptr, SW_SHOWNORMAL)) != 42)
            ExitProcess(4);
    });
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("ShellExecute: open \"http://example.org/a b\"\nShellExecute: open \"Caf\xc3\xa9.txt\"\n", result.stdErr);
    EXPECT_NE(0, ::access(folder.File("xdg-open.args").c_str(), F_OK));
}

TEST(ShellExecute, StartsTheOpenerWithThePathAsOneArgumentWithoutAShell) {
    TempFolder folder;
    InstallRecordingOpener(folder);
    const std::string path = "doc; touch pwned $(touch pwned2) `touch pwned3` 'q' \"d\" *";
    const auto result = RunInChild([&] {
        unsetenv("ZEP_HEADLESS");
        setenv("PATH", (folder.Path() + ":/usr/bin:/bin").c_str(), 1);
        if (::chdir(folder.Path().c_str()) != 0)
            ExitProcess(2);
        if (ResultOf(ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) != 42)
            ExitProcess(3);
    });
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(path + "\n", WaitForFile(folder.File("xdg-open.args")));
    EXPECT_NE(0, ::access(folder.File("pwned").c_str(), F_OK));
    EXPECT_NE(0, ::access(folder.File("pwned2").c_str(), F_OK));
    EXPECT_NE(0, ::access(folder.File("pwned3").c_str(), F_OK));
}

TEST(ShellExecute, OtherVerbsAndAMissingOpenerFail) {
    TempFolder folder;
    InstallRecordingOpener(folder);
    TempFolder empty;
    const auto result = RunInChild([&] {
        unsetenv("ZEP_HEADLESS");
        setenv("PATH", folder.Path().c_str(), 1);
        if (ResultOf(ShellExecuteA(nullptr, "edit", "a.txt", nullptr, nullptr, SW_SHOWNORMAL)) != SE_ERR_NOASSOC)
            ExitProcess(3);
        if (ResultOf(ShellExecuteA(nullptr, "open", "", nullptr, nullptr, SW_SHOWNORMAL)) > 32)
            ExitProcess(4);
        setenv("PATH", empty.Path().c_str(), 1);
        if (ResultOf(ShellExecuteA(nullptr, "open", "a.txt", nullptr, nullptr, SW_SHOWNORMAL)) != SE_ERR_NOASSOC)
            ExitProcess(5);
    });
    EXPECT_EQ(0, result.exitCode);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_NE(0, ::access(folder.File("xdg-open.args").c_str(), F_OK));
}

}  // namespace
