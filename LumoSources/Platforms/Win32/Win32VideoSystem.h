// The video system over the Win32 display functions: one device per monitor, the modes
// its display settings list.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

#include "LumoSources/Common/PlatformVideoSystem.h"
#include "LumoSources/Common/VideoDevice.h"

class Win32VideoMode : public VideoMode {
public:
    // deviceName is the owning device's and must outlive the mode.
    Win32VideoMode(const char* deviceName, const DEVMODEA& settings, float pixelAspect);

    // A temporary switch of the device's display to the mode.
    void Apply() override;
    const DEVMODEA& GetSettings() const { return settings; }

private:
    const char* deviceName;
    DEVMODEA settings;
};

class Win32VideoDevice : public VideoDevice {
public:
    // Lists the modes of more than 14 bits per pixel, in the order the system gives them;
    // the one equal to the current settings becomes current. physicalAspect is the
    // screen's width-to-height ratio in millimetres, 0 when unknown.
    Win32VideoDevice(const std::string& name, HMONITOR monitor, float physicalAspect);

    // Back to the registry settings, and the mode that matches them made current.
    void RestoreDesktop() override;

    const std::string& GetName() const { return name; }
    HMONITOR GetMonitor() const { return monitor; }

private:
    std::string name;
    HMONITOR monitor;
};

class Win32VideoSystem : public PlatformVideoSystem {
public:
    // One device for every monitor, in the system's order.
    void Initialize() override;
    void Shutdown() override {}

    // The index of the first device of the monitor; none is a failed assertion, then -1.
    int32_t FindDeviceByMonitor(HMONITOR monitor) const;
};
