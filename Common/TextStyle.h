// Text styles: the named style records that rich text reads from its children. A
// style is an actor, not a graphic, and draws nothing itself.
#pragma once

#include <string>

#include "Common/Actor.h"

namespace Zep {

class TextStyle : public Actor {
    ZEP_DECLARE_CLASS();

    TextStyle();

    // --- Properties ---
    // The font's name; empty for the default font.
    const std::string& GetFont() const { return font; }
    void SetFont(const std::string& value) { font = value; }
    float GetSize() const { return size; }
    void SetSize(float value) { size = value; }
    // Added to the line height.
    float GetSpaceAfter() const { return spaceAfter; }
    void SetSpaceAfter(float value) { spaceAfter = value; }
    const Color& GetTextColor() const { return textColor; }
    void SetTextColor(const Color& value) { textColor = value; }
    const Color& GetShadowColor() const { return shadowColor; }
    void SetShadowColor(const Color& value) { shadowColor = value; }
    bool GetBold() const { return bold; }
    void SetBold(bool value) { bold = value; }
    bool GetUnderlined() const { return underlined; }
    void SetUnderlined(bool value) { underlined = value; }
    bool GetDropShadow() const { return dropShadow; }
    void SetDropShadow(bool value) { dropShadow = value; }
    const Vector2& GetShadowOffset() const { return shadowOffset; }
    void SetShadowOffset(const Vector2& value) { shadowOffset = value; }

protected:
    std::string font;
    float size;
    float spaceAfter;
    Color textColor;
    Color shadowColor;
    bool bold;
    bool underlined;
    bool dropShadow;
    Vector2 shadowOffset;
};

}  // namespace Zep
