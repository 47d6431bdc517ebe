#include <algorithm>
#include <deque>

#include "UserInternal.h"
#include "win32_errors.h"
#include "win32_threads.h"
#include "win32_time.h"

using PlatformInternal::Delivery;
using PlatformInternal::Input;
using PlatformInternal::LookUpWindow;
using PlatformInternal::QueueMessage;
using PlatformInternal::Window;

namespace {

struct QueuedMessage {
    MSG msg;
    Uint16 modifiers;
};

// One queue per thread, as on Windows. SDL-derived messages go to the interface thread's.
struct MessageQueue {
    std::deque<QueuedMessage, PlatformInternal::SystemAllocator<QueuedMessage>> messages;
    bool quitPosted = false;
    int quitCode = 0;
    // The modifiers of the message the thread retrieved last (TranslateMessage reads them).
    Uint16 retrievedModifiers = 0;
};

thread_local MessageQueue queue;

constexpr LPARAM kKeyUpBits = static_cast<LPARAM>(3u << 30);
constexpr LPARAM kPreviousDownBit = static_cast<LPARAM>(1u << 30);
constexpr LPARAM kAltDownBit = static_cast<LPARAM>(1u << 29);

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window && msg.hwnd != window)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

MSG QuitMessage() {
    MSG msg = {};
    msg.message = WM_QUIT;
    msg.wParam = static_cast<WPARAM>(queue.quitCode);
    msg.time = GetTickCount();
    return msg;
}

void PumpSdl() {
    if (!PlatformInternal::IsInterfaceThread())
        return;
    SDL_PumpEvents();
    SDL_Event event;
    // The procedure never runs here: translating only queues.
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
        PlatformInternal::TranslateSdlEvent(event);
}

// Takes the first matching message; a posted quit comes when nothing else is waiting.
bool TakeMessage(LPMSG out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
        if (!Matches(it->msg, window, filterMin, filterMax))
            continue;
        *out = it->msg;
        if (remove) {
            queue.retrievedModifiers = it->modifiers;
            queue.messages.erase(it);
        }
        return true;
    }
    if (queue.quitPosted && queue.messages.empty()) {
        *out = QuitMessage();
        if (remove)
            queue.quitPosted = false;
        return true;
    }
    return false;
}

std::shared_ptr<Window> EventWindow(Uint32 windowId) {
    if (windowId == 0)
        return PlatformInternal::DefaultInputWindow();
    return PlatformInternal::LookUpSdlWindow(windowId);
}

void RecordCursor(const Window& window, int x, int y) {
    const POINT origin = PlatformInternal::ClientOrigin(window);
    Input().cursor = POINT{origin.x + x, origin.y + y};
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
    const std::shared_ptr<Window> window = PlatformInternal::LookUpSdlWindow(event.windowID);
    if (!window)
        return;
    const HWND handle = window->handle;
    switch (event.event) {
        case SDL_WINDOWEVENT_MOVED:
            // A position the layer already knows is the echo of its own move.
            if (window->fullscreen || (event.data1 == window->clientOrigin.x && event.data2 == window->clientOrigin.y))
                return;
            window->clientOrigin = POINT{event.data1, event.data2};
            QueueMessage(handle, WM_MOVE, 0, MAKELPARAM(event.data1, event.data2), Input().modifiers);
            // SDL has no end of a move; every move is a whole one.
            QueueMessage(handle, WM_EXITSIZEMOVE, 0, 0, Input().modifiers);
            return;
        case SDL_WINDOWEVENT_CLOSE:
            QueueMessage(handle, WM_CLOSE, 0, 0, Input().modifiers);
            return;
        case SDL_WINDOWEVENT_FOCUS_GAINED: {
            const bool minimized = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MINIMIZED) != 0;
            PlatformInternal::Activate(handle, Delivery::Queue, minimized);
            return;
        }
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
            PlatformInternal::Deactivate(handle, Delivery::Queue);
            return;
        case SDL_WINDOWEVENT_LEAVE:
            if (window->leaveTracked) {
                window->leaveTracked = false;
                QueueMessage(handle, WM_MOUSELEAVE, 0, 0, Input().modifiers);
            }
            return;
        default:
            return;
    }
}

