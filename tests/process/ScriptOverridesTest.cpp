// The player with scripts that override engine operations: an error in an override, and
// linked objects that the engine destroys after the Lua state has closed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(ScriptOverrides, AnErrorInAnOverrideWithoutPcallShowsTheLuaErrorBox) {
    TestSupport::TempFolder content;
    TestSupport::WriteFile(content.File("Main.lua"),
                           "local actor = Zep.Lua__Actor() actor:tolua__set_instance(actor)\n"
                           "function actor:Update(timeDelta) error('update failed') end\n"
                           "actor:PlayAnimation(0)\nPrint('never')\n");
    const TestSupport::PlayerRun run = TestSupport::RunPlayer(ZEPBOX_PATH, {}, content.Path());
    EXPECT_EQ(1, run.result.exitCode);
    EXPECT_EQ("warning\tLua error has occurred\tMain.lua:2: update failed\n", run.boxes);
    EXPECT_THAT(run.result.stdErr, Not(HasSubstr("never")));
}

// The root scene holds a linked scene of a script-defined class, read from a scene
// file, and the application a linked listener, when the state closes; the application
// destroys its scenes at exit.
TEST(ScriptOverrides, LinkedObjectsLeftToTheEngineEndCleanlyAfterTheStateCloses) {
    TestSupport::TempFolder content;
    TestSupport::WriteFile(content.File("menu.scene"),
                           "\"Zep::Scene\" { Actors [ \"Game::Menu\" { Name \"menu\" } ] }");
    TestSupport::WriteFile(
        content.File("Main.lua"),
        "local app = Zep.Application:GetInstance() app:Startup()\n"
        "local menus = Zep.Lua__ClassInfo('Game::Menu', Zep.ClassRegistry:GetInstance():FindClass('Zep::Scene'))\n"
        "menus:tolua__set_instance(menus)\n"
        "function menus:CreateInstance()\n"
        "  local menu = Zep.Lua__Scene:new() menu:tolua__set_instance(menu) menu:OverrideClassInfo(self)\n"
        "  function menu:Update(timeDelta) Print('menu updated') end\n"
        "  return menu\n"
        "end\n"
        "local listener = Zep.Lua__ApplicationListener() listener:tolua__set_instance(listener)\n"
        "function listener:OnClose() end\n"
        "app:SetListener(listener)\n"
        "Zep.LoadSceneFromFile(app.rootScene, 'menu.scene')\n"
        "app.rootScene:FindChild('menu'):PlayAnimation(0)\n"
        "Print('the menu is in the root scene')\n");
    const TestSupport::PlayerRun run = TestSupport::RunPlayer(ZEPBOX_PATH, {}, content.Path());
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    EXPECT_THAT(run.result.stdErr, HasSubstr("menu updated\nthe menu is in the root scene\n"));
    EXPECT_EQ("", run.boxes);
    EXPECT_THAT(run.result.stdErr, Not(HasSubstr("AddressSanitizer")));
    EXPECT_THAT(run.result.stdErr, Not(HasSubstr("memory leaks detected")));
}

}  // namespace
