// Visuals: the skin templates that skinned controls clone and show in their own
// rectangle. So far their data and the lookup of their text presenter.
#pragma once

#include <string>

#include "Common/Graphic.h"

namespace Zep {

class TextPresenter;

// A container: its constructor sets compound.
class Visual : public Graphic {
    ZEP_DECLARE_CLASS();

    Visual();

    // --- Properties ---
    // The control class the template is made for; kept for editing tools.
    const std::string& GetControlClass() const { return controlClass; }
    void SetControlClass(const std::string& value) { controlClass = value; }

    // The first child, in child order, that is a text presenter; null without one.
    TextPresenter* FindTextPresenter();

protected:
    std::string controlClass;
};

}  // namespace Zep
