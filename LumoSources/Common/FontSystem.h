// The renderer layer's font system: the default font and text measuring.
//
// Stand-in until fonts are loaded from the content: it loads nothing, and the
// built-in font is whatever SetBuiltInFont hands it. The fonts issue replaces it
// with the real class (font cache, loading by name, the embedded built-in font).
#pragma once

#include <string>

#include "Common/ValueTypes.h"

namespace Zep {
class Font;
}

class FontSystem {
public:
    FontSystem();
    // Deletes the built-in font.
    ~FontSystem();

    FontSystem(const FontSystem&) = delete;
    FontSystem& operator=(const FontSystem&) = delete;

    // The built-in font, which must exist; cached on first use.
    Zep::Font* GetDefaultFont();
    // In the default font when font is null.
    Zep::Vector2 MeasureText(const std::u16string& text, Zep::Font* font, float size);

    // Takes ownership.
    void SetBuiltInFont(Zep::Font* font);
    // Builds the built-in font. Stand-in until the embedded font is built: a font
    // without glyphs, so texts in it only advance the pen.
    void CreateSystemFont();
    // Deletes the fonts; the default font must be built again before the next use.
    void Clear();

private:
    Zep::Font* defaultFont;
    Zep::Font* builtInFont;
};
