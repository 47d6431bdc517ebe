// The application after a real start-up on the offscreen display: its frame steps, the
// frame loop driven by test input on the virtual clock, the statistics overlay and the
// media screen on a recording renderer, and skins.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "Common/BundleSystem.h"
#include "Common/FocusNavigator.h"
#include "Common/Font.h"
#include "Common/LuaCore.h"
#include "Common/Scene.h"
#include "Common/SoundSystem.h"
#include "Common/VarManager.h"
#include "Common/VirtualInputDevice.h"
#include "Debugger/LuaDebugger.h"
#include "InputTestSupport.h"
#include "MessageDriver.h"
#include "LayerInternal.h"
#include "LumoSources/Common/FontSystem.h"
#include "LumoSources/Common/Subsystems.h"
#include "Platforms/Win32/Win32Application.h"
#include "Platforms/Win32/Win32InputSystem.h"
#include "RecordingRenderer.h"
#include "ReportOf.h"
#include "TestHooks.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

using ::testing::HasSubstr;

namespace {

// Records the listener calls of the frames as one text: "U<delta>" per update, "D" per
// device-list change, "C" per close.
struct Recorder : Zep::ApplicationListener {
    void OnUpdate(int timeDelta) override {
        log += "U" + std::to_string(timeDelta) + " ";
        if (onUpdate)
            onUpdate(PlatformInternal::GetFrameNumber());
    }
    void OnClose() override { log += "C "; }
    void OnInputDeviceListChange() override { log += "D "; }
    std::string log;
    std::function<void(uint32_t)> onUpdate;
};

// A device that arrives during an input update when armed: the input system's update
// clears the device-list flag first, so only a device's own update can raise it.
struct HotPlug : Zep::Win32::InputDevice {
    HotPlug() : InputDevice("HOTPLUG", 0) {}
    bool HandleMessage(UINT, WPARAM, LPARAM) override { return false; }
    void Update(bool) override {
        if (armed)
            (Zep::InputSystem::GetInstance()->*(&Flag::SetDeviceListChanged))(true);
    }
    struct Flag : Zep::Win32::InputSystem {
        using Zep::Win32::InputSystem::SetDeviceListChanged;
    };
    static bool armed;
};
bool HotPlug::armed = false;

struct Rig : ::testing::Environment {
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        PlatformTest::SetVirtualClock(16);
        Zep::VarManager::GetInstance()->SetString("ProductName", "Gem Miner");
        application = static_cast<Zep::Win32::Application*>(Zep::Application::GetInstance());
        application->Startup();
        Zep::InputSystem::GetInstance()->AddDevice(new HotPlug());
    }
    Zep::Win32::Application* application = nullptr;
};

Rig* const rig = static_cast<Rig*>(::testing::AddGlobalTestEnvironment(new Rig));

// One frame's render on a recording renderer, in a font whose glyph of each printable
// character names it in its texture position, then the real renderer and font back.
// Answers the lines of text drawn.
std::vector<std::string> RenderRecorded(RendererTesting::RecordingRenderer& renderer) {
    static char image;
    auto* font = new Zep::Font();
    for (uint16_t code = 32; code < 127; ++code)
        font->AddChar(code, Zep::Vector2(code / 256.0f, 0.0f), Zep::Vector2(), Zep::Vector2(), 0.05f);
    font->SetTexture(reinterpret_cast<Zep::Texture*>(&image));
    PlatformRenderer* real = rendererSubsystem.GetInstance();
    fontSubsystem.GetInstance()->SetBuiltInFont(font);
    rendererSubsystem.SetInstance(&renderer);
    rig->application->Render();
    rendererSubsystem.SetInstance(real);
    fontSubsystem.GetInstance()->CreateSystemFont();
    std::vector<std::string> lines;
    for (size_t i = 0; i < renderer.rects.size(); ++i) {
        if (i == 0 || renderer.rects[i].min.y != renderer.rects[i - 1].min.y)
            lines.emplace_back();
        lines.back() += static_cast<char>(renderer.rects[i].uvMin.x * 256.0f + 0.5f);
    }
    return lines;
}

