#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "ForeignCode.h"
#include "TestHooks.h"
#include "UserInternal.h"
#include "win32_errors.h"

using PlatformInternal::Delivery;
using PlatformInternal::LookUpWindow;
using PlatformInternal::SendToWindow;
using PlatformInternal::SystemAllocator;
using PlatformInternal::Window;
using PlatformInternal::WindowClass;

namespace {

typedef std::pair<const HWND, std::shared_ptr<Window>> WindowEntry;

struct WindowRegistry {
    std::mutex lock;
    std::map<HWND, std::shared_ptr<Window>, std::less<HWND>, SystemAllocator<WindowEntry>> windows;
    std::vector<std::shared_ptr<WindowClass>, SystemAllocator<std::shared_ptr<WindowClass>>> classes;
    // Window handles are never reused, so a destroyed window's handle stays invalid.
    uintptr_t nextHandle = 0x10010;
    ATOM nextAtom = 0xC000;
    // The frame of a captioned window, once SDL has told it.
    RECT frameInsets = {0, 0, 0, 0};
};

WindowRegistry& Registry() {
    static WindowRegistry* registry = PlatformInternal::NewSystemObject<WindowRegistry>();
    return *registry;
}

std::atomic<HWND> activeWindow{nullptr};
std::atomic<uint32_t> allowSetForegroundCount{0};

bool HasFrame(DWORD style) {
    return (style & WS_POPUP) == 0;
}

// The frame around the client area of a window of this style: what SDL reports for a
// framed window of the layer when it knows (never offscreen), else nothing. AdjustWindowRectEx
// and SetWindowPos both take it from here, so that their round trip is exact.
RECT FrameInsets(DWORD style) {
    if (!HasFrame(style))
        return RECT{0, 0, 0, 0};
    WindowRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (const auto& entry : registry.windows) {
        const Window& window = *entry.second;
        if (!HasFrame(window.style) || window.fullscreen)
            continue;
        int top = 0, left = 0, bottom = 0, right = 0;
        if (SDL_GetWindowBordersSize(window.sdl, &top, &left, &bottom, &right) == 0 &&
            (top | left | bottom | right) != 0) {
            registry.frameInsets = RECT{left, top, right, bottom};
            break;
        }
    }
    return registry.frameInsets;
}

std::shared_ptr<WindowClass> FindClass(LPCSTR name) {
    if (!name)
        return nullptr;
    WindowRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (const auto& windowClass : registry.classes) {
        if (PlatformInternal::AsciiEqualNoCase(std::string(windowClass->name.c_str()), name))
            return windowClass;
    }
    return nullptr;
}

void Deliver(Delivery delivery, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (delivery == Delivery::Send)
        SendToWindow(window, message, wParam, lParam);
    else
        PlatformInternal::QueueMessage(window, message, wParam, lParam, PlatformInternal::Input().modifiers);
}

// Show commands that do not activate the window.
bool ShowsWithoutActivating(int command) {
    return command == SW_SHOWNOACTIVATE || command == SW_SHOWNA || command == SW_SHOWMINNOACTIVE ||
           command == SW_MINIMIZE || command == SW_SHOWMINIMIZED;
}

}  // namespace

namespace PlatformInternal {

std::shared_ptr<Window> LookUpWindow(HWND handle) {
    WindowRegistry& registry = Registry();
    {
        std::lock_guard<std::mutex> guard(registry.lock);
        const auto found = registry.windows.find(handle);
        if (found != registry.windows.end())
            return found->second;
    }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
}

std::shared_ptr<Window> LookUpSdlWindow(Uint32 id) {
    WindowRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (const auto& entry : registry.windows) {
        if (entry.second->sdlId == id)
            return entry.second;
    }
    return nullptr;
}

SDL_Window* GetSdlWindow(HWND handle) {
    const std::shared_ptr<Window> window = LookUpWindow(handle);
    return window ? window->sdl : nullptr;
}

std::shared_ptr<Window> DefaultInputWindow() {
    const HWND active = activeWindow.load();
    WindowRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    const auto found = registry.windows.find(active);
    if (found != registry.windows.end())
        return found->second;
    return registry.windows.empty() ? nullptr : registry.windows.begin()->second;
}

POINT ClientOrigin(const Window& window) {
    if (window.fullscreen) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(window.fullscreenDisplay, &bounds) == 0)
            return POINT{bounds.x, bounds.y};
        return POINT{0, 0};
    }
    return window.clientOrigin;
}

void ClientSize(const Window& window, int& width, int& height) {
    width = window.fullscreen ? window.fullscreenWidth : window.clientWidth;
    height = window.fullscreen ? window.fullscreenHeight : window.clientHeight;
}

LRESULT SendToWindow(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    // The reference keeps the record alive while the procedure runs, even when the
    // procedure destroys its own window.
    const std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window || !window->procedure)
        return 0;
    return window->procedure(handle, message, wParam, lParam);
}

