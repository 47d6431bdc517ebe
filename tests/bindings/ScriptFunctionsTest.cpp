// The module functions of Zep, the iPhone table and the constants, as scripts call them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>

#include "Bindings/BindingSupport.h"
#include "Common/BundleSystem.h"
#include "Common/FileSystem.h"
#include "Common/Graphic.h"
#include "Common/Utils.h"
#include "ScriptTestSupport.h"
#include "TestHooks.h"
#include "TestSupport.h"

namespace {

using ScriptFunctionsTest = ScriptTestSupport::ScriptFixture;

struct Call {
    const char* script;
    const char* results;
};

TEST_F(ScriptFunctionsTest, MathFunctionsOnTheirEdgeCases) {
    // The tick count just past 2^31.
    PlatformTest::SetTickOffset(0x80000000u - Zep::GetMsecCount());
    const Call calls[] = {
        {"return Zep.Round(-2.5), Zep.Round(2.5), Zep.Trunc(-2.5), Zep.Floor(-2.5), Zep.Ceil(-2.5)", "-2,3,-2,-3,-2"},
        {"return Zep.Mod(-7, 3), Zep.Mod(7.9, -3.9), Zep.FMod(-7, 3), Zep.Mod(-2147483648, -1)", "-1,1,-1,0"},
        {"return pcall(Zep.Mod, 5, 0)", "false,Zep.Mod: division by zero"},
        {"return pcall(Zep.Mod, 5, 0.5)", "false,Zep.Mod: division by zero"},
        // Beyond the 32-bit range the conversion saturates; NaN gives 0.
        {"return Zep.Trunc(1e20), Zep.Trunc(-1e20), Zep.Trunc(0/0), Zep.Trunc(2147483647.9)",
         "2147483647,-2147483648,0,2147483647"},
        {"return Zep.Mod(1e20, 1e10), Zep.Mod(0/0, 3)", "0,0"},
        {"return Zep.EpsilonEqual(1, 1.0009), Zep.EpsilonEqual(1, 1.001), Zep.EpsilonEqual(1, 1.5, 1)",
         "true,false,true"},
        {"local v = Zep.Vector2(1, 2) return Zep.EpsilonEqual(v, Zep.Vector2(1.0009, 2)), "
         "Zep.EpsilonEqual(v, Zep.Vector2(1, 2.002)), Zep.EpsilonEqual(v, Zep.Vector2(1, 2.5), 1)",
         "true,false,true"},
        // Two numbers are (y, x); anything else takes the first alone.
        {"return Zep.ATan(1) == math.atan(1), Zep.ATan(1, -1) == math.atan2(1, -1), "
         "Zep.ATan(1, 'x') == math.atan(1), Zep.ATan(1, 1, 1) == math.atan(1)",
         "true,true,true,true"},
        {"return Zep.RadiansToDegrees(math.pi), Zep.DegreesToRadians(180) == math.pi", "180,true"},
        {"local a, b = Zep.Vector2(1, 2), Zep.Vector2(3, 4) return Zep.DotProduct(a, b), Zep.CrossProduct(a, b)",
         "11,-2"},
        {"return Zep.GetCurrentPlatform(), Zep.GetMsecCount() >= 2147483648", "1,true"},
    };
    for (const Call& call : calls)
        EXPECT_EQ(call.results, Run(call.script)) << call.script;
    PlatformTest::SetTickOffset(0);
}

TEST_F(ScriptFunctionsTest, RandFollowsTheGeneratorOfItsSlot) {
    uint32_t states[8] = {};
    const auto Step = [&](int slot) {
        states[slot] = states[slot] * 214013u + 2531011u;
        return states[slot] >> 16;
    };
    // Seeds keep all 32 bits, as Random answers them; numbers are truncated.
    const std::string results =
        Run("Zep.SetRand(12345, 2) Zep.SetRand(-1, 0) Zep.SetRand(4000000000, 3.9) "
            "return Zep.Rand(10, 2), Zep.Rand(10, 2.7), Zep.Rand(100000, 2), Zep.Rand(0, 2), Zep.Rand(10, 2), "
            "Zep.Rand(), Zep.Rand(10), Zep.Rand(1000, 3), Zep.Random() >= 0");
    states[2] = 12345;
    states[0] = 0xFFFFFFFFu;
    states[3] = 4000000000u;
    std::ostringstream expected;
    expected << (10 * Step(2) >> 16) << "," << (10 * Step(2) >> 16) << "," << Step(2) << ",";
    Step(2);
    expected << "0," << (10 * Step(2) >> 16) << "," << Step(0) << "," << Step(0) << "," << (1000 * Step(3) >> 16)
             << ",true";
    EXPECT_EQ(expected.str(), results);
}

TEST_F(ScriptFunctionsTest, TextsGivenComeBackAfterTheResult) {
    setenv("ZEP_HEADLESS", "1", 1);
    TestSupport::TempFolder content;
    Zep::BundleSystem::GetInstance()->MountDirectory(content.Path());
    const Call calls[] = {
        {"return Zep.Localize('$missing')", "$missing,$missing"},
        {"return Zep.ConcatPaths('x/y', '../z')", "x/z,x/y,../z"},
        {"return Zep.IsPathAbsolute('D:\\\\a')", "true,D:\\a"},
        {"return Zep.Trim('  a b  ')", "a b,  a b  "},
        {"return Zep.Paste('abcdef', 2, 'XYZWV')", "abXYZW,abcdef,XYZWV"},
        {"return Zep.GetCurrentDateTime('%%')", "%,%%"},
        {"local zipped, text = Zep.ZipToBase64('hello') return (Zep.UnzipFromBase64(zipped)), text", "hello,hello"},
        {"return Zep.ShellExecute('http://example.invalid/')", "http://example.invalid/"},
        {"return Zep.iPhone.ShowGenericAlert('T', 'X', 'Z')", "T,X,Z"},
        {"Zep.iPhone.SetViewportOrientation(Zep.iPhone.voPortrait) return Zep.iPhone.GetViewportOrientation(), "
         "Zep.iPhone.GetDeviceOrientation(), Zep.iPhone.IsPad()",
         "2,0,false"},
        {"return Zep.SaveStringToFile('f.txt', 'data')", "f.txt,data"},
        {"local text, path = Zep.LoadFileToString('f.txt') return text, path, Zep.DoesPathExist('f.txt')",
         "data,f.txt,true,f.txt"},
        {"local a = Zep.Actor() Zep.SaveStringToFile('a.scene', (Zep.DumpObject(a))) a:delete() "
         "local byPath, byName = Zep.CreateSceneFromFile('a.scene'), Zep.CreateSceneFromFile('', 'a.scene') "
         "local types = tolua.type(byPath) .. ',' .. tolua.type(byName) byPath:delete() byName:delete() return types",
         "Zep::Actor,Zep::Actor"},
        {"return Zep.ReadApplicationData(), Zep.SaveApplicationData(Zep.Object())", "nil,5"},
        // The two vectors are filled in place; the rotation is answered.
        {"local g, o, p, s = Zep.Graphic(), Zep.Graphic(), Zep.Vector2(0, 0), Zep.Vector2(0, 0) "
         "g.position = Zep.Vector2(10, 20) o.position = Zep.Vector2(4, 5) "
         "local r = Zep.CalcGraphicRelativeBasis(g, o, p, s, 99) g:delete() o:delete() return p.x, p.y, s.x, s.y, r",
         "6,15,1,1,0"},
    };
    TestSupport::StderrCapture capture;
    for (const Call& call : calls)
        EXPECT_EQ(call.results, Run(call.script)) << call.script;
    EXPECT_NE(std::string::npos, capture.Text().find("ShellExecute: open \"http://example.invalid/\"\n"));
    EXPECT_NE(std::string::npos, capture.Text().find("Generic alert: T, X\n"));
    Zep::BundleSystem::GetInstance()->Unmount(content.Path());

    // Each path function is bound to its own operation.
    const std::string path = "a//b/./c.tar.gz/";
    const std::pair<const char*, std::string (*)(const std::string&)> functions[] = {
        {"ExtractFileName", Zep::ExtractFileName},
        {"ExtractFileExtension", Zep::ExtractFileExtension},
        {"ExtractFileFullName", Zep::ExtractFileFullName},
        {"ExtractBranch", Zep::ExtractBranch},
        {"ExtractPathWithoutExtension", Zep::ExtractPathWithoutExtension},
        {"GetCorrectlySlashedPath", Zep::GetCorrectlySlashedPath},
        {"GetNormalizedPath", Zep::GetNormalizedPath},
    };
    for (const auto& function : functions)
        EXPECT_EQ(function.second(path) + "," + path,
                  Run(std::string("return Zep.") + function.first + "('" + path + "')"));
}

TEST_F(ScriptFunctionsTest, EveryConstantHasItsValueInItsTable) {
    std::istringstream rows(TestSupport::ReadFile(ZEP_TEST_DATA "/bindings/script-constants.txt"));
    const std::regex row(R"re(^\| ([^|]+) \| [^|]+ \| ([^|]+) \| ([^|]+) \|$)re");
    const std::regex constant(R"re(`(\w+)` (-?\d+))re");
    std::string line;
    int checked = 0;
    while (std::getline(rows, line)) {
        std::smatch cells;
        // Box2D's constants come with its classes.
        if (!std::regex_match(line, cells, row) || cells[3] == "Box2D")
            continue;
        std::string table = std::regex_replace(std::string(cells[1]), std::regex("`|class "), "");
        table = table == "global" ? "_G" : table == "Zep" || table == "Zep.iPhone" ? table : "Zep." + table;
        const std::string names = cells[2];
        for (std::sregex_iterator it(names.begin(), names.end(), constant), end; it != end; ++it, ++checked) {
            const std::string name = (*it)[1];
            EXPECT_EQ(std::string((*it)[2]) + ",number",
                      Run("return " + table + "." + name + ", type(" + table + "." + name + ")"))
                << table << "." << name;
            // The global constants are not in Zep.
            if (table == "_G") {
                EXPECT_EQ("nil", Run("return Zep." + name)) << name;
            }
        }
    }
    EXPECT_EQ(114, checked);
}

TEST_F(ScriptFunctionsTest, CheckDestroyedLuaObjectsSwitchesTheCheckOfObjectArguments) {
    Zep::Graphic* graphic = new Zep::Graphic();
    SetGlobalObject("stale", graphic, "Zep::Graphic");
    delete graphic;
    const Zep::Bindings::ObjectArgument read{"Zep::Graphic", true};
    lua_getglobal(state, "stale");
    // The reader compares ids only; nothing is read through the pointer.
    Run("Zep.CheckDestroyedLuaObjects(false)");
    EXPECT_EQ(static_cast<void*>(graphic), read(state, -1, nullptr));
    Run("Zep.CheckDestroyedLuaObjects(true)");
    EXPECT_THAT([&] { read(state, -1, nullptr); },
                ::testing::ThrowsMessage<Zep::Bindings::ArgumentError>(::testing::HasSubstr("destroyed Zep::Object")));
    lua_pop(state, 1);
}

}  // namespace
