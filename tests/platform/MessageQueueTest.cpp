#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <TestHooks.h>
#include <windows.h>

#include "UserInternal.h"
#include "WindowTestSupport.h"

using WindowTestSupport::Message;
using WindowTestSupport::WindowTest;

namespace {

typedef std::vector<Message> Messages;

constexpr LPARAM kKeyUp = 0xC0000001;
constexpr LPARAM kRepeat = 0x40000001;
constexpr LPARAM kAlt = 0x20000001;

// SDL events aimed at one window, as SDL_PushEvent takes them.
class Events {
public:
    explicit Events(Uint32 windowId) : id_(windowId) {}

    SDL_Event Key(bool down, SDL_Keycode key, SDL_Scancode scancode, Uint16 modifiers = KMOD_NONE,
                  Uint8 repeat = 0) const {
        SDL_Event event = {};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = id_;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat;
        event.key.keysym.sym = key;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = modifiers;
        return event;
    }
    SDL_Event Text(const char* bytes, size_t size) const {
        SDL_Event event = {};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = id_;
        std::memcpy(event.text.text, bytes, std::min(size, sizeof(event.text.text)));
        return event;
    }
    SDL_Event Text(const char* text) const { return Text(text, std::strlen(text) + 1); }
    SDL_Event Button(bool down, Uint8 button, Uint8 clicks, int x, int y) const {
        SDL_Event event = {};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = id_;
        event.button.button = button;
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = clicks;
        event.button.x = x;
        event.button.y = y;
        return event;
    }
    SDL_Event Motion(int x, int y) const {
        SDL_Event event = {};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = id_;
        event.motion.x = x;
        event.motion.y = y;
        return event;
    }
    SDL_Event Wheel(int y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL) const {
        SDL_Event event = {};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = id_;
        event.wheel.y = y;
        event.wheel.direction = direction;
        return event;
    }
    SDL_Event Window(Uint8 what, int data1 = 0, int data2 = 0) const {
        SDL_Event event = {};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = id_;
        event.window.event = what;
        event.window.data1 = data1;
        event.window.data2 = data2;
        return event;
    }
    static SDL_Event Quit() {
        SDL_Event event = {};
        event.type = SDL_QUIT;
        return event;
    }

private:
    Uint32 id_;
};

void Push(const std::vector<SDL_Event>& events) {
    for (SDL_Event event : events)
        ASSERT_EQ(1, SDL_PushEvent(&event));
}

TEST_F(WindowTest, SdlEventsBecomeTheMessagesOfWindows) {
    const HWND window = CreateActive();
    const Events e(WindowId(window));
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    // A text event whose 32 bytes are all characters, without a terminator.
    const std::string unterminated = std::string(31, 'x') + "y";
    Messages unterminatedCharacters(31, Message{WM_CHAR, 'x', 1});
    unterminatedCharacters.push_back(Message{WM_CHAR, 'y', 1});
    struct Case {
        const char* name;
        std::vector<SDL_Event> events;
        Messages expected;
    } cases[] = {
        {"letter: down, character, up",
         {e.Key(true, 'a', SDL_SCANCODE_A), e.Text("a"), e.Key(false, 'a', SDL_SCANCODE_A)},
         {{WM_KEYDOWN, 'A', 1}, {WM_CHAR, 'a', 1}, {WM_KEYUP, 'A', kKeyUp}}},
        {"auto-repeat sets bit 30",
         {e.Key(true, 'a', SDL_SCANCODE_A, KMOD_NONE, 1), e.Key(false, 'a', SDL_SCANCODE_A)},
         {{WM_KEYDOWN, 'A', kRepeat}, {WM_KEYUP, 'A', kKeyUp}}},
        {"semicolon key", {e.Key(true, ';', SDL_SCANCODE_SEMICOLON)}, {{WM_KEYDOWN, VK_OEM_1, 1}}},
        {"layout letter and US-position OEM key",
         {e.Key(true, 'q', SDL_SCANCODE_A), e.Key(true, 0xE9, SDL_SCANCODE_LEFTBRACKET)},
         {{WM_KEYDOWN, 'Q', 1}, {WM_KEYDOWN, VK_OEM_4, 1}}},
        {"keypad 5 with and without Num Lock",
         {e.Key(true, SDLK_KP_5, SDL_SCANCODE_KP_5, KMOD_NUM), e.Key(true, SDLK_KP_5, SDL_SCANCODE_KP_5)},
         {{WM_KEYDOWN, VK_NUMPAD5, 1}, {WM_KEYDOWN, VK_CLEAR, 1}}},
        {"Alt+F4 is a system key that closes",
         {e.Key(true, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT), e.Key(true, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT),
          e.Key(false, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), e.Key(false, SDLK_LALT, SDL_SCANCODE_LALT)},
         {{WM_SYSKEYDOWN, VK_MENU, kAlt},
          {WM_SYSKEYDOWN, VK_F4, kAlt},
          {WM_CLOSE, 0, 0},
          {WM_SYSKEYUP, VK_F4, kAlt | kKeyUp},
          {WM_SYSKEYUP, VK_MENU, kKeyUp}}},
        {"F10 alone is a system key without bit 29",
         {e.Key(true, SDLK_F10, SDL_SCANCODE_F10)},
         {{WM_SYSKEYDOWN, VK_F10, 1}}},
        {"Ctrl+Alt is no system key",
         {e.Key(true, 'e', SDL_SCANCODE_E, KMOD_LCTRL | KMOD_RALT), e.Key(false, 'e', SDL_SCANCODE_E)},
         {{WM_KEYDOWN, 'E', 1}, {WM_KEYUP, 'E', kKeyUp}}},
        {"Return and Escape get their characters",
         {e.Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN), e.Key(false, SDLK_RETURN, SDL_SCANCODE_RETURN),
          e.Key(true, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE)},
         {{WM_KEYDOWN, VK_RETURN, 1},
          {WM_CHAR, 13, 1},
          {WM_KEYUP, VK_RETURN, kKeyUp},
          {WM_KEYDOWN, VK_ESCAPE, 1},
          {WM_CHAR, 27, 1}}},
        {"Ctrl+C gives character 3",
         {e.Key(true, SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL), e.Key(true, 'c', SDL_SCANCODE_C, KMOD_LCTRL),
          e.Key(false, 'c', SDL_SCANCODE_C, KMOD_LCTRL), e.Key(false, SDLK_LCTRL, SDL_SCANCODE_LCTRL)},
         {{WM_KEYDOWN, VK_CONTROL, 1},
          {WM_KEYDOWN, 'C', 1},
          {WM_CHAR, 3, 1},
          {WM_KEYUP, 'C', kKeyUp},
          {WM_KEYUP, VK_CONTROL, kKeyUp}}},
        {"text: one code page byte per UTF-16 unit",
         {e.Text("\xC3\xA9\xE2\x82\xAC"), e.Text("\xF0\x9F\x98\x80")},
         {{WM_CHAR, 0xE9, 1}, {WM_CHAR, 0x80, 1}, {WM_CHAR, '?', 1}, {WM_CHAR, '?', 1}}},
        {"text: one '?' per bad byte",
         {e.Text("\xC3(\xFF"), e.Text("\xE2\x82"), e.Text("\xED\xA0\x80")},
         {{WM_CHAR, '?', 1},
          {WM_CHAR, '(', 1},
          {WM_CHAR, '?', 1},
          {WM_CHAR, '?', 1},
          {WM_CHAR, '?', 1},
          {WM_CHAR, '?', 1},
          {WM_CHAR, '?', 1},
          {WM_CHAR, '?', 1}}},
        {"double click",
         {e.Button(true, SDL_BUTTON_LEFT, 1, 3, 4), e.Button(false, SDL_BUTTON_LEFT, 1, 3, 4),
          e.Button(true, SDL_BUTTON_LEFT, 2, 3, 4), e.Button(false, SDL_BUTTON_LEFT, 2, 3, 4)},
         {{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4)},
          {WM_LBUTTONUP, 0, MAKELPARAM(3, 4)},
          {WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 4)},
          {WM_LBUTTONUP, 0, MAKELPARAM(3, 4)}}},
        {"right button with Shift held",
         {e.Key(true, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT), e.Button(true, SDL_BUTTON_RIGHT, 1, -2, 5),
          e.Button(false, SDL_BUTTON_RIGHT, 1, -2, 5), e.Key(false, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT)},
         {{WM_KEYDOWN, VK_SHIFT, 1},
          {WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(-2, 5)},
          {WM_RBUTTONUP, MK_SHIFT, MAKELPARAM(-2, 5)},
          {WM_KEYUP, VK_SHIFT, kKeyUp}}},
        {"wheel: 120 per step at the screen position",
         {e.Motion(10, 20), e.Wheel(-1), e.Wheel(1, SDL_MOUSEWHEEL_FLIPPED), e.Wheel(0), e.Wheel(2)},
         {{WM_MOUSEMOVE, 0, MAKELPARAM(10, 20)},
          {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(origin.x + 10, origin.y + 20)},
          {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(origin.x + 10, origin.y + 20)},
          {WM_MOUSEWHEEL, MAKEWPARAM(0, 240), MAKELPARAM(origin.x + 10, origin.y + 20)}}},
        {"window close is no quit", {e.Window(SDL_WINDOWEVENT_CLOSE)}, {{WM_CLOSE, 0, 0}}},
        {"SDL quit", {Events::Quit()}, {{WM_QUIT, 0, 0}}},
        {"a move by the system, and the echo of a known position",
         {e.Window(SDL_WINDOWEVENT_MOVED, 300, -20), e.Window(SDL_WINDOWEVENT_MOVED, 300, -20)},
         {{WM_MOVE, 0, MAKELPARAM(300, -20)}, {WM_EXITSIZEMOVE, 0, 0}}},
        {"focus lost, lost again, gained",
         {e.Window(SDL_WINDOWEVENT_FOCUS_LOST), e.Window(SDL_WINDOWEVENT_FOCUS_LOST),
          e.Window(SDL_WINDOWEVENT_FOCUS_GAINED)},
         {{WM_ACTIVATE, WA_INACTIVE, 0},
          {WM_ACTIVATEAPP, FALSE, 0},
          {WM_ACTIVATEAPP, TRUE, 0},
          {WM_ACTIVATE, WA_ACTIVE, 0},
          {WM_SETFOCUS, 0, 0}}},
        {"minimised",
         {e.Window(SDL_WINDOWEVENT_MINIMIZED)},
         {{WM_ACTIVATE, WA_INACTIVE, 0}, {WM_ACTIVATEAPP, FALSE, 0}}},
        {"unterminated text reads 32 bytes",
         {e.Text(unterminated.data(), unterminated.size())},
         unterminatedCharacters},
        {"an unknown window",
         {Events(0xFFFF).Key(true, 'a', SDL_SCANCODE_A), Events(0xFFFF).Window(SDL_WINDOWEVENT_CLOSE)},
         {}},
    };
    for (const Case& c : cases) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        Drain();
        Log().clear();
        Push(c.events);
        EXPECT_EQ(c.expected, Dispatch()) << c.name;
    }
}

