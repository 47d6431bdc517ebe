// The focus navigator: which control of the current scene has the focus, and which
// control each pointer hovers.
//
// Stand-in until focus navigation is built: it holds the focused and the hovered
// controls, takes requests without asking the controls, and records the requests it
// gets. The candidates, the modal scope, hovering by pointer and the input walk come
// with the focus-navigation issue, which replaces this class.
#pragma once

#include <cstdint>
#include <vector>

namespace Zep {

class Control;

class FocusNavigator {
public:
    Control* GetFocusedControl() const { return focused; }
    // Stand-in: focuses the control (null: nothing) without asking it.
    void SetFocus(Control* control) {
        focusRequests.push_back(control);
        focused = control;
    }
    // The control under the pointer of a virtual device (0 to 3); null for any other
    // device.
    Control* GetHoveredControl(int32_t device) const { return IsDevice(device) ? hovered[device] : nullptr; }
    // Stand-in: set by hand in place of the pointer's motion.
    void SetHoveredControl(int32_t device, Control* control) {
        if (IsDevice(device))
            hovered[device] = control;
    }
    // The control is being destroyed: no pointer of the navigator keeps it.
    void ForgetControl(Control* control) {
        forgottenControls.push_back(control);
        if (focused == control)
            focused = nullptr;
        for (Control*& entry : hovered) {
            if (entry == control)
                entry = nullptr;
        }
    }

    // Stand-in records, in call order; the addresses are only compared.
    std::vector<const void*> focusRequests;
    std::vector<const void*> forgottenControls;

private:
    static bool IsDevice(int32_t device) { return device >= 0 && device < 4; }

    Control* focused = nullptr;
    Control* hovered[4] = {nullptr, nullptr, nullptr, nullptr};
};

}  // namespace Zep
