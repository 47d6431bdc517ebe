#include "Common/InputEvent.h"

#include <cstring>

#include "Common/CoreUtils.h"
#include "Common/InputSystem.h"

namespace Zep {

namespace {

const char kVirtualDeviceType[] = "VIRTUAL";

}  // namespace

InputEvent::InputEvent() : type(INPUT_UNKNOWN), deviceIndex(0), payload() {}

InputEvent::InputEvent(int32_t type_, const std::string& deviceType_, int32_t deviceIndex_,
                       const std::string& componentId_)
    : type(type_), deviceType(deviceType_), deviceIndex(deviceIndex_), componentId(componentId_), payload() {}

bool InputEvent::IsButtonDown(const std::string& device, const std::string& component) const {
    return type == INPUT_BUTTON_DOWN && deviceType == device && componentId == component;
}

bool InputEvent::IsButtonUp(const std::string& device, const std::string& component) const {
    return type == INPUT_BUTTON_UP && deviceType == device && componentId == component;
}

bool InputEvent::IsButtonRepeat(const std::string& device, const std::string& component) const {
    return type == INPUT_BUTTON_REPEAT && deviceType == device && componentId == component;
}

bool InputEvent::IsButtonDownOrRepeat(const std::string& device, const std::string& component) const {
    return (type == INPUT_BUTTON_DOWN || type == INPUT_BUTTON_REPEAT) && deviceType == device &&
           componentId == component;
}

bool InputEvent::IsCharacter(const std::string& device) const {
    return type == INPUT_CHARACTER && deviceType == device;
}

bool InputEvent::IsAxisChange(const std::string& device, const std::string& component) const {
    return type == INPUT_AXIS_CHANGE && deviceType == device && componentId == component;
}

bool InputEvent::IsAnyOf2AxesChange(const std::string& device, const std::string& c1, const std::string& c2) const {
    return type == INPUT_AXIS_CHANGE && deviceType == device && (componentId == c1 || componentId == c2);
}

bool InputEvent::IsAnyOf3AxesChange(const std::string& device, const std::string& c1, const std::string& c2,
                                    const std::string& c3) const {
    return type == INPUT_AXIS_CHANGE && deviceType == device &&
           (componentId == c1 || componentId == c2 || componentId == c3);
}

bool InputEvent::IsVirtualButtonDown(const std::string& component) const {
    return IsButtonDown(kVirtualDeviceType, component);
}

bool InputEvent::IsVirtualButtonUp(const std::string& component) const {
    return IsButtonUp(kVirtualDeviceType, component);
}

bool InputEvent::IsVirtualButtonRepeat(const std::string& component) const {
    return IsButtonRepeat(kVirtualDeviceType, component);
}

bool InputEvent::IsVirtualButtonDownOrRepeat(const std::string& component) const {
    return IsButtonDownOrRepeat(kVirtualDeviceType, component);
}

bool InputEvent::IsVirtualAxisChange(const std::string& component) const {
    return IsAxisChange(kVirtualDeviceType, component);
}

bool InputEvent::IsVirtualAnyOf2AxesChange(const std::string& c1, const std::string& c2) const {
    return IsAnyOf2AxesChange(kVirtualDeviceType, c1, c2);
}

bool InputEvent::IsVirtualAnyOf3AxesChange(const std::string& c1, const std::string& c2, const std::string& c3) const {
    return IsAnyOf3AxesChange(kVirtualDeviceType, c1, c2, c3);
}

float InputEvent::GetAxisValue() const {
    if (type != INPUT_AXIS_CHANGE)
        return 0.0f;
    float value;
    std::memcpy(&value, payload, sizeof(value));
    return value;
}

void InputEvent::SetAxisValue(float value) {
    std::memcpy(payload, &value, sizeof(value));
}

int8_t InputEvent::GetCharacter() const {
    if (type != INPUT_CHARACTER)
        return 0;
    return static_cast<int8_t>(payload[0]);
}

void InputEvent::SetCharacter(int8_t character) {
    payload[0] = static_cast<unsigned char>(character);
}

InputDevice* InputEvent::GetDevice() const {
    InputDevice* device = InputSystem::GetInstance()->FindDevice(deviceType, deviceIndex);
    if (!device)
        AssertionFailed("Common\\InputEvent.cpp", 66);
    return device;
}

VirtualInputDevice* InputEvent::GetVirtualDevice() const {
    if (deviceType != kVirtualDeviceType)
        return nullptr;
    return InputSystem::GetInstance()->GetVirtualDevice(deviceIndex);
}

}  // namespace Zep