TEST(Application, FrameStepsAndSkinsPanicBeforeStartUp) {
    Zep::Win32::Application fresh;
    const std::function<void()> steps[] = {
        [&] { fresh.ProcessInput(); },
        [&] { fresh.Update(); },
        [&] { fresh.Render(); },
        [&] { fresh.LoadSkin("Skin.scene"); },
        [&] { fresh.LoadSkin("Skins", "Skin.scene"); },
    };
    for (const auto& step : steps) {
        const std::string report = TestSupport::QuietReportOf(step);
        EXPECT_THAT(report, HasSubstr("\"Common\\Application.cpp\", line 144:\n  Application is not initialized"));
    }
}

TEST(Application, StartUpSizesTheRootSceneAndExtentByTheWindow) {
    Zep::Application* application = rig->application;
    EXPECT_EQ(Zep::Vector2(800, 600), application->GetRootScene()->GetSize());
    EXPECT_EQ(Zep::Vector2(800, 600), application->GetWindowVirtualExtent().maxs);
    EXPECT_TRUE(application->GetSkinScene() && application->GetFocusNavigator() && application->GetCursorManager());
    EXPECT_EQ(Zep::IntVector2(1024, 768), application->GetDesktopSize());
}

// The real loop on the virtual clock (16 ms a frame), with the events of a test input
// file dispatched before their frames.
TEST(Application, MainLoopRunsFramesOnlyWhileActiveUntilQuit) {
    if (rig->application->IsTerminated())
        GTEST_SKIP() << "one frame loop a process: ctest runs each test in its own";
    TestSupport::TempFolder folder;
    TestSupport::WriteFile(folder.File("input.txt"),
                           "# frame event\n2 close\n5 focus lost\n8 focus gained\n10 quit\n11 close\n");
    setenv("ZEP_TEST_INPUT", folder.File("input.txt").c_str(), 1);
    Recorder recorder;
    recorder.onUpdate = [&](uint32_t frame) {
        if (frame == 2)
            PlatformTest::AdvanceVirtualClock(200);  // a stall: the next frame gets 49
        HotPlug::armed = frame == 3;
    };
    rig->application->SetListener(&recorder);
    Zep::SoundSystem::GetInstance()->TakeGroupRequests();

    EXPECT_EQ(0, rig->application->MainLoop());
    HotPlug::armed = false;
    // Frame 1 to 3, then 4 after the device list changed; 5 to 7 inactive; 8 after 64 ms.
    EXPECT_EQ("U16 C U16 U49 D U16 U49 U16 ", recorder.log);
    std::string requests;
    for (const auto& request : Zep::SoundSystem::GetInstance()->TakeGroupRequests())
        requests += (request.pause ? "pause " : "resume ") + std::to_string(request.group) + " ";
    EXPECT_EQ("pause 0 resume 0 ", requests);
    EXPECT_TRUE(rig->application->IsTerminated());
    EXPECT_EQ(0, rig->application->MainLoop());  // at once
    rig->application->SetListener(nullptr);
}

// Runs the real loop on a test input file, with the frame's number handed to `onFrame`
// after each update. Once a process: the file is read at the first frame, and a loop
// that ended stays ended.
int RunMainLoop(const std::string& input, const std::function<void(uint32_t)>& onFrame) {
    TestSupport::TempFolder folder;
    TestSupport::WriteFile(folder.File("input.txt"), input);
    setenv("ZEP_TEST_INPUT", folder.File("input.txt").c_str(), 1);
    Recorder recorder;
    recorder.onUpdate = onFrame;
    rig->application->SetListener(&recorder);
    const int result = rig->application->MainLoop();
    rig->application->SetListener(nullptr);
    return result;
}

