// The built-in class records in a program linked like the player: in place and in
// their fixed order when the main routine starts, torn down in reverse order at exit,
// and every concrete class through a scene file. registrations/order.txt lists the 56
// classes in their order.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

using TestSupport::ReadFile;

namespace {

const std::string folder = std::string(ZEP_TEST_DATA) + "/registrations";

// The lines of the text that begin with prefix, without it.
std::vector<std::string> LinesAfter(const std::string& text, const std::string& prefix) {
    std::vector<std::string> found;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line.substr(prefix.size()));
    }
    return found;
}

TEST(ClassRegistrations, AreInPlaceInTheirFixedOrderWhenTheMainRoutineStarts) {
    const TestSupport::PlayerRun run = TestSupport::RunPlayer(ENTRY_PROBE_PATH, {"registrations"});
    ASSERT_EQ(0, run.result.exitCode) << run.result.stdErr;
    const std::string& text = run.result.stdErr;
    EXPECT_EQ(LinesAfter(ReadFile(folder + "/order.txt"), ""), LinesAfter(text, "registered "));
    EXPECT_EQ(std::vector<std::string>{}, LinesAfter(text, "base chain of "));
    EXPECT_EQ(std::vector<std::string>{}, LinesAfter(text, "unresolved animator class of "));
    EXPECT_EQ(std::string::npos, text.find("animatable properties 0\n")) << "the animator classes were not looked at";
}

TEST(ClassRegistrations, AreTornDownInReverseOrderAtExitAndLeaveNothingBehind) {
    const TestSupport::PlayerRun run = TestSupport::RunPlayer(ENTRY_PROBE_PATH, {"registrations"});
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    const std::vector<std::string> order = LinesAfter(ReadFile(folder + "/order.txt"), "");
    std::vector<std::string> expected;
    for (size_t left = order.size(); left-- > 0;)
        expected.push_back(order[left] + ", " + std::to_string(left) + " left");
    EXPECT_EQ(expected, LinesAfter(run.result.stdErr, "unregistered "));
    // Under the sanitizers the leak check runs after the teardown: property and
    // collection infos that a record failed to delete would be reported here.
    EXPECT_EQ(std::string::npos, run.result.stdErr.find("LeakSanitizer")) << run.result.stdErr;
}

TEST(ClassRegistrations, ASceneOfEveryConcreteClassLoadsAndSavesBackUnchangedThroughThePlayer) {
    const std::string scene = ReadFile(folder + "/every-concrete-class.scene");
    // The sample names every class but the two abstract ones, as archives spell them.
    std::set<std::string> concrete;
    for (const std::string& name : LinesAfter(ReadFile(folder + "/order.txt"), ""))
        concrete.insert(name);
    concrete.erase("Zep::Animator");
    concrete.erase("Zep::Font");
    const std::regex objectStart("\"([^\"]+)\" \\{");
    std::set<std::string> named;
    for (auto match = std::sregex_iterator(scene.begin(), scene.end(), objectStart); match != std::sregex_iterator();
         ++match)
        named.insert((*match)[1]);
    EXPECT_EQ(concrete, named);

    TestSupport::TempFolder content;
    TestSupport::WriteFile(content.File("Main.lua"), ReadFile(folder + "/Main.lua"));
    TestSupport::WriteFile(content.File("every-concrete-class.scene"), scene);
    const TestSupport::PlayerRun run = TestSupport::RunPlayer(ENTRY_PROBE_PATH, {"copy-objects"}, content.Path());
    ASSERT_EQ(0, run.result.exitCode) << run.result.stdErr << run.boxes;
    EXPECT_NE(std::string::npos, run.debugLog.find("scene copy run")) << "Main.lua ran first";
    EXPECT_EQ(scene, ReadFile(content.File("copy.scene")));
}

}  // namespace
