// One input event: what happened (kind), on which device (type name and index),
// to which component, and the value that goes with it.
#pragma once

#include <cstdint>
#include <string>

namespace Zep {

class InputDevice;
class VirtualInputDevice;

// Event kinds (script constants of the same names).
enum InputEventType : int32_t {
    INPUT_UNKNOWN = 0,
    INPUT_BUTTON_DOWN = 1,
    INPUT_BUTTON_UP = 2,
    INPUT_BUTTON_REPEAT = 3,
    INPUT_CHARACTER = 4,
    INPUT_AXIS_CHANGE = 5,
};

// A copyable value; devices keep a frame's events in vectors. Names are compared
// as exact, case-sensitive byte strings.
class InputEvent {
public:
    // Kind 0, empty names, index 0, zero payload.
    InputEvent();
    // The payload is zero; set it afterwards.
    InputEvent(int32_t type, const std::string& deviceType, int32_t deviceIndex, const std::string& componentId);

    bool IsType(int32_t kind) const { return type == kind; }
    bool IsButtonDown(const std::string& device, const std::string& component) const;
    bool IsButtonUp(const std::string& device, const std::string& component) const;
    bool IsButtonRepeat(const std::string& device, const std::string& component) const;
    bool IsButtonDownOrRepeat(const std::string& device, const std::string& component) const;
    // Character events carry no component id, so only the device is compared.
    bool IsCharacter(const std::string& device) const;
    bool IsAxisChange(const std::string& device, const std::string& component) const;
    bool IsAnyOf2AxesChange(const std::string& device, const std::string& c1, const std::string& c2) const;
    bool IsAnyOf3AxesChange(const std::string& device, const std::string& c1, const std::string& c2,
                            const std::string& c3) const;

    // The same tests on the virtual devices' events.
    bool IsVirtualButtonDown(const std::string& component) const;
    bool IsVirtualButtonUp(const std::string& component) const;
    bool IsVirtualButtonRepeat(const std::string& component) const;
    bool IsVirtualButtonDownOrRepeat(const std::string& component) const;
    bool IsVirtualAxisChange(const std::string& component) const;
    bool IsVirtualAnyOf2AxesChange(const std::string& c1, const std::string& c2) const;
    bool IsVirtualAnyOf3AxesChange(const std::string& c1, const std::string& c2, const std::string& c3) const;

    // The payload as an axis value; 0 unless this is an axis event.
    float GetAxisValue() const;
    void SetAxisValue(float value);
    // The payload as a typed byte, signed as the edit box reads it; 0 unless this
    // is a character event.
    int8_t GetCharacter() const;
    void SetCharacter(int8_t character);

    // The physical device that produced the event; it must be registered.
    InputDevice* GetDevice() const;
    // The virtual device of a "VIRTUAL" event; null for any other device type.
    VirtualInputDevice* GetVirtualDevice() const;

    int32_t type;
    std::string deviceType;
    int32_t deviceIndex;
    std::string componentId;

private:
    // Eight bytes shared by the float of axis events and the byte of character
    // events; writing one overwrites the leading bytes of the other.
    unsigned char payload[8];
};

}  // namespace Zep