void TranslateKeyEvent(const SDL_KeyboardEvent& event) {
    const std::shared_ptr<Window> window = EventWindow(event.windowID);
    const Uint16 modifiers = event.keysym.mod;
    Input().modifiers = modifiers;
    if (!window)
        return;
    const UINT key = PlatformInternal::VirtualKeyFromSdl(event.keysym.sym, event.keysym.scancode, modifiers);
    const bool altDown = (modifiers & KMOD_ALT) != 0;
    const bool ctrlDown = (modifiers & KMOD_CTRL) != 0;
    // Alt itself, F10, and keys while Alt is down without Ctrl are system keys.
    const bool system = key == VK_MENU || key == VK_F10 || (altDown && !ctrlDown);
    const bool down = event.type == SDL_KEYDOWN;
    LPARAM lParam = 1;
    if (system && altDown)
        lParam |= kAltDownBit;
    if (!down)
        lParam |= kKeyUpBits;
    else if (event.repeat)
        lParam |= kPreviousDownBit;
    const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    QueueMessage(window->handle, message, key, lParam, modifiers);
}

void TranslateTextEvent(const SDL_TextInputEvent& event) {
    const std::shared_ptr<Window> window = EventWindow(event.windowID);
    if (!window)
        return;
    const std::string characters = PlatformInternal::Utf8ToAnsiCharacters(event.text, sizeof(event.text));
    for (const char character : characters)
        QueueMessage(window->handle, WM_CHAR, static_cast<BYTE>(character), 1, Input().modifiers);
}

void TranslateMotion(const SDL_MouseMotionEvent& event) {
    const std::shared_ptr<Window> window = EventWindow(event.windowID);
    if (!window)
        return;
    RecordCursor(*window, event.x, event.y);
    const LPARAM position = MAKELPARAM(event.x, event.y);
    // Moves are coalesced as Windows does: the last queued move takes the new position.
    auto& messages = queue.messages;
    if (!messages.empty() && messages.back().msg.message == WM_MOUSEMOVE &&
        messages.back().msg.hwnd == window->handle) {
        MSG& last = messages.back().msg;
        last.wParam = PlatformInternal::MouseKeyFlags();
        last.lParam = position;
        last.pt = Input().cursor;
        return;
    }
    QueueMessage(window->handle, WM_MOUSEMOVE, PlatformInternal::MouseKeyFlags(), position, Input().modifiers);
}

void TranslateButton(const SDL_MouseButtonEvent& event) {
    const std::shared_ptr<Window> window = EventWindow(event.windowID);
    if (!window)
        return;
    RecordCursor(*window, event.x, event.y);
    const bool down = event.type == SDL_MOUSEBUTTONDOWN;
    // Even click counts are double clicks, as Windows alternates them.
    const bool doubleClick =
        down && event.clicks >= 2 && event.clicks % 2 == 0 && (window->windowClass->style & CS_DBLCLKS) != 0;
    UINT flag;
    UINT first;  // the button's DOWN message; UP and DBLCLK follow it
    WORD xButton = 0;
    switch (event.button) {
        case SDL_BUTTON_LEFT:
            flag = MK_LBUTTON;
            first = WM_LBUTTONDOWN;
            break;
        case SDL_BUTTON_RIGHT:
            flag = MK_RBUTTON;
            first = WM_RBUTTONDOWN;
            break;
        case SDL_BUTTON_MIDDLE:
            flag = MK_MBUTTON;
            first = WM_MBUTTONDOWN;
            break;
        case SDL_BUTTON_X1:
            flag = MK_XBUTTON1;
            first = WM_XBUTTONDOWN;
            xButton = XBUTTON1;
            break;
        case SDL_BUTTON_X2:
            flag = MK_XBUTTON2;
            first = WM_XBUTTONDOWN;
            xButton = XBUTTON2;
            break;
        default:
            return;
    }
    if (down)
        Input().buttons |= flag;
    else
        Input().buttons &= ~flag;
    const UINT message = first + (down ? (doubleClick ? 2 : 0) : 1);
    const WPARAM wParam =
        xButton ? MAKEWPARAM(PlatformInternal::MouseKeyFlags(), xButton) : PlatformInternal::MouseKeyFlags();
    QueueMessage(window->handle, message, wParam, MAKELPARAM(event.x, event.y), Input().modifiers);
}

void TranslateWheel(const SDL_MouseWheelEvent& event) {
    const std::shared_ptr<Window> window = EventWindow(event.windowID);
    if (!window)
        return;
    const int64_t steps = event.direction == SDL_MOUSEWHEEL_FLIPPED ? -static_cast<int64_t>(event.y) : event.y;
    if (steps == 0)
        return;
    const int64_t delta = std::clamp<int64_t>(steps * WHEEL_DELTA, -32768, 32767);
    POINT screen;
    GetCursorPos(&screen);
    const WPARAM wParam = MAKEWPARAM(PlatformInternal::MouseKeyFlags(), static_cast<WORD>(static_cast<int16_t>(delta)));
    QueueMessage(window->handle, WM_MOUSEWHEEL, wParam, MAKELPARAM(screen.x, screen.y), Input().modifiers);
}

}  // namespace

