#include "Common/TextTokenizer.h"

#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
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

// Decimal digit strings too long for 32 bits saturate at the 32-bit limits. The text
// is an optional sign and at least one digit.
int32_t SaturateInt(const std::string& text) {
    const bool negative = text[0] == '-';
    const size_t first = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    // Past 2^31 the value only matters as "too large".
    const uint64_t cap = uint64_t(1) << 31;
    uint64_t value = 0;
    for (size_t i = first; i < text.size() && value <= cap; ++i)
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
    if (negative)
        return value >= cap ? std::numeric_limits<int32_t>::min() : -static_cast<int32_t>(value);
    return value >= cap ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(value);
}

// The text is at least one digit.
uint32_t SaturateUnsigned(const std::string& text) {
    const uint64_t cap = std::numeric_limits<uint32_t>::max();
    uint64_t value = 0;
    for (size_t i = 0; i < text.size() && value <= cap; ++i)
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
    return value > cap ? std::numeric_limits<uint32_t>::max() : static_cast<uint32_t>(value);
}

// The text is an optional sign, digits, an optional point and digits, with a digit on
// at least one side of the point. Converted to double, then narrowed, as the standard
// decimal conversion does it.
float ToFloat(const std::string& text) {
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    const char* last = text.data() + text.size();
    double value = 0;
    const std::from_chars_result result = std::from_chars(first, last, value);
    // Values beyond the range of a double take the C library's way.
    if (result.ec != std::errc() || result.ptr != last)
        value = strtod_l(text.c_str(), nullptr, CLocale());
    // Out of float range gives infinity, as the hardware narrowing does.
    if (std::fabs(value) > std::numeric_limits<float>::max())
        return value < 0 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace

// --- The window -------------------------------------------------------------------

void TextTokenizer::OpenWindow() {
    windowPosition = stream->GetPosition();
    const uint8_t* bytes = nullptr;
    int32_t count = 0;
    if (!stream->GetBufferedBytes(bytes, count)) {
        bytes = readAhead;
        count = stream->Read(readAhead, kReadAheadSize, false);
    }
    window = bytes;
    next = bytes;
    limit = bytes + std::max(count, 0);
}

bool TextTokenizer::Refill() {
    if (next != window)
        stream->Seek(Position(), Stream::SeekStart);
    OpenWindow();
    return next != limit;
}

void TextTokenizer::Commit() {
    if (next != window)
        stream->Seek(Position(), Stream::SeekStart);
}

void TextTokenizer::Restore(int32_t start) {
    if (windowPosition != start)
        stream->Seek(start, Stream::SeekStart);
}

void TextTokenizer::FailHere(const char* error) {
    Commit();
    Fail(error);
}

// --- Reading inside the window ------------------------------------------------------

void TextTokenizer::Skip() {
    for (;;) {
        while (next < limit) {
            const uint8_t c = *next;
            if (c == '\t' || c == '\n' || c == '\r' || c == ' ') {
                ++next;
            } else if (c == '#') {
                // A comment runs up to and including the next line feed, or to the end.
                ++next;
                for (;;) {
                    const void* lineFeed = std::memchr(next, '\n', static_cast<size_t>(limit - next));
                    if (lineFeed) {
                        next = static_cast<const uint8_t*>(lineFeed) + 1;
                        break;
                    }
                    next = limit;
                    if (!Refill())
                        return;
                }
            } else {
                return;
            }
        }
        if (!Refill())
            return;
    }
}

template <class Test>
void TextTokenizer::Collect(std::string& text, Test test) {
    for (;;) {
        const uint8_t* from = next;
        while (next < limit && test(*next))
            ++next;
        text.append(reinterpret_cast<const char*>(from), static_cast<size_t>(next - from));
        if (next < limit || !Refill())
            return;
    }
}

// Lambdas, not function pointers, so that the tests are inlined into the scan.
void TextTokenizer::CollectIdentifier(std::string& text) {
    Collect(text, [](uint8_t c) { return IsIdentifierChar(c); });
}

void TextTokenizer::CollectDigits(std::string& text) {
    Collect(text, [](uint8_t c) { return IsDigit(c); });
}

bool TextTokenizer::CollectSign(std::string& text) {
    if (AtEnd() || (*next != '-' && *next != '+'))
        return false;
    text += static_cast<char>(*next++);
    return true;
}

std::string TextTokenizer::QuotedString() {
    Skip();
    if (AtEnd() || (*next != '"' && *next != '\''))
        FailHere("Illegal symbol found near quoted string");
    const uint8_t quote = *next++;
    std::string text;
    for (;;) {
        if (AtEnd())
            FailHere("Unterminated string");
        uint8_t c = *next;
        if (c == quote) {
            ++next;
            return text;
        }
        if (c == '\\') {
            ++next;
            if (AtEnd())
                FailHere("Invalid escape sequence");
            c = *next++;
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
                    FailHere("Invalid escape sequence");
            }
            text += static_cast<char>(c);
        } else if (c == '\n') {
            FailHere("Illegal EOL found inside quoted string");
        } else {
            // A carriage return is taken as it is.
            const uint8_t* from = next++;
            while (next < limit && *next != quote && *next != '\\' && *next != '\n')
                ++next;
            text.append(reinterpret_cast<const char*>(from), static_cast<size_t>(next - from));
        }
    }
}