void Activate(HWND window, Delivery delivery, bool minimized) {
    const HWND previous = activeWindow.load();
    if (previous == window)
        return;
    // The new state holds while the messages run, as GetActiveWindow answers on Windows.
    activeWindow = window;
    if (previous && LookUpWindow(previous))
        Deliver(delivery, previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
    else
        Deliver(delivery, window, WM_ACTIVATEAPP, TRUE, 0);
    Deliver(delivery, window, WM_ACTIVATE, minimized ? MAKEWPARAM(WA_ACTIVE, 1) : WA_ACTIVE,
            reinterpret_cast<LPARAM>(previous));
    Deliver(delivery, window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
}

void Deactivate(HWND window, Delivery delivery) {
    HWND expected = window;
    if (!window || !activeWindow.compare_exchange_strong(expected, nullptr))
        return;
    Deliver(delivery, window, WM_ACTIVATE, WA_INACTIVE, 0);
    Deliver(delivery, window, WM_ACTIVATEAPP, FALSE, 0);
}

HWND ActiveWindow() {
    const HWND active = activeWindow.load();
    WindowRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.windows.count(active) ? active : nullptr;
}

}  // namespace PlatformInternal

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    PlatformInternal::StartVideo();
    if (FindClass(windowClass->lpszClassName)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto record = PlatformInternal::MakeSystemShared<WindowClass>();
    record->name = windowClass->lpszClassName;
    record->style = windowClass->style;
    record->procedure = windowClass->lpfnWndProc;
    record->cursor = windowClass->hCursor;
    WindowRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.classes.push_back(record);
    return registry.nextAtom++;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
    const std::shared_ptr<WindowClass> windowClass = FindClass(className);
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (!PlatformInternal::StartVideo()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const RECT insets = FrameInsets(style);
    const int clientX = x + insets.left;
    const int clientY = y + insets.top;
    const int clientWidth = std::max(1, width - static_cast<int>(insets.left + insets.right));
    const int clientHeight = std::max(1, height - static_cast<int>(insets.top + insets.bottom));

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!HasFrame(style))
        flags |= SDL_WINDOW_BORDERLESS;
    const char* title = windowName ? windowName : "";
    SDL_Window* sdl = nullptr;
    {
        PlatformProcess::ForeignLibraryScope foreign;
        sdl = SDL_CreateWindow(title, clientX, clientY, clientWidth, clientHeight, flags);
        // The dummy driver has no OpenGL; its windows still carry messages.
        if (!sdl)
            sdl = SDL_CreateWindow(title, clientX, clientY, clientWidth, clientHeight, flags & ~SDL_WINDOW_OPENGL);
    }
    if (!sdl) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    auto window = PlatformInternal::MakeSystemShared<Window>();
    window->sdl = sdl;
    window->sdlId = SDL_GetWindowID(sdl);
    window->windowClass = windowClass;
    window->procedure = windowClass->procedure;
    window->style = style;
    window->exStyle = exStyle;
    window->clientOrigin = POINT{clientX, clientY};
    window->clientWidth = clientWidth;
    window->clientHeight = clientHeight;
    HWND handle;
    {
        WindowRegistry& registry = Registry();
        std::lock_guard<std::mutex> guard(registry.lock);
        handle = reinterpret_cast<HWND>(registry.nextHandle);
        registry.nextHandle += 4;
        window->handle = handle;
        registry.windows.emplace(handle, window);
    }
    SDL_StartTextInput();

    CREATESTRUCTA create = {parameter,  instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
                            windowName, className, exStyle};
    if (SendToWindow(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    SendToWindow(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
    SendToWindow(handle, WM_MOVE, 0, MAKELPARAM(clientX, clientY));
    if (style & WS_VISIBLE)
        ShowWindow(handle, SW_SHOW);
    return LookUpWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND handle) {
    std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return FALSE;
    if (window->visible)
        ShowWindow(handle, SW_HIDE);
    PlatformInternal::Deactivate(handle, Delivery::Send);
    PlatformInternal::LeaveFullscreen(handle);
    SendToWindow(handle, WM_DESTROY, 0, 0);
    {
        WindowRegistry& registry = Registry();
        std::lock_guard<std::mutex> guard(registry.lock);
        // The procedure may have destroyed the window itself.
        if (registry.windows.erase(handle) == 0)
            return TRUE;
    }
    PlatformInternal::DropQueuedMessages(handle);
    {
        PlatformProcess::ForeignLibraryScope foreign;
        SDL_DestroyWindow(window->sdl);
    }
    window->sdl = nullptr;
    return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL, DWORD) {
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const RECT insets = FrameInsets(style);
    rect->left -= insets.left;
    rect->top -= insets.top;
    rect->right += insets.right;
    rect->bottom += insets.bottom;
    return TRUE;
}

LONG SetWindowLongA(HWND handle, int index, LONG value) {
    const std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return 0;
    SetLastError(ERROR_SUCCESS);
    if (index == GWL_STYLE) {
        const LONG previous = static_cast<LONG>(window->style);
        window->style = static_cast<DWORD>(value);
        SDL_SetWindowBordered(window->sdl, HasFrame(window->style) ? SDL_TRUE : SDL_FALSE);
        return previous;
    }
    if (index == GWL_EXSTYLE) {
        const LONG previous = static_cast<LONG>(window->exStyle);
        window->exStyle = static_cast<DWORD>(value);
        return previous;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

BOOL SetWindowPos(HWND handle, HWND, int x, int y, int width, int height, UINT flags) {
    std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return FALSE;
    const RECT insets = FrameInsets(window->style);
    POINT origin = window->clientOrigin;
    if (!(flags & SWP_NOMOVE))
        origin = POINT{x + insets.left, y + insets.top};
    int clientWidth = window->clientWidth;
    int clientHeight = window->clientHeight;
    if (!(flags & SWP_NOSIZE)) {
        clientWidth = std::max(1, width - static_cast<int>(insets.left + insets.right));
        clientHeight = std::max(1, height - static_cast<int>(insets.top + insets.bottom));
    }
    const bool sizeChanged = clientWidth != window->clientWidth || clientHeight != window->clientHeight;
    // The recorded origin is also what SDL will echo back as a move; that echo is
    // then no move and is dropped.
    window->clientOrigin = origin;
    window->clientWidth = clientWidth;
    window->clientHeight = clientHeight;
    if (!(flags & SWP_NOMOVE))
        SDL_SetWindowPosition(window->sdl, origin.x, origin.y);
    if (sizeChanged)
        SDL_SetWindowSize(window->sdl, clientWidth, clientHeight);
    window.reset();

    if (flags & SWP_SHOWWINDOW)
        ShowWindow(handle, SW_SHOW);
    else if (flags & SWP_HIDEWINDOW)
        ShowWindow(handle, SW_HIDE);
    if (sizeChanged)
        SendToWindow(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
    if (!(flags & SWP_NOMOVE))
        SendToWindow(handle, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    return TRUE;
}

BOOL ShowWindow(HWND handle, int command) {
    std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return FALSE;
    const bool wasVisible = window->visible;
    const bool show = command != SW_HIDE;
    if (show != wasVisible) {
        window.reset();
        SendToWindow(handle, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        window = LookUpWindow(handle);
        if (!window)
            return wasVisible ? TRUE : FALSE;
        window->visible = show;
        if (show)
            SDL_ShowWindow(window->sdl);
        else
            SDL_HideWindow(window->sdl);
        window.reset();
    }
    if (PlatformInternal::DriverLacksFocusEvents()) {
        if (!show)
            PlatformInternal::Deactivate(handle, Delivery::Send);
        else if (!ShowsWithoutActivating(command))
            PlatformInternal::Activate(handle, Delivery::Send, false);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL SetForegroundWindow(HWND handle) {
    std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return FALSE;
    if (window->visible) {
        // Window managers may refuse; activation then follows the real focus events.
        SDL_RaiseWindow(window->sdl);
        SDL_SetWindowInputFocus(window->sdl);
    }
    window.reset();
    if (PlatformInternal::DriverLacksFocusEvents())
        PlatformInternal::Activate(handle, Delivery::Send, false);
    return TRUE;
}

HWND SetFocus(HWND handle) {
    const HWND previous = PlatformInternal::ActiveWindow();
    if (!handle)
        return previous;
    std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return nullptr;
    if (window->visible)
        SDL_SetWindowInputFocus(window->sdl);
    window.reset();
    if (PlatformInternal::DriverLacksFocusEvents())
        PlatformInternal::Activate(handle, Delivery::Send, false);
    return previous;
}

HWND GetActiveWindow() {
    return PlatformInternal::ActiveWindow();
}

BOOL AllowSetForegroundWindow(DWORD) {
    ++allowSetForegroundCount;
    return TRUE;
}

uint32_t PlatformTest::GetAllowSetForegroundWindowCount() {
    return allowSetForegroundCount;
}

BOOL InvalidateRect(HWND handle, LPCRECT, BOOL) {
    if (handle && !LookUpWindow(handle))
        return FALSE;
    return TRUE;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
    const std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return FALSE;
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int width, height;
    PlatformInternal::ClientSize(*window, width, height);
    *rect = RECT{0, 0, width, height};
    return TRUE;
}

namespace {

// Moves the point by the window's client origin, times direction (1: to the screen, -1: to the client).
BOOL MoveByClientOrigin(HWND handle, LPPOINT point, int direction) {
    const std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return FALSE;
    if (!point) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const POINT origin = PlatformInternal::ClientOrigin(*window);
    point->x += direction * origin.x;
    point->y += direction * origin.y;
    return TRUE;
}

}  // namespace

BOOL ClientToScreen(HWND handle, LPPOINT point) {
    return MoveByClientOrigin(handle, point, 1);
}

BOOL ScreenToClient(HWND handle, LPPOINT point) {
    return MoveByClientOrigin(handle, point, -1);
}

LRESULT DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!LookUpWindow(handle))
        return 0;
    // Alt+F4 closes, as the system menu's Close would.
    const bool altDown = (static_cast<DWORD>(lParam) & (1u << 29)) != 0;
    if (message == WM_SYSKEYDOWN && wParam == VK_F4 && altDown)
        SendToWindow(handle, WM_CLOSE, 0, 0);
    return 0;
}
