#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "UserInternal.h"
#include "win32_errors.h"

using PlatformInternal::LookUpWindow;
using PlatformInternal::SystemAllocator;
using PlatformInternal::Window;

namespace {

struct Mode {
    DWORD width;
    DWORD height;
    DWORD bitsPerPixel;
    DWORD frequency;
};

struct DeviceContext {
    int display;
};

struct DisplayState {
    std::mutex lock;
    // The modes ChangeDisplaySettingsExA recorded, by display index.
    std::map<int, Mode, std::less<int>, SystemAllocator<std::pair<const int, Mode>>> wanted;
    // The window in full screen on a display, by display index.
    std::map<int, HWND, std::less<int>, SystemAllocator<std::pair<const int, HWND>>> fullscreenWindow;
    std::set<DeviceContext*, std::less<DeviceContext*>, SystemAllocator<DeviceContext*>> contexts;
};

DisplayState& State() {
    static DisplayState* state = PlatformInternal::NewSystemObject<DisplayState>();
    return *state;
}

int DisplayCount() {
    if (!PlatformInternal::StartVideo())
        return 0;
    return SDL_GetNumVideoDisplays();
}

// The display of an HMONITOR, or -1.
int DisplayOf(HMONITOR monitor) {
    const intptr_t index = reinterpret_cast<intptr_t>(monitor) - 1;
    if (index < 0 || index >= DisplayCount())
        return -1;
    return static_cast<int>(index);
}

HMONITOR MonitorOf(int display) {
    return reinterpret_cast<HMONITOR>(static_cast<intptr_t>(display) + 1);
}

void DeviceName(int display, char* out, size_t size) {
    std::snprintf(out, size, "\\\\.\\DISPLAY%d", display + 1);
}

// The display of a device name; NULL is the primary display.
int DisplayByName(LPCSTR name) {
    const int count = DisplayCount();
    if (!name)
        return count > 0 ? 0 : -1;
    for (int display = 0; display < count; ++display) {
        char device[CCHDEVICENAME];
        DeviceName(display, device, sizeof(device));
        if (PlatformInternal::AsciiEqualNoCase(device, name))
            return display;
    }
    return -1;
}

RECT ToRect(const SDL_Rect& rect) {
    return RECT{rect.x, rect.y, rect.x + rect.w, rect.y + rect.h};
}

// An SDL mode as Windows reports it: every 4-byte format has 32 bits per pixel (SDL says
// 24 for RGB888), R5G6B5 has 16, and an unknown refresh rate is 60 Hz.
Mode FromSdl(int display, SDL_DisplayMode mode) {
    if (mode.w == 0 || mode.h == 0)
        SDL_GetDesktopDisplayMode(display, &mode);
    Mode out;
    out.width = static_cast<DWORD>(mode.w);
    out.height = static_cast<DWORD>(mode.h);
    if (SDL_BYTESPERPIXEL(mode.format) == 4)
        out.bitsPerPixel = 32;
    else if (mode.format == SDL_PIXELFORMAT_RGB565)
        out.bitsPerPixel = 16;
    else
        out.bitsPerPixel = SDL_BITSPERPIXEL(mode.format);
    out.frequency = mode.refresh_rate > 0 ? static_cast<DWORD>(mode.refresh_rate) : 60;
    return out;
}

void FillDevMode(int display, const Mode& mode, DEVMODEA* out) {
    std::memset(out, 0, sizeof(*out));
    DeviceName(display, reinterpret_cast<char*>(out->dmDeviceName), sizeof(out->dmDeviceName));
    out->dmSize = sizeof(DEVMODEA);
    out->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    out->dmBitsPerPel = mode.bitsPerPixel;
    out->dmPelsWidth = mode.width;
    out->dmPelsHeight = mode.height;
    out->dmDisplayFrequency = mode.frequency;
}

}  // namespace

