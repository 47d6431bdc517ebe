// Controls: the graphics that take part in focus and input. So far their data and
// what their setters ask of the focus navigator.
#pragma once

#include "Common/Graphic.h"

namespace Zep {

class FocusNavigator;

class Control : public Graphic {
    ZEP_DECLARE_CLASS();

    Control();

    // --- Virtual operations ---
    // Stores Enabled.
    virtual void SetEnabled(bool value);

    // --- Focus ---
    // The application's navigator focuses this control; false without a navigator.
    bool HasFocus() const;
    // When this control has the focus, the navigator focuses nothing.
    void KillFocus();

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

protected:
    static FocusNavigator* GetNavigator();

    bool transparent;
    bool enabled;
    bool defaultFocus;
    bool modal;
};

}  // namespace Zep