namespace PlatformInternal {

InputState& Input() {
    static InputState state;
    return state;
}

WPARAM MouseKeyFlags() {
    WPARAM flags = Input().buttons;
    if (Input().modifiers & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (Input().modifiers & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}

void QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Uint16 modifiers) {
    QueuedMessage entry;
    entry.msg.hwnd = window;
    entry.msg.message = message;
    entry.msg.wParam = wParam;
    entry.msg.lParam = lParam;
    entry.msg.time = GetTickCount();
    entry.msg.pt = Input().cursor;
    entry.modifiers = modifiers;
    queue.messages.push_back(entry);
}

void DropQueuedMessages(HWND window) {
    auto& messages = queue.messages;
    messages.erase(std::remove_if(messages.begin(), messages.end(),
                                  [window](const QueuedMessage& entry) { return entry.msg.hwnd == window; }),
                   messages.end());
}

void TranslateSdlEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            PostQuitMessage(0);
            break;
        case SDL_WINDOWEVENT:
            TranslateWindowEvent(event.window);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            TranslateKeyEvent(event.key);
            break;
        case SDL_TEXTINPUT:
            TranslateTextEvent(event.text);
            break;
        case SDL_MOUSEMOTION:
            TranslateMotion(event.motion);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            TranslateButton(event.button);
            break;
        case SDL_MOUSEWHEEL:
            TranslateWheel(event.wheel);
            break;
        default:
            break;
    }
}

}  // namespace PlatformInternal

BOOL PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (window && !LookUpWindow(window))
        return FALSE;
    PlatformInternal::StartVideo();
    PumpSdl();
    if (TakeMessage(message, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0))
        return TRUE;
    if (!queue.messages.empty() || !PlatformInternal::IsInterfaceThread())
        return FALSE;
    // The test input of the next frame comes first, and is dispatched before it.
    if (PlatformInternal::PushTestInputForNextFrame()) {
        PumpSdl();
        if (TakeMessage(message, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0))
            return TRUE;
        if (!queue.messages.empty())
            return FALSE;
    }
    // An idle pass: the interface thread's queue is empty.
    PlatformInternal::StartFrame();
    return FALSE;
}

BOOL GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (window && !LookUpWindow(window))
        return -1;
    PlatformInternal::StartVideo();
    for (;;) {
        PumpSdl();
        if (TakeMessage(message, window, filterMin, filterMax, true))
            return message->message == WM_QUIT ? 0 : 1;
        if (PlatformInternal::IsInterfaceThread())
            SDL_WaitEvent(nullptr);  // leaves the event for the next pump
        else
            Sleep(10);  // nothing can reach another thread's queue but its own quit
    }
}

BOOL TranslateMessage(const MSG* message) {
    if (!message)
        return FALSE;
    if (message->message != WM_KEYDOWN)
        return message->message == WM_KEYUP || message->message == WM_SYSKEYDOWN || message->message == WM_SYSKEYUP;
    const Uint16 modifiers = queue.retrievedModifiers;
    const bool ctrlOnly = (modifiers & KMOD_CTRL) && !(modifiers & KMOD_ALT);
    int character = 0;
    switch (message->wParam) {
        case VK_BACK:
            character = 8;
            break;
        case VK_TAB:
            character = 9;
            break;
        case VK_RETURN:
            character = 13;
            break;
        case VK_ESCAPE:
            character = 27;
            break;
        default:
            if (ctrlOnly && message->wParam >= 'A' && message->wParam <= 'Z')
                character = static_cast<int>(message->wParam - 'A' + 1);
            break;
    }
    if (character != 0) {
        QueuedMessage entry;
        entry.msg = *message;
        entry.msg.message = WM_CHAR;
        entry.msg.wParam = static_cast<WPARAM>(character);
        entry.modifiers = modifiers;
        queue.messages.push_front(entry);
    }
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* message) {
    if (!message || !message->hwnd)
        return 0;
    if (!LookUpWindow(message->hwnd))
        return 0;
    return PlatformInternal::SendToWindow(message->hwnd, message->message, message->wParam, message->lParam);
}

void PostQuitMessage(int exitCode) {
    queue.quitPosted = true;
    queue.quitCode = exitCode;
}
