// Runs the player and the entry probe as child processes and checks how they end.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

#include "Common/ZepBoxMain.h"
#include "TestSupport.h"

using TestSupport::ChildResult;
using TestSupport::ReadFile;
using TestSupport::RunProgram;
using TestSupport::TempFolder;

namespace {

typedef TestSupport::PlayerRun ProbeRun;

ProbeRun RunProbe(const std::string& mode, std::vector<std::string> environment = {}) {
    return TestSupport::RunPlayer(ENTRY_PROBE_PATH, {mode}, "", std::move(environment));
}

TEST(ProgramEntry, OrderlyRunEndsWithZeroAndNoBox) {
    const ProbeRun run = RunProbe("ok");
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    EXPECT_EQ("", run.boxes);
    EXPECT_NE(std::string::npos, run.result.stdErr.find("entry returned 0"));
}

TEST(ProgramEntry, PanicShowsTheReportInTheUnhandledExceptionBoxAfterTheListener) {
    const ProbeRun run = RunProbe("panic");
    EXPECT_EQ(1, run.result.exitCode);
    const std::string report = "Panic error in file \"tests\\process\\probe\\EntryProbe.cpp\", line";
    // Logged first, then heard by the listener, then shown; nothing runs after it.
    const size_t logged = run.result.stdErr.find(report);
    const size_t heard = run.result.stdErr.find("listener heard: Panic error");
    const size_t shown = run.result.stdErr.find("Unhandled exception: Panic error");
    ASSERT_NE(std::string::npos, logged) << run.result.stdErr;
    ASSERT_NE(std::string::npos, heard);
    ASSERT_NE(std::string::npos, shown);
    EXPECT_LT(logged, heard);
    EXPECT_LT(heard, shown);
    EXPECT_EQ(std::string::npos, run.result.stdErr.find("Panic error: ")) << "no report box once the handler is in";
    EXPECT_EQ(std::string::npos, run.result.stdErr.find("entry returned"));
    EXPECT_EQ(std::string::npos, run.result.stdErr.find("destroy 1")) << "no destructor runs after the box";
    EXPECT_EQ(0u, run.boxes.find("error\tUnhandled exception\tPanic error in file"));
    EXPECT_NE(std::string::npos, run.boxes.find(":\\n  forced failure\n"));
    EXPECT_NE(std::string::npos, run.debugLog.find("forced failure\n"));
}

TEST(ProgramEntry, AssertionEndsTheSameWay) {
    const ProbeRun run = RunProbe("assert");
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_NE(std::string::npos, run.boxes.find("error\tUnhandled exception\tAssertion failed in file"));
    EXPECT_NE(std::string::npos, run.boxes.find("arithmetic is broken"));
}

TEST(ProgramEntry, EscapingExceptionsShowTheirTextOrTheUnknownText) {
    const ProbeRun standard = RunProbe("std");
    EXPECT_EQ(1, standard.result.exitCode);
    EXPECT_EQ("error\tUnhandled exception\tstandard failure\n", standard.boxes);

    const ProbeRun engine = RunProbe("engine");
    EXPECT_EQ(1, engine.result.exitCode);
    EXPECT_EQ("error\tUnhandled exception\tFailed to allocate 16 bytes\n", engine.boxes);

    const ProbeRun unknown = RunProbe("unknown");
    EXPECT_EQ(1, unknown.result.exitCode);
    EXPECT_EQ("error\tUnhandled exception\tAn unknown exception has occurred.\n", unknown.boxes);
}

TEST(ProgramEntry, CrashEndsWithTheUnknownTextAndCodeOne) {
    // A sanitized build must leave the fatal signals to the player's own handler.
    const ProbeRun run =
        RunProbe("crash", {"ASAN_OPTIONS=handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0"});
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_NE(std::string::npos, run.result.stdErr.find("An unknown exception has occurred.\n"));
    EXPECT_NE(std::string::npos, run.debugLog.find("An unknown exception has occurred.\n"));
}

TEST(Singletons, AreDestroyedAtExitInReverseOrderOfCreation) {
    const ProbeRun run = RunProbe("order");
    EXPECT_EQ(0, run.result.exitCode);
    const std::string& err = run.result.stdErr;
    const size_t c1 = err.find("construct 1"), c2 = err.find("construct 2"), c3 = err.find("construct 3");
    const size_t d1 = err.find("destroy 1"), d2 = err.find("destroy 2"), d3 = err.find("destroy 3");
    ASSERT_NE(std::string::npos, d1) << err;
    EXPECT_LT(c1, c2);
    EXPECT_LT(c2, c3);
    EXPECT_LT(c3, d3);
    EXPECT_LT(d3, d2);
    EXPECT_LT(d2, d1);
}

TEST(Singletons, LateAccessAfterTeardownIsReportedWithoutRecursing) {
    // The application singleton is gone by then: the report skips the listener
    // and still ends in the handler's box.
    const ProbeRun run = RunProbe("late-access");
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_NE(
        std::string::npos,
        run.boxes.find(
            "error\tUnhandled exception\tAssertion failed in file \"Common\\\\CoreUtils.h\", line "
            "246:\\n  Trying to access (anonymous namespace)::Traced<3> singleton but it was already destructed\n"))
        << run.boxes;
}

TEST(Singletons, AccessDuringConstructionIsReported) {
    const ProbeRun run = RunProbe("self");
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_NE(std::string::npos,
              run.boxes.find("line 250:\\n  Trying to access (anonymous namespace)::SelfReaching singleton during "
                             "its construction"))
        << run.boxes;
}

TEST(Reports, AFailingListenerDoesNotMakeTheReportRecurse) {
    const ProbeRun run = RunProbe("listener-fails");
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_NE(std::string::npos, run.result.stdErr.find("listener heard: Panic error"));
    EXPECT_NE(std::string::npos, run.result.stdErr.find("listener failed too"));
    // The nested report goes straight to the handler: one hearing, one box.
    size_t hearings = 0;
    for (size_t at = run.result.stdErr.find("listener heard"); at != std::string::npos;
         at = run.result.stdErr.find("listener heard", at + 1))
        ++hearings;
    EXPECT_EQ(1u, hearings);
    EXPECT_EQ(1, static_cast<int>(std::count(run.boxes.begin(), run.boxes.end(), '\n')));
    EXPECT_NE(std::string::npos, run.boxes.find("listener failed too"));
}

TEST(ProgramEntry, KnowsTheEditorByItsProgramFileName) {
    TempFolder folder;
    const std::string editor = folder.File("ZepStudio.exe");
    const std::string other = folder.File("zepstudio.exe");
    std::filesystem::copy_file(ENTRY_PROBE_PATH, editor);
    std::filesystem::copy_file(ENTRY_PROBE_PATH, other);
    EXPECT_EQ(10, RunProgram(editor, {"editor"}, {}).exitCode);
    EXPECT_EQ(20, RunProgram(other, {"editor"}, {}).exitCode) << "the comparison is case-sensitive";
    EXPECT_EQ(20, RunProgram(ENTRY_PROBE_PATH, {"editor"}, {}).exitCode);
}

TEST(ProgramEntry, ThePlayerLinksEveryClassOfThePropertyTables) {
    const ProbeRun run = RunProbe("classes");
    ASSERT_EQ(0, run.result.exitCode) << run.result.stdErr;
    std::istringstream lines(ReadFile(std::string(ZEP_TEST_DATA) + "/classes/property-tables.txt"));
    int classes = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("class ", 0) != 0)
            continue;
        // The name ends at " : " before the base; the root class has none, and names
        // may hold blanks ("Zep::TypedAnimator<unsigned int>").
        const std::string name = line.substr(6, std::min(line.find(" : ", 6), line.size()) - 6);
        ++classes;
        EXPECT_NE(std::string::npos, run.result.stdErr.find("class " + name + "\n")) << name << " is not linked";
    }
    EXPECT_EQ(56, classes);
}

