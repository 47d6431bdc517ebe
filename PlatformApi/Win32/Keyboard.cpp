#include <cstring>

#include "UserInternal.h"

namespace {

struct ScancodeKey {
    SDL_Scancode scancode;
    UINT key;
};

// Keys Windows names by position: control, navigation, function and keypad keys.
const ScancodeKey positionKeys[] = {
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_END, VK_END},
    {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT},
    {SDL_SCANCODE_INSERT, VK_INSERT},
    {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_LGUI, VK_LWIN},
    {SDL_SCANCODE_RGUI, VK_RWIN},
    {SDL_SCANCODE_APPLICATION, VK_APPS},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL},
};

// Keypad keys 1-9 and 0 in SDL's scancode order, without Num Lock.
const UINT keypadNavigation[] = {VK_END,   VK_DOWN, VK_NEXT, VK_LEFT,  VK_CLEAR,
                                 VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR, VK_INSERT};

struct CharacterKey {
    char character;
    UINT key;
};

// The OEM keys by the character they bear.
const CharacterKey oemKeys[] = {
    {';', VK_OEM_1},      {'=', VK_OEM_PLUS}, {',', VK_OEM_COMMA}, {'-', VK_OEM_MINUS},
    {'.', VK_OEM_PERIOD}, {'/', VK_OEM_2},    {'`', VK_OEM_3},     {'[', VK_OEM_4},
    {'\\', VK_OEM_5},     {']', VK_OEM_6},    {'\'', VK_OEM_7},
};

// The OEM keys by their position on a US keyboard.
const ScancodeKey oemPositions[] = {
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1},    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},   {SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS},    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD}, {SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDL_SCANCODE_GRAVE, VK_OEM_3},        {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4}, {SDL_SCANCODE_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6}, {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
};

// Code page 1252 bytes 0x80-0x9F by their Unicode characters; 0 marks the bytes it leaves undefined.
const char16_t cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char AnsiCharacter(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (int i = 0; i < 32; ++i) {
        if (cp1252High[i] != 0 && cp1252High[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Decodes one well-formed UTF-8 sequence at text[0..length); 0 when the bytes there do not form one.
size_t DecodeUtf8(const unsigned char* text, size_t length, char32_t& code) {
    const unsigned char lead = text[0];
    size_t size;
    char32_t minimum;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
        minimum = 0x80;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        minimum = 0x800;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        minimum = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (size > length)
        return 0;
    for (size_t i = 1; i < size; ++i) {
        if ((text[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (text[i] & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return size;
}

}  // namespace

namespace PlatformInternal {

UINT VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode, Uint16 modifiers) {
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0)
        return scancode == SDL_SCANCODE_0 ? '0' : '1' + (scancode - SDL_SCANCODE_1);
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return VK_F1 + (scancode - SDL_SCANCODE_F1);
    const bool numLock = (modifiers & KMOD_NUM) != 0;
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0) {
        const int index = scancode - SDL_SCANCODE_KP_1;
        if (!numLock)
            return keypadNavigation[index];
        return scancode == SDL_SCANCODE_KP_0 ? VK_NUMPAD0 : VK_NUMPAD1 + index;
    }
    if (scancode == SDL_SCANCODE_KP_PERIOD)
        return numLock ? VK_DECIMAL : VK_DELETE;
    for (const ScancodeKey& entry : positionKeys) {
        if (entry.scancode == scancode)
            return entry.key;
    }
    // Letters follow the layout, as on Windows.
    if (key >= 'a' && key <= 'z')
        return static_cast<UINT>(key - 'a' + 'A');
    for (const CharacterKey& entry : oemKeys) {
        if (key == entry.character)
            return entry.key;
    }
    // Keys of other layouts: the key at the same place on a US keyboard.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + (scancode - SDL_SCANCODE_A);
    for (const ScancodeKey& entry : oemPositions) {
        if (entry.scancode == scancode)
            return entry.key;
    }
    return 0;
}

std::string Utf8ToAnsiCharacters(const char* text, size_t capacity) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    const size_t length = strnlen(text, capacity);
    std::string out;
    size_t i = 0;
    while (i < length) {
        char32_t code;
        const size_t size = DecodeUtf8(bytes + i, length - i, code);
        if (size == 0) {
            // Each byte that starts no valid sequence is one unknown character.
            out += '?';
            ++i;
            continue;
        }
        i += size;
        if (code >= 0x10000) {
            // Two UTF-16 units, neither of which has a byte.
            out += "??";
        } else {
            out += AnsiCharacter(static_cast<char16_t>(code));
        }
    }
    return out;
}

}  // namespace PlatformInternal
