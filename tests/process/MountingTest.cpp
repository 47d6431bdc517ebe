// How the player finds and mounts its content: "contents.dat" beside the program
// makes its folder the current one; loose files shadow packed ones; a missing
// "Main.lua" ends in the panic of the main routine; the folder attributes are read
// after that check and before the script runs.
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
using TestSupport::ChildResult;
using TestSupport::ReadFile;
using TestSupport::RunProgram;
using TestSupport::TempFolder;
using TestSupport::WriteFile;

// Writes a packed file with the engine's writer.
void WritePacked(const std::string& path, const std::vector<std::pair<std::string, std::string>>& files) {
    Zep::PackedBundle bundle(path, Zep::FS_OPEN_CREATE | Zep::FS_OPEN_TRUNCATE);
    for (const auto& file : files) {
        Zep::FileHandle handle = bundle.OpenFile(file.first, Zep::FS_OPEN_TRUNCATE | Zep::FS_OPEN_CREATE_FOLDERS);
        ASSERT_NE(nullptr, handle);
        bundle.WriteFile(handle, file.second.data(), static_cast<int64_t>(file.second.size()));
        bundle.CloseFile(handle);
    }
}

using TestSupport::PlayerRun;

PlayerRun Start(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder) {
    return TestSupport::RunPlayer(program, arguments, folder);
}

// A copy of the program in a folder of its own, with a "contents.dat" beside it.
std::string InstallBeside(const TempFolder& folder, const std::string& program) {
    const std::string copy = folder.File(std::filesystem::path(program).filename().string());
    std::filesystem::copy_file(program, copy);
    WritePacked(folder.File("contents.dat"), {{"Main.lua", "-- packed main\n"}, {"probe.txt", "packed"}});
    return copy;
}

TEST(Mounting, AFolderWithoutMainLuaEndsInThePanicOfTheMainRoutine) {
    TempFolder empty;
    const PlayerRun run = Start(ZEPBOX_PATH, {}, empty.Path());
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_EQ(
        "error\tUnhandled exception\tPanic error in file \"Common\\\\ZepBoxMain.cpp\", line 116:\\n  Script "
        "\"Main.lua\" not found\n",
        run.boxes);
}

TEST(Mounting, ContentsBesideThePlayerMakeItWorkFromItsOwnFolder) {
    TempFolder installed, elsewhere;
    const std::string player = InstallBeside(installed, ZEPBOX_PATH);
    EXPECT_EQ(0, Start(player, {}, elsewhere.Path()).result.exitCode) << "Main.lua comes from contents.dat";

    const std::string probe = InstallBeside(installed, ENTRY_PROBE_PATH);
    PlayerRun run = Start(probe, {"content"}, elsewhere.Path());
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    EXPECT_THAT(run.result.stdErr, HasSubstr("probe.txt: packed\n"));
    EXPECT_THAT(run.result.stdErr, HasSubstr("folder: " + Zep::GetNormalizedPath(installed.Path() + "/") + "\n"));

    // A loose file of the same path is read instead of the packed one.
    WriteFile(installed.File("probe.txt"), "loose");
    run = Start(probe, {"content"}, elsewhere.Path());
    EXPECT_THAT(run.result.stdErr, HasSubstr("probe.txt: loose\n"));
}

TEST(Mounting, WithoutContentsBesideThePlayerTheStartingFolderIsUsed) {
    TempFolder start;
    WritePacked(start.File("contents.dat"), {{"Main.lua", "--\n"}, {"probe.txt", "packed here"}});
    PlayerRun run = Start(ENTRY_PROBE_PATH, {"content"}, start.Path());
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    EXPECT_THAT(run.result.stdErr, HasSubstr("probe.txt: packed here\n"));
    EXPECT_THAT(run.result.stdErr, HasSubstr("folder: " + Zep::GetNormalizedPath(start.Path() + "/") + "\n"));

    TempFolder loose;
    WriteFile(loose.File("Main.lua"), "--\n");
    WriteFile(loose.File("probe.txt"), "only loose");
    run = Start(ENTRY_PROBE_PATH, {"content"}, loose.Path());
    EXPECT_THAT(run.result.stdErr, HasSubstr("probe.txt: only loose\n"));
}

TEST(Mounting, ADamagedContentsFileEndsInItsPanic) {
    TempFolder start;
    WriteFile(start.File("contents.dat"), "this file is not a packed bundle at all");
    WriteFile(start.File("Main.lua"), "--\n");
    const PlayerRun run = Start(ZEPBOX_PATH, {}, start.Path());
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_THAT(run.boxes, HasSubstr("Unhandled exception\tPanic error in file \"Common\\\\PackedBundle.cpp\""));
    EXPECT_THAT(run.boxes, HasSubstr("Invalid bundle signature"));
}

TEST(Mounting, FolderAttributesAreReadAfterTheScriptCheckAndBeforeTheScript) {
    TempFolder start;
    // Malformed: the value is not quoted. Nothing reads it while "Main.lua" is missing.
    WritePacked(start.File("contents.dat"), {{"ui/.attributes", "\"*\" MipMaps true\n"}});
    PlayerRun run = Start(ZEPBOX_PATH, {}, start.Path());
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_THAT(run.boxes, HasSubstr("Script \"Main.lua\" not found"));

    WriteFile(start.File("Main.lua"), "Print('the script ran')\n");
    run = Start(ZEPBOX_PATH, {}, start.Path());
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_EQ(
        "error\tUnhandled exception\tSyntax error on line 1.\\n Error: Illegal symbol found near quoted "
        "string\\n Line was: \"*\" MipMaps true\n",
        run.boxes);
    EXPECT_THAT(run.result.stdErr, ::testing::Not(HasSubstr("the script ran")));

    WritePacked(start.File("contents.dat"), {{"ui/.attributes", "\"*\" MipMaps \"true\"\n"}});
    run = Start(ZEPBOX_PATH, {}, start.Path());
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    EXPECT_THAT(run.result.stdErr, HasSubstr("the script ran"));
    EXPECT_THAT(run.result.stdErr, ::testing::Not(HasSubstr("memory leaks detected")));
}

}  // namespace