TEST(Player, RunsAndEndsWithZero) {
    TempFolder runtime;
    const ChildResult result = RunProgram(ZEPBOX_PATH, {}, {"XDG_RUNTIME_DIR=" + runtime.Path()}, HELLO_GAME_FOLDER);
    EXPECT_EQ(0, result.exitCode) << result.stdErr;
}

TEST(Player, SecondInstanceEndsAtOnceWithZero) {
    TempFolder runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    HANDLE guard = CreateMutexA(nullptr, FALSE, Zep::kSingleInstanceGuardName);
    ASSERT_NE(nullptr, guard);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(guard, 0));

    TempFolder boxes;
    const ChildResult result =
        RunProgram(ZEPBOX_PATH, {}, {"XDG_RUNTIME_DIR=" + runtime.Path(), "ZEP_MESSAGEBOX_LOG=" + boxes.File("boxes")},
                   HELLO_GAME_FOLDER);
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("", TestSupport::WithoutThreadLines(result.stdErr));
    EXPECT_EQ("", ReadFile(boxes.File("boxes")));

    ReleaseMutex(guard);
    CloseHandle(guard);
    unsetenv("XDG_RUNTIME_DIR");
}

// Takes the single-instance guard in this process, in a run without a runtime folder.
HANDLE HoldGuard(const TestSupport::NoRuntimeFolder& noRuntime) {
    HANDLE guard = nullptr;
    noRuntime.Within([&] { guard = CreateMutexA(nullptr, FALSE, Zep::kSingleInstanceGuardName); });
    EXPECT_NE(nullptr, guard);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(guard, 0));
    return guard;
}

