// The focus navigator: which control of the current scene has the focus.
//
// Stand-in until focus navigation is built: it only holds the focused control and
// takes requests to change it. The candidates, the modal scope, hovering and the
// input walk come with the focus-navigation issue, which replaces this class.
#pragma once

namespace Zep {

class Control;

class FocusNavigator {
public:
    Control* GetFocusedControl() const { return focused; }
    // Stand-in: focuses the control (null: nothing) without asking it.
    void SetFocus(Control* control) { focused = control; }

private:
    Control* focused = nullptr;
};

}  // namespace Zep
