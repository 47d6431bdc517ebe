#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include "TestHooks.h"
#include "UserInternal.h"
#include "win32_errors.h"

using PlatformInternal::LookUpWindow;
using PlatformInternal::SystemAllocator;
using PlatformInternal::Window;

namespace {

// A cursor of the layer. Drivers without cursors (offscreen, dummy) give no SDL
// cursor; the handle still works, as the engine needs one.
struct Cursor {
    SDL_Cursor* sdl = nullptr;
    int width = 0;
    int height = 0;
    POINT hotspot = {0, 0};
    bool shared = false;  // system cursors are never destroyed
};

struct Bitmap {
    SDL_Surface* surface = nullptr;
};

struct CursorState {
    std::mutex lock;
    std::set<Cursor*, std::less<Cursor*>, SystemAllocator<Cursor*>> cursors;
    std::set<Bitmap*, std::less<Bitmap*>, SystemAllocator<Bitmap*>> bitmaps;
    Cursor* arrow = nullptr;
    HWND grabbed = nullptr;
    // The rectangle of the last ClipCursor, for the test hook; it stays in force until
    // ClipCursor(NULL), whether or not a window could grab the mouse.
    bool clipped = false;
    RECT clip = {0, 0, 0, 0};
    bool failRawInput = false;
};

CursorState& State() {
    static CursorState* state = PlatformInternal::NewSystemObject<CursorState>();
    return *state;
}

HCURSOR AddCursor(SDL_Cursor* sdl, int width, int height, POINT hotspot, bool shared) {
    Cursor* cursor = PlatformInternal::NewSystemObject<Cursor>();
    cursor->sdl = sdl;
    cursor->width = width;
    cursor->height = height;
    cursor->hotspot = hotspot;
    cursor->shared = shared;
    CursorState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.cursors.insert(cursor);
    return reinterpret_cast<HCURSOR>(cursor);
}

void FreeCursor(Cursor* cursor) {
    if (cursor->sdl)
        SDL_FreeCursor(cursor->sdl);
    cursor->~Cursor();
    PlatformInternal::SystemAllocator<Cursor>().deallocate(cursor, 1);
}

// SDL refuses a hotspot outside the image; Windows does not.
int ClampHotspot(int value, int size) {
    return std::min(std::max(value, 0), std::max(size - 1, 0));
}

void ShowClassCursor(HCURSOR handle) {
    CursorState& state = State();
    SDL_Cursor* sdl = nullptr;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        Cursor* cursor = reinterpret_cast<Cursor*>(handle);
        if (state.cursors.count(cursor))
            sdl = cursor->sdl;
    }
    SDL_SetCursor(sdl ? sdl : SDL_GetDefaultCursor());
}

}  // namespace

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track) {
    if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::shared_ptr<Window> window = LookUpWindow(track->hwndTrack);
    if (!window)
        return FALSE;
    if (track->dwFlags & TME_LEAVE)
        window->leaveTracked = (track->dwFlags & TME_CANCEL) == 0;
    return TRUE;
}

BOOL RegisterRawInputDevices(PCRAWINPUTDEVICE, UINT, UINT) {
    CursorState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.failRawInput ? FALSE : TRUE;
}

BOOL GetCursorPos(LPPOINT point) {
    if (!point) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (PlatformInternal::StartVideo() && PlatformInternal::DriverHasGlobalMouse()) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        *point = POINT{x, y};
        return TRUE;
    }
    *point = PlatformInternal::Input().cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    if (PlatformInternal::StartVideo() && PlatformInternal::DriverHasGlobalMouse())
        SDL_WarpMouseGlobal(x, y);
    PlatformInternal::Input().cursor = POINT{x, y};
    return TRUE;
}

BOOL ClipCursor(const RECT* rect) {
    if (!PlatformInternal::StartVideo())
        return FALSE;
    CursorState& state = State();
    HWND previous;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        previous = state.grabbed;
        state.grabbed = nullptr;
        state.clipped = rect != nullptr;
        state.clip = rect ? *rect : RECT{0, 0, 0, 0};
    }
    if (const std::shared_ptr<Window> window = previous ? LookUpWindow(previous) : nullptr)
        SDL_SetWindowMouseGrab(window->sdl, SDL_FALSE);
    if (!rect)
        return TRUE;
    // The rectangle is always the client area of the window that has the mouse.
    const std::shared_ptr<Window> window = PlatformInternal::DefaultInputWindow();
    if (window) {
        SDL_SetWindowMouseGrab(window->sdl, SDL_TRUE);
        std::lock_guard<std::mutex> guard(state.lock);
        state.grabbed = window->handle;
    }
    return TRUE;
}

