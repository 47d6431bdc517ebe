// Numbered frames and the synthetic input of ZEP_TEST_INPUT. A frame is a pass in which
// PeekMessageA finds the interface thread's queue empty; the events a file lists for
// frame k are pushed as SDL events just before frame k's pass, so they are dispatched
// before the frame runs.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "LayerInternal.h"
#include "UserInternal.h"
#include "win32_process.h"

namespace {

enum class EventKind { Motion, Button, Key, Text, Wheel, Close, Quit, Focus };

struct TestEvent {
    uint32_t frame = 0;
    EventKind kind = EventKind::Quit;
    bool down = false;  // button and key: pressed; focus: gained
    int x = 0, y = 0;   // motion: position; wheel: the steps
    uint8_t button = 0;
    uint8_t clicks = 1;
    SDL_Keycode key = SDLK_UNKNOWN;
    bool repeat = false;
    std::string text;
};

struct TestInput {
    bool loaded = false;
    std::vector<TestEvent> events;
    size_t next = 0;
    // Where the pointer was last moved to: buttons are pressed there.
    int pointerX = 0, pointerY = 0;
    // The modifier keys held down by the file's key events.
    Uint16 modifiers = 0;
};

std::atomic<uint32_t> framesStarted{0};

TestInput& Script() {
    static TestInput input;
    return input;
}

[[noreturn]] void Fail(const std::string& path, int line, const std::string& text) {
    if (line > 0)
        std::fprintf(stderr, "ZEP_TEST_INPUT %s, line %d: malformed line \"%s\"\n", path.c_str(), line, text.c_str());
    else
        std::fprintf(stderr, "ZEP_TEST_INPUT %s: cannot read the file\n", path.c_str());
    std::fflush(stderr);
    ExitProcess(1);
}

bool ParseButton(const std::string& name, uint8_t& button) {
    if (name == "left")
        button = SDL_BUTTON_LEFT;
    else if (name == "right")
        button = SDL_BUTTON_RIGHT;
    else if (name == "middle")
        button = SDL_BUTTON_MIDDLE;
    else
        return false;
    return true;
}

// One line after its frame number; false when it is malformed.
bool ParseEvent(std::istringstream& in, TestEvent& event) {
    std::string name, word;
    if (!(in >> name))
        return false;
    if (name == "motion") {
        event.kind = EventKind::Motion;
        if (!(in >> event.x >> event.y))
            return false;
    } else if (name == "down" || name == "up") {
        event.kind = EventKind::Button;
        event.down = name == "down";
        int clicks = 1;
        if (!(in >> word) || !ParseButton(word, event.button))
            return false;
        if (in >> clicks) {
            if (clicks < 1 || clicks > 255)
                return false;
        } else if (!in.eof()) {
            return false;
        }
        in.clear();
        event.clicks = static_cast<uint8_t>(clicks);
    } else if (name == "key") {
        event.kind = EventKind::Key;
        if (!(in >> word) || (word != "down" && word != "up"))
            return false;
        event.down = word == "down";
        // Key names may hold spaces ("Left Shift"): the rest of the line, less a last
        // word "repeat".
        std::string rest;
        std::getline(in >> std::ws, rest);
        const std::string repeatWord = " repeat";
        if (rest.size() > repeatWord.size() &&
            rest.compare(rest.size() - repeatWord.size(), repeatWord.size(), repeatWord) == 0) {
            event.repeat = true;
            rest.erase(rest.size() - repeatWord.size());
        }
        event.key = SDL_GetKeyFromName(rest.c_str());
        return event.key != SDLK_UNKNOWN;
    } else if (name == "text") {
        event.kind = EventKind::Text;
        in.get();  // the one space after the word
        std::getline(in, event.text);
        return !event.text.empty();
    } else if (name == "wheel") {
        event.kind = EventKind::Wheel;
        if (!(in >> event.x >> event.y))
            return false;
    } else if (name == "close") {
        event.kind = EventKind::Close;
    } else if (name == "quit") {
        event.kind = EventKind::Quit;
    } else if (name == "focus") {
        event.kind = EventKind::Focus;
        if (!(in >> word) || (word != "lost" && word != "gained"))
            return false;
        event.down = word == "gained";
    } else {
        return false;
    }
    return !(in >> word);
}

void Load(TestInput& input) {
    input.loaded = true;
    const std::string path = PlatformInternal::GetEnv("ZEP_TEST_INPUT");
    if (path.empty())
        return;
    std::ifstream file(path);
    if (!file)
        Fail(path, 0, "");
    std::string line;
    uint32_t lastFrame = 0;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        std::istringstream in(line);
        TestEvent event;
        long long frame = 0;
        if (!(in >> frame) || frame < 1 || frame > UINT32_MAX || static_cast<uint32_t>(frame) < lastFrame ||
            !ParseEvent(in, event))
            Fail(path, number, line);
        event.frame = lastFrame = static_cast<uint32_t>(frame);
        input.events.push_back(event);
    }
}

