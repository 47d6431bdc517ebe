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

namespace {

uintptr_t Open(const char* verb, const char* path) {
    return reinterpret_cast<uintptr_t>(ShellExecuteA(nullptr, verb, path, nullptr, nullptr, SW_SHOWNORMAL));
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// A stand-in xdg-open in the folder that records its arguments, one per line.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::WriteFile(Opener(),
                               "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\"\n"
                               "mv \"$0.tmp\" \"$0.args\"\n");
        ::chmod(Opener().c_str(), 0755);
    }
    std::string Opener() const { return folder.File("xdg-open"); }
    TempFolder folder;
};

TEST_F(ShellTest, HeadlessOnlyLogsTheOpen) {
    const auto result = RunInChild([&] {
        setenv("ZEP_HEADLESS", "1", 1);
        setenv("PATH", folder.Path().c_str(), 1);
        if (Open("open", "http://example.org/a b") != 42)
            ExitProcess(3);
        ShellExecuteW(nullptr, u"open", u"Caf\u00e9.txt", nullptr, nullptr, SW_SHOWNORMAL);
    });
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("ShellExecute: open \"http://example.org/a b\"\nShellExecute: open \"Caf\xc3\xa9.txt\"\n", result.stdErr);
    EXPECT_FALSE(Exists(Opener() + ".args"));
}

TEST_F(ShellTest, StartsTheOpenerWithThePathAsOneArgumentWithoutAShell) {
    const std::string path = "doc; touch pwned $(touch pwned2) `touch pwned3` 'q' \"d\" *";
    const auto result = RunInChild([&] {
        unsetenv("ZEP_HEADLESS");
        setenv("PATH", (folder.Path() + ":/usr/bin:/bin").c_str(), 1);
        if (::chdir(folder.Path().c_str()) != 0 || Open("open", path.c_str()) != 42)
            ExitProcess(3);
        // Other verbs and empty paths start nothing; without an opener nothing opens.
        if (Open("edit", "a.txt") != SE_ERR_NOASSOC || Open("open", "") > 32)
            ExitProcess(4);
        setenv("PATH", "/nonexistent", 1);
        if (Open("open", "a.txt") != SE_ERR_NOASSOC)
            ExitProcess(5);
    });
    EXPECT_EQ(0, result.exitCode);
    for (int i = 0; i < 500 && !Exists(Opener() + ".args"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(path + "\n", ReadFile(Opener() + ".args"));
    EXPECT_FALSE(Exists(folder.File("pwned")) || Exists(folder.File("pwned2")) || Exists(folder.File("pwned3")));
}

}  // namespace
