#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "Common/Exceptions.h"
#include "Common/VarManager.h"
#include "TestSupport.h"

using TestSupport::StderrCapture;
using Zep::VarManager;

namespace {

// A private manager per test; the process-wide one keeps its state between tests.
class Vars : public VarManager {
public:
    Vars() {}
};

std::string PanicText(const std::function<void()>& failing) {
    try {
        failing();
    } catch (const Zep::Exception::Panic& error) {
        return error.what();
    }
    ADD_FAILURE() << "no panic was thrown";
    return "";
}

TEST(VarManager, DefaultsInOrderWithTheirTypes) {
    Vars vars;
    EXPECT_EQ("Company name", vars.GetAsString("CompanyName"));
    EXPECT_EQ("ZepBox", vars.GetAsString("ProductName"));
    EXPECT_EQ("1.00", vars.GetAsString("ProductVersion"));
    EXPECT_EQ(800, vars.GetAsInteger("RenderWidth"));
    EXPECT_EQ(600, vars.GetAsInteger("RenderHeight"));
    EXPECT_EQ(0, vars.GetAsInteger("Fullscreen"));
    EXPECT_EQ(Zep::VAR_TYPE_STRING, vars.GetDataType("ProductVersion"));
    EXPECT_EQ(Zep::VAR_TYPE_INTEGER, vars.GetDataType("Fullscreen"));
    // The game window reads a variable that has no default.
    EXPECT_EQ(Zep::VAR_TYPE_NODATA, vars.GetDataType("RenderFullscreen"));
    EXPECT_EQ(0, vars.GetAsInteger("RenderFullscreen"));
}

TEST(VarManager, NamesAreCaseInsensitive) {
    Vars vars;
    vars.SetInteger("renderwidth", 1024);
    EXPECT_EQ(1024, vars.GetAsInteger("RenderWidth"));
    EXPECT_EQ(vars.Find("RENDERWIDTH", false), vars.Find("RenderWidth", false));
}

TEST(VarManager, MissingNamesReadEmptyAndAreNotCreated) {
    Vars vars;
    EXPECT_EQ(0.0f, vars.GetAsFloat("Missing"));
    EXPECT_EQ(0, vars.GetAsInteger("Missing"));
    EXPECT_EQ("", vars.GetAsString("Missing"));
    EXPECT_EQ(nullptr, vars.Find("Missing", false));

    VarManager::Variable* created = vars.Find("Missing", true);
    ASSERT_NE(nullptr, created);
    EXPECT_EQ(0u, created->typeWord);
    StderrCapture capture;
    EXPECT_THROW(vars.GetAsInteger("missing"), Zep::Exception::Assertion);
}

TEST(VarManager, FloatToIntegerRoundsHalfUpAndClamps) {
    Vars vars;
    vars.SetFloat("f", 2.5f);
    EXPECT_EQ(3, vars.GetAsInteger("f"));
    vars.SetFloat("f", -2.5f);
    EXPECT_EQ(-2, vars.GetAsInteger("f"));
    vars.SetFloat("f", 0.49999997f);
    EXPECT_EQ(0, vars.GetAsInteger("f"));
    vars.SetFloat("f", 3e9f);
    EXPECT_EQ(INT_MAX, vars.GetAsInteger("f"));
    vars.SetFloat("f", -std::numeric_limits<float>::infinity());
    EXPECT_EQ(INT_MIN, vars.GetAsInteger("f"));
    vars.SetFloat("f", std::nanf(""));
    EXPECT_EQ(0, vars.GetAsInteger("f"));
}

TEST(VarManager, StringConversions) {
    Vars vars;
    vars.SetString("s", "12abc");
    EXPECT_EQ(12, vars.GetAsInteger("s"));
    vars.SetString("s", " 2.25");
    EXPECT_EQ(2.25f, vars.GetAsFloat("s"));
    EXPECT_EQ(2, vars.GetAsInteger("s"));

    StderrCapture capture;
    vars.SetString("s", "1-2-3");
    const std::string integerText = PanicText([&] { vars.GetAsInteger("s"); });
    EXPECT_NE(std::string::npos, integerText.find("Failed to convert \"1-2-3\" to integer")) << integerText;
    vars.SetString("s", "1.2.3");
    const std::string floatText = PanicText([&] { vars.GetAsFloat("s"); });
    EXPECT_NE(std::string::npos, floatText.find("Failed to convert \"1.2.3\" to float")) << floatText;
}

TEST(VarManager, NumberTextAndCaching) {
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
    EXPECT_EQ(0x11u, variable->typeWord);
    EXPECT_EQ("5", vars.GetAsString("i"));

    vars.SetString("i", "7");
    EXPECT_EQ(Zep::VAR_TYPE_STRING, vars.GetDataType("I"));
    EXPECT_EQ(0x34u, variable->typeWord);
    EXPECT_EQ(7.0f, vars.GetAsFloat("i"));
    EXPECT_EQ(0x36u, variable->typeWord);
}

TEST(VarManager, TheSingletonHoldsTheDefaults) {
    VarManager* vars = VarManager::GetInstance();
    ASSERT_EQ(vars, VarManager::GetInstance());
    EXPECT_EQ("ZepBox", vars->GetAsString("productname"));
}

}  // namespace
