// Input, the engine's systems, controls, the application and the store as scripts use
// them: events through the input system into a script's override, the singletons,
// files, bundles, variables, the preloading list, the application's variables and the
// listener that the collector frees.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Bindings/LuaClasses.h"
#include "Common/Application.h"
#include "Common/BundleSystem.h"
#include "Common/CursorManager.h"
#include "Common/FileSystem.h"
#include "Common/FocusNavigator.h"
#include "Common/InputSystem.h"
#include "Common/ProfileSystem.h"
#include "Common/SoundSystem.h"
#include "Common/TextureManager.h"
#include "Common/VarManager.h"
#include "FixedGameWindow.h"
#include "MessageDriver.h"
#include "LumoSources/Common/GameRenderWindow.h"
#include "LumoSources/Common/Subsystems.h"
#include "ScriptTestSupport.h"
#include "TestSupport.h"

namespace {

// Scripts and the texts of their results; '@' stands for the test's folder.
using Rows = std::vector<std::pair<std::string, std::string>>;

class ScriptSystemsTest : public ScriptTestSupport::ScriptFixture {
protected:
    void SetUp() override {
        ScriptFixture::SetUp();
        // The mouse of player 0 on an 800 x 600 window, once for the process.
        static TestSupport::FixedGameWindow window;
        static InputTesting::MessageDriver driver;
        static const bool ready = (gameRenderWindowSubsystem.SetInstance(&window), true);
        (void)ready, mouse = &driver;
        app->SetWindowVirtualExtent(Zep::Aabb2({0, 0}, {800, 600}));
        ASSERT_EQ("",
                  Run("app = Zep.Application:GetInstance() "
                      "function Fails(f) local ok, e = pcall(f) return ok and 'ok' or (e:gsub('^.-:%d+: ', '')) end "
                      "function Sorted(list) local t = {} for i = 0, list:size() - 1 do t[#t + 1] = list[i] end "
                      "table.sort(t) return table.concat(t, ' ') end"));
    }

    void Expect(const Rows& rows, const std::string& folder = "") {
        const auto Fill = [&](std::string text) {
            for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + folder.size()))
                text.replace(at, 1, folder);
            return text;
        };
        for (const auto& row : rows)
            EXPECT_EQ(Fill(row.second), Run(Fill(row.first))) << row.first;
    }

    Zep::Application* app = Zep::Application::GetInstance();
    InputTesting::MessageDriver* mouse = nullptr;
};

