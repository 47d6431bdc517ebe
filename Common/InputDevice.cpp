#include "Common/InputDevice.h"

#include <cmath>

#include "Common/CoreUtils.h"
#include "Common/StringUtils.h"

namespace Zep {

namespace {

const char kSource[] = "Common\\InputDevice.cpp";
const int kAxisCheckLine = 164;
const int kButtonCheckLine = 187;

}  // namespace

InputDevice::InputDevice(const std::string& deviceType_, int32_t deviceIndex_)
    : deviceType(deviceType_), deviceIndex(deviceIndex_), enabled(false) {}

InputDevice::~InputDevice() {}

InputComponent* InputDevice::GetComponent(const std::string& name) const {
    auto found = components.find(name);
    return found == components.end() ? nullptr : found->second.get();
}

InputButton* InputDevice::GetButton(const std::string& name) const {
    return dynamic_cast<InputButton*>(GetComponent(name));
}

InputAxis* InputDevice::GetAxis(const std::string& name) const {
    return dynamic_cast<InputAxis*>(GetComponent(name));
}

bool InputDevice::IsButtonPressed(const std::string& name) const {
    const InputButton* button = GetButton(name);
    if (!button)
        AssertionFailed(kSource, kButtonCheckLine);
    return button->pressed;
}

const InputAxis& InputDevice::CheckedAxis(const std::string& name) const {
    const InputAxis* axis = GetAxis(name);
    if (!axis)
        AssertionFailed(kSource, kAxisCheckLine);
    return *axis;
}

float InputDevice::GetAxisValue(const std::string& name) const {
    return CheckedAxis(name).value;
}

float InputDevice::GetAxisRangeMin(const std::string& name) const {
    return CheckedAxis(name).rangeMin;
}

float InputDevice::GetAxisRangeMax(const std::string& name) const {
    return CheckedAxis(name).rangeMax;
}

Vector2 InputDevice::GetAxisRange(const std::string& name) const {
    const InputAxis& axis = CheckedAxis(name);
    return Vector2(axis.rangeMin, axis.rangeMax);
}

InputAxis* InputDevice::AddAxis(const std::string& name, float initialValue, float rangeMin, float rangeMax) {
    if (name.empty())
        AssertionFailed(kSource, 58);
    InputAxis* axis = new InputAxis(name, initialValue, rangeMin, rangeMax);
    AddComponent(axis);
    return axis;
}

InputButton* InputDevice::AddButton(const std::string& name) {
    if (name.empty())
        AssertionFailed(kSource, 66);
    InputButton* button = new InputButton(name);
    AddComponent(button);
    return button;
}

void InputDevice::AddComponent(InputComponent* component) {
    // Owned from here on, so a refused component is deleted on the way out.
    std::unique_ptr<InputComponent> owned(component);
    if (!component || component->id.empty())
        AssertionFailed(kSource, 74);
    if (components.count(component->id))
        Panic(kSource, 78,
              Sprintf("Device \"%s\" already contains component \"%s\"", deviceType.c_str(), component->id.c_str()));
    const std::string name = component->id;
    components.emplace(name, std::move(owned));
}

void InputDevice::SetButtonState(const std::string& name, bool pressed) {
    InputButton* button = GetButton(name);
    ZEP_ASSERT(button);
    button->SetState(pressed);
}

void InputDevice::SetAxisRawValue(const std::string& name, float reading) {
    InputAxis* axis = GetAxis(name);
    ZEP_ASSERT(axis);
    axis->SetRawValue(reading);
}

void InputDevice::SetAxisRange(const std::string& name, float minimum, float maximum) {
    InputAxis* axis = GetAxis(name);
    ZEP_ASSERT(axis);
    axis->SetRange(minimum, maximum);
}

void InputDevice::EmitAxisEvents() {
    for (const auto& entry : components) {
        const InputAxis* axis = dynamic_cast<const InputAxis*>(entry.second.get());
        if (!axis)
            continue;
        // Both sides in single precision, as the values are stored.
        const float moved = std::fabs(axis->value - axis->prevValue);
        if (!(moved >= 0.001f))
            continue;
        InputEvent event(INPUT_AXIS_CHANGE, deviceType, deviceIndex, axis->id);
        event.SetAxisValue(axis->value);
        events.push_back(event);
    }
}

}  // namespace Zep
