// The Windows input system: the game window's messages drive a keyboard and a mouse
// (index 0 each), whose button states change as the messages arrive and whose events
// wait for the next frame; the cursor position is polled once per frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "Common/InputDevice.h"
#include "Common/InputSystem.h"

namespace Zep {
namespace Win32 {

class InputSystem : public Zep::InputSystem {
public:
    InputSystem();
    ~InputSystem() override;

    // Once per frame; events are collected only while the application is active, and
    // the argument is not used.
    void Update(bool collectEvents) override;

    // Offered every message of the game window before its own handling; true when an
    // input device consumed it. WM_ACTIVATEAPP records the activation and is never
    // consumed.
    bool HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool IsActive() const { return active; }

private:
    // The game window is registered for raw mouse input; no raw data is read.
    void InitializeRawInput();
    // Adds a mouse and a keyboard of index 0 when there is none of that type.
    void EnsureDefaultDevices();

    bool active;
};

// A device fed by window messages.
class InputDevice : public Zep::InputDevice {
public:
    InputDevice(const std::string& deviceType, int32_t deviceIndex) : Zep::InputDevice(deviceType, deviceIndex) {}

    // True when the device consumed the message.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    // The frame's events become the messages' events since the last frame, or none
    // when not collecting; either way the pending ones are dropped.
    void TakePendingEvents(bool collectEvents);

    // Events the messages made, waiting for the next frame.
    std::vector<InputEvent> pendingEvents;
};

class Keyboard : public InputDevice {
public:
    explicit Keyboard(int32_t deviceIndex);

    void Update(bool collectEvents) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The button of a virtual-key code; empty for a key without one.
    const std::string& GetKeyName(uint8_t code) const { return keyNames[code]; }

private:
    std::string keyNames[256];
};

class Mouse : public InputDevice {
public:
    explicit Mouse(int32_t deviceIndex);

    void Update(bool collectEvents) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void AddPendingEvent(int32_t kind, const char* button);

    // Client pixels of the game window.
    int32_t cursorX;
    int32_t cursorY;
};

}  // namespace Win32
}  // namespace Zep
