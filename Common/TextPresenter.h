// Text presenters: the part of a skin template that shows its control's text. So
// far their data.
#pragma once

#include <string>

#include "Common/Graphic.h"

namespace Zep {

class TextPresenter : public Graphic {
    ZEP_DECLARE_CLASS();

    // Starts with a copy of defaultText.
    TextPresenter();

    // The text a new presenter shows; empty at start.
    static std::string defaultText;

    // The text shown (UTF-8), set by the control that owns the template.
    const std::string& GetText() const { return text; }
    void SetText(const std::string& value) { text = value; }

    // --- Properties ---
    const Color& GetTextColor() const { return textColor; }
    void SetTextColor(const Color& value) { textColor = value; }
    const Color& GetShadowColor() const { return shadowColor; }
    void SetShadowColor(const Color& value) { shadowColor = value; }
    float GetFontSize() const { return fontSize; }
    void SetFontSize(float value) { fontSize = value; }
    const std::string& GetFontName() const { return fontName; }
    void SetFontName(const std::string& value) { fontName = value; }
    HorizontalAlignment GetHAlign() const { return hAlign; }
    void SetHAlign(HorizontalAlignment value) { hAlign = value; }
    VerticalAlignment GetVAlign() const { return vAlign; }
    void SetVAlign(VerticalAlignment value) { vAlign = value; }
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
