// Text actors: a localisable text in one font, size and colour, aligned in the
// graphic's rectangle. So far their data.
#pragma once

#include <string>

#include "Common/Graphic.h"

namespace Zep {

class Text : public Graphic {
    ZEP_DECLARE_CLASS();

    Text();

    // --- Properties ---
    const Color& GetTextColor() const { return textColor; }
    void SetTextColor(const Color& value) { textColor = value; }
    // Stored and saved; drawing does not use it.
    const Color& GetShadowColor() const { return shadowColor; }
    void SetShadowColor(const Color& value) { shadowColor = value; }
    float GetFontSize() const { return fontSize; }
    void SetFontSize(float value) { fontSize = value; }
    // UTF-8; a text that begins with '$' is looked up in the dictionary.
    const std::string& GetText() const { return text; }
    void SetText(const std::string& value) { text = value; }
    const std::string& GetFontName() const { return fontName; }
    void SetFontName(const std::string& value) { fontName = value; }
    HorizontalAlignment GetHAlign() const { return hAlign; }
    void SetHAlign(HorizontalAlignment value) { hAlign = value; }
    VerticalAlignment GetVAlign() const { return vAlign; }
    void SetVAlign(VerticalAlignment value) { vAlign = value; }
    // Extra space added to the font size from one line to the next.
    float GetLineIndent() const { return lineIndent; }
    void SetLineIndent(float value) { lineIndent = value; }

protected:
    Color textColor;
    Color shadowColor;
    float fontSize;
    std::string text;
    std::string fontName;
    HorizontalAlignment hAlign;
    VerticalAlignment vAlign;
    float lineIndent;
};

}  // namespace Zep
