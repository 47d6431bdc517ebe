#include "Common/VirtualInputDevice.h"

#include <algorithm>
#include <map>

#include "Common/Application.h"
#include "Common/CoreUtils.h"
#include "Common/InputSystem.h"
#include "Common/MathUtils.h"
#include "LumoSources/Common/GameRenderWindow.h"
#include "LumoSources/Common/LumoCommon.h"

namespace Zep {

namespace {

// The virtual device's reports keep the input device source's name and lines.
const char kSource[] = "Common\\InputDevice.cpp";

const char kVirtualDeviceType[] = "VIRTUAL";

// Platform kinds of GetCurrentPlatform.
const int kPlatformWin32 = 1;
const int kPlatformMacOsX = 2;
const int kPlatformWii = 4;
const int kPlatformIPhone = 8;

// Which player indices have a live virtual device.
bool livePlayers[4] = {false, false, false, false};

}  // namespace

VirtualInputDevice::VirtualInputDevice(int32_t playerIndex, InputSystem* inputSystem_)
    : InputDevice(kVirtualDeviceType, playerIndex), inputSystem(inputSystem_) {
    // A negative index is refused as well: it would fall outside the table.
    if (playerIndex < 0 || playerIndex > 3 || livePlayers[playerIndex])
        AssertionFailed(kSource, 266);
    livePlayers[playerIndex] = true;

    AddAxis("X", 0.0f, 0.0f, 0.0f);
    AddAxis("Y", 0.0f, 0.0f, 0.0f);
    AddButton("BUTTON_A");
    AddButton("BUTTON_B");
    AddButton("OK");
    AddButton("CANCEL");
    AddButton("NEXT");
    AddButton("PREVIOUS");
    AddButton("INCREASE");
    AddButton("DECREASE");
    SetupStandardBindings();
}

VirtualInputDevice::~VirtualInputDevice() {
    livePlayers[GetDeviceIndex()] = false;
}

void VirtualInputDevice::Bind(const std::string& virtualComponent, const std::string& deviceType,
                              const std::string& component) {
    // Nothing checks the physical side: the device may be plugged in later.
    const InputComponent* target = GetComponent(virtualComponent);
    int32_t kind;
    if (dynamic_cast<const InputButton*>(target))
        kind = VirtualInputBinding::BUTTON;
    else if (dynamic_cast<const InputAxis*>(target))
        kind = VirtualInputBinding::AXIS;
    else
        Panic(kSource, 314, "Zep::VirtualInputDevice.Bind(): unrecognized input component type");
    bindings.push_back(VirtualInputBinding{kind, virtualComponent, deviceType, component});
}

void VirtualInputDevice::SetupStandardBindings() {
    switch (GetCurrentPlatform()) {
        case kPlatformWin32:
        case kPlatformMacOsX:
            Bind("X", "MOUSE", "X");
            Bind("Y", "MOUSE", "Y");
            Bind("BUTTON_A", "MOUSE", "LEFT_BUTTON");
            Bind("BUTTON_B", "MOUSE", "RIGHT_BUTTON");
            Bind("INCREASE", "MOUSE", "WHEEL_UP");
            Bind("DECREASE", "MOUSE", "WHEEL_DOWN");
            break;
        case kPlatformWii:
            Bind("X", "WII_REMOTE", "X");
            Bind("Y", "WII_REMOTE", "Y");
            Bind("BUTTON_A", "WII_REMOTE", "BUTTON_A");
            Bind("BUTTON_B", "WII_REMOTE", "BUTTON_B");
            break;
        case kPlatformIPhone:
            Bind("X", "FINGER", "X");
            Bind("Y", "FINGER", "Y");
            Bind("BUTTON_A", "FINGER", "TOUCH");
            break;
        default:
            break;
    }
}

InputDevice* VirtualInputDevice::GetAssociatedDevice(const std::string& deviceType) const {
    return inputSystem->FindDevice(deviceType, GetDeviceIndex());
}

bool VirtualInputDevice::IsPlugged() const {
    switch (GetCurrentPlatform()) {
        case kPlatformWin32:
        case kPlatformMacOsX:
            return GetAssociatedDevice("MOUSE") != nullptr;
        case kPlatformWii:
            return GetAssociatedDevice("WII_REMOTE") != nullptr;
        case kPlatformIPhone:
            return GetAssociatedDevice("FINGER") != nullptr;
        default:
            return false;
    }
}

Vector2 VirtualInputDevice::GetCursorPos() const {
    const Aabb2& extent = Application::GetInstance()->GetWindowVirtualExtent();
    GameRenderWindow* window = Lumo::InstanceHolder<GameRenderWindow>::Get();
    const float windowWidth = static_cast<float>(window->GetWidth());
    const float windowHeight = static_cast<float>(window->GetHeight());
    return Vector2(GetAxisValue("X") * (extent.GetWidth() / windowWidth) + extent.mins.x,
                   GetAxisValue("Y") * (extent.GetHeight() / windowHeight) + extent.mins.y);
}

VirtualInputDevice* VirtualInputDevice::Get(int32_t index) {
    if (index < 0 || index > 3)
        AssertionFailed(kSource, 345);
    return InputSystem::GetInstance()->GetVirtualDevice(index);
}

void VirtualInputDevice::Update(bool collectEvents) {
    ClearEvents();
    // A disabled device keeps the states it last had.
    if (!IsEnabled())
        return;

    // The bound devices that are registered, each once, and per virtual component
    // the binding that feeds it: a later binding of a component replaces an earlier one.
    struct Source {
        InputDevice* device;
        const VirtualInputBinding* binding;
    };
    std::vector<InputDevice*> devices;
    std::map<std::string, Source> sources;
    for (const VirtualInputBinding& binding : bindings) {
        InputDevice* device = inputSystem->FindDevice(binding.deviceType, GetDeviceIndex());
        if (!device)
            continue;
        if (std::find(devices.begin(), devices.end(), device) == devices.end())
            devices.push_back(device);
        sources[binding.virtualComponent] = Source{device, &binding};
    }

    // Mirror the states in component name order.
    for (const auto& entry : sources) {
        const VirtualInputBinding& binding = *entry.second.binding;
        const InputDevice& device = *entry.second.device;
        if (binding.kind == VirtualInputBinding::AXIS) {
            InputAxis* axis = GetAxis(entry.first);
            if (!axis)
                AssertionFailed(kSource, 164);
            const float reading = device.GetAxisValue(binding.component);
            const Vector2 range = device.GetAxisRange(binding.component);
            axis->SetRawValue(reading);
            axis->SetRange(range.x, range.y);
        } else {
            const bool pressed = device.IsButtonPressed(binding.component);
            InputButton* button = GetButton(entry.first);
            if (!button)
                AssertionFailed(kSource, 187);
            button->SetState(pressed);
        }
    }

    if (!collectEvents)
        return;
    // Every matching binding re-issues the event, duplicates included; the payload
    // stays the physical one (an axis event carries no virtual offset).
    for (const InputDevice* device : devices) {
        for (const InputEvent& event : device->GetEvents()) {
            if (event.deviceIndex != GetDeviceIndex())
                AssertionFailed(kSource, 543);
            for (const VirtualInputBinding& binding : bindings) {
                if (binding.deviceType != event.deviceType || binding.component != event.componentId)
                    continue;
                InputEvent reissued(event);
                reissued.deviceType = kVirtualDeviceType;
                reissued.componentId = binding.virtualComponent;
                AddEvent(reissued);
            }
        }
    }
}

}  // namespace Zep