namespace PlatformInternal {

bool GetWantedDisplayMode(int display, DEVMODEA* mode) {
    DisplayState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    const auto found = state.wanted.find(display);
    if (found == state.wanted.end())
        return false;
    if (mode)
        FillDevMode(display, found->second, mode);
    return true;
}

bool EnterFullscreen(HWND handle) {
    const std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return false;
    int display = SDL_GetWindowDisplayIndex(window->sdl);
    if (display < 0)
        display = 0;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(display, &desktop) != 0)
        return false;
    Mode size = FromSdl(display, desktop);
    SDL_DisplayMode applied = desktop;
    DisplayState& state = State();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        const auto found = state.wanted.find(display);
        if (found != state.wanted.end()) {
            size = found->second;
            SDL_DisplayMode wanted = {0, static_cast<int>(size.width), static_cast<int>(size.height),
                                      static_cast<int>(size.frequency), nullptr};
            // The offscreen driver lists no usable mode: it stays at the desktop mode.
            if (!SDL_GetClosestDisplayMode(display, &wanted, &applied))
                applied = desktop;
        }
        state.fullscreenWindow[display] = handle;
    }
    SDL_SetWindowDisplayMode(window->sdl, &applied);
    if (SDL_SetWindowFullscreen(window->sdl, SDL_WINDOW_FULLSCREEN) != 0) {
        std::lock_guard<std::mutex> guard(state.lock);
        state.fullscreenWindow.erase(display);
        return false;
    }
    window->fullscreen = true;
    window->fullscreenDisplay = display;
    window->fullscreenWidth = static_cast<int>(size.width);
    window->fullscreenHeight = static_cast<int>(size.height);
    return true;
}

bool LeaveFullscreen(HWND handle) {
    const std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return false;
    if (!window->fullscreen)
        return true;
    {
        DisplayState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        const auto found = state.fullscreenWindow.find(window->fullscreenDisplay);
        if (found != state.fullscreenWindow.end() && found->second == handle)
            state.fullscreenWindow.erase(found);
    }
    window->fullscreen = false;
    return SDL_SetWindowFullscreen(window->sdl, 0) == 0;
}

}  // namespace PlatformInternal

BOOL EnumDisplayMonitors(HDC dc, LPCRECT, MONITORENUMPROC callback, LPARAM data) {
    if (!callback) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int count = DisplayCount();
    for (int display = 0; display < count; ++display) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(display, &bounds) != 0)
            continue;
        RECT rect = ToRect(bounds);
        if (!callback(MonitorOf(display), dc, &rect, data))
            return FALSE;
    }
    return TRUE;
}

BOOL GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info) {
    const int display = DisplayOf(monitor);
    if (display < 0) {
        SetLastError(ERROR_INVALID_MONITOR_HANDLE);
        return FALSE;
    }
    if (!info || (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFOEXA))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SDL_Rect bounds, usable;
    if (SDL_GetDisplayBounds(display, &bounds) != 0)
        bounds = SDL_Rect{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0)
        usable = bounds;
    info->rcMonitor = ToRect(bounds);
    info->rcWork = ToRect(usable);
    info->dwFlags = display == 0 ? MONITORINFOF_PRIMARY : 0;
    if (info->cbSize == sizeof(MONITORINFOEXA))
        DeviceName(display, static_cast<MONITORINFOEXA*>(info)->szDevice, CCHDEVICENAME);
    return TRUE;
}

HMONITOR MonitorFromWindow(HWND handle, DWORD flags) {
    const std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return nullptr;
    const int display = window->fullscreen ? window->fullscreenDisplay : SDL_GetWindowDisplayIndex(window->sdl);
    if (display >= 0)
        return MonitorOf(display);
    if (flags == MONITOR_DEFAULTTONULL || DisplayCount() == 0)
        return nullptr;
    return MonitorOf(0);
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
    const int count = DisplayCount();
    int nearest = -1;
    int64_t nearestDistance = INT64_MAX;
    for (int display = 0; display < count; ++display) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(display, &bounds) != 0)
            continue;
        const int64_t dx = point.x < bounds.x               ? bounds.x - point.x
                           : point.x >= bounds.x + bounds.w ? point.x - (bounds.x + bounds.w - 1)
                                                            : 0;
        const int64_t dy = point.y < bounds.y               ? bounds.y - point.y
                           : point.y >= bounds.y + bounds.h ? point.y - (bounds.y + bounds.h - 1)
                                                            : 0;
        if (dx == 0 && dy == 0)
            return MonitorOf(display);
        if (dx * dx + dy * dy < nearestDistance) {
            nearestDistance = dx * dx + dy * dy;
            nearest = display;
        }
    }
    if (flags == MONITOR_DEFAULTTOPRIMARY && count > 0)
        return MonitorOf(0);
    if (flags == MONITOR_DEFAULTTONEAREST && nearest >= 0)
        return MonitorOf(nearest);
    return nullptr;
}

BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode) {
    if (!mode || mode->dmSize != sizeof(DEVMODEA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int display = DisplayByName(deviceName);
    if (display < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SDL_DisplayMode sdlMode;
    if (modeNumber == ENUM_CURRENT_SETTINGS) {
        {
            DisplayState& state = State();
            std::lock_guard<std::mutex> guard(state.lock);
            const auto wanted = state.wanted.find(display);
            if (wanted != state.wanted.end() && state.fullscreenWindow.count(display)) {
                FillDevMode(display, wanted->second, mode);
                return TRUE;
            }
        }
        if (SDL_GetCurrentDisplayMode(display, &sdlMode) != 0)
            return FALSE;
    } else if (modeNumber >= static_cast<DWORD>(std::max(0, SDL_GetNumDisplayModes(display))) ||
               SDL_GetDisplayMode(display, static_cast<int>(modeNumber), &sdlMode) != 0) {
        return FALSE;
    }
    FillDevMode(display, FromSdl(display, sdlMode), mode);
    return TRUE;
}

LONG ChangeDisplaySettingsExA(LPCSTR deviceName, DEVMODEA* mode, HWND, DWORD, LPVOID) {
    const int display = DisplayByName(deviceName);
    if (display < 0 || (mode && mode->dmSize != sizeof(DEVMODEA)))
        return DISP_CHANGE_BADPARAM;
    HWND leaving = nullptr;
    {
        DisplayState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        if (mode) {
            state.wanted[display] =
                Mode{mode->dmPelsWidth, mode->dmPelsHeight, mode->dmBitsPerPel, mode->dmDisplayFrequency};
            return DISP_CHANGE_SUCCESSFUL;
        }
        state.wanted.erase(display);
        const auto found = state.fullscreenWindow.find(display);
        if (found != state.fullscreenWindow.end())
            leaving = found->second;
    }
    // Back to the registry settings: the display leaves full screen.
    if (leaving)
        PlatformInternal::LeaveFullscreen(leaving);
    return DISP_CHANGE_SUCCESSFUL;
}

HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR, const DEVMODEA*) {
    const LPCSTR name = device ? device : driver;
    int display = -1;
    if (name && PlatformInternal::AsciiEqualNoCase(name, "DISPLAY"))
        display = DisplayCount() > 0 ? 0 : -1;
    else if (name)
        display = DisplayByName(name);
    if (display < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    DeviceContext* context = PlatformInternal::NewSystemObject<DeviceContext>();
    context->display = display;
    DisplayState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.contexts.insert(context);
    return reinterpret_cast<HDC>(context);
}

BOOL DeleteDC(HDC dc) {
    DeviceContext* context = reinterpret_cast<DeviceContext*>(dc);
    DisplayState& state = State();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.contexts.erase(context) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    std::free(context);
    return TRUE;
}

int GetDeviceCaps(HDC dc, int index) {
    DeviceContext* context = reinterpret_cast<DeviceContext*>(dc);
    int display;
    {
        DisplayState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.contexts.count(context) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        display = context->display;
    }
    if (index != HORZSIZE && index != VERTSIZE)
        return 0;
    SDL_Rect bounds;
    float diagonal = 0, horizontal = 0, vertical = 0;
    if (SDL_GetDisplayBounds(display, &bounds) != 0 ||
        SDL_GetDisplayDPI(display, &diagonal, &horizontal, &vertical) != 0)
        return 0;
    const float pixels = index == HORZSIZE ? static_cast<float>(bounds.w) : static_cast<float>(bounds.h);
    const float dpi = index == HORZSIZE ? horizontal : vertical;
    if (!(dpi > 0))
        return 0;
    return static_cast<int>(std::lround(pixels / dpi * 25.4f));
}
