// The Windows input system behind the game window's procedure, on a layer window whose
// client area lies at (100, 50).
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Common/Application.h"
#include "Common/StringUtils.h"
#include "Common/VirtualInputDevice.h"
#include "FixedGameWindow.h"
#include "LumoSources/Common/Subsystems.h"
#include "Platforms/Win32/Win32Application.h"
#include "Platforms/Win32/Win32InputSystem.h"
#include "ReportOf.h"
#include "TestHooks.h"

namespace {

struct LayerWindow : TestSupport::FixedGameWindow {
    void ScreenToClient(int32_t x, int32_t y, int32_t* clientX, int32_t* clientY) override {
        *clientX = x - 100, *clientY = y - 50;
    }
} window;
Zep::Win32::InputSystem* input = nullptr;
bool listChangedAtStart = false;

struct Rig : ::testing::Environment {
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        gameRenderWindowSubsystem.SetInstance(&window);
        WNDCLASSA windowClass = {};
        windowClass.style = CS_DBLCLKS, windowClass.lpfnWndProc = Zep::Win32::Application::WindowProc;
        windowClass.lpszClassName = "Input test";
        RegisterClassA(&windowClass);
        // The procedure makes the input system at WM_CREATE, before the handle is known.
        window.handle = CreateWindowExA(0, "Input test", "", WS_POPUP, 100, 50, 800, 600, 0, 0, 0, 0);
        ShowWindow(window.handle, SW_SHOW);
        input = static_cast<Zep::Win32::InputSystem*>(Zep::InputSystem::GetInstance());
        listChangedAtStart = input->IsDeviceListChanged();
    }
};
const auto* const rig = ::testing::AddGlobalTestEnvironment(new Rig);

// Player 0's events of the next update: "MOUSE LEFT_BUTTON 1", characters " c97", axes " =200".
std::string Events(bool withVirtual = false) {
    input->Update(true);
    std::string text;
    for (const Zep::InputEvent& e : input->GetEvents()) {
        if (e.deviceIndex == 0 && (withVirtual || e.deviceType != "VIRTUAL"))
            text += (text.empty() ? "" : "|") + e.deviceType + " " + e.componentId + " " + std::to_string(e.type) +
                    (e.type == 4 ? " c" + std::to_string(e.GetCharacter()) : "") +
                    (e.type == 5 ? Zep::Sprintf(" =%g", e.GetAxisValue()) : "");
    }
    return text;
}

