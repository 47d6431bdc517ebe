#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "Common/VarManager.h"
#include "ObjectTestSupport.h"
#include "TestSupport.h"

using ObjectTestSupport::ReportOf;
using TestSupport::StderrCapture;
using Zep::VarManager;

namespace {

// A manager of its own per test, apart from the process-wide one.
class Vars : public VarManager {};

TEST(VarManager, DefaultsAndCaseInsensitiveNames) {
    Vars vars;
    EXPECT_EQ("Company name", vars.GetAsString("CompanyName"));
    EXPECT_EQ("ZepBox", vars.GetAsString("ProductName"));
    EXPECT_EQ("1.00", vars.GetAsString("ProductVersion"));
    EXPECT_EQ(800, vars.GetAsInteger("RenderWidth"));
    EXPECT_EQ(600, vars.GetAsInteger("RenderHeight"));
    EXPECT_EQ(Zep::VAR_TYPE_INTEGER, vars.GetDataType("Fullscreen"));
    vars.SetInteger("renderwidth", 1024);
    EXPECT_EQ(1024, vars.GetAsInteger("RenderWidth"));
    EXPECT_EQ(Zep::VAR_TYPE_NODATA, vars.GetDataType("RenderFullscreen"));
}

TEST(VarManager, MissingNamesReadEmptyAndAreNotCreated) {
    Vars vars;
    EXPECT_EQ(0.0f, vars.GetAsFloat("Missing"));
    EXPECT_EQ(0, vars.GetAsInteger("Missing"));
    EXPECT_EQ("", vars.GetAsString("Missing"));
    EXPECT_EQ(nullptr, vars.Find("Missing", false));
    // A created variable without data is an assertion when read.
    EXPECT_EQ(0u, vars.Find("Missing", true)->typeWord);
    StderrCapture capture;
    EXPECT_THROW(vars.GetAsInteger("missing"), Zep::Exception::Assertion);
}

TEST(VarManager, FloatToIntegerRoundsHalfUpAndClamps) {
    Vars vars;
    const struct {
        float value;
        int expected;
    } cases[] = {{2.5f, 3}, {-2.5f, -2}, {0.49999997f, 0}, {3e9f, INT_MAX}, {-INFINITY, INT_MIN}, {NAN, 0}};
    for (const auto& c : cases) {
        vars.SetFloat("f", c.value);
        EXPECT_EQ(c.expected, vars.GetAsInteger("f")) << c.value;
    }
}

TEST(VarManager, StringsConvertAsFarAsTheyReadOrPanic) {
    Vars vars;
    vars.SetString("s", "12abc");
    EXPECT_EQ(12, vars.GetAsInteger("s"));
    vars.SetString("s", " 2.25");
    EXPECT_EQ(2.25f, vars.GetAsFloat("s"));

    StderrCapture capture;
    vars.SetString("s", "1-2-3");
    EXPECT_TRUE(ObjectTestSupport::EndsWith(ReportOf([&] { vars.GetAsInteger("s"); }),
                                            "Failed to convert \"1-2-3\" to integer"));
    vars.SetString("s", "1.2.3");
    EXPECT_TRUE(
        ObjectTestSupport::EndsWith(ReportOf([&] { vars.GetAsFloat("s"); }), "Failed to convert \"1.2.3\" to float"));
}

TEST(VarManager, NumberTextAndCachedForms) {
    Vars vars;
    vars.SetFloat("f", 1.0f);
    EXPECT_EQ("1.000000", vars.GetAsString("f"));
    vars.SetInteger("i", -42);
    EXPECT_EQ("-42", vars.GetAsString("i"));
    EXPECT_EQ(-42.0f, vars.GetAsFloat("i"));

    // A converted form stays cached until the next set replaces the type word.
    VarManager::Variable* variable = vars.Find("i", false);
    EXPECT_EQ(0x17u, variable->typeWord);
    variable->stringValue = "cached";
    EXPECT_EQ("cached", vars.GetAsString("i"));
    vars.SetInteger("i", 5);
    EXPECT_EQ("5", vars.GetAsString("i"));
    vars.SetString("i", "7");
    EXPECT_EQ(0x34u, variable->typeWord);
    EXPECT_EQ(7, vars.GetAsInteger("i"));
}

}  // namespace