HCURSOR CreateCursor(HINSTANCE, int hotX, int hotY, int width, int height, const void* andPlane, const void* xorPlane) {
    if (width <= 0 || height <= 0 || width % 8 != 0 || !andPlane || !xorPlane) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    PlatformInternal::StartVideo();
    // The planes are monochrome bitmaps, rows padded to 16 bits. Windows screen AND 1 / XOR 0
    // (transparent), 0/0 (black), 0/1 (white), 1/1 (inverted) become SDL's mask 0 / data 0,
    // 1/1, 1/0 and 0/1: mask = NOT AND, data = NOT (AND XOR XOR).
    const int sourcePitch = (width + 15) / 16 * 2;
    const int pitch = width / 8;
    const BYTE* andBits = static_cast<const BYTE*>(andPlane);
    const BYTE* xorBits = static_cast<const BYTE*>(xorPlane);
    std::vector<Uint8> data(static_cast<size_t>(pitch * height));
    std::vector<Uint8> mask(data.size());
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < pitch; ++column) {
            const BYTE a = andBits[row * sourcePitch + column];
            const BYTE x = xorBits[row * sourcePitch + column];
            mask[row * pitch + column] = static_cast<Uint8>(~a);
            data[row * pitch + column] = static_cast<Uint8>(~(a ^ x));
        }
    }
    SDL_Cursor* sdl = SDL_CreateCursor(data.data(), mask.data(), width, height, ClampHotspot(hotX, width),
                                       ClampHotspot(hotY, height));
    return AddCursor(sdl, width, height, POINT{hotX, hotY}, false);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (width <= 0 || height <= 0 || planes != 1 || bitsPerPixel != 32) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // Rows of 0xAARRGGBB values, which is SDL's ARGB8888 in memory.
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int row = 0; row < height; ++row) {
        Uint8* target = static_cast<Uint8*>(surface->pixels) + static_cast<size_t>(row) * surface->pitch;
        if (bits)
            std::memcpy(target, static_cast<const BYTE*>(bits) + row * rowBytes, rowBytes);
        else
            std::memset(target, 0, rowBytes);
    }
    Bitmap* bitmap = PlatformInternal::NewSystemObject<Bitmap>();
    bitmap->surface = surface;
    CursorState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.bitmaps.insert(bitmap);
    return reinterpret_cast<HBITMAP>(bitmap);
}

BOOL DeleteObject(HGDIOBJ object) {
    Bitmap* bitmap = static_cast<Bitmap*>(object);
    {
        CursorState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.bitmaps.erase(bitmap) == 0)
            return FALSE;
    }
    SDL_FreeSurface(bitmap->surface);
    bitmap->~Bitmap();
    SystemAllocator<Bitmap>().deallocate(bitmap, 1);
    return TRUE;
}

HICON CreateIconIndirect(PICONINFO info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    PlatformInternal::StartVideo();
    SDL_Surface* surface = nullptr;
    {
        CursorState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        Bitmap* color = reinterpret_cast<Bitmap*>(info->hbmColor);
        if (state.bitmaps.count(color))
            surface = color->surface;
    }
    if (!surface) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Icons have their hotspot in the middle.
    const POINT hotspot = info->fIcon ? POINT{surface->w / 2, surface->h / 2}
                                      : POINT{static_cast<LONG>(info->xHotspot), static_cast<LONG>(info->yHotspot)};
    // SDL copies the pixels, as Windows copies the bitmaps.
    SDL_Cursor* sdl =
        SDL_CreateColorCursor(surface, ClampHotspot(hotspot.x, surface->w), ClampHotspot(hotspot.y, surface->h));
    return AddCursor(sdl, surface->w, surface->h, hotspot, false);
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (instance || name != IDC_ARROW) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    PlatformInternal::StartVideo();
    CursorState& state = State();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.arrow)
            return reinterpret_cast<HCURSOR>(state.arrow);
    }
    const HCURSOR arrow = AddCursor(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW), 32, 32, POINT{0, 0}, true);
    std::lock_guard<std::mutex> guard(state.lock);
    state.arrow = reinterpret_cast<Cursor*>(arrow);
    return arrow;
}

HICON LoadIconA(HINSTANCE, LPCSTR) {
    return nullptr;
}

BOOL DestroyCursor(HCURSOR handle) {
    Cursor* cursor = reinterpret_cast<Cursor*>(handle);
    {
        CursorState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.cursors.count(cursor) == 0) {
            SetLastError(ERROR_INVALID_CURSOR_HANDLE);
            return FALSE;
        }
        if (cursor->shared)
            return TRUE;
        state.cursors.erase(cursor);
    }
    FreeCursor(cursor);
    return TRUE;
}

ULONG_PTR SetClassLongA(HWND handle, int index, LONG_PTR value) {
    const std::shared_ptr<Window> window = LookUpWindow(handle);
    if (!window)
        return 0;
    if (index != GCL_HCURSOR) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    const HCURSOR previous = window->windowClass->cursor;
    window->windowClass->cursor = reinterpret_cast<HCURSOR>(value);
    ShowClassCursor(window->windowClass->cursor);
    return reinterpret_cast<ULONG_PTR>(previous);
}

namespace PlatformTest {

BOOL GetCursorClip(RECT* clip) {
    CursorState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (clip)
        *clip = state.clip;
    return state.clipped ? TRUE : FALSE;
}

void FailRegisterRawInput(bool fail) {
    CursorState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.failRawInput = fail;
}

BOOL GetCursorImage(HCURSOR handle, int* width, int* height, POINT* hotspot) {
    const Cursor* cursor = reinterpret_cast<const Cursor*>(handle);
    CursorState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.cursors.count(const_cast<Cursor*>(cursor)) == 0)
        return FALSE;
    if (width)
        *width = cursor->width;
    if (height)
        *height = cursor->height;
    if (hotspot)
        *hotspot = cursor->hotspot;
    return TRUE;
}

}  // namespace PlatformTest