TEST(Win32InputSystem, MessagesActivationAndTheCursor) {
    EXPECT_TRUE(listChangedAtStart);
    Events();
    EXPECT_FALSE(input->IsDeviceListChanged());
    // "button consumed pressed: events", with whether each message was consumed and the
    // button's state after it; then the cursor moves to a client position.
    const struct {
        std::vector<std::vector<uint32_t>> messages;
        const char* expected;
        POINT cursor = {0, 0};
    } rows[] = {
        {{{WM_KEYDOWN, 'A', 1}, {WM_KEYDOWN, 'A', 1 << 30}, {WM_KEYUP, 'A', 0xC0000001}},
         "A 111 110: KEYBOARD A 1|KEYBOARD A 3|KEYBOARD A 2"},
        {{{WM_KEYDOWN, 0x141, 1}, {WM_KEYDOWN, 186, 1}, {WM_KEYDOWN, 188, 1}},
         "COMMA 101 001: KEYBOARD A 1|KEYBOARD COMMA 1"},
        {{{WM_KEYDOWN, VK_SNAPSHOT, 1}, {WM_CHAR, 0xE9, 1}}, ", 11 11: KEYBOARD , 1|KEYBOARD  4 c-23"},
        {{{WM_SYSKEYDOWN, VK_MENU, 0}, {WM_MBUTTONDOWN, 0, 0}, {WM_MOUSEMOVE, 0, 0}, {WM_ACTIVATEAPP, 1, 0}},
         "ALT 0000 0000: "},
        {{{WM_LBUTTONDOWN, 1, 0}, {WM_LBUTTONUP, 0, 0}, {WM_LBUTTONDBLCLK, 1, 0}},
         "LEFT_BUTTON 111 101: MOUSE LEFT_BUTTON 1|MOUSE LEFT_BUTTON 2|MOUSE LEFT_BUTTON 1"},
        {{{WM_MOUSEWHEEL, 120 << 16, 0}, {WM_MOUSEWHEEL, 0xFF880000, 0}, {WM_MOUSEWHEEL, 0, 0}},
         "WHEEL_UP 111 000: MOUSE WHEEL_UP 1|MOUSE WHEEL_UP 2|MOUSE WHEEL_DOWN 1|MOUSE WHEEL_DOWN 2|"
         "MOUSE WHEEL_DOWN 1|MOUSE WHEEL_DOWN 2"},
        // The mouse was added first, so its events lead.
        {{{WM_KEYUP, 'A', 0}, {WM_RBUTTONDBLCLK, 2, 0}}, "A 11 00: MOUSE RIGHT_BUTTON 1|KEYBOARD A 2"},
        // Inactive: states change and events are dropped, but the pointer moves; none replayed.
        {{{WM_ACTIVATEAPP, 0, 0}, {WM_LBUTTONUP, 0, 0}, {WM_CHAR, 'x', 1}},
         "LEFT_BUTTON 011 100: MOUSE X 5 =50|MOUSE Y 5 =600",
         {50, 600}},
        {{{WM_ACTIVATEAPP, 1, 0}}, "LEFT_BUTTON 0 0: MOUSE X 5 =-50|MOUSE Y 5 =700", {-50, 700}},
    };
    auto* keyboard = static_cast<Zep::Win32::Keyboard*>(input->FindDevice("KEYBOARD", 0));
    const Zep::InputDevice* mouse = input->FindDevice("MOUSE", 0);
    for (const auto& row : rows) {
        const std::string button(row.expected, std::strchr(row.expected, ' '));
        std::string consumed, pressed;
        for (const std::vector<uint32_t>& m : row.messages) {
            consumed += input->HandleWindowMessage(m[0], m[1], m[2]) ? '1' : '0';
            pressed += (mouse->GetButton(button) ? mouse : keyboard)->IsButtonPressed(button) ? '1' : '0';
        }
        if (row.cursor.x || row.cursor.y)
            SetCursorPos(row.cursor.x + 100, row.cursor.y + 50);
        EXPECT_EQ(row.expected, button + " " + consumed + " " + pressed + ": " + Events());
    }
    EXPECT_EQ(Zep::Vector2(0, 799), mouse->GetAxisRange("X"));
    EXPECT_EQ(Zep::Vector2(0, 599), mouse->GetAxisRange("Y"));
    int named = 0;
    for (int code = 0; code < 256; ++code)
        named += keyboard->GetButton(keyboard->GetKeyName(code)) != nullptr;
    EXPECT_EQ(97, named);
}

// A second player confines the cursor to the client area while active, and player 0's
// mouse stops following it.
TEST(Win32InputSystem, TwoPlayersClipTheCursor) {
    input->AddDevice(new Zep::Win32::Mouse(1));
    // Player 1 enabled, active, cursor x on the screen: "clip rectangle, or none; X of mouse 0".
    const struct {
        bool players, active;
        int x;
        const char* expected;
    } steps[] = {{false, true, 200, "none 100"},
                 {true, true, 300, "100 50 900 650 100"},
                 {true, false, 400, "none 100"},
                 {false, true, 500, "none 400"}};
    for (const auto& step : steps) {
        Zep::VirtualInputDevice::Get(1)->SetEnabled(step.players);
        input->HandleWindowMessage(WM_ACTIVATEAPP, step.active, 0);
        SetCursorPos(step.x, 100);
        input->Update(true);
        RECT r = {};
        const bool clipped = PlatformTest::GetCursorClip(&r);
        EXPECT_EQ(step.expected, (clipped ? Zep::Sprintf("%d %d %d %d", r.left, r.top, r.right, r.bottom) : "none") +
                                     Zep::Sprintf(" %g", input->FindDevice("MOUSE", 0)->GetAxisValue("X")));
    }
}

