// The player against content that exhausts its memory, special files where content
// files belong, and modules that cannot be loaded: every run ends in a clear report
// (or goes on), never in an abort, a hang or a leak report.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using TestSupport::PlayerRun;
using TestSupport::TempFolder;
using TestSupport::WriteFile;

// Whatever heap the script exhausts, and wherever it runs, the Lua error box tells it.
TEST(HostileContent, ExhaustedMemoryEndsInTheLuaErrorBox) {
    const std::vector<std::string> scripts = {
        "local t = {} for i = 1, 1e9 do t[i] = {} end\n",
        "function Cleanup()\n  local t = {} for i = 1, 1e9 do t[i] = {} end\nend\n",
        "local t = {} for i = 1, 1e9 do t[i] = 's' .. i end\n",
    };
    for (const std::string& script : scripts) {
        SCOPED_TRACE(script);
        TempFolder content;
        WriteFile(content.File("Main.lua"), script);
        const PlayerRun run = TestSupport::RunPlayer(ZEPBOX_PATH, {}, content.Path());
        EXPECT_EQ(1, run.result.exitCode) << run.result.stdErr;
        EXPECT_EQ("warning\tLua error has occurred\tnot enough memory\n", run.boxes);
        EXPECT_THAT(run.result.stdErr, Not(HasSubstr("terminate called")));
    }
}

// A named pipe where a content file belongs is reported as an unreadable file is,
// at once: opening it must not wait for a writer that never comes.
TEST(HostileContent, APipeInPlaceOfAContentFileIsReportedLikeAnUnreadableFile) {
    struct Case {
        const char* target;
        std::string mainScript;
    };
    const std::vector<Case> cases = {
        {"contents.dat", "Print('ran')\n"},
        {"Main.lua", ""},
        {"game.tools.lua", "require('game.tools')\n"},
        {"level/.attributes", "Print('ran')\n"},
    };
    const TestSupport::UserIds user = TestSupport::OrdinaryUser();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        TempFolder content;
        std::filesystem::create_directory(content.File("level"));
        if (!c.mainScript.empty())
            WriteFile(content.File("Main.lua"), c.mainScript);
        const std::string target = content.File(c.target);

        // The run is bounded, so that a waiting open fails the test instead of hanging it.
        ASSERT_EQ(0, ::mkfifo(target.c_str(), 0644));
        TestSupport::HandOver(content.Path(), user);
        const auto start = std::chrono::steady_clock::now();
        const PlayerRun piped = TestSupport::RunPlayerAs(user, "/usr/bin/timeout", {"20", ZEPBOX_PATH}, content.Path());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_NE(124, piped.result.exitCode) << "the player waited for the pipe";
        EXPECT_LT(seconds, 5.0);

        std::filesystem::remove(target);
        WriteFile(target, "Print('never')\n");
        ASSERT_EQ(0, ::chmod(target.c_str(), 0));
        TestSupport::HandOver(content.Path(), user);
        const PlayerRun unreadable = TestSupport::RunPlayerAs(user, ZEPBOX_PATH, {}, content.Path());

        EXPECT_EQ(1, piped.result.exitCode) << piped.result.stdErr;
        EXPECT_EQ(unreadable.result.exitCode, piped.result.exitCode);
        EXPECT_NE("", piped.boxes);
        EXPECT_EQ(unreadable.boxes, piped.boxes);
    }
}

// A module that cannot be loaded records a file-system error on the main thread; the
// record is freed at exit like everything else.
TEST(HostileContent, AFailedRequireLeavesNoLeakAtTheOrderlyEnd) {
    const std::vector<std::string> modules = {"dangling", "missing"};
    for (const std::string& module : modules) {
        SCOPED_TRACE(module);
        TempFolder content;
        ASSERT_EQ(0, ::symlink(content.File("nowhere.lua").c_str(), content.File("dangling.lua").c_str()));
        WriteFile(content.File("Main.lua"), "local ok = pcall(require, '" + module +
                                                "')\n"
                                                "Print('went on: ' .. tostring(ok))\n");
        const PlayerRun run = TestSupport::RunPlayer(ZEPBOX_PATH, {}, content.Path());
        EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
        EXPECT_THAT(run.result.stdErr, HasSubstr("went on: false\n"));
        EXPECT_THAT(run.result.stdErr, Not(HasSubstr("memory leaks detected")));
    }
}

}  // namespace
