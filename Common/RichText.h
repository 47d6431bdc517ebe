// Rich text: a text marked up with tags that switch between the text styles among
// its children. So far its data; the text is stored as given.
#pragma once

#include <string>

#include "Common/Graphic.h"

namespace Zep {

// A container of its styles: its constructor sets compound.
class RichText : public Graphic {
    ZEP_DECLARE_CLASS();

    RichText();

    // --- Properties ---
    // UTF-8 markup; a text that begins with '$' is looked up in the dictionary.
    const std::string& GetText() const { return text; }
    void SetText(const std::string& value) { text = value; }
    HorizontalAlignment GetHAlign() const { return hAlign; }
    void SetHAlign(HorizontalAlignment value) { hAlign = value; }
    VerticalAlignment GetVAlign() const { return vAlign; }
    void SetVAlign(VerticalAlignment value) { vAlign = value; }

protected:
    std::string text;
    HorizontalAlignment hAlign;
    VerticalAlignment vAlign;
};

}  // namespace Zep
