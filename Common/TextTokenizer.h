// The character-level reader of text archives and ".attributes" files.
#pragma once

#include <cstdint>
#include <string>

namespace Zep {

class Stream;

// Reads tokens from a seekable stream it does not own. Every read first skips
// blanks and "#" comments. Malformed text throws Zep::Exception::Assertion with
// the line it was found on.
class TextTokenizer {
public:
    explicit TextTokenizer(Stream* stream) : stream(stream) {}

    Stream* GetStream() const { return stream; }

    // Skips tabs, line feeds, carriage returns, spaces and comments.
    void SkipBlanks();
    // The next character after the blanks, nothing consumed; 0xFF at the end.
    uint8_t PeekSignificantChar();
    // Letters, digits and '.'; possibly empty.
    std::string ReadIdentifier();
    std::string PeekIdentifier();
    // A '...' or "..." string with backslash escapes.
    std::string ReadQuotedString();
    std::string PeekQuotedString();
    // Reads the next character and fails unless it is c.
    void Expect(char c);
    float ReadFloat();
    int32_t ReadInt();
    uint32_t ReadUnsigned();
    // "0X" and at most eight significant hexadecimal digits.
    uint32_t ReadHex();
    bool ReadBool();

    // Throws the syntax error for the current position.
    [[noreturn]] void Fail(const char* error);

    // The quoted line of a syntax error is cut to this many characters.
    static constexpr size_t kMaxQuotedLine = 256;

private:
    // Appends the next character while it is an ASCII digit.
    void CollectDigits(std::string& text);

    Stream* stream;
};

}  // namespace Zep