TEST(Player, WithoutARuntimeFolderTheSecondStartStillEndsAtOnceWithZero) {
    TestSupport::NoRuntimeFolder noRuntime;
    HANDLE guard = HoldGuard(noRuntime);
    const ProbeRun run = TestSupport::RunPlayer(ZEPBOX_PATH, {}, HELLO_GAME_FOLDER, noRuntime.Environment());
    EXPECT_EQ(0, run.result.exitCode);
    EXPECT_EQ("", TestSupport::WithoutThreadLines(run.result.stdErr));
    EXPECT_EQ("", run.boxes);
    CloseHandle(guard);
}

// A lock folder that is not the user's own (here a link) is refused with a report, never
// taken for a running instance.
TEST(Player, ALockFolderThatIsNotTheUsersOwnEndsInAReport) {
    TestSupport::NoRuntimeFolder noRuntime;
    TempFolder elsewhere;
    ASSERT_EQ(0, symlink(elsewhere.Path().c_str(), noRuntime.LockFolder().c_str()));
    const ProbeRun run = TestSupport::RunPlayer(ZEPBOX_PATH, {}, HELLO_GAME_FOLDER, noRuntime.Environment());
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_NE(std::string::npos, run.boxes.find("Failed to create mutex")) << run.boxes;
    EXPECT_NE(std::string::npos, run.result.stdErr.find("lock folder \"" + noRuntime.LockFolder() + "\""))
        << run.result.stdErr;
    EXPECT_EQ(std::string::npos, run.result.stdErr.find("Hello from the ZepBox demo"));
}

// An ordinary user's start prints the game's output and nothing else: no word about
// thread priorities it may not raise, and no collision with another user's running
// game, with or without a runtime folder.
TEST(Player, AnOrdinaryUsersStartPrintsOnlyTheGamesOutput) {
    if (!TestSupport::RunningAsRoot())
        GTEST_SKIP() << "needs root to start the player as another user";
    for (const bool runtimeFolder : {true, false}) {
        SCOPED_TRACE(runtimeFolder ? "runtime folder" : "no runtime folder, another user's game running");
        TestSupport::NoRuntimeFolder noRuntime;
        HANDLE guard = runtimeFolder ? nullptr : HoldGuard(noRuntime);
        const ProbeRun run =
            TestSupport::RunPlayerAs(TestSupport::OrdinaryUser(), ZEPBOX_PATH, {}, HELLO_GAME_FOLDER,
                                     runtimeFolder ? std::vector<std::string>() : noRuntime.Environment());
        EXPECT_EQ(0, run.result.exitCode);
        EXPECT_EQ("Hello from the ZepBox demo: Main.lua is running.\n",
                  TestSupport::WithoutThreadLines(run.result.stdErr));
        EXPECT_EQ("", run.boxes);
        if (guard)
            CloseHandle(guard);
    }
}

}  // namespace
