#include "LumoSources/Platforms/Win32/Win32VideoSystem.h"

#include "Common/CoreUtils.h"
#include "Common/StringUtils.h"

namespace {

// Reports whose place callers know.
const char* const kSourceName = "LumoSources\\Platforms\\Win32\\Win32VideoSystem.cpp";

bool SameSettings(const DEVMODEA& a, const DEVMODEA& b) {
    return a.dmBitsPerPel == b.dmBitsPerPel && a.dmPelsHeight == b.dmPelsHeight && a.dmPelsWidth == b.dmPelsWidth &&
           a.dmDisplayFrequency == b.dmDisplayFrequency;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* devices = reinterpret_cast<std::vector<VideoDevice*>*>(data);
    MONITORINFOEXA info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info))
        return TRUE;
    // The screen's size in millimetres gives the shape of its pixels.
    float physicalAspect = 0.0f;
    if (HDC dc = CreateDCA(nullptr, info.szDevice, nullptr, nullptr)) {
        const int width = GetDeviceCaps(dc, HORZSIZE), height = GetDeviceCaps(dc, VERTSIZE);
        if (width > 0 && height > 0)
            physicalAspect = static_cast<float>(width) / static_cast<float>(height);
        DeleteDC(dc);
    }
    devices->push_back(new Win32VideoDevice(info.szDevice, monitor, physicalAspect));
    Zep::LogInfo(Zep::Sprintf("Found video device %s\n", info.szDevice));
    return TRUE;
}

}  // namespace

Win32VideoMode::Win32VideoMode(const char* deviceName, const DEVMODEA& settings, float pixelAspect)
    : VideoMode(static_cast<int32_t>(settings.dmPelsWidth), static_cast<int32_t>(settings.dmPelsHeight),
                static_cast<int32_t>(settings.dmBitsPerPel), static_cast<int32_t>(settings.dmDisplayFrequency),
                pixelAspect),
      deviceName(deviceName),
      settings(settings) {}

void Win32VideoMode::Apply() {
    ChangeDisplaySettingsExA(deviceName, &settings, nullptr, CDS_FULLSCREEN, nullptr);
}

Win32VideoDevice::Win32VideoDevice(const std::string& name, HMONITOR monitor, float physicalAspect)
    : name(name), monitor(monitor) {
    DEVMODEA current = {};
    current.dmSize = sizeof(current);
    EnumDisplaySettingsA(this->name.c_str(), ENUM_CURRENT_SETTINGS, &current);
    DEVMODEA settings = {};
    settings.dmSize = sizeof(settings);
    for (DWORD number = 0; EnumDisplaySettingsA(this->name.c_str(), number, &settings); ++number) {
        if (settings.dmBitsPerPel <= 14)
            continue;
        float pixelAspect = 1.0f;
        if (physicalAspect > 0.0f && settings.dmPelsHeight > 0) {
            pixelAspect =
                physicalAspect / (static_cast<float>(settings.dmPelsWidth) / static_cast<float>(settings.dmPelsHeight));
        }
        if (SameSettings(settings, current))
            currentMode = static_cast<int32_t>(modes.size());
        AddMode(new Win32VideoMode(this->name.c_str(), settings, pixelAspect));
    }
}

void Win32VideoDevice::RestoreDesktop() {
    ChangeDisplaySettingsExA(name.c_str(), nullptr, nullptr, 0, nullptr);
    DEVMODEA current = {};
    current.dmSize = sizeof(current);
    EnumDisplaySettingsA(name.c_str(), ENUM_CURRENT_SETTINGS, &current);
    SetVideoMode(
        FindVideoMode(static_cast<int32_t>(current.dmPelsWidth), static_cast<int32_t>(current.dmPelsHeight),
                      static_cast<int32_t>(current.dmBitsPerPel), static_cast<int32_t>(current.dmDisplayFrequency)),
        false);
}

void Win32VideoSystem::Initialize() {
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&devices));
}

int32_t Win32VideoSystem::FindDeviceByMonitor(HMONITOR monitor) const {
    for (size_t i = 0; i < devices.size(); ++i) {
        if (static_cast<Win32VideoDevice*>(devices[i])->GetMonitor() == monitor)
            return static_cast<int32_t>(i);
    }
    Zep::AssertionFailed(kSourceName, 68,
                         "Could not find device for the given hMonitor, this technically should not happen");
    return -1;
}
