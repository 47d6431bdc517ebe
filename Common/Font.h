// Bitmap fonts: per-glyph metrics in units of the glyph's own height, kerning
// pairs, and the measuring and line breaking of wide (UTF-16) text.
//
// A font file holds one "Zep::Font" with its "Characters" and "Pairs"; it loads and
// saves as the reflected data of the font.
//
// Stand-in until fonts are read from their description files: glyphs and pairs are
// handed over already in font units (AddChar, AddPair), and the glyph image is
// borrowed, not owned. Characters and pairs loaded from a file are stored as read,
// in pixels, and loaded characters do not enter the glyph lookup. The fonts issue
// replaces it with the real class.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Common/Collection.h"
#include "Common/Object.h"
#include "Common/ValueTypes.h"

namespace Zep {

class Font;
class Texture;

// One glyph. Horizontal metrics are fractions of the glyph's height, so a glyph
// drawn at size s is s tall.
class FontChar : public Object {
    ZEP_DECLARE_CLASS();

    FontChar();

    uint16_t charCode;
    // Index in the font's characters; -1 until added.
    int32_t listIndex;
    // Top-left corner and size in texture coordinates.
    Vector2 texPosition;
    Vector2 texSize;
    // Space before (x) and after (y) the glyph.
    Vector2 acWidths;
    // (width / height, 1).
    Vector2 normalizedSize;
    float inversePixelHeight;
};

// Extra advance when the left character is followed by the right one.
class FontCharPair : public Object {
    ZEP_DECLARE_CLASS();

    FontCharPair();

    uint16_t charCodeL;
    uint16_t charCodeR;
    float delta;
};

// The glyphs of a font, owned. A glyph taken out leaves the font's lookup.
class FontCharCollection : public Collection<FontCharCollection, FontChar> {
public:
    explicit FontCharCollection(Font* owner);

    void OnRemove(int32_t index);

private:
    Font* owner;
};

// The kerning pairs of a font, owned.
class FontCharPairCollection : public Collection<FontCharPairCollection, FontCharPair> {
public:
    FontCharPairCollection();
};

// Abstract in the class registry: a font is made from its files, never by class name.
class Font : public Object {
    ZEP_DECLARE_CLASS();

    Font();
    ~Font() override;

    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // --- Set-up of the stand-in ---
    // Adds a glyph; a later glyph of the same code replaces the earlier one.
    FontChar* AddChar(uint16_t code, const Vector2& texPosition, const Vector2& texSize, const Vector2& acWidths,
                      float normalizedWidth);
    // Extra advance when left is followed by right, in font units.
    void AddPair(uint16_t left, uint16_t right, float delta);
    void SetTexture(Texture* image) { texture = image; }

    // Null when the font has no image.
    Texture* GetTexture() const { return texture; }
    // The glyph of a code; a code without one gets the empty default glyph (code 0).
    const FontChar* GetChar(uint16_t code) const;
    // 0 when left has no glyph or no pair with right.
    float GetKerning(uint16_t left, uint16_t right) const;
    // (width, size) of the text on one line; line feeds are measured like other characters.
    Vector2 MeasureText(const std::u16string& text, float size) const;
    // Where the line that begins at start ends: the whole rest when it fits, else at
    // the last space or at a line feed, else before the character that overflowed
    // (keeping at least one).
    int32_t FindLineBreak(int32_t start, float maxWidth, const std::u16string& text, float size) const;
    // Steps over one line feed and then all spaces; 0 when no further line follows.
    static int32_t SkipLineBreak(int32_t index, const std::u16string& text);
    // size for the first line plus size + lineSpacing for every further line; 0 for no text.
    float CalcTextHeight(const std::u16string& text, float maxWidth, float size, float lineSpacing) const;

private:
    friend class FontCharCollection;

    float Advance(const FontChar* glyph) const;
    // Takes the glyph out of the lookup where it is found there.
    void ForgetChar(const FontChar* glyph);

    FontCharPairCollection pairs;
    FontCharCollection characters;
    Texture* texture;
    // Indexed by the high byte of a code, then by its low byte; pages are made on demand.
    std::unique_ptr<const FontChar*[]> pages[256];
    FontChar defaultChar;
};

}  // namespace Zep
