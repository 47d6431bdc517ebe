#include "Common/Font.h"

namespace Zep {

namespace {

const char16_t kLineFeed = 10;
const char16_t kSpace = 32;

}  // namespace

FontChar::FontChar() : charCode(0), listIndex(-1), inversePixelHeight(0.0f) {}

Font::Font() : texture(nullptr) {}

Font::~Font() {}

FontChar* Font::AddChar(uint16_t code, const Vector2& texPosition, const Vector2& texSize, const Vector2& acWidths,
                        float normalizedWidth) {
    std::unique_ptr<FontChar> glyph(new FontChar());
    glyph->charCode = code;
    glyph->listIndex = static_cast<int32_t>(characters.size());
    glyph->texPosition = texPosition;
    glyph->texSize = texSize;
    glyph->acWidths = acWidths;
    glyph->normalizedSize = Vector2(normalizedWidth, 1.0f);
    std::unique_ptr<const FontChar*[]>& page = pages[code >> 8];
    if (!page)
        page.reset(new const FontChar* [256] {});
    page[code & 0xFF] = glyph.get();
    characters.push_back(std::move(glyph));
    return characters.back().get();
}

void Font::AddPair(uint16_t left, uint16_t right, float delta) {
    pairs.push_back(Pair{left, right, delta});
}

const FontChar* Font::GetChar(uint16_t code) const {
    const std::unique_ptr<const FontChar*[]>& page = pages[code >> 8];
    const FontChar* glyph = page ? page[code & 0xFF] : nullptr;
    return glyph ? glyph : &defaultChar;
}

float Font::GetKerning(uint16_t left, uint16_t right) const {
    const uint16_t code = GetChar(left)->charCode;
    if (code == 0)
        return 0.0f;
    for (const Pair& pair : pairs) {
        if (pair.left == code && pair.right == right)
            return pair.delta;
    }
    return 0.0f;
}

float Font::Advance(const FontChar* glyph) const {
    return glyph->acWidths.x + glyph->acWidths.y + glyph->normalizedSize.x;
}

Vector2 Font::MeasureText(const std::u16string& text, float size) const {
    Vector2 result(0.0f, size);
    uint16_t previous = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const FontChar* glyph = GetChar(text[i]);
        const float kerning = i == 0 ? 0.0f : GetKerning(previous, glyph->charCode);
        previous = glyph->charCode;
        result.x += (Advance(glyph) + kerning) * size;
    }
    return result;
}

int32_t Font::FindLineBreak(int32_t start, float maxWidth, const std::u16string& text, float size) const {
    const int32_t length = static_cast<int32_t>(text.size());
    float sum = 0.0f;
    int32_t i = start;
    int32_t lineBreak = 0;
    while (sum < maxWidth && i < length) {
        const char16_t c = text[i];
        const char16_t previous = i > start ? text[i - 1] : 0;
        if (c == kSpace)
            lineBreak = i;
        if (c == kLineFeed) {
            lineBreak = i;
            break;
        }
        sum += (Advance(GetChar(c)) + GetKerning(previous, c)) * size;
        ++i;
    }
    if (i == length && maxWidth >= sum)
        return length;
    if (lineBreak > 0)
        return lineBreak;
    return i > start + 1 ? i - 1 : i;
}

int32_t Font::SkipLineBreak(int32_t index, const std::u16string& text) {
    const int32_t length = static_cast<int32_t>(text.size());
    if (index < length && text[index] == kLineFeed)
        ++index;
    while (index < length && text[index] == kSpace)
        ++index;
    return index < length ? index : 0;
}

float Font::CalcTextHeight(const std::u16string& text, float maxWidth, float size, float lineSpacing) const {
    if (text.empty())
        return 0.0f;
    float height = size;
    int32_t position = 0;
    for (;;) {
        int32_t end = FindLineBreak(position, maxWidth, text, size);
        // A width <= 0 ends every line where it starts: such a line takes one
        // character, as the renderer's text drawing does.
        if (end == position && text[position] != kLineFeed)
            end = position + 1;
        position = SkipLineBreak(end, text);
        if (position == 0)
            break;
        height += size + lineSpacing;
    }
    return height;
}

}  // namespace Zep