TEST(Win32InputSystem, FailedRegistrationPanics) {
    PlatformTest::FailRegisterRawInput(true);
    EXPECT_EQ(
        "Panic error in file \"Platforms\\Win32\\Win32InputSystem.cpp\", line 69:\n  "
        "Zep::Win32::InputSystem.InitializeRawInput(): failed to register raw input device",
        TestSupport::QuietReportOf([] { delete new Zep::Win32::InputSystem(); }));
    PlatformTest::FailRegisterRawInput(false);
}

SDL_Event Sdl(Uint32 type, int a = 0, int b = 0) {
    SDL_Event e = {};
    e.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP)
        e.key.keysym.sym = a, e.key.keysym.scancode = static_cast<SDL_Scancode>(b);
    else if (type == SDL_MOUSEMOTION)
        e.motion.x = a, e.motion.y = b;
    else if (type == SDL_MOUSEWHEEL)
        e.wheel.y = a;
    else if (type == SDL_TEXTINPUT)
        e.text.text[0] = static_cast<char>(a);
    else  // the left button at (200, 150), the click count a
        e.button.button = SDL_BUTTON_LEFT, e.button.clicks = a, e.button.x = 200, e.button.y = 150;
    return e;
}

// A frame as the main loop runs it: SDL events become messages for the procedure, then
// the input system updates.
TEST(Win32InputSystem, SdlEventsThroughTheProcedure) {
    Zep::Application::GetInstance()->SetWindowVirtualExtent(Zep::Aabb2({0, 0}, {800, 600}));
    Zep::VirtualInputDevice::Get(0)->Bind("OK", "KEYBOARD", "RETURN");
    for (SDL_Event event :
         {Sdl(SDL_MOUSEMOTION, 200, 150), Sdl(SDL_KEYDOWN, 'a', SDL_SCANCODE_A), Sdl(SDL_TEXTINPUT, 'a'),
          Sdl(SDL_KEYUP, 'a', SDL_SCANCODE_A), Sdl(SDL_KEYDOWN, '\r', SDL_SCANCODE_RETURN),
          Sdl(SDL_KEYUP, '\r', SDL_SCANCODE_RETURN), Sdl(SDL_MOUSEBUTTONDOWN, 1), Sdl(SDL_MOUSEBUTTONUP, 1),
          Sdl(SDL_MOUSEBUTTONDOWN, 2), Sdl(SDL_MOUSEWHEEL, 1)})
        SDL_PushEvent(&event);
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
        TranslateMessage(&message), DispatchMessageA(&message);
    EXPECT_EQ(
        "MOUSE LEFT_BUTTON 1|MOUSE LEFT_BUTTON 2|MOUSE LEFT_BUTTON 1|MOUSE WHEEL_UP 1|MOUSE WHEEL_UP 2|"
        "MOUSE X 5 =200|MOUSE Y 5 =150|KEYBOARD A 1|KEYBOARD  4 c97|KEYBOARD A 2|KEYBOARD RETURN 1|KEYBOARD  4 c13|"
        "KEYBOARD RETURN 2|VIRTUAL BUTTON_A 1|VIRTUAL BUTTON_A 2|VIRTUAL BUTTON_A 1|VIRTUAL INCREASE 1|"
        "VIRTUAL INCREASE 2|VIRTUAL X 5 =200|VIRTUAL Y 5 =150|VIRTUAL OK 1|VIRTUAL OK 2",
        Events(true));
    EXPECT_EQ(Zep::Vector2(200, 150), Zep::VirtualInputDevice::Get(0)->GetCursorPos());
}

}  // namespace
