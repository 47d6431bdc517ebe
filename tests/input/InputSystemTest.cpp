#include <gtest/gtest.h>

#include <functional>

#include "Common/Application.h"
#include "Common/VirtualInputDevice.h"
#include "InputTestSupport.h"
#include "FixedGameWindow.h"
#include "LumoSources/Common/Subsystems.h"
#include "Platforms/Win32/Win32InputSystem.h"
#include "ReportOf.h"
#include "TestSupport.h"

namespace {

using InputTesting::Describe;
using InputTesting::NewKeyboard;
using InputTesting::NewMouse;
using InputTesting::ScriptedDevice;
using InputTesting::TestInputSystem;
using Zep::VirtualInputDevice;
using Strings = std::vector<std::string>;
using Devices = std::vector<Zep::InputDevice*>;

// A mouse and a keyboard of index 0, added in that order.
struct Rig {
    ScriptedDevice* mouse = NewMouse();
    ScriptedDevice* keyboard = NewKeyboard();
    TestInputSystem system{{mouse, keyboard}};

    VirtualInputDevice* Player(int32_t index) { return system.GetVirtualDevice(index); }
    // Virtual device 0: its pressed buttons, then "X=value min..max" once X has moved.
    Strings State() {
        Strings state;
        for (const char* name : {"BUTTON_A", "BUTTON_B", "OK", "CANCEL", "NEXT", "PREVIOUS", "INCREASE", "DECREASE"})
            if (Player(0)->IsButtonPressed(name))
                state.push_back(name);
        const Zep::InputAxis* x = Player(0)->GetAxis("X");
        if (x->value != 0.0f)
            state.push_back(Zep::Sprintf("X=%g %g..%g", x->value, x->rangeMin, x->rangeMax));
        return state;
    }
};

TEST(InputSystem, VirtualDevicesFollowTheRegisteredMice) {
    const struct {
        std::function<Devices()> devices;
        Strings expected;  // per virtual device: plugged, enabled
        int32_t activePlayers;
    } cases[] = {
        {[] { return Devices{NewMouse(0)}; }, {"PE", "--", "--", "--"}, 1},
        {[] { return Devices{NewKeyboard(0)}; }, {"-E", "--", "--", "--"}, 0},
        {[] { return Devices{NewMouse(1)}; }, {"--", "PE", "--", "--"}, 1},
        {[] {
             return Devices{NewMouse(2), NewMouse(0)};
         },
         {"PE", "--", "P-", "--"},
         1},
    };
    for (const auto& c : cases) {
        TestInputSystem system(c.devices());
        Strings states;
        for (int32_t index = 0; index < 4; ++index) {
            const VirtualInputDevice* player = system.GetVirtualDevice(index);
            states.push_back(std::string(player->IsPlugged() ? "P" : "-") + (player->IsEnabled() ? "E" : "-"));
        }
        EXPECT_EQ(c.expected, states);
        EXPECT_EQ(c.activePlayers, system.GetActivePlayerCount());
        EXPECT_EQ(nullptr, system.FindDevice("VIRTUAL", 0));
    }
}

TEST(InputSystem, FramesMirrorAndReissueTheBoundEvents) {
    struct Frame {
        std::function<void(Rig&)> act;
        Strings events, state;
        bool collect = true;
    };
    const auto pressLeft = [](Rig& r) { r.mouse->Press("LEFT_BUTTON"); };
    const Strings leftDown{"MOUSE 0 LEFT_BUTTON 1", "VIRTUAL 0 BUTTON_A 1"};
    const struct {
        const char* what;
        std::function<void(Rig&)> setup;
        std::vector<Frame> frames;
    } cases[] = {
        {"a click",
         [](Rig&) {},
         {{pressLeft, leftDown, {"BUTTON_A"}},
          {[](Rig& r) { r.mouse->Release("LEFT_BUTTON"); }, {"MOUSE 0 LEFT_BUTTON 2", "VIRTUAL 0 BUTTON_A 2"}, {}}}},
        {"OK bound to Return, held for a frame",
         [](Rig& r) { r.Player(0)->Bind("OK", "KEYBOARD", "RETURN"); },
         {{[](Rig& r) { r.keyboard->Press("RETURN"); }, {"KEYBOARD 0 RETURN 1", "VIRTUAL 0 OK 1"}, {"OK"}},
          {[](Rig&) {}, {}, {"OK"}},
          {[](Rig& r) { r.keyboard->Release("RETURN"); }, {"KEYBOARD 0 RETURN 2", "VIRTUAL 0 OK 2"}, {}}}},
        {"BUTTON_A bound to two buttons: events of both, the state of the later",
         [](Rig& r) { r.Player(0)->Bind("BUTTON_A", "KEYBOARD", "A"); },
         {{pressLeft, leftDown, {}},
          {[](Rig& r) { r.keyboard->Press("A"); }, {"KEYBOARD 0 A 1", "VIRTUAL 0 BUTTON_A 1"}, {"BUTTON_A"}}}},
        {"the same binding twice",
         [](Rig& r) { r.Player(0)->Bind("BUTTON_A", "MOUSE", "LEFT_BUTTON"); },
         {{pressLeft, {"MOUSE 0 LEFT_BUTTON 1", "VIRTUAL 0 BUTTON_A 1", "VIRTUAL 0 BUTTON_A 1"}, {"BUTTON_A"}}}},
        {"a disabled device issues nothing and keeps its states",
         [](Rig&) {},
         {{pressLeft, leftDown, {"BUTTON_A"}},
          {[](Rig& r) {
               r.Player(0)->SetEnabled(false);
               r.mouse->Release("LEFT_BUTTON");
           },
           {"MOUSE 0 LEFT_BUTTON 2"},
           {"BUTTON_A"}},
          {[](Rig& r) { r.Player(0)->SetEnabled(true); }, {}, {}}}},
        {"states without collecting events", [](Rig&) {}, {{pressLeft, {}, {"BUTTON_A"}, false}}},
        {"a virtual axis: offset plus reading, the physical range, events without the offset",
         [](Rig& r) { r.Player(0)->GetAxis("X")->offset = 10.0f; },
         {{[](Rig& r) { r.mouse->Move("X", 400.0f); }, {"MOUSE 0 X 5 =400", "VIRTUAL 0 X 5 =400"}, {"X=410 0..799"}}}},
    };
    for (const auto& c : cases) {
        Rig rig;
        c.setup(rig);
        for (size_t frame = 0; frame < c.frames.size(); ++frame) {
            c.frames[frame].act(rig);
            rig.system.Update(c.frames[frame].collect);
            EXPECT_EQ(c.frames[frame].events, Describe(rig.system.GetEvents())) << c.what << ", frame " << frame;
            EXPECT_EQ(c.frames[frame].state, rig.State()) << c.what << ", frame " << frame;
        }
    }
}

TEST(InputSystem, PhysicalDevicesInOrderOfAdditionThenVirtualOnesByIndex) {
    ScriptedDevice *mouse1 = NewMouse(1), *keyboard = NewKeyboard(0), *mouse0 = NewMouse(0);
    TestInputSystem system({mouse1, keyboard, mouse0});
    system.GetVirtualDevice(1)->SetEnabled(true);
    mouse1->Press("RIGHT_BUTTON");
    keyboard->Press("A");
    mouse0->Press("LEFT_BUTTON");
    system.Update(true);
    EXPECT_EQ((Strings{"MOUSE 1 RIGHT_BUTTON 1", "KEYBOARD 0 A 1", "MOUSE 0 LEFT_BUTTON 1", "VIRTUAL 0 BUTTON_A 1",
                       "VIRTUAL 1 BUTTON_B 1"}),
              Describe(system.GetEvents()));
}

TEST(InputSystem, StatusPerDeviceTypeReachesPhysicalDevicesOnly) {
    Rig rig;
    rig.system.SetDeviceInputStatus("MOUSE", true);
    rig.system.SetDeviceInputStatus("VIRTUAL", false);
    ScriptedDevice *mouse1 = NewMouse(1), *keyboard1 = NewKeyboard(1);
    rig.system.AddDevice(mouse1);
    rig.system.AddDevice(keyboard1);
    EXPECT_TRUE(rig.mouse->IsEnabled() && mouse1->IsEnabled());
    EXPECT_FALSE(rig.keyboard->IsEnabled() || keyboard1->IsEnabled());
    EXPECT_TRUE(rig.Player(0)->IsEnabled());
}

TEST(InputSystem, MisuseIsReportedWithItsLine) {
    const auto updateAfter = [](const char* component, const char* physical) {
        return [=](Rig& r) {
            r.Player(0)->Bind(component, "MOUSE", physical);
            r.system.Update(true);
        };
    };
    const struct {
        const char* what;
        std::function<void(Rig&)> action;
        std::string report;
    } cases[] = {
        {"Bind to a component the device lacks",
         [](Rig& r) { r.Player(0)->Bind("LEFT_BUTTON", "MOUSE", "LEFT_BUTTON"); },
         "Panic error in file \"Common\\InputDevice.cpp\", line 314:\n"
         "  Zep::VirtualInputDevice.Bind(): unrecognized input component type"},
        {"an axis bound to a button", updateAfter("X", "LEFT_BUTTON"),
         "Assertion failed in file \"Common\\InputDevice.cpp\", line 164"},
        {"a button bound to an axis", updateAfter("OK", "Y"),
         "Assertion failed in file \"Common\\InputDevice.cpp\", line 187"},
        {"an event of another index on a bound device",
         [](Rig& r) {
             r.mouse->Queue(Zep::InputEvent(1, "MOUSE", 1, "LEFT_BUTTON"));
             r.system.Update(true);
         },
         "Assertion failed in file \"Common\\InputDevice.cpp\", line 543"},
        {"a second X on a device", [](Rig& r) { r.mouse->AddButton("X"); },
         "Panic error in file \"Common\\InputDevice.cpp\", line 78:\n"
         "  Device \"MOUSE\" already contains component \"X\""},
        {"a second mouse 0", [](Rig& r) { r.system.AddDevice(r.mouse); },
         "Panic error in file \"Common\\InputSystem.cpp\", line 72:\n"
         "  Zep::InputSystem.AddDevice(): physical device of this type and with this index is already registered"},
        {"a second device for player 2", [](Rig& r) { VirtualInputDevice extra(2, &r.system); },
         "Assertion failed in file \"Common\\InputDevice.cpp\", line 266"},
        {"player -1", [](Rig& r) { VirtualInputDevice extra(-1, &r.system); },
         "Assertion failed in file \"Common\\InputDevice.cpp\", line 266"},
    };
    TestSupport::StderrCapture quiet;
    for (const auto& c : cases) {
        Rig rig;
        EXPECT_EQ(c.report, TestSupport::ReportOf([&] { c.action(rig); })) << c.what;
    }
    // The players' indices are free again once their input system is gone.
    VirtualInputDevice player2(2, nullptr);
}

TEST(VirtualInputDevice, CursorPosMapsThePointerIntoTheVirtualExtent) {
    TestSupport::FixedGameWindow window(800, 600);
    gameRenderWindowSubsystem.SetInstance(&window);
    Zep::Application* application = Zep::Application::GetInstance();
    const Zep::Aabb2 initialExtent = application->GetWindowVirtualExtent();
    const struct {
        Zep::Aabb2 extent;
        float x, y;
        Zep::Vector2 expected;
    } cases[] = {
        {Zep::Aabb2({100.0f, 50.0f}, {500.0f, 350.0f}), 400.0f, 300.0f, {300.0f, 200.0f}},
        {Zep::Aabb2({-800.0f, 0.0f}, {800.0f, 300.0f}), 800.0f, -20.0f, {800.0f, -10.0f}},
        {initialExtent, 400.0f, 300.0f, {0.1f, 0.1f}},
    };
    for (const auto& c : cases) {
        Rig rig;
        application->SetWindowVirtualExtent(c.extent);
        rig.mouse->Move("X", c.x);
        rig.mouse->Move("Y", c.y);
        rig.system.Update(true);
        EXPECT_EQ(c.expected, rig.Player(0)->GetCursorPos()) << c.x << ", " << c.y;
    }
    application->SetWindowVirtualExtent(initialExtent);
    gameRenderWindowSubsystem.SetInstance(nullptr);
}

// Through the singleton, in a child of its own, so its virtual devices end with it. The
// Windows input system brings its own mouse, so player 0 is plugged.
TEST(InputSystem, WindowsSystemAndTheLookupsThroughIt) {
    TestSupport::RunInChild([] {
        TestSupport::FixedGameWindow window(800, 600);
        gameRenderWindowSubsystem.SetInstance(&window);
        auto* system = static_cast<Zep::Win32::InputSystem*>(Zep::InputSystem::GetInstance());
        EXPECT_EQ(1, system->GetActivePlayerCount());
        EXPECT_TRUE(system->GetVirtualDevice(0)->IsEnabled());
        system->Update(true);
        EXPECT_TRUE(system->HandleWindowMessage(0x201, 0, 0));

        ScriptedDevice* mouse = NewMouse(1);
        system->AddDevice(mouse);
        EXPECT_EQ(mouse, Zep::InputEvent(1, "MOUSE", 1, "LEFT_BUTTON").GetDevice());
        EXPECT_EQ(nullptr, Zep::InputEvent(1, "KEYBOARD", 0, "A").GetVirtualDevice());
        EXPECT_EQ(system->GetVirtualDevice(3), Zep::InputEvent(1, "VIRTUAL", 3, "OK").GetVirtualDevice());
        EXPECT_EQ(system->GetVirtualDevice(2), VirtualInputDevice::Get(2));
        EXPECT_EQ("Assertion failed in file \"Common\\InputEvent.cpp\", line 66",
                  TestSupport::ReportOf([] { Zep::InputEvent(1, "VIRTUAL", 0, "OK").GetDevice(); }));
        EXPECT_EQ("Assertion failed in file \"Common\\InputDevice.cpp\", line 345",
                  TestSupport::ReportOf([] { VirtualInputDevice::Get(-1); }));
        gameRenderWindowSubsystem.SetInstance(nullptr);
    });
}

}  // namespace