TEST_F(ScriptSystemsTest, EventsReachAScriptOverrideThroughTheInputSystem) {
    // Each probe runs on every event the override receives; the rows name the event.
    struct Row {
        const char* event;
        const char* probe;
        const char* answer;
    };
    const Row rows[] = {
        {"MOUSE LEFT_BUTTON 1", "e:IsButtonDown('MOUSE', 'LEFT_BUTTON')", "true,MOUSE,LEFT_BUTTON"},
        {"MOUSE LEFT_BUTTON 1", "e:IsType(1), e:IsType(Zep.INPUT_BUTTON_UP)", "true,false"},
        {"MOUSE LEFT_BUTTON 1", "e:IsButtonDownOrRepeat('MOUSE', 'RIGHT_BUTTON')", "false,MOUSE,RIGHT_BUTTON"},
        {"MOUSE LEFT_BUTTON 1", "e.deviceType, e.deviceIndex, e.componentId, e.axisValue", "MOUSE,0,LEFT_BUTTON,0"},
        {"MOUSE LEFT_BUTTON 1", "e:GetDevice():IsButtonPressed('LEFT_BUTTON')", "true,LEFT_BUTTON"},
        {"MOUSE LEFT_BUTTON 1", "e:GetVirtualDevice() == nil", "true"},
        {"VIRTUAL BUTTON_A 1", "e:IsVirtualButtonDown('BUTTON_A')", "true,BUTTON_A"},
        {"VIRTUAL BUTTON_A 1", "e:GetVirtualDevice() == Zep.VirtualInputDevice:Get(0)", "true"},
        {"MOUSE LEFT_BUTTON 2", "e:IsButtonDown('MOUSE', 'LEFT_BUTTON'), e:IsButtonUp('MOUSE', 'LEFT_BUTTON')",
         "false,true,MOUSE,LEFT_BUTTON"},
    };
    std::string probes = "probes = {";
    for (const Row& row : rows)
        probes += std::string("{'") + row.event + "', function(e) return " + row.probe + " end},";
    Run(probes + "}");

    Zep::FocusNavigator navigator;
    app->SetFocusNavigator(&navigator);
    Zep::Scene root;
    navigator.SetScene(&root);
    Zep::Lua__Scene* scene = new Zep::Lua__Scene();
    root.GetActors().Add(scene);
    root.Update(0);
    SetGlobalObject("scene", scene, "Zep::Lua__Scene");
    EXPECT_EQ("true", Run("answers = {} scene:tolua__set_instance(scene)"
                          "function scene:DoFocusedInput(e)"
                          "  local event = e.deviceType .. ' ' .. e.componentId .. ' ' .. e.type"
                          "  for i, probe in ipairs(probes) do"
                          "    if probe[1] == event then"
                          "      local all = {probe[2](e)} for j = 1, #all do all[j] = tostring(all[j]) end"
                          "      answers[i] = table.concat(all, ',')"
                          "    end"
                          "  end "
                          "end "
                          "scene.focusable = true scene:SetFocus() return scene:HasFocus()"));

    for (const char* step : {"press", "release"}) {
        step[0] == 'p' ? mouse->Press("LEFT_BUTTON") : mouse->Release("LEFT_BUTTON");
        Zep::InputSystem::GetInstance()->Update(true);
        navigator.ProcessEvents();
    }
    for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i)
        EXPECT_EQ(rows[i].answer, Run("return answers[" + std::to_string(i + 1) + "]")) << rows[i].probe;
    app->SetFocusNavigator(nullptr);

    Expect({
        {"return Zep.VirtualInputDevice:Get(0) == Zep.InputSystem:GetInstance():GetVirtualDevice(0), "
         "Zep.VirtualInputDevice:Get(2).playerIndex",
         "true,2"},
        {"return Zep.InputSystem:GetInstance().activePlayerCount, Zep.VirtualInputDevice:Get(0).pluggedAndEnabled",
         "1,true"},
        // Value results are copies.
        {"d = Zep.InputSystem:GetInstance():FindDevice('MOUSE', 0) r = d:GetAxisRange('X') r.y = 5 "
         "return d:GetAxisRange('X').y, d:GetAxisRangeMax('X')",
         "799,799,X"},
    });
    EXPECT_TRUE(IsCollected("r"));
}

TEST_F(ScriptSystemsTest, EachSingletonIsTheEnginesInstanceWhicheverWayItIsAsked) {
    const std::pair<const char*, void*> singletons[] = {
        {"InputSystem", Zep::InputSystem::GetInstance()},       {"SoundSystem", Zep::SoundSystem::GetInstance()},
        {"FileSystem", Zep::FileSystem::GetInstance()},         {"ProfileSystem", Zep::ProfileSystem::GetInstance()},
        {"BundleSystem", Zep::BundleSystem::GetInstance()},     {"VarManager", Zep::VarManager::GetInstance()},
        {"TextureManager", Zep::TextureManager::GetInstance()}, {"Application", app},
    };
    for (const auto& singleton : singletons) {
        const std::string name = std::string("Zep.") + singleton.first;
        EXPECT_EQ("true", Run("a = " + name + ".GetInstance() return rawequal(a, " + name + ":GetInstance())")) << name;
        lua_getglobal(state, "a");
        EXPECT_EQ(singleton.second, *static_cast<void**>(lua_touserdata(state, -1))) << name;
        lua_pop(state, 1);
        EXPECT_FALSE(IsCollected("a")) << name;
    }
}

