// The input system: owns the physical devices and the four virtual ones, updates
// them once per frame (physical devices first) and gathers their events.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Common/InputEvent.h"

namespace Zep {

class InputDevice;
class VirtualInputDevice;

class InputSystem {
public:
    static InputSystem* GetInstance();

    // Physical devices in order of addition, then virtual devices 0 to 3; the
    // frame's events are all of theirs in that order.
    virtual void Update(bool collectEvents);
    virtual ~InputSystem();

    InputSystem(const InputSystem&) = delete;
    InputSystem& operator=(const InputSystem&) = delete;

    // Takes ownership of a physical device, which gets the recorded input status
    // of its type. A type and index may be registered once; a refused device
    // stays the caller's.
    void AddDevice(InputDevice* device);
    // The physical device of that type and index, or null; virtual devices are not searched.
    InputDevice* FindDevice(const std::string& type, int32_t index) const;
    VirtualInputDevice* GetVirtualDevice(int32_t index) const;
    bool IsDeviceOfTypePlugged(const std::string& type) const;
    // Records the status of a device type and applies it to its physical devices.
    void SetDeviceInputStatus(const std::string& type, bool enabled);
    // False for a type without a recorded status.
    bool GetDeviceInputStatus(const std::string& type) const;
    // The number of virtual devices that are plugged and enabled.
    int32_t GetActivePlayerCount() const;

    const std::vector<InputEvent>& GetEvents() const { return events; }
    bool IsDeviceListChanged() const { return deviceListChanged; }

protected:
    InputSystem();

    // Creates the virtual devices 0 to 3 and enables the first plugged one, or
    // device 0 when none is plugged.
    void CreateVirtualDevices();
    void SetDeviceListChanged(bool changed) { deviceListChanged = changed; }
    // In order of addition.
    const std::vector<InputDevice*>& GetPhysicalDevices() const { return devices; }

private:
    std::vector<InputDevice*> devices;
    VirtualInputDevice* virtualDevices[4];
    std::map<std::string, bool> inputStatus;
    bool deviceListChanged;
    std::vector<InputEvent> events;
};

}  // namespace Zep
