// The Windows input system behind the game window's procedure, on a layer window whose
// client area lies at (100, 50): messages offered directly, and SDL events through the
// layer's queue and the procedure.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/Application.h"
#include "Common/StringUtils.h"
#include "Common/VirtualInputDevice.h"
#include "FixedGameWindow.h"
#include "InputTestSupport.h"
#include "LumoSources/Common/Subsystems.h"
#include "Platforms/Win32/Win32Application.h"
#include "Platforms/Win32/Win32InputSystem.h"
#include "ReportOf.h"
#include "TestHooks.h"

namespace {

struct LayerWindow : TestSupport::FixedGameWindow {
    void ScreenToClient(int32_t x, int32_t y, int32_t* clientX, int32_t* clientY) override {
        POINT point = {x, y};
        ::ScreenToClient(handle, &point);
        *clientX = point.x, *clientY = point.y;
    }
};

// The procedure meets the input system at WM_CREATE, before the window knows its handle.
struct Rig : ::testing::Environment {
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        gameRenderWindowSubsystem.SetInstance(&window);
        WNDCLASSA windowClass = {};
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = Zep::Win32::Application::WindowProc;
        windowClass.lpszClassName = "Input test";
        RegisterClassA(&windowClass);
        window.handle =
            CreateWindowExA(0, "Input test", "", WS_POPUP, 100, 50, 800, 600, nullptr, nullptr, nullptr, nullptr);
        ShowWindow(window.handle, SW_SHOW);
        input = static_cast<Zep::Win32::InputSystem*>(Zep::InputSystem::GetInstance());
        listChangedAtStart = input->IsDeviceListChanged();
        input->Update(true);
    }
    LayerWindow window;
    Zep::Win32::InputSystem* input = nullptr;
    bool listChangedAtStart = false;
};

Rig* const rig = static_cast<Rig*>(::testing::AddGlobalTestEnvironment(new Rig));

// Player 0's events after an update: "MOUSE LEFT_BUTTON 1", characters " c97", axes " =200".
std::string Events() {
    rig->input->Update(true);
    std::string text;
    for (const Zep::InputEvent& e : rig->input->GetEvents()) {
        if (e.deviceIndex != 0)
            continue;
        text += (text.empty() ? "" : "|") + e.deviceType + " " + e.componentId + " " + std::to_string(e.type);
        text += e.type == 4 ? " c" + std::to_string(e.GetCharacter()) : "";
        text += e.type == 5 ? Zep::Sprintf(" =%g", e.GetAxisValue()) : "";
    }
    return text;
}

Zep::InputDevice* Device(const char* type, int32_t index = 0) {
    return rig->input->FindDevice(type, index);
}

