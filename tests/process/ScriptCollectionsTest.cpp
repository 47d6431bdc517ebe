// The player with scripts that break the rules of the engine's collections: each
// report ends the process, whatever pcall the script put around the call.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

TEST(ScriptCollections, ABrokenRuleOfACollectionEndsThePlayerWithItsReport) {
    struct Failure {
        const char* script;
        const char* report;
    };
    const Failure failures[] = {
        {"Zep.Actor().actors:Add(Zep.Actor())", "\\n  Owner actor isn't a container"},
        {"local a, b, c = Zep.Actor(), Zep.Actor(), Zep.Actor() a.compound, b.compound = true, true "
         "a.actors:Add(c) b.actors:Insert(0, c)",
         "\\n  Actor already in collection"},
        {"local a, m = Zep.Actor(), Zep.Marker() m.frame = 5 a.markers:Add(m) a.markers:Create('early', 2, 0)",
         "\\n  Markers must be inserted in frame order"},
        {"Zep.ObjectCollection():Remove(Zep.Object())", "\\n  Object not found"},
        {"local c = Zep.ObjectCollection() c:Add(Zep.Object()) return c:Get(1)", "\\n  Index out of bounds"},
    };
    for (const Failure& failure : failures) {
        TestSupport::TempFolder content;
        TestSupport::WriteFile(content.File("Main.lua"),
                               std::string("pcall(function() ") + failure.script + " end)\nPrint('pcall returned')\n");
        const TestSupport::PlayerRun run = TestSupport::RunPlayer(ZEPBOX_PATH, {}, content.Path());
        EXPECT_EQ(1, run.result.exitCode) << failure.script;
        EXPECT_THAT(run.boxes, AllOf(StartsWith("error\tUnhandled exception\t"), HasSubstr(failure.report)))
            << failure.script;
        EXPECT_THAT(run.result.stdErr, Not(HasSubstr("pcall returned"))) << failure.script;
    }
}

}  // namespace
