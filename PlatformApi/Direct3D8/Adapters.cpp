#include "Adapters.h"

#include <atomic>

#include "TestHooks.h"
#include "UserInternal.h"

namespace D3D8Internal {

namespace {

std::atomic<D3DFORMAT> displayFormatOverride{D3DFMT_UNKNOWN};

D3DFORMAT FormatOfBits(DWORD bitsPerPixel) {
    switch (bitsPerPixel) {
        case 8:
            return D3DFMT_P8;
        case 15:
            return D3DFMT_X1R5G5B5;
        case 16:
            return D3DFMT_R5G6B5;
        case 24:
            return D3DFMT_R8G8B8;
        default:
            return D3DFMT_X8R8G8B8;
    }
}

}  // namespace

UINT AdapterCount() {
    if (!PlatformInternal::StartVideo())
        return 0;
    const int count = SDL_GetNumVideoDisplays();
    return count > 0 ? static_cast<UINT>(count) : 0;
}

bool AdapterDisplayMode(UINT adapter, D3DDISPLAYMODE& mode) {
    if (adapter >= AdapterCount())
        return false;
    MONITORINFOEXA info = {};
    info.cbSize = sizeof(info);
    DEVMODEA current = {};
    current.dmSize = sizeof(current);
    const HMONITOR monitor = reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(adapter) + 1);
    if (!GetMonitorInfoA(monitor, &info) || !EnumDisplaySettingsA(info.szDevice, ENUM_CURRENT_SETTINGS, &current))
        return false;
    mode.Width = current.dmPelsWidth;
    mode.Height = current.dmPelsHeight;
    mode.RefreshRate = current.dmDisplayFrequency;
    const D3DFORMAT forced = displayFormatOverride.load();
    mode.Format = forced != D3DFMT_UNKNOWN ? forced : FormatOfBits(current.dmBitsPerPel);
    return true;
}

UINT AdapterOfWindow(HWND window) {
    const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    const uintptr_t index = reinterpret_cast<uintptr_t>(monitor);
    return index > 0 ? static_cast<UINT>(index - 1) : 0;
}

}  // namespace D3D8Internal

void PlatformTest::SetAdapterDisplayFormat(D3DFORMAT format) {
    D3D8Internal::displayFormatOverride = format;
}