// Test input through the window procedure and the devices to the frame's events: each
// frame holds its own events, and a listener ends the loop after its frame.
TEST(Application, TestInputReachesTheFramesEventsUntilTheListenerTerminates) {
    if (rig->application->IsTerminated())
        GTEST_SKIP() << "one frame loop a process: ctest runs each test in its own";
    Zep::VirtualInputDevice::Get(0)->Bind("OK", "KEYBOARD", "RETURN");
    const char* const input =
        "2 motion 200 150\n3 key down A\n3 text a\n3 key up A\n4 key down Return\n4 key up Return\n"
        "5 down left\n5 up left\n6 down left 2\n6 up left 2\n7 wheel 0 1\n13 motion 10 10\n20 quit\n";
    std::string log;
    uint32_t last = 0;
    EXPECT_EQ(0, RunMainLoop(input, [&](uint32_t frame) {
                  std::string events;
                  for (const Zep::InputEvent& e : Zep::InputSystem::GetInstance()->GetEvents()) {
                      if (e.deviceIndex == 0)
                          events += " " + e.deviceType + ":" + e.componentId + std::to_string(e.type) +
                                    (e.type == 4 ? Zep::Sprintf("c%d", e.GetCharacter()) : "") +
                                    (e.type == 5 ? Zep::Sprintf("=%g", e.GetAxisValue()) : "");
                  }
                  log += events.empty() ? "" : std::to_string(frame) + events + "\n";
                  if ((last = frame) == 12)
                      rig->application->Terminate();
              }));
    EXPECT_EQ(12u, last);
    // Before the first motion the pointer rests at the screen's origin, off the window.
    EXPECT_EQ(
        "1 MOUSE:X5=-112 MOUSE:Y5=-84 VIRTUAL:X5=-112 VIRTUAL:Y5=-84\n"
        "2 MOUSE:X5=200 MOUSE:Y5=150 VIRTUAL:X5=200 VIRTUAL:Y5=150\n"
        "3 KEYBOARD:A1 KEYBOARD:4c97 KEYBOARD:A2\n"
        "4 KEYBOARD:RETURN1 KEYBOARD:4c13 KEYBOARD:RETURN2 VIRTUAL:OK1 VIRTUAL:OK2\n"
        "5 MOUSE:LEFT_BUTTON1 MOUSE:LEFT_BUTTON2 VIRTUAL:BUTTON_A1 VIRTUAL:BUTTON_A2\n"
        "6 MOUSE:LEFT_BUTTON1 MOUSE:LEFT_BUTTON2 VIRTUAL:BUTTON_A1 VIRTUAL:BUTTON_A2\n"
        "7 MOUSE:WHEEL_UP1 MOUSE:WHEEL_UP2 VIRTUAL:INCREASE1 VIRTUAL:INCREASE2\n",
        log);
    EXPECT_EQ(Zep::Vector2(200, 150), Zep::VirtualInputDevice::Get(0)->GetCursorPos());
}

// Keys and the pointer of test input move the focus and hover among the root scene's
// controls, a, b and c, 100 x 100 each at x 0, 100 and 200.
TEST(Application, TestInputMovesFocusAndHoverAmongTheRootScenesControls) {
    if (rig->application->IsTerminated())
        GTEST_SKIP() << "one frame loop a process: ctest runs each test in its own";
    struct Noting : Zep::Control {
        explicit Noting(std::string& log) : log(log) {}
        void OnSetFocus() override { log += GetName() + "+ "; }
        void OnKillFocus() override { log += GetName() + "- "; }
        std::string& log;
    };
    std::string log;
    std::vector<Noting*> controls;
    for (const char* name : {"a", "b", "c"}) {
        auto* control = controls.emplace_back(new Noting(log));
        control->SetName(name), control->SetPosition({(*name - 'a') * 100.0f, 0});
        control->SetSize({100, 100}), control->SetFocusable(true), control->SetCompound(true);
        rig->application->GetRootScene()->GetActors().Add(control);
    }
    rig->application->Update();
    Zep::VirtualInputDevice::Get(0)->Bind("NEXT", "KEYBOARD", "TAB");
    Zep::VirtualInputDevice::Get(0)->Bind("PREVIOUS", "KEYBOARD", "UP_ARROW");
    // A frame's input, and its notifications with the focused and hovered control after it.
    const std::pair<const char*, const char*> frames[] = {
        {"key down Tab|key up Tab", "a+ |a/-"},
        {"key down Tab|key up Tab", "a- b+ |b/-"},
        {"key down Tab|key up Tab", "b- c+ |c/-"},
        {"key down Up|key up Up", "c- b+ |b/-"},
        {"motion 150 50", "|b/b"},
        {"motion 250 50|down left|up left", "b- c+ |c/c"},
        {"motion 700 500", "c- |-/-"},
    };
    std::string input, expected;
    for (size_t i = 0; i < std::size(frames); ++i) {
        const std::string frame = std::to_string(i + 2) + " ";
        input += frame + std::regex_replace(frames[i].first, std::regex("\\|"), "\n" + frame) + "\n";
        expected += frame + frames[i].second + "\n";
    }
    std::string outcome;
    const auto name = [](Zep::Control* control) { return control ? control->GetName() : std::string("-"); };
    EXPECT_EQ(0, RunMainLoop(input + "9 quit\n", [&](uint32_t frame) {
                  Zep::FocusNavigator* navigator = rig->application->GetFocusNavigator();
                  if (frame > 1)
                      outcome += std::to_string(frame) + " " + log + "|" + name(navigator->GetFocusedControl()) + "/" +
                                 name(navigator->GetHoveredControl(0)) + "\n";
                  log.clear();
              }));
    EXPECT_EQ(expected, outcome);
    // They note into this frame's log: gone before it.
    for (Noting* control : controls)
        control->Kill();
    rig->application->Update();
}

