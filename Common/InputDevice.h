// Input devices and their components. A device is known by its type name
// ("KEYBOARD", "MOUSE", "VIRTUAL", ...) and index; it owns named buttons and axes
// holding its current state and produces a list of events each frame.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Common/InputEvent.h"
#include "Common/ValueTypes.h"

namespace Zep {

class InputComponent {
public:
    explicit InputComponent(const std::string& id_) : id(id_) {}
    virtual ~InputComponent() {}

    InputComponent(const InputComponent&) = delete;
    InputComponent& operator=(const InputComponent&) = delete;

    std::string id;
};

class InputButton : public InputComponent {
public:
    explicit InputButton(const std::string& id_) : InputComponent(id_), pressed(false), prevPressed(false) {}

    // The state before this call becomes the previous state.
    void SetState(bool newPressed) {
        prevPressed = pressed;
        pressed = newPressed;
    }

    bool pressed;
    bool prevPressed;
};

class InputAxis : public InputComponent {
public:
    InputAxis(const std::string& id_, float initialValue, float rangeMin_, float rangeMax_)
        : InputComponent(id_),
          value(initialValue),
          prevValue(initialValue),
          offset(0.0f),
          rangeMin(rangeMin_),
          rangeMax(rangeMax_) {}

    float GetDelta() const { return value - prevValue; }
    // A reading of the source: the value before it becomes the previous value and
    // the new value is the offset plus the reading.
    void SetRawValue(float reading) {
        prevValue = value;
        value = offset + reading;
    }
    void SetRange(float minimum, float maximum) {
        rangeMin = minimum;
        rangeMax = maximum;
    }

    float value;
    float prevValue;
    float offset;
    float rangeMin;
    float rangeMax;
};

class InputDevice {
public:
    InputDevice(const std::string& deviceType, int32_t deviceIndex);
    virtual ~InputDevice();

    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;

    // Refreshes the component states and refills the frame's events.
    virtual void Update(bool collectEvents) = 0;

    const std::string& GetDeviceType() const { return deviceType; }
    int32_t GetDeviceIndex() const { return deviceIndex; }
    bool IsEnabled() const { return enabled; }
    void SetEnabled(bool value) { enabled = value; }

    // Null when there is no component of that name (of that class).
    InputComponent* GetComponent(const std::string& name) const;
    InputButton* GetButton(const std::string& name) const;
    InputAxis* GetAxis(const std::string& name) const;

    // The named component must exist and be a button.
    bool IsButtonPressed(const std::string& name) const;
    // The named component must exist and be an axis.
    float GetAxisValue(const std::string& name) const;
    float GetAxisRangeMin(const std::string& name) const;
    float GetAxisRangeMax(const std::string& name) const;
    // (minimum, maximum).
    Vector2 GetAxisRange(const std::string& name) const;

    // The events of the current frame.
    const std::vector<InputEvent>& GetEvents() const { return events; }

protected:
    // Component set-up for the concrete devices. A name may be used once per device.
    InputAxis* AddAxis(const std::string& name, float initialValue, float rangeMin, float rangeMax);
    InputButton* AddButton(const std::string& name);

    // The named component must exist and be of the setter's class.
    void SetButtonState(const std::string& name, bool pressed);
    void SetAxisRawValue(const std::string& name, float reading);
    void SetAxisRange(const std::string& name, float minimum, float maximum);

    void ClearEvents() { events.clear(); }
    void AddEvent(const InputEvent& event) { events.push_back(event); }
    // An axis-change event for every axis, in name order, that moved by at least
    // 0.001 since its previous value.
    void EmitAxisEvents();

private:
    void AddComponent(InputComponent* component);
    const InputAxis& CheckedAxis(const std::string& name) const;

    std::string deviceType;
    int32_t deviceIndex;
    bool enabled;
    // Ordered by byte-wise comparison of the names.
    std::map<std::string, std::unique_ptr<InputComponent>> components;
    std::vector<InputEvent> events;
};

}  // namespace Zep
