// The character-level reader of text archives and ".attributes" files.
#pragma once

#include <cstdint>
#include <string>

namespace Zep {

class Stream;

// Reads tokens from a seekable stream it does not own. Every read first skips
// blanks and "#" comments. Malformed text throws Zep::Exception::Assertion with
// the line it was found on.
//
// Each operation reads the stream's bytes in place where the stream lends them (a
// memory stream's block, a file stream's buffer), else in small blocks read ahead,
// and leaves the stream positioned just after what it consumed, as if it had read
// the characters one by one.
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

    // Throws the syntax error for the stream's current position.
    [[noreturn]] void Fail(const char* error);

    // The quoted line of a syntax error is cut to this many characters.
    static constexpr size_t kMaxQuotedLine = 256;
    // Bytes read ahead at a time from a stream that lends none of its own.
    static constexpr int32_t kReadAheadSize = 256;

private:
    // --- The window of bytes being read ---
    // [next, limit) are the stream's bytes from Position() on.
    void OpenWindow();
    // Moves the window on past its end; false at the end of the stream.
    bool Refill();
    bool AtEnd() { return next == limit && !Refill(); }
    int32_t Position() const { return windowPosition + static_cast<int32_t>(next - window); }
    // Puts the stream at the position reached.
    void Commit();
    // Puts the stream back at start, where a peek began.
    void Restore(int32_t start);
    // Puts the stream at the position reached and throws the syntax error there.
    [[noreturn]] void FailHere(const char* error);

    // --- Reading inside the window ---
    void Skip();
    // Appends characters while they pass the test.
    template <class Test>
    void Collect(std::string& text, Test test);
    void CollectIdentifier(std::string& text);
    void CollectDigits(std::string& text);
    // After Skip: an optional '-' or '+' into the text; true when one was taken.
    bool CollectSign(std::string& text);
    std::string QuotedString();

    Stream* stream;
    const uint8_t* window = nullptr;
    const uint8_t* next = nullptr;
    const uint8_t* limit = nullptr;
    int32_t windowPosition = 0;
    // Reused by the number readers.
    std::string number;
    uint8_t readAhead[kReadAheadSize];
};

}  // namespace Zep