TEST(Application, DeviceListChangeReachesTheListenerOnceAndIsClearedWithoutOne) {
    Recorder recorder;
    // Raised, a listener set, what it hears: unheard, nothing left over, before the update.
    const std::tuple<bool, bool, const char*> frames[] = {
        {true, false, ""}, {false, true, "U0 "}, {true, true, "D U0 "}};
    for (const auto& [raised, listening, log] : frames) {
        recorder.log.clear();
        rig->application->SetListener(listening ? &recorder : nullptr);
        HotPlug::armed = raised;
        rig->application->ProcessInput();
        HotPlug::armed = false;
        rig->application->Update();
        EXPECT_EQ(log, recorder.log);
    }
    rig->application->SetListener(nullptr);
}

// A frame's input reaches the controls of the root scene through the navigator, the
// physical device's press before the virtual one it is bound to.
TEST(Application, ProcessInputHandsTheFramesEventsToTheRootScene) {
    struct InputLog : Zep::Control {
        void DoFocusedInput(const Zep::InputEvent& e) override { DoOtherInput(e); }
        void DoOtherInput(const Zep::InputEvent& e) override {
            log += e.IsType(Zep::INPUT_BUTTON_DOWN) ? e.deviceType + ":" + e.componentId + " " : "";
        }
        std::string log;
    };
    auto* control = new InputLog();
    control->SetSize(Zep::Vector2(100, 100)), control->SetFocusable(true), control->SetCompound(true);
    rig->application->GetRootScene()->GetActors().Add(control);
    rig->application->Update();
    InputTesting::MessageDriver mouse;
    int32_t x = 0, y = 0;
    gameRenderWindowSubsystem.GetInstance()->ClientToScreen(50, 50, &x, &y);
    mouse.Move("X", x), mouse.Move("Y", y), mouse.Press("LEFT_BUTTON");
    rig->application->ProcessInput();
    mouse.Release("LEFT_BUTTON");
    EXPECT_THAT(control->log, ::testing::StartsWith("MOUSE:LEFT_BUTTON VIRTUAL:BUTTON_A "));
    control->Kill();
    rig->application->Update();
}

