// The built-in class records in a program linked like the player: in place and in
// their fixed order when the main routine starts, torn down in reverse order at exit,
// and every concrete class through a scene file.
#include <gtest/gtest.h>

#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "BuiltInClasses.h"
#include "TestSupport.h"

using TestSupport::kBuiltInClasses;
using TestSupport::ReadFile;

namespace {

std::vector<std::string> TableNames() {
    std::vector<std::string> names;
    for (const TestSupport::BuiltInClass& row : kBuiltInClasses)
        names.push_back(row.name);
    return names;
}

// The probe's lines that begin with prefix, without it.
std::vector<std::string> LinesAfter(const std::string& text, const std::string& prefix) {
    std::vector<std::string> found;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line.substr(prefix.size()));
    }
    return found;
}

// The animatable rows of the property tables (animated column "yes").
int AnimatableRows() {
    std::istringstream lines(ReadFile(std::string(ZEP_TEST_DATA) + "/classes/property-tables.txt"));
    const std::regex row("^\\|[^|]*\\|[^|]*\\|[^|]*\\|[^|]*\\| yes \\|");
    int count = 0;
    for (std::string line; std::getline(lines, line);)
        count += std::regex_search(line, row) ? 1 : 0;
    return count;
}

TEST(ClassRegistrations, AreInPlaceInTheirFixedOrderWhenTheMainRoutineStarts) {
    const TestSupport::PlayerRun run = TestSupport::RunPlayer(ENTRY_PROBE_PATH, {"registrations"});
    ASSERT_EQ(0, run.result.exitCode) << run.result.stdErr;
    const std::string& text = run.result.stdErr;
    EXPECT_EQ(TableNames(), LinesAfter(text, "registered "));
    EXPECT_EQ(std::vector<std::string>{}, LinesAfter(text, "unregistered base of "));
    EXPECT_EQ(std::vector<std::string>{}, LinesAfter(text, "base chain of "));
    EXPECT_EQ(std::vector<std::string>{}, LinesAfter(text, "unresolved animator class of "));
    // Every animatable property of the tables was looked at.
    EXPECT_EQ(std::vector<std::string>{std::to_string(AnimatableRows())}, LinesAfter(text, "animatable properties "));
}

TEST(ClassRegistrations, AreTornDownInReverseOrderAtExitAndLeaveNothingBehind) {
    const TestSupport::PlayerRun run = TestSupport::RunPlayer(ENTRY_PROBE_PATH, {"registrations"});
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    std::vector<std::string> expected;
    const int count = static_cast<int>(std::size(kBuiltInClasses));
    for (int i = count - 1; i >= 0; --i)
        expected.push_back(std::string(kBuiltInClasses[i].name) + ", " + std::to_string(i) + " left");
    EXPECT_EQ(expected, LinesAfter(run.result.stdErr, "unregistered "));
    // Under the sanitizers the leak check runs after the teardown: property and
    // collection infos that a record failed to delete would be reported here.
    EXPECT_EQ(std::string::npos, run.result.stdErr.find("LeakSanitizer")) << run.result.stdErr;
}

TEST(ClassRegistrations, ASceneOfEveryConcreteClassLoadsAndSavesBackUnchangedThroughThePlayer) {
    const std::string folder = std::string(ZEP_TEST_DATA) + "/registrations";
    const std::string scene = ReadFile(folder + "/every-concrete-class.scene");
    // The sample names every class that can be created, as archives spell it.
    std::set<std::string> concrete;
    for (const TestSupport::BuiltInClass& row : kBuiltInClasses) {
        if (std::string(row.name) != "Zep::Animator" && std::string(row.name) != "Zep::Font")
            concrete.insert(row.name);
    }
    std::set<std::string> named;
    const std::regex objectStart("\"([^\"]+)\" \\{");
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