TEST_F(WindowTest, MotionIsCoalescedIntoTheLastQueuedMove) {
    const HWND window = CreateActive();
    const Events e(WindowId(window));
    std::vector<SDL_Event> events;
    for (int i = 0; i < 100; ++i)
        events.push_back(e.Motion(i, 2 * i));
    events.push_back(e.Button(true, SDL_BUTTON_LEFT, 1, 99, 198));
    events.push_back(e.Motion(5, 6));
    events.push_back(e.Button(false, SDL_BUTTON_LEFT, 1, 5, 6));
    Push(events);
    EXPECT_EQ((Messages{{WM_MOUSEMOVE, 0, MAKELPARAM(99, 198)},
                        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(99, 198)},
                        {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 6)},
                        {WM_LBUTTONUP, 0, MAKELPARAM(5, 6)}}),
              Dispatch());

    Push({e.Motion(40, 30)});
    Dispatch();
    POINT origin = {0, 0}, cursor;
    ClientToScreen(window, &origin);
    ASSERT_TRUE(GetCursorPos(&cursor));
    if (!PlatformInternal::DriverHasGlobalMouse()) {
        EXPECT_EQ(origin.x + 40, cursor.x);
        EXPECT_EQ(origin.y + 30, cursor.y);
        ASSERT_TRUE(SetCursorPos(700, 500));
        ASSERT_TRUE(GetCursorPos(&cursor));
        EXPECT_EQ(700, cursor.x);
        EXPECT_EQ(500, cursor.y);
    }
}

