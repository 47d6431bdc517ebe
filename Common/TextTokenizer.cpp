#include "Common/TextTokenizer.h"

#include <locale.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "Common/CoreUtils.h"
#include "Common/Stream.h"
#include "Common/StringUtils.h"

namespace Zep {

namespace {

bool IsDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

bool IsIdentifierChar(uint8_t c) {
    return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.';
}

uint8_t ToUpperAscii(uint8_t c) {
    return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 'a' + 'A') : c;
}

// Numbers are read in the C locale, whatever the process locale is.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

// Decimal digit strings too long for 32 bits saturate at the 32-bit limits.
int32_t SaturateInt(const std::string& text) {
    const long long value = strtoll_l(text.c_str(), nullptr, 10, CLocale());
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

uint32_t SaturateUnsigned(const std::string& text) {
    const unsigned long long value = strtoull_l(text.c_str(), nullptr, 10, CLocale());
    if (value > std::numeric_limits<uint32_t>::max())
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(value);
}

}  // namespace

void TextTokenizer::SkipBlanks() {
    bool inComment = false;
    while (!stream->IsEOF()) {
        const uint8_t c = stream->PeekChar();
        if (inComment) {
            stream->ReadChar();
            if (c == '\n')
                inComment = false;
        } else if (c == '\t' || c == '\n' || c == '\r' || c == ' ') {
            stream->ReadChar();
        } else if (c == '#') {
            stream->ReadChar();
            inComment = true;
        } else {
            break;
        }
    }
}

uint8_t TextTokenizer::PeekSignificantChar() {
    const int32_t start = stream->GetPosition();
    SkipBlanks();
    const uint8_t c = stream->ReadChar();
    stream->Seek(start, Stream::SeekStart);
    return c;
}

std::string TextTokenizer::ReadIdentifier() {
    SkipBlanks();
    std::string text;
    while (!stream->IsEOF() && IsIdentifierChar(stream->PeekChar()))
        text += static_cast<char>(stream->ReadChar());
    return text;
}

std::string TextTokenizer::PeekIdentifier() {
    const int32_t start = stream->GetPosition();
    std::string text = ReadIdentifier();
    stream->Seek(start, Stream::SeekStart);
    return text;
}

std::string TextTokenizer::ReadQuotedString() {
    SkipBlanks();
    const uint8_t quote = stream->PeekChar();
    if (stream->IsEOF() || (quote != '"' && quote != '\''))
        Fail("Illegal symbol found near quoted string");
    stream->ReadChar();
    std::string text;
    if (!stream->IsEOF() && stream->PeekChar() == quote) {
        stream->ReadChar();
        return text;
    }
    for (;;) {
        if (stream->IsEOF())
            Fail("Unterminated string");
        uint8_t c = stream->PeekChar();
        if (c == '\\') {
            stream->ReadChar();
            const bool atEnd = stream->IsEOF();
            c = stream->ReadChar();
            if (atEnd)
                Fail("Invalid escape sequence");
            switch (c) {
                case '"':
                case '\'':
                case '\\':
                    break;
                case 'n':
                    c = '\n';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case 't':
                    c = '\t';
                    break;
                default:
                    Fail("Invalid escape sequence");
            }
        } else if (c == '\n') {
            Fail("Illegal EOL found inside quoted string");
        } else {
            stream->ReadChar();
        }
        text += static_cast<char>(c);
        if (!stream->IsEOF() && stream->PeekChar() == quote) {
            stream->ReadChar();
            return text;
        }
    }
}

std::string TextTokenizer::PeekQuotedString() {
    const int32_t start = stream->GetPosition();
    std::string text = ReadQuotedString();
    stream->Seek(start, Stream::SeekStart);
    return text;
}

void TextTokenizer::Expect(char c) {
    SkipBlanks();
    const bool atEnd = stream->IsEOF();
    const uint8_t read = stream->ReadChar();
    if (atEnd || read != static_cast<uint8_t>(c))
        Fail(Sprintf("Couldn't get expected '%c'", c).c_str());
}

void TextTokenizer::CollectDigits(std::string& text) {
    while (!stream->IsEOF() && IsDigit(stream->PeekChar()))
        text += static_cast<char>(stream->ReadChar());
}

float TextTokenizer::ReadFloat() {
    SkipBlanks();
    std::string text;
    if (!stream->IsEOF() && (stream->PeekChar() == '-' || stream->PeekChar() == '+'))
        text += static_cast<char>(stream->ReadChar());
    const size_t signLength = text.size();
    CollectDigits(text);
    bool anyDigit = text.size() > signLength;
    if (!stream->IsEOF() && stream->PeekChar() == '.') {
        text += static_cast<char>(stream->ReadChar());
        const size_t before = text.size();
        CollectDigits(text);
        anyDigit = anyDigit || text.size() > before;
    }
    if (!anyDigit)
        Fail("Couldn't find expected floating-point expression");
    const double value = strtod_l(text.c_str(), nullptr, CLocale());
    // Out of float range gives infinity, as the hardware narrowing does.
    if (std::fabs(value) > std::numeric_limits<float>::max())
        return value < 0 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

int32_t TextTokenizer::ReadInt() {
    SkipBlanks();
    std::string text;
    if (!stream->IsEOF() && (stream->PeekChar() == '-' || stream->PeekChar() == '+'))
        text += static_cast<char>(stream->ReadChar());
    const size_t signLength = text.size();
    CollectDigits(text);
    if (text.size() == signLength)
        Fail("Couldn't find expected integer expression");
    return SaturateInt(text);
}

uint32_t TextTokenizer::ReadUnsigned() {
    SkipBlanks();
    std::string text;
    CollectDigits(text);
    if (text.empty())
        Fail("Couldn't find expected integer expression");
    return SaturateUnsigned(text);
}

uint32_t TextTokenizer::ReadHex() {
    SkipBlanks();
    std::string text;
    while (!stream->IsEOF()) {
        const uint8_t c = ToUpperAscii(stream->PeekChar());
        if (!IsDigit(c) && !(c >= 'A' && c <= 'F') && c != 'X')
            break;
        stream->ReadChar();
        text += static_cast<char>(c);
    }
    if (text.size() <= 2 || text.compare(0, 2, "0X") != 0 || text.find('X', 2) != std::string::npos)
        Fail("Invalid number");
    // Leading zeros after the prefix do not count toward the eight digits.
    const size_t first = text.find_first_not_of("0X");
    const std::string digits = first == std::string::npos ? std::string() : text.substr(first);
    if (digits.size() > 8)
        Fail("Invalid number");
    uint32_t value = 0;
    for (char c : digits)
        value = value * 16 + static_cast<uint32_t>(IsDigit(c) ? c - '0' : c - 'A' + 10);
    return value;
}

bool TextTokenizer::ReadBool() {
    const std::string text = ReadIdentifier();
    if (text == "true" || text == "1")
        return true;
    if (text == "false" || text == "0")
        return false;
    Fail("Couldn't find expected boolean expression");
}

void TextTokenizer::Fail(const char* error) {
    const int32_t at = stream->GetPosition();
    int line = -1;
    if (!stream->IsEOF()) {
        line = 1;
        stream->Seek(0, Stream::SeekStart);
        while (stream->GetPosition() < at && !stream->IsEOF()) {
            if (stream->ReadChar() == '\n')
                ++line;
        }
    }
    stream->Seek(0, Stream::SeekStart);
    for (int skipped = 0; skipped < line - 1 && !stream->IsEOF();) {
        if (stream->ReadChar() == '\n')
            ++skipped;
    }
    // A whole long line would swamp the report; its start is enough to find it.
    std::string lineText;
    while (!stream->IsEOF() && stream->PeekChar() != '\n' && lineText.size() < kMaxQuotedLine)
        lineText += static_cast<char>(stream->ReadChar());
    stream->Seek(at, Stream::SeekStart);
    throw Exception::Assertion(
        Sprintf("Syntax error on line %d.\n Error: %s\n Line was: %s", line, error, lineText.c_str()));
}

}  // namespace Zep
