// Buttons: skinned controls that report a click to their scene. So far their data.
#pragma once

#include <string>

#include "Common/SkinnedControl.h"

namespace Zep {

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
