// Controls: the graphics that take part in focus and input. The focus navigator
// reads their flags and hands them the input events.
#pragma once

#include <cstdint>

#include "Common/Graphic.h"

namespace Zep {

class FocusNavigator;
class InputEvent;

class Control : public Graphic {
    ZEP_DECLARE_CLASS();

    Control();
    // The navigator forgets the control.
    ~Control() override;

    // --- Graphic operations ---
    // A change drops the focus when this control has it, then stores Visible.
    void SetVisible(bool value) override;

    // --- Virtual operations ---
    // The input of the focused control, of the controls up to the first modal one,
    // and of every control that wants input; nothing here.
    virtual void DoFocusedInput(const InputEvent& event);
    virtual void DoModalInput(const InputEvent& event);
    virtual void DoOtherInput(const InputEvent& event);
    // Focusable, enabled in the tree and presented in the tree.
    virtual bool WantFocus();
    // Enabled in the tree: this control and every control above it are enabled.
    virtual bool WantInput();
    // A change drops the focus when this control has it, then stores Enabled.
    virtual void SetEnabled(bool value);
    // The navigator gave this control the focus, or took it away; nothing here.
    virtual void OnSetFocus();
    virtual void OnKillFocus();

    // --- Focus ---
    // Without the application's navigator the queries answer false and the requests
    // do nothing.
    // Asks the navigator to focus this control.
    void SetFocus();
    bool HasFocus() const;
    // When this control has the focus, the navigator focuses nothing.
    void KillFocus();
    // The control under the pointer of the virtual device (0 to 3).
    bool IsHovered(int32_t device) const;

    // --- Properties ---
    // A transparent control and its subtree are passed over by focus and input.
    bool GetTransparent() const { return transparent; }
    // Drops the focus when this control has it, also when the value does not change.
    void SetTransparent(bool value);
    bool GetEnabled() const { return enabled; }
    bool GetDefaultFocus() const { return defaultFocus; }
    void SetDefaultFocus(bool value) { defaultFocus = value; }
    // Controls after a modal one take no focus and no modal input.
    bool GetModal() const { return modal; }
    void SetModal(bool value) { modal = value; }
    // Set by scripts only; no property.
    bool GetFocusable() const { return focusable; }
    void SetFocusable(bool value) { focusable = value; }
    // When the navigator last focused the control; written by the navigator.
    int32_t GetFocusOrder() const { return focusOrder; }
    void SetFocusOrder(int32_t value) { focusOrder = value; }

protected:
    static FocusNavigator* GetNavigator();
    // This control and every control above it are enabled.
    bool IsEnabledInTree() const;

    bool transparent;
    bool enabled;
    bool defaultFocus;
    bool focusable;
    bool modal;
    int32_t focusOrder;
};

}  // namespace Zep