TEST_F(WindowTest, OneMouseLeavePerTrackMouseEvent) {
    const HWND window = CreateActive();
    const Events e(WindowId(window));
    TRACKMOUSEEVENT track = {sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, HOVER_DEFAULT};
    struct Step {
        const char* name;
        DWORD trackFlags;  // 0: no TrackMouseEvent before the two leave events
        Messages expected;
    } steps[] = {
        {"untracked", 0, {}},
        {"tracked", TME_LEAVE, {{WM_MOUSELEAVE, 0, 0}}},
        {"cancelled", TME_LEAVE | TME_CANCEL, {}},
    };
    for (const Step& step : steps) {
        if (step.trackFlags) {
            track.dwFlags = step.trackFlags;
            ASSERT_TRUE(TrackMouseEvent(&track));
        }
        Log().clear();
        Push({e.Window(SDL_WINDOWEVENT_LEAVE), e.Window(SDL_WINDOWEVENT_LEAVE)});
        EXPECT_EQ(step.expected, Dispatch()) << step.name;
    }
    track.cbSize = 0;
    EXPECT_FALSE(TrackMouseEvent(&track));
}

TEST_F(WindowTest, QuitComesAfterTheWaitingMessagesAndEndsGetMessage) {
    const HWND window = CreateActive();
    const Events e(WindowId(window));
    PostQuitMessage(3);
    Push({e.Window(SDL_WINDOWEVENT_CLOSE)});
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(WM_CLOSE, msg.message);
    EXPECT_EQ(1, GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(window, msg.hwnd);
    // A message without a window is not dispatched.
    EXPECT_EQ(0, GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(WM_QUIT, msg.message);
    EXPECT_EQ(3u, msg.wParam);
    EXPECT_EQ(nullptr, msg.hwnd);
    Log().clear();
    EXPECT_EQ(0, DispatchMessageA(&msg));
    EXPECT_EQ(Messages(), Log());
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

    // An empty queue blocks GetMessageA until SDL has something.
    std::thread quitter([] {
        Sleep(30);
        SDL_Event quit = Events::Quit();
        SDL_PushEvent(&quit);
    });
    EXPECT_EQ(0, GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(WM_QUIT, msg.message);
    quitter.join();
}

TEST_F(WindowTest, AllowSetForegroundWindowIsCountedFromAnyThread) {
    const uint32_t before = PlatformTest::GetAllowSetForegroundWindowCount();
    EXPECT_TRUE(AllowSetForegroundWindow(ASFW_ANY));
    std::thread([] { AllowSetForegroundWindow(ASFW_ANY); }).join();
    EXPECT_EQ(before + 2, PlatformTest::GetAllowSetForegroundWindowCount());
}

}  // namespace
