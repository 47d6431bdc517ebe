// Buttons: skinned controls that report a click to their scene. So far their data.
#pragma once

#include <string>

#include "Common/SkinnedControl.h"

namespace Zep {

// How a button takes touches: BUTTON_DOUBLETOUCH needs one touch to focus it and
// another to press it.
enum ButtonBehaviour : int32_t {
    BUTTON_JOYPAD = 0,
    BUTTON_DOUBLETOUCH = 1,
};

class Button : public SkinnedControl {
    ZEP_DECLARE_CLASS();

    Button();

    // Reports a click: OnButtonClick of the parent scene.
    void NotifyScene() override;

    // --- Properties ---
    // Shown by the skin's text presenter; a text that begins with '$' is localised.
    const std::string& GetText() const { return text; }
    void SetText(const std::string& value) { text = value; }

protected:
    std::string text;
};

}  // namespace Zep