Uint32 WindowId() {
    const std::shared_ptr<PlatformInternal::Window> window = PlatformInternal::DefaultInputWindow();
    return window && window->sdl ? SDL_GetWindowID(window->sdl) : 0;
}

void PushWindowEvent(Uint8 kind) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = WindowId();
    event.window.event = kind;
    SDL_PushEvent(&event);
}

Uint16 ModifierOf(SDL_Keycode key) {
    switch (key) {
        case SDLK_LSHIFT:
            return KMOD_LSHIFT;
        case SDLK_RSHIFT:
            return KMOD_RSHIFT;
        case SDLK_LCTRL:
            return KMOD_LCTRL;
        case SDLK_RCTRL:
            return KMOD_RCTRL;
        case SDLK_LALT:
            return KMOD_LALT;
        case SDLK_RALT:
            return KMOD_RALT;
        default:
            return 0;
    }
}

void Push(TestInput& input, const TestEvent& source) {
    SDL_Event event = {};
    switch (source.kind) {
        case EventKind::Motion:
            event.type = SDL_MOUSEMOTION;
            event.motion.windowID = WindowId();
            event.motion.x = source.x;
            event.motion.y = source.y;
            event.motion.xrel = source.x - input.pointerX;
            event.motion.yrel = source.y - input.pointerY;
            input.pointerX = source.x;
            input.pointerY = source.y;
            break;
        case EventKind::Button:
            event.type = source.down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            event.button.windowID = WindowId();
            event.button.button = source.button;
            event.button.state = source.down ? SDL_PRESSED : SDL_RELEASED;
            event.button.clicks = source.clicks;
            event.button.x = input.pointerX;
            event.button.y = input.pointerY;
            break;
        case EventKind::Key:
            event.type = source.down ? SDL_KEYDOWN : SDL_KEYUP;
            event.key.windowID = WindowId();
            event.key.state = source.down ? SDL_PRESSED : SDL_RELEASED;
            event.key.repeat = source.repeat ? 1 : 0;
            event.key.keysym.sym = source.key;
            event.key.keysym.scancode = SDL_GetScancodeFromKey(source.key);
            if (const Uint16 modifier = ModifierOf(source.key))
                input.modifiers = source.down ? (input.modifiers | modifier) : (input.modifiers & ~modifier);
            event.key.keysym.mod = input.modifiers;
            break;
        case EventKind::Text: {
            // In pieces that fit SDL's text event, never splitting a character.
            const size_t capacity = sizeof(event.text.text) - 1;
            size_t at = 0;
            while (at < source.text.size()) {
                size_t end = std::min(source.text.size(), at + capacity);
                while (end < source.text.size() && end > at + 1 && (source.text[end] & 0xC0) == 0x80)
                    --end;
                SDL_Event piece = {};
                piece.type = SDL_TEXTINPUT;
                piece.text.windowID = WindowId();
                source.text.copy(piece.text.text, end - at, at);
                SDL_PushEvent(&piece);
                at = end;
            }
            return;
        }
        case EventKind::Wheel:
            event.type = SDL_MOUSEWHEEL;
            event.wheel.windowID = WindowId();
            event.wheel.x = source.x;
            event.wheel.y = source.y;
            event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
            break;
        case EventKind::Close:
            PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
            return;
        case EventKind::Quit:
            event.type = SDL_QUIT;
            break;
        case EventKind::Focus:
            PushWindowEvent(source.down ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
            return;
    }
    SDL_PushEvent(&event);
}

}  // namespace

bool PlatformInternal::PushTestInputForNextFrame() {
    TestInput& input = Script();
    if (!input.loaded)
        Load(input);
    const uint32_t nextFrame = framesStarted.load() + 1;
    bool pushed = false;
    while (input.next < input.events.size() && input.events[input.next].frame <= nextFrame) {
        Push(input, input.events[input.next++]);
        pushed = true;
    }
    return pushed;
}

void PlatformInternal::StartFrame() {
    ++framesStarted;
    AdvanceVirtualClockForIdlePass();
}

uint32_t PlatformInternal::GetFrameNumber() {
    return framesStarted.load();
}
