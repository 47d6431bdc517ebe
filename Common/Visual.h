// Visuals: the skin templates that skinned controls clone and show in their own
// rectangle. So far their data.
#pragma once

#include <string>

#include "Common/Graphic.h"

namespace Zep {

// A container: its constructor sets compound.
class Visual : public Graphic {
    ZEP_DECLARE_CLASS();

    Visual();

    // --- Properties ---
    // The control class the template is made for; kept for editing tools.
    const std::string& GetControlClass() const { return controlClass; }
    void SetControlClass(const std::string& value) { controlClass = value; }

protected:
    std::string controlClass;
};

}  // namespace Zep