TEST(Win32InputSystem, MessagesGiveStatesAndEventsOfTheNextFrame) {
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const struct {
        std::vector<Message> messages;
        const char* button;    // watched after each message
        const char* consumed;  // and pressed, one digit per message
        const char* pressed;
        const char* events;
    } rows[] = {
        {{{WM_KEYDOWN, 'A', 1}, {WM_KEYDOWN, 'A', 0x40000001}, {WM_KEYUP, 'A', int32_t(0xC0000001)}},
         "A",
         "111",
         "110",
         "KEYBOARD A 1|KEYBOARD A 3|KEYBOARD A 2"},
        {{{WM_KEYDOWN, 0x141, 1}, {WM_KEYUP, 0x141, 0}}, "A", "11", "10", "KEYBOARD A 1|KEYBOARD A 2"},
        {{{WM_KEYDOWN, 186, 1}, {WM_KEYDOWN, 188, 1}, {WM_KEYUP, 188, 0}},
         "COMMA",
         "011",
         "010",
         "KEYBOARD COMMA 1|KEYBOARD COMMA 2"},
        {{{WM_KEYDOWN, VK_SNAPSHOT, 1}}, ",", "1", "1", "KEYBOARD , 1"},  // Print Screen
        {{{WM_CHAR, 0xE9, 1}}, "A", "1", "0", "KEYBOARD  4 c-23"},
        {{{WM_SYSKEYDOWN, VK_MENU, 0x20000001}, {WM_MBUTTONDOWN, 0, 0}, {WM_MOUSEMOVE, 0, 0}, {WM_XBUTTONDOWN, 0, 0}},
         "ALT",
         "0000",
         "0000",
         ""},
        {{{WM_LBUTTONDOWN, 1, 0}, {WM_LBUTTONUP, 0, 0}, {WM_LBUTTONDBLCLK, 1, 0}, {WM_LBUTTONUP, 0, 0}},
         "LEFT_BUTTON",
         "1111",
         "1010",
         "MOUSE LEFT_BUTTON 1|MOUSE LEFT_BUTTON 2|MOUSE LEFT_BUTTON 1|MOUSE LEFT_BUTTON 2|"
         "VIRTUAL BUTTON_A 1|VIRTUAL BUTTON_A 2|VIRTUAL BUTTON_A 1|VIRTUAL BUTTON_A 2"},
        {{{WM_RBUTTONDBLCLK, 2, 0}, {WM_RBUTTONUP, 0, 0}},
         "RIGHT_BUTTON",
         "11",
         "10",
         "MOUSE RIGHT_BUTTON 1|MOUSE RIGHT_BUTTON 2|VIRTUAL BUTTON_B 1|VIRTUAL BUTTON_B 2"},
        {{{WM_MOUSEWHEEL, 120 << 16, 0}},
         "WHEEL_UP",
         "1",
         "0",
         "MOUSE WHEEL_UP 1|MOUSE WHEEL_UP 2|VIRTUAL INCREASE 1|VIRTUAL INCREASE 2"},
        {{{WM_MOUSEWHEEL, 0xFF880000, 0}, {WM_MOUSEWHEEL, 0, 0}},
         "WHEEL_DOWN",
         "11",
         "00",
         "MOUSE WHEEL_DOWN 1|MOUSE WHEEL_DOWN 2|MOUSE WHEEL_DOWN 1|MOUSE WHEEL_DOWN 2|"
         "VIRTUAL DECREASE 1|VIRTUAL DECREASE 2|VIRTUAL DECREASE 1|VIRTUAL DECREASE 2"},
        // The mouse was added first, so its events lead.
        {{{WM_KEYUP, VK_SNAPSHOT, 0}, {WM_LBUTTONDOWN, 1, 0}, {WM_LBUTTONUP, 0, 0}},
         ",",
         "111",
         "000",
         "MOUSE LEFT_BUTTON 1|MOUSE LEFT_BUTTON 2|KEYBOARD , 2|VIRTUAL BUTTON_A 1|VIRTUAL BUTTON_A 2"},
        {{{WM_ACTIVATEAPP, 1, 0}}, "A", "0", "0", ""},
    };
    Events();
    for (const auto& row : rows) {
        std::string consumed, pressed;
        for (const Message& m : row.messages) {
            consumed += rig->input->HandleWindowMessage(m.message, m.wParam, m.lParam) ? '1' : '0';
            const Zep::InputDevice* owner = Device(Device("MOUSE")->GetButton(row.button) ? "MOUSE" : "KEYBOARD");
            pressed += owner->IsButtonPressed(row.button) ? '1' : '0';
        }
        EXPECT_EQ(row.consumed, consumed) << row.events;
        EXPECT_EQ(row.pressed, pressed) << row.events;
        EXPECT_EQ(row.events, Events());
    }
}

TEST(Win32InputSystem, KeyNamesAndTheFirstUpdate) {
    auto* keyboard = static_cast<Zep::Win32::Keyboard*>(Device("KEYBOARD"));
    int named = 0;
    for (int code = 0; code < 256; ++code)
        named += keyboard->GetButton(keyboard->GetKeyName(static_cast<uint8_t>(code))) != nullptr;
    EXPECT_EQ(97, named);
    const std::pair<int, const char*> names[] = {
        {8, "BACKSPACE"}, {20, "CAPITAL"}, {59, ";"},    {61, "="},     {48, "0"},  {96, "NUMPAD_0"}, {105, "NUMPAD_9"},
        {108, ""},        {112, "F1"},     {123, "F12"}, {187, "PLUS"}, {192, "`"}, {220, "\\"},      {222, ""}};
    for (const auto& name : names)
        EXPECT_EQ(name.second, keyboard->GetKeyName(static_cast<uint8_t>(name.first))) << name.first;
    EXPECT_TRUE(rig->listChangedAtStart);
    EXPECT_FALSE(rig->input->IsDeviceListChanged());
}