TEST(Application, StatisticsOverlayHasItsSevenLinesInTheInsetExtent) {
    lua_State* state = Zep::CreateLuaState(true);
    ASSERT_EQ(0, luaL_dostring(state, "co = coroutine.create(function() end)"));
    rig->application->showStatistics = true;
    const char* const patterns[] = {
        "Actors: 1 / [0-9]+",        "Threads: 2",    "Memory: [0-9.]+ of [0-9.]+ Mb", "Textures: 0.00 of [0-9.]+ Mb",
        "Sounds: 0.0 of [0-9.]+ Mb", "Draw calls: 0", "FPS: [0-9]+, ms: [0-9]+",
    };
    RendererTesting::RecordingRenderer renderer;
    const std::vector<std::string> lines = RenderRecorded(renderer);
    ASSERT_EQ(7u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(patterns[i]))) << lines[i];
    EXPECT_EQ(Zep::Vector2(3, 3), renderer.rects[0].min);
    EXPECT_NE(renderer.log.end(), std::find(renderer.log.begin(), renderer.log.end(), "SetBlendMode 4 5"));
    EXPECT_EQ("ClearScreen ff000000", renderer.log[1]);

    // Wrapped ones count as well; both go with the next full collections, the main
    // state stays.
    ASSERT_EQ(0, luaL_dostring(state, "wrapped = coroutine.wrap(function() end)"));
    EXPECT_EQ(3, LDB::GetLiveThreadCount());
    ASSERT_EQ(0, luaL_dostring(state, "co, wrapped = nil, nil collectgarbage() collectgarbage()"));
    RendererTesting::RecordingRenderer after;
    EXPECT_EQ("Threads: 1", RenderRecorded(after).at(1));
    Zep::CloseLuaState(state);
    EXPECT_EQ(0, LDB::GetLiveThreadCount());
    rig->application->showStatistics = false;
}

TEST(Application, MediaErrorStopsTheUpdateAndReplacesTheFrame) {
    const char* const insert = "Please insert the Gem Miner disc.";
    const std::pair<int, const char*> cases[] = {{-4, insert}, {-5, insert}, {-2, "Unknown media error"}, {0, ""}};
    Recorder recorder;
    struct Updated : Zep::Actor {
        void Update(int32_t timeDelta) override { log += "S ", Actor::Update(timeDelta); }
        std::string& log;
        explicit Updated(std::string& log) : log(log) {}
    };
    rig->application->GetRootScene()->GetActors().Add(new Updated(recorder.log));
    rig->application->SetListener(&recorder);
    for (const auto& [error, message] : cases) {
        Zep::Detail::SetMediaErrorForTests(error);
        recorder.log.clear();
        rig->application->Update();
        EXPECT_EQ(error ? "" : "S U0 ", recorder.log) << error;
        RendererTesting::RecordingRenderer renderer;
        const std::vector<std::string> lines = RenderRecorded(renderer);
        EXPECT_EQ(error ? std::vector<std::string>{message} : std::vector<std::string>{}, lines) << error;
    }
    rig->application->SetListener(nullptr);
}

TEST(Application, LoadSkinTakesScenesOnly) {
    TestSupport::TempFolder folder;
    TestSupport::WriteFile(folder.File("scene.scene"), "\"Zep::RootScene\" { Name \"skin\" }");
    TestSupport::WriteFile(folder.File("actor.scene"), "\"Zep::Actor\" { Name \"actor\" }");
    // The file, whether given as folder and name, and the failure ("" when the skin is taken).
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"scene.scene", false, ""},
        {"actor.scene", false, "line 155:\n  Failed to load skin"},
        {"scene.scene", true, ""},
        {"actor.scene", true, "line 166:\n  Failed to load skin"}};
    Zep::Application* application = rig->application;
    Zep::BundleSystem::GetInstance()->MountDirectory(folder.Path());
    for (const auto& [file, twoArguments, failure] : cases) {
        const std::string report = TestSupport::QuietReportOf([&, file = file, two = twoArguments] {
            two ? application->LoadSkin("", file) : application->LoadSkin(file);
        });
        if (*failure) {
            EXPECT_THAT(report, HasSubstr(std::string("\"Common\\Application.cpp\", ") + failure));
            EXPECT_EQ(nullptr, application->GetSkinScene());
        } else {
            EXPECT_EQ("", report);
            ASSERT_NE(nullptr, application->GetSkinScene());
            EXPECT_EQ("skin", application->GetSkinScene()->GetName());
        }
    }
    Zep::BundleSystem::GetInstance()->Unmount(folder.Path());
}

}  // namespace
