#include "Common/InputSystem.h"

#include "Common/CoreUtils.h"
#include "Common/InputDevice.h"
#include "Common/VirtualInputDevice.h"

namespace Zep {

namespace {

const char kSource[] = "Common\\InputSystem.cpp";

}  // namespace

InputSystem::InputSystem() : virtualDevices(), deviceListChanged(false) {}

InputSystem::~InputSystem() {
    for (VirtualInputDevice*& device : virtualDevices) {
        delete device;
        device = nullptr;
    }
    for (InputDevice* device : devices)
        delete device;
    devices.clear();
}

void InputSystem::CreateVirtualDevices() {
    for (int32_t index = 0; index < 4; ++index)
        virtualDevices[index] = new VirtualInputDevice(index, this);
    for (VirtualInputDevice* device : virtualDevices) {
        if (device->IsPlugged()) {
            device->SetEnabled(true);
            return;
        }
    }
    virtualDevices[0]->SetEnabled(true);
}

void InputSystem::AddDevice(InputDevice* device) {
    ZEP_ASSERT(device);
    if (FindDevice(device->GetDeviceType(), device->GetDeviceIndex()))
        Panic(kSource, 72,
              "Zep::InputSystem.AddDevice(): physical device of this type and with this index is already registered");
    device->SetEnabled(GetDeviceInputStatus(device->GetDeviceType()));
    devices.push_back(device);
}

InputDevice* InputSystem::FindDevice(const std::string& type, int32_t index) const {
    for (InputDevice* device : devices) {
        if (device->GetDeviceIndex() == index && device->GetDeviceType() == type)
            return device;
    }
    return nullptr;
}

VirtualInputDevice* InputSystem::GetVirtualDevice(int32_t index) const {
    if (index < 0 || index > 3)
        AssertionFailed(kSource, 164);
    if (!virtualDevices[index])
        AssertionFailed(kSource, 165);
    return virtualDevices[index];
}

bool InputSystem::IsDeviceOfTypePlugged(const std::string& type) const {
    for (const InputDevice* device : devices) {
        if (device->GetDeviceType() == type)
            return true;
    }
    return false;
}

void InputSystem::SetDeviceInputStatus(const std::string& type, bool enabled) {
    if (type.empty())
        AssertionFailed(kSource, 219);
    inputStatus[type] = enabled;
    for (InputDevice* device : devices) {
        if (device->GetDeviceType() == type)
            device->SetEnabled(enabled);
    }
}

bool InputSystem::GetDeviceInputStatus(const std::string& type) const {
    if (type.empty())
        AssertionFailed(kSource, 155);
    auto found = inputStatus.find(type);
    return found != inputStatus.end() && found->second;
}

int32_t InputSystem::GetActivePlayerCount() const {
    int32_t count = 0;
    for (const VirtualInputDevice* device : virtualDevices) {
        if (device && device->IsPluggedAndEnabled())
            ++count;
    }
    return count;
}

void InputSystem::Update(bool collectEvents) {
    events.clear();
    for (InputDevice* device : devices) {
        if (!device)
            AssertionFailed(kSource, 196);
        device->Update(collectEvents);
        const std::vector<InputEvent>& deviceEvents = device->GetEvents();
        events.insert(events.end(), deviceEvents.begin(), deviceEvents.end());
    }
    for (VirtualInputDevice* device : virtualDevices) {
        if (!device)
            AssertionFailed(kSource, 207);
        device->Update(collectEvents);
        const std::vector<InputEvent>& deviceEvents = device->GetEvents();
        events.insert(events.end(), deviceEvents.begin(), deviceEvents.end());
    }
}

}  // namespace Zep