TEST_F(ScriptSystemsTest, FilesBundlesVariablesAndThePreloadingList) {
    TestSupport::TempFolder folder;
    TestSupport::WriteFile(folder.File("f.txt"), "x");
    Run("root = '" + folder.Path() + "'");
    Expect(
        {
            {"fs = Zep.FileSystem:GetInstance() return fs:CreateDirectory(root .. '/a/b', true)", "true,@/a/b"},
            {"return fs:CopyFile(root .. '/f.txt', root .. '/a/f.txt', true)", "true,@/f.txt,@/a/f.txt"},
            // Files and folders unless told otherwise.
            {"list = Zep.StringVector() return Sorted(list), fs:GetDirectoryContents(list, root .. '/a')", ",true,@/a"},
            {"return Sorted(list)", "b f.txt"},
            {"list = Zep.StringVector() fs:GetDirectoryContents(list, root .. '/a', Zep.FIND_FILE) return Sorted(list)",
             "f.txt"},
            {"return fs:PathExists(root .. '/a/b')", "true,@/a/b"},
            {"return fs:DeleteFile(root .. '/a/f.txt')", "true,@/a/f.txt"},
            {"return fs:PathExists(root .. '/a/f.txt')", "false,@/a/f.txt"},
            {"return fs:DeleteFile(root .. '/a/f.txt')", "false,@/a/f.txt"},

            {"bs = Zep.BundleSystem:GetInstance() return bs:MountDirectory(root)", "@"},
            {"return bs:PathExists('a/b', Zep.FIND_FILE), bs:PathExists('a/b')", "false,true,a/b"},
            {"Zep.SaveStringToFile('img.png', '') Zep.SaveStringToFile('pic.dds', '') "
             "Zep.SaveStringToFile('list.txt', 'img\\nnone\\npic') "
             "list = Zep.StringVector() return bs:GetDirectoryContents(list, '')",
             "true,"},
            {"return Sorted(list)", "a f.txt img.png list.txt pic.dds"},

            {"tm = Zep.TextureManager:GetInstance() "
             "return tm:GetPreloadingPercent(), tm:LoadPreloadingListFromFile('list.txt')",
             "100,true,list.txt"},
            {"return tm:GetPreloadingPercent()", "0"},
            {"return tm:SavePreloadingListToFile('saved.txt'), Zep.LoadFileToString('saved.txt')",
             "saved.txt,img\npic\n,saved.txt"},
            {"return tm:LoadPreloadingListFromFile('missing.txt')", "false,missing.txt"},
            {"return tm:GetPreloadingPercent()", "100"},
            {"return tm:GetMemoryLimit(), tm:CalcMemoryUsage(), tm:GetNumTextures(), tm:Drain(100)",
             "268435456,0,0,false"},
            {"return bs:Unmount(root)", "@"},

            {"vm = Zep.VarManager:GetInstance() return vm:SetString('Greeting', 'hi')", "Greeting,hi"},
            {"return vm:GetDataType('greeting'), vm:GetAsString('GREETING')", "3,hi,GREETING"},
            {"return vm:SetFloat('Scale', 2.5)", "Scale"},
            {"return vm:GetAsFloat('scale'), vm:GetAsInteger('Scale')", "2.5,3,Scale"},
            {"return vm:SetInteger('Count', -7)", "Count"},
            {"return vm:GetAsString('Count')", "-7,Count"},
        },
        folder.Path());
    EXPECT_FALSE(Zep::BundleSystem::GetInstance()->PathExists("list.txt", Zep::FS_PATH_ANY));
}

