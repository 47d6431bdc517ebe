#include "LumoSources/Common/FontSystem.h"

#include "Common/CoreUtils.h"
#include "Common/Font.h"

namespace {

const char* const kSourceName = "LumoSources\\Common\\FontSystem.cpp";

}  // namespace

FontSystem::FontSystem() : defaultFont(nullptr), builtInFont(nullptr) {}

FontSystem::~FontSystem() {
    delete builtInFont;
}

Zep::Font* FontSystem::GetDefaultFont() {
    if (!defaultFont) {
        if (!builtInFont)
            Zep::AssertionFailed(kSourceName, 4520);
        defaultFont = builtInFont;
    }
    return defaultFont;
}

Zep::Vector2 FontSystem::MeasureText(const std::u16string& text, Zep::Font* font, float size) {
    if (!font)
        font = GetDefaultFont();
    return font->MeasureText(text, size);
}

void FontSystem::SetBuiltInFont(Zep::Font* font) {
    if (defaultFont == builtInFont)
        defaultFont = nullptr;
    delete builtInFont;
    builtInFont = font;
}

void FontSystem::CreateSystemFont() {
    SetBuiltInFont(new Zep::Font());
}

void FontSystem::Clear() {
    SetBuiltInFont(nullptr);
}