TEST(Win32InputSystem, InactiveFramesKeepOnlyThePointer) {
    Events();
    EXPECT_FALSE(rig->input->HandleWindowMessage(WM_ACTIVATEAPP, 0, 0));
    rig->input->HandleWindowMessage(WM_LBUTTONDOWN, 1, 0);
    rig->input->HandleWindowMessage(WM_CHAR, 'x', 1);
    SetCursorPos(150, 650);  // client (50, 600): below the window, not clamped
    EXPECT_EQ("MOUSE X 5 =50|MOUSE Y 5 =600", Events());
    EXPECT_TRUE(Device("MOUSE")->IsButtonPressed("LEFT_BUTTON"));
    rig->input->HandleWindowMessage(WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ("", Events());  // nothing replayed
    rig->input->HandleWindowMessage(WM_LBUTTONUP, 0, 0);
    SetCursorPos(50, 750);
    EXPECT_EQ("MOUSE LEFT_BUTTON 2|MOUSE X 5 =-50|MOUSE Y 5 =700|VIRTUAL BUTTON_A 2|VIRTUAL X 5 =-50|VIRTUAL Y 5 =700",
              Events());
    const Zep::InputDevice* mouse = Device("MOUSE");
    EXPECT_EQ(Zep::Vector2(0.0f, 799.0f), mouse->GetAxisRange("X"));
    EXPECT_EQ(Zep::Vector2(0.0f, 599.0f), mouse->GetAxisRange("Y"));
}

// A second player confines the cursor to the client area, while active, and player 0's
// mouse stops following it.
TEST(Win32InputSystem, TwoPlayersClipTheCursor) {
    if (!Device("MOUSE", 1))
        rig->input->AddDevice(new Zep::Win32::Mouse(1));
    const struct {
        bool secondPlayer, active;
        int x;
        BOOL clipped;
        float mouseX;
    } steps[] = {
        {false, true, 200, FALSE, 100.0f}, {true, true, 300, TRUE, 100.0f},   {true, false, 400, FALSE, 100.0f},
        {true, true, 500, TRUE, 100.0f},   {false, true, 600, FALSE, 500.0f},
    };
    for (const auto& step : steps) {
        Zep::VirtualInputDevice::Get(1)->SetEnabled(step.secondPlayer);
        rig->input->HandleWindowMessage(WM_ACTIVATEAPP, step.active, 0);
        SetCursorPos(step.x, 100);
        rig->input->Update(true);
        RECT clip = {};
        EXPECT_EQ(step.clipped, PlatformTest::GetCursorClip(&clip)) << step.x;
        if (step.clipped) {
            EXPECT_EQ("100 50 900 650", Zep::Sprintf("%d %d %d %d", clip.left, clip.top, clip.right, clip.bottom));
        }
        EXPECT_EQ(step.mouseX, Device("MOUSE")->GetAxisValue("X")) << step.x;
    }
}

TEST(Win32InputSystem, FailedRegistrationAndForeignDevices) {
    PlatformTest::FailRegisterRawInput(true);
    const std::string report = TestSupport::QuietReportOf([] { delete new Zep::Win32::InputSystem(); });
    PlatformTest::FailRegisterRawInput(false);
    EXPECT_EQ(
        "Panic error in file \"Platforms\\Win32\\Win32InputSystem.cpp\", line 69:\n  "
        "Zep::Win32::InputSystem.InitializeRawInput(): failed to register raw input device",
        report);
    TestSupport::RunInChild([] {
        rig->input->AddDevice(new InputTesting::ScriptedDevice("PAD", 0, {"START"}, {}));
        EXPECT_TRUE(rig->input->HandleWindowMessage(WM_LBUTTONUP, 0, 0));  // taken before the pad
        EXPECT_EQ("Assertion failed in file \"Platforms\\Win32\\Win32InputSystem.cpp\", line 86",
                  TestSupport::QuietReportOf([] { rig->input->HandleWindowMessage(WM_MOUSEMOVE, 0, 0); }));
    });
}

// Frames as the main loop runs them: SDL events become messages for the procedure, then
// the input system updates.
TEST(Win32InputSystem, SdlEventsThroughTheProcedure) {
    Zep::Application::GetInstance()->SetWindowVirtualExtent(Zep::Aabb2({0, 0}, {800, 600}));
    Zep::VirtualInputDevice::Get(0)->Bind("OK", "KEYBOARD", "RETURN");
    const auto Key = [](bool down, SDL_Keycode key, SDL_Scancode scancode) {
        SDL_Event e = {};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = key, e.key.keysym.scancode = scancode;
        return e;
    };
    const auto Click = [](bool down, Uint8 clicks) {
        SDL_Event e = {};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.button = SDL_BUTTON_LEFT, e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = clicks, e.button.x = 200, e.button.y = 150;
        return e;
    };
    SDL_Event text = {}, wheel = {}, motion = {}, home = {};
    text.type = SDL_TEXTINPUT, text.text.text[0] = 'a';
    wheel.type = SDL_MOUSEWHEEL, wheel.wheel.y = 1;
    motion.type = SDL_MOUSEMOTION, motion.motion.x = 200, motion.motion.y = 150;
    home.type = SDL_MOUSEMOTION;
    const struct {
        std::vector<SDL_Event> events;
        const char* expected;
    } frames[] = {
        {{home}, nullptr},
        {{motion}, "MOUSE X 5 =200|MOUSE Y 5 =150|VIRTUAL X 5 =200|VIRTUAL Y 5 =150"},
        {{Key(true, SDLK_a, SDL_SCANCODE_A), text, Key(false, SDLK_a, SDL_SCANCODE_A)},
         "KEYBOARD A 1|KEYBOARD  4 c97|KEYBOARD A 2"},
        {{Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN), Key(false, SDLK_RETURN, SDL_SCANCODE_RETURN)},
         "KEYBOARD RETURN 1|KEYBOARD  4 c13|KEYBOARD RETURN 2|VIRTUAL OK 1|VIRTUAL OK 2"},
        {{Click(true, 1), Click(false, 1)},
         "MOUSE LEFT_BUTTON 1|MOUSE LEFT_BUTTON 2|VIRTUAL BUTTON_A 1|VIRTUAL BUTTON_A 2"},
        {{Click(true, 1), Click(false, 1), Click(true, 2), Click(false, 2)},
         "MOUSE LEFT_BUTTON 1|MOUSE LEFT_BUTTON 2|MOUSE LEFT_BUTTON 1|MOUSE LEFT_BUTTON 2|"
         "VIRTUAL BUTTON_A 1|VIRTUAL BUTTON_A 2|VIRTUAL BUTTON_A 1|VIRTUAL BUTTON_A 2"},
        {{wheel}, "MOUSE WHEEL_UP 1|MOUSE WHEEL_UP 2|VIRTUAL INCREASE 1|VIRTUAL INCREASE 2"},
    };
    for (const auto& frame : frames) {
        for (SDL_Event event : frame.events)
            ASSERT_EQ(1, SDL_PushEvent(&event));
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            TranslateMessage(&message), DispatchMessageA(&message);
        const std::string events = Events();
        if (frame.expected) {
            EXPECT_EQ(frame.expected, events);
        }
        if (&frame == &frames[1]) {
            EXPECT_EQ(Zep::Vector2(200.0f, 150.0f), Zep::VirtualInputDevice::Get(0)->GetCursorPos());
        }
    }
}

}  // namespace
