#include "Common/Font.h"

#include "Common/PropertyInfo.h"

namespace Zep {

namespace {

const char16_t kLineFeed = 10;
const char16_t kSpace = 32;

}  // namespace

// --- FontChar and FontCharPair ------------------------------------------------------
// Codes are 16-bit characters: a file's -1 reads as 65535.
void FontChar::DeclareProperties() {
    RegisterProperty<FontChar, char16_t>(
        "CharCode", [](FontChar* c) { return static_cast<char16_t>(c->charCode); },
        [](FontChar* c, char16_t value) { c->charCode = value; });
    RegisterProperty<FontChar, Vector2>(
        "TexPosition", [](FontChar* c) { return c->texPosition; },
        [](FontChar* c, Vector2 value) { c->texPosition = value; });
    RegisterProperty<FontChar, Vector2>(
        "TexSize", [](FontChar* c) { return c->texSize; }, [](FontChar* c, Vector2 value) { c->texSize = value; });
    RegisterProperty<FontChar, Vector2>(
        "ACWidths", [](FontChar* c) { return c->acWidths; }, [](FontChar* c, Vector2 value) { c->acWidths = value; });
}

FontChar::FontChar() : charCode(0), listIndex(-1), inversePixelHeight(0.0f) {
    SetClassInfo(&staticClassInfo);
}

void FontCharPair::DeclareProperties() {
    RegisterProperty<FontCharPair, char16_t>(
        "CharCodeL", [](FontCharPair* p) { return static_cast<char16_t>(p->charCodeL); },
        [](FontCharPair* p, char16_t value) { p->charCodeL = value; });
    RegisterProperty<FontCharPair, char16_t>(
        "CharCodeR", [](FontCharPair* p) { return static_cast<char16_t>(p->charCodeR); },
        [](FontCharPair* p, char16_t value) { p->charCodeR = value; });
    RegisterProperty<FontCharPair, float>(
        "Delta", [](FontCharPair* p) { return p->delta; }, [](FontCharPair* p, float value) { p->delta = value; });
}

FontCharPair::FontCharPair() : charCodeL(0), charCodeR(0), delta(0.0f) {
    SetClassInfo(&staticClassInfo);
}

// --- The collections ----------------------------------------------------------------
FontCharCollection::FontCharCollection(Font* owner) : owner(owner) {
    SetOwnsObjects(true);
}

void FontCharCollection::OnRemove(int32_t index) {
    owner->ForgetChar(Get(index));
}

FontCharPairCollection::FontCharPairCollection() {
    SetOwnsObjects(true);
}

// --- Font -----------------------------------------------------------------------------
void Font::DeclareProperties() {
    RegisterCollection<Font, FontCharCollection>("Characters", &Font::characters);
    RegisterCollection<Font, FontCharPairCollection>("Pairs", &Font::pairs);
}

Font::Font() : characters(this), texture(nullptr) {
    SetClassInfo(&staticClassInfo);
}

Font::~Font() {}

FontChar* Font::AddChar(uint16_t code, const Vector2& texPosition, const Vector2& texSize, const Vector2& acWidths,
                        float normalizedWidth) {
    FontChar* glyph = new FontChar();
    glyph->charCode = code;
    glyph->listIndex = characters.GetCount();
    glyph->texPosition = texPosition;
    glyph->texSize = texSize;
    glyph->acWidths = acWidths;
    glyph->normalizedSize = Vector2(normalizedWidth, 1.0f);
    characters.Add(glyph);
    std::unique_ptr<const FontChar*[]>& page = pages[code >> 8];
    if (!page)
        page.reset(new const FontChar* [256] {});
    page[code & 0xFF] = glyph;
    return glyph;
}

void Font::AddPair(uint16_t left, uint16_t right, float delta) {
    FontCharPair* pair = new FontCharPair();
    pair->charCodeL = left;
    pair->charCodeR = right;
    pair->delta = delta;
    pairs.Add(pair);
}

// Searched by address: the glyph's code may have changed since it was added.
void Font::ForgetChar(const FontChar* glyph) {
    for (std::unique_ptr<const FontChar*[]>& page : pages) {
        for (int i = 0; page && i < 256; ++i) {
            if (page[i] == glyph)
                page[i] = nullptr;
        }
    }
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
    for (int32_t i = 0; i < pairs.GetCount(); ++i) {
        const FontCharPair* pair = pairs.Get(i);
        if (pair && pair->charCodeL == code && pair->charCodeR == right)
            return pair->delta;
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
