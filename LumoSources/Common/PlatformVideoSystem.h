// The video system: the machine's display devices (monitors) and their modes.
#pragma once

#include <cstdint>
#include <vector>

class VideoDevice;

class PlatformVideoSystem {
public:
    PlatformVideoSystem() {}
    // Deletes the devices.
    virtual ~PlatformVideoSystem();

    PlatformVideoSystem(const PlatformVideoSystem&) = delete;
    PlatformVideoSystem& operator=(const PlatformVideoSystem&) = delete;

    // Finds the display devices.
    virtual void Initialize() = 0;
    virtual void Shutdown() = 0;

    int32_t GetDeviceCount() const { return static_cast<int32_t>(devices.size()); }
    // Null outside the list.
    VideoDevice* GetDevice(int32_t index) const {
        return index >= 0 && index < GetDeviceCount() ? devices[index] : nullptr;
    }

protected:
    std::vector<VideoDevice*> devices;
};
