// A physical device that tests script frame by frame, and an input system of such devices.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Common/InputDevice.h"
#include "Common/InputSystem.h"
#include "Common/StringUtils.h"

namespace InputTesting {

// Events queued between frames are taken by the next Update, as window messages are by
// the real devices; every axis takes its latest reading each frame.
class ScriptedDevice : public Zep::InputDevice {
public:
    ScriptedDevice(const std::string& type, int32_t index, const std::vector<std::string>& buttons,
                   const std::vector<std::string>& axes)
        : InputDevice(type, index) {
        for (const std::string& name : buttons)
            AddButton(name);
        for (const std::string& name : axes) {
            AddAxis(name, 0.0f, 0.0f, 0.0f);
            readings.emplace_back(name, 0.0f);
        }
    }

    void Press(const std::string& name) { Queue(Zep::InputEvent(1, GetDeviceType(), GetDeviceIndex(), name)); }
    void Release(const std::string& name) { Queue(Zep::InputEvent(2, GetDeviceType(), GetDeviceIndex(), name)); }
    void Queue(const Zep::InputEvent& event) { pending.push_back(event); }
    void Move(const std::string& axis, float reading) {
        for (auto& entry : readings)
            if (entry.first == axis)
                entry.second = reading;
    }

    void Update(bool collectEvents) override {
        ClearEvents();
        for (const Zep::InputEvent& event : pending) {
            SetButtonState(event.componentId, event.type == Zep::INPUT_BUTTON_DOWN);
            if (collectEvents)
                AddEvent(event);
        }
        pending.clear();
        for (const auto& entry : readings) {
            SetAxisRawValue(entry.first, entry.second);
            SetAxisRange(entry.first, 0.0f, 799.0f);
        }
        EmitAxisEvents();
    }

    using InputDevice::AddButton;

private:
    std::vector<Zep::InputEvent> pending;
    std::vector<std::pair<std::string, float>> readings;
};

inline ScriptedDevice* NewMouse(int32_t index = 0) {
    return new ScriptedDevice("MOUSE", index, {"LEFT_BUTTON", "RIGHT_BUTTON", "WHEEL_UP", "WHEEL_DOWN"}, {"X", "Y"});
}

inline ScriptedDevice* NewKeyboard(int32_t index = 0) {
    return new ScriptedDevice("KEYBOARD", index, {"A", "RETURN"}, {});
}

// Adds its devices before making the virtual ones, as the platform does.
class TestInputSystem : public Zep::InputSystem {
public:
    explicit TestInputSystem(const std::vector<Zep::InputDevice*>& devices) {
        for (Zep::InputDevice* device : devices)
            AddDevice(device);
        CreateVirtualDevices();
    }
};

// Each event as "MOUSE 0 LEFT_BUTTON 1", axis events with " =value".
inline std::vector<std::string> Describe(const std::vector<Zep::InputEvent>& events) {
    std::vector<std::string> texts;
    for (const Zep::InputEvent& e : events)
        texts.push_back(
            Zep::Sprintf("%s %d %s %d", e.deviceType.c_str(), e.deviceIndex, e.componentId.c_str(), e.type) +
            (e.type == Zep::INPUT_AXIS_CHANGE ? Zep::Sprintf(" =%g", e.GetAxisValue()) : ""));
    return texts;
}

}  // namespace InputTesting