TEST_F(ScriptSystemsTest, TheApplicationsVariablesAndOperations) {
    Zep::CursorManager cursors;
    app->Startup();
    app->GetRootScene()->GetActors().Add(new Zep::Actor());
    Expect({
        {"return Fails(function() app.rootScene = Zep.Scene() end)", "Zep.Application.rootScene is read-only"},
        {"return Fails(function() app.skin = app.rootScene end), app.skin ~= app.rootScene",
         "Zep.Application.skin is read-only,true"},
        {"e = app.windowVirtualExtent e.maxs = Zep.Vector2(10, 20) return app.windowVirtualExtent.maxs.y", "600"},
        {"app.windowVirtualExtent = e return app.windowVirtualExtent.maxs.y", "20"},
        {"app.showStatistics = true app.hideLocalizedTexts = true", ""},
        {"d = app:GetDesktopSize() app.systemCursorsEnabled = false return app.systemCursorsEnabled", "false"},
        {"app:CleanupRootScene() app:AdjustRenderWindow(Zep.IntVector2(640, 480), true) "
         "return app.windowVirtualExtent.maxs.x, app.windowVirtualExtent.maxs.y",
         "640,480"},
    });
    TestSupport::TempFolder skins;
    TestSupport::WriteFile(skins.File("Skin.scene"), "\"Zep::Scene\" { Name \"skin\" }");
    Zep::BundleSystem::GetInstance()->MountDirectory(skins.Path());
    Expect({{"app:LoadSkin('Skin.scene') app:LoadSkin('', 'Skin.scene') return app.skin.name", "skin"}});
    Zep::BundleSystem::GetInstance()->Unmount(skins.Path());
    EXPECT_EQ(0, app->GetRootScene()->GetActors().GetCount());
    EXPECT_TRUE(app->showStatistics && app->hideLocalizedTexts);
    EXPECT_TRUE(IsCollected("d") && IsCollected("e"));
    app->showStatistics = app->hideLocalizedTexts = false;

    // With a cursor manager the variable is its flag.
    Zep::CursorManager* own = app->GetCursorManager();
    app->SetCursorManager(&cursors);
    Expect({{"return app.systemCursorsEnabled", "true"}, {"app.systemCursorsEnabled = false", ""}});
    EXPECT_FALSE(cursors.IsSystemCursorsEnabled());
    app->SetCursorManager(own);

    // The store's operations are stand-ins until the desktop store is built.
    Expect(
        {{"s = Zep.Lua__iPhoneStore() return s:CanMakePurchases(), s:PurchaseProduct('gold'), "
          "s:GetProductPrice('gold'), s:iPhoneStore__ProductPurchased('gold')",
          "false,gold,,gold"}});
}

TEST_F(ScriptSystemsTest, AListenerThatGoesIsForgottenByTheApplication) {
    struct Row {
        const char* script;
        bool kept;
        int updates;
    };
    const Row rows[] = {
        // Freed by the collector while set; ten frames would call freed memory.
        {"app:SetListener(Zep.ApplicationListener())", false, 0},
        {"app:SetListener(Zep.Lua__ApplicationListener())", false, 0},
        // Held by its link.
        {"local l = Zep.Lua__ApplicationListener() l:tolua__set_instance(l) "
         "function l:OnUpdate(dt) updates = updates + dt end app:SetListener(l)",
         true, 160},
        // Another listener going leaves the one set alone; deleting the one set drops it.
        {"kept = Zep.ApplicationListener:new() app:SetListener(kept) local other = Zep.ApplicationListener()", true, 0},
        {"kept:delete()", false, 0},
    };
    for (const Row& row : rows) {
        Run(std::string("updates = 0 ") + row.script + " collectgarbage('collect')");
        EXPECT_EQ(row.kept, app->GetListener() != nullptr) << row.script;
        // The listener's step of ten frames.
        for (int frame = 0; frame < 10; ++frame) {
            if (Zep::ApplicationListener* listener = app->GetListener())
                listener->OnUpdate(16);
        }
        EXPECT_EQ(std::to_string(row.updates), Run("return updates")) << row.script;
    }
    app->SetListener(nullptr);
}

}  // namespace
