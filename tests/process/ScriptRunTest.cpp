// The player running "Main.lua" end to end: how a script's output, its errors and its
// Cleanup end the process, and where the script comes from.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Common/FileSystem.h"
#include "Common/PackedBundle.h"
#include "TestSupport.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using TestSupport::ChildResult;
using TestSupport::ReadFile;
using TestSupport::RunProgram;
using TestSupport::TempFolder;
using TestSupport::WriteFile;

using TestSupport::PlayerRun;

PlayerRun RunPlayerIn(const std::string& folder, const std::string& program = ZEPBOX_PATH,
                      const std::vector<std::string>& arguments = {}) {
    return TestSupport::RunPlayer(program, arguments, folder);
}

// Runs the player on a folder holding only "Main.lua" with the given text.
PlayerRun RunMain(const std::string& script) {
    TempFolder content;
    WriteFile(content.File("Main.lua"), script);
    return RunPlayerIn(content.Path());
}

// The demo's frames until its window is closed at frame 30: its big gem turns 50 degrees a
// second, so at frame 10 (16 ms a frame) its top corner has moved off the centre line.
TEST(ScriptRun, TheDemoRunsFramesUntilItsWindowIsClosed) {
    TempFolder output;
    WriteFile(output.File("input.txt"), "30 close\n");
    const PlayerRun run =
        TestSupport::RunPlayer(ZEPBOX_PATH, {}, DEMO_FOLDER,
                               {"ZEP_VIRTUAL_CLOCK_MS=16", "ZEP_TEST_INPUT=" + output.File("input.txt"),
                                "ZEP_TEST_CAPTURE=1,10", "ZEP_TEST_CAPTURE_DIR=" + output.Path()});
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    EXPECT_THAT(run.result.stdErr, HasSubstr("Hello from the ZepBox demo: Main.lua is running.\n"));
    EXPECT_THAT(run.result.stdErr, HasSubstr("The demo ends.\n"));
    EXPECT_EQ("", run.boxes);
    // The gem's light upper half just under its top corner, (400, 200) at rest.
    const auto green = [&](int frame, int x, int y) {
        const std::string pixels = TestSupport::ReadFile(output.File("frame-" + std::to_string(frame) + ".bgra"));
        const size_t at = 8 + (size_t(y) * 800 + x) * 4;
        return at + 3 < pixels.size() && uint8_t(pixels[at + 1]) > 200;
    };
    EXPECT_TRUE(green(1, 400, 204));
    EXPECT_FALSE(green(10, 400, 204));
}

TEST(ScriptRun, ModulesComeFromTheBundlesAndCleanupRunsAtTheEnd) {
    TempFolder content;
    const std::string folder = "a folder whose name is longer than any short string";
    std::filesystem::create_directory(content.File(folder));
    WriteFile(content.File("Main.lua"), "local tools = require('" + folder +
                                            "/game.tools')\n"
                                            "Print(tools.greet() .. ' from ' .. GetScriptPath())\n"
                                            "Print('module Zep: ' .. type(Zep))\n"
                                            "function Cleanup() Print('cleanup ran') end\n");
    WriteFile(content.File(folder + "/game.tools.lua"),
              "module(..., package.seeall)\nlocal path = GetScriptDirectory()\n"
              "function greet() return 'hello from ' .. path end\n");
    const PlayerRun run = RunPlayerIn(content.Path());
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    EXPECT_THAT(run.result.stdErr,
                HasSubstr("hello from " + folder + "/ from Main.lua\nmodule Zep: table\ncleanup ran\n"));
    EXPECT_EQ("", run.boxes);
    EXPECT_THAT(run.result.stdErr, Not(HasSubstr("memory leaks detected")));
}

TEST(ScriptRun, ASyntaxErrorIsThePanicOfTheLoadingLine) {
    const PlayerRun run = RunMain("Print('never')\nlocal = 1\n");
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_THAT(run.boxes, HasSubstr("error\tUnhandled exception\tPanic error in file \"Common\\\\ZepBoxMain.cpp\", "
                                     "line 30:\\n  Failed to load script: Main.lua:2: "));
    EXPECT_THAT(run.result.stdErr, Not(HasSubstr("never")));
}

TEST(ScriptRun, ARuntimeErrorShowsTheLuaMessageAloneAndEndsWithOne) {
    const PlayerRun run = RunMain("function Cleanup() Print('cleanup ran') end\nPrint('before')\nerror('boom')\n");
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_EQ("warning\tLua error has occurred\tMain.lua:3: boom\n", run.boxes);
    EXPECT_THAT(run.result.stdErr, HasSubstr("before\n"));
    EXPECT_THAT(run.result.stdErr, Not(HasSubstr("cleanup ran")));
}

