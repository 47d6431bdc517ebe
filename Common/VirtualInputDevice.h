// The player-level devices games are written against: a pointer ("X", "Y") and
// eight buttons, fed each frame from the physical components bound to them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Common/InputDevice.h"
#include "Common/ValueTypes.h"

namespace Zep {

class InputSystem;

// One mapping of a physical component onto a virtual one.
struct VirtualInputBinding {
    enum Kind : int32_t { AXIS = 0, BUTTON = 1 };

    int32_t kind;
    std::string virtualComponent;
    std::string deviceType;
    std::string component;
};

class VirtualInputDevice : public InputDevice {
public:
    // One device per player index (0 to 3) may exist at a time.
    VirtualInputDevice(int32_t playerIndex, InputSystem* inputSystem);
    ~VirtualInputDevice() override;

    // Runs after every physical device was updated: mirrors the bound components
    // and, when collecting, re-issues the bound devices' events as "VIRTUAL" ones.
    void Update(bool collectEvents) override;

    // Appends a binding; the virtual component must be one of this device's.
    void Bind(const std::string& virtualComponent, const std::string& deviceType, const std::string& component);
    void ClearBindings() { bindings.clear(); }
    // Appends the platform's standard bindings to the existing ones.
    void SetupStandardBindings();
    const std::vector<VirtualInputBinding>& GetBindings() const { return bindings; }

    int32_t GetPlayerIndex() const { return GetDeviceIndex(); }
    // The physical device of that type with this player's index, or null.
    InputDevice* GetAssociatedDevice(const std::string& deviceType) const;
    // True when the platform's pointing device for this player is registered.
    bool IsPlugged() const;
    bool IsPluggedAndEnabled() const { return IsEnabled() && IsPlugged(); }
    // The pointer in window pixels mapped into the application's virtual extent.
    Vector2 GetCursorPos() const;
    bool IsCursorPosValid() const { return true; }
    void Disconnect() {}

    // The input system's virtual device of that index (0 to 3).
    static VirtualInputDevice* Get(int32_t index);

private:
    InputSystem* inputSystem;
    std::vector<VirtualInputBinding> bindings;
};

}  // namespace Zep