// --- Operations ------------------------------------------------------------------

void TextTokenizer::SkipBlanks() {
    OpenWindow();
    Skip();
    Commit();
}

uint8_t TextTokenizer::PeekSignificantChar() {
    OpenWindow();
    const int32_t start = Position();
    Skip();
    const uint8_t c = AtEnd() ? Stream::kEndChar : *next;
    Restore(start);
    return c;
}

std::string TextTokenizer::ReadIdentifier() {
    OpenWindow();
    Skip();
    std::string text;
    CollectIdentifier(text);
    Commit();
    return text;
}

std::string TextTokenizer::PeekIdentifier() {
    OpenWindow();
    const int32_t start = Position();
    Skip();
    std::string text;
    CollectIdentifier(text);
    Restore(start);
    return text;
}

std::string TextTokenizer::ReadQuotedString() {
    OpenWindow();
    std::string text = QuotedString();
    Commit();
    return text;
}

std::string TextTokenizer::PeekQuotedString() {
    OpenWindow();
    const int32_t start = Position();
    std::string text = QuotedString();
    Restore(start);
    return text;
}

void TextTokenizer::Expect(char c) {
    OpenWindow();
    Skip();
    const bool atEnd = AtEnd();
    const uint8_t read = atEnd ? Stream::kEndChar : *next++;
    if (atEnd || read != static_cast<uint8_t>(c))
        FailHere(Sprintf("Couldn't get expected '%c'", c).c_str());
    Commit();
}

float TextTokenizer::ReadFloat() {
    OpenWindow();
    Skip();
    number.clear();
    const size_t signLength = CollectSign(number) ? 1 : 0;
    CollectDigits(number);
    bool anyDigit = number.size() > signLength;
    if (!AtEnd() && *next == '.') {
        number += static_cast<char>(*next++);
        const size_t before = number.size();
        CollectDigits(number);
        anyDigit = anyDigit || number.size() > before;
    }
    if (!anyDigit)
        FailHere("Couldn't find expected floating-point expression");
    Commit();
    return ToFloat(number);
}

int32_t TextTokenizer::ReadInt() {
    OpenWindow();
    Skip();
    number.clear();
    const size_t signLength = CollectSign(number) ? 1 : 0;
    CollectDigits(number);
    if (number.size() == signLength)
        FailHere("Couldn't find expected integer expression");
    Commit();
    return SaturateInt(number);
}

uint32_t TextTokenizer::ReadUnsigned() {
    OpenWindow();
    Skip();
    number.clear();
    CollectDigits(number);
    if (number.empty())
        FailHere("Couldn't find expected integer expression");
    Commit();
    return SaturateUnsigned(number);
}

uint32_t TextTokenizer::ReadHex() {
    OpenWindow();
    Skip();
    number.clear();
    Collect(number, [](uint8_t c) {
        c = ToUpperAscii(c);
        return IsDigit(c) || (c >= 'A' && c <= 'F') || c == 'X';
    });
    for (char& c : number)
        c = static_cast<char>(ToUpperAscii(static_cast<uint8_t>(c)));
    const std::string& text = number;
    if (text.size() <= 2 || text.compare(0, 2, "0X") != 0 || text.find('X', 2) != std::string::npos)
        FailHere("Invalid number");
    // Leading zeros after the prefix do not count toward the eight digits.
    const size_t first = text.find_first_not_of("0X");
    const size_t digits = first == std::string::npos ? 0 : text.size() - first;
    if (digits > 8)
        FailHere("Invalid number");
    Commit();
    uint32_t value = 0;
    for (size_t i = text.size() - digits; i < text.size(); ++i) {
        const char c = text[i];
        value = value * 16 + static_cast<uint32_t>(IsDigit(static_cast<uint8_t>(c)) ? c - '0' : c - 'A' + 10);
    }
    return value;
}

bool TextTokenizer::ReadBool() {
    OpenWindow();
    Skip();
    number.clear();
    CollectIdentifier(number);
    bool value = false;
    if (number == "true" || number == "1")
        value = true;
    else if (number != "false" && number != "0")
        FailHere("Couldn't find expected boolean expression");
    Commit();
    return value;
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