TEST(ScriptRun, AnErrorValueWithoutTextIsThePanicOfTheRunningLine) {
    const PlayerRun run = RunMain("error({})\n");
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_EQ(
        "error\tUnhandled exception\tPanic error in file \"Common\\\\ZepBoxMain.cpp\", line 38:\\n  Failed to "
        "run script: (error object is a table value)\n",
        run.boxes);
}

TEST(ScriptRun, AFailingCleanupEndsInTheLuaErrorBox) {
    PlayerRun run = RunMain("function Cleanup()\n  error('cleanup failed')\nend\n");
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_EQ("warning\tLua error has occurred\tMain.lua:2: cleanup failed\n", run.boxes);

    run = RunMain("Cleanup = 5\n");
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_EQ("warning\tLua error has occurred\tattempt to call a number value\n", run.boxes);
}

TEST(ScriptRun, ALooseMainLuaOverridesThePackedOne) {
    TempFolder content;
    {
        Zep::PackedBundle packed(content.File("contents.dat"), Zep::FS_OPEN_CREATE | Zep::FS_OPEN_TRUNCATE);
        const std::vector<std::pair<std::string, std::string>> files = {{"Main.lua", "Print('packed main')\n"},
                                                                        {"packed.lua", "return 'packed module'\n"}};
        for (const auto& file : files) {
            Zep::FileHandle handle = packed.OpenFile(file.first, Zep::FS_OPEN_TRUNCATE);
            ASSERT_NE(nullptr, handle);
            packed.WriteFile(handle, file.second.data(), static_cast<int64_t>(file.second.size()));
            packed.CloseFile(handle);
        }
    }
    WriteFile(content.File("Main.lua"), "Print('loose main with ' .. require('packed'))\n");
    const PlayerRun run = RunPlayerIn(content.Path());
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    EXPECT_THAT(run.result.stdErr, HasSubstr("loose main with packed module\n"));
    EXPECT_THAT(run.result.stdErr, Not(HasSubstr("packed main")));
}

TEST(ScriptRun, AForeignExceptionFromABindingShowsTheMainStatesCallStack) {
    TempFolder anywhere;
    const PlayerRun run = RunPlayerIn(anywhere.Path(), ENTRY_PROBE_PATH, {"lua-unknown"});
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_EQ(
        "error\tUnhandled exception\tAn unknown exception has occurred.\\nLua main state callstack:\\n"
        "Throw\\ninner; @probe.lua:2\\nmain_chunk; @probe.lua:4\\n\n",
        run.boxes);
}

TEST(ScriptRun, EngineFailuresInsideABindingAreNotCaughtByTheScriptsPcall) {
    struct Failure {
        const char* scene;
        const char* box;
    };
    const Failure failures[] = {
        // An assertion report ends the process before anything is thrown.
        {"marker.scene", "error\tUnhandled exception\tAssertion failed in file \"Common\\\\Utils.cpp\", line "},
        // A stream's exception passes through the binding and the script's pcall.
        {"missing.scene", "error\tUnhandled exception\tFailed to create file stream (\"missing.scene\"). No errors\n"},
    };
    for (const Failure& failure : failures) {
        TempFolder content;
        WriteFile(content.File("marker.scene"), "\"Zep::Marker\" {\n}\n");
        WriteFile(content.File("Main.lua"), std::string("local ok = pcall(Zep.LoadSceneFromFile, Zep.Actor(), '") +
                                                failure.scene + "')\nPrint('pcall returned')\n");
        const PlayerRun run = RunPlayerIn(content.Path());
        EXPECT_EQ(1, run.result.exitCode) << failure.scene;
        EXPECT_THAT(run.boxes, StartsWith(failure.box));
        EXPECT_THAT(run.result.stdErr, Not(HasSubstr("pcall returned"))) << failure.scene;
    }
}

TEST(ScriptRun, ObjectsThatAScriptMadeLeaveNoLeakReportAtExit) {
    const PlayerRun run = RunMain(
        "local kept, gone = Zep.Actor(), Zep.Image() gone:delete()\n"
        "for i = 1, 100 do local collected = Zep.Graphic() end\n");
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    EXPECT_THAT(run.result.stdErr, Not(HasSubstr("memory leaks detected")));
}

}  // namespace
