// String helpers: formatting, number text, case, trimming, splitting, number
// parsing, UTF-8 / UTF-16 conversion, the performance counter and memory helpers.
//
// Names, paths and scripts are UTF-8 byte strings; displayed text is UTF-16
// (char16_t). Case mapping is ASCII only. Every number conversion here uses the
// C locale, whatever the process locale is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Common/CoreUtils.h"

#if defined(__GNUC__)
#define ZEP_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define ZEP_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

namespace Zep {

// An ordered, growable list of byte strings (directory listings, scripts).
typedef std::vector<std::string> StringVector;

// --- Formatting ------------------------------------------------------------------
// printf-style formatting. The text is formatted into a 1024-byte buffer on the
// stack; a longer text into a 4092-byte and then a 16384-byte heap buffer. A text
// of 16384 characters or more is a panic.
std::string Sprintf(const char* format, ...) ZEP_PRINTF_FORMAT(1, 2);

// Formats at most size - 1 characters and always terminates the buffer. Returns
// the number of characters stored; -1 for a null buffer or size 0 (or when the
// format cannot be expanded). A null format is an assertion.
int FormatMessage(size_t size, char* buffer, const char* format, ...) ZEP_PRINTF_FORMAT(3, 4);

// Number text in a static buffer per overload, valid until the next call of the
// same overload (on any thread).
const char* ToString(int value);       // "%i"
const char* ToString(unsigned value);  // "%u"
const char* ToString(float value);     // "%0.5f"

// --- Case and trimming -------------------------------------------------------------
std::string ToLower(const std::string& text);
std::string ToUpper(const std::string& text);
// 'a'..'z' to upper case; every other value unchanged.
int ToUpperChar(int character);

// Removes leading and trailing blanks (' ' only; tabs stay).
std::string Trim(const std::string& text);
// Remove leading / trailing characters found in the set; a null set returns a copy.
std::string TrimLeft(const std::string& text, const char* characters);
std::string TrimRight(const std::string& text, const char* characters);
std::string TrimRight(const char* text, const char* characters);

// Empty when start is at or past the end; otherwise up to count characters from start.
std::string SubString(const std::string& text, size_t start, size_t count);
// A copy of target whose characters from position on are overwritten by those of
// source; never longer than target.
std::string Paste(const std::string& target, size_t position, const std::string& source);
// Replaces every occurrence of find, scanning on after each inserted replacement.
// An empty find leaves the text unchanged.
void ReplaceAll(std::string& text, const std::string& find, const std::string& replacement);
// Byte equality up to the terminator; case matters. A null text equals nothing.
bool StringEquals(const std::string& text, const char* other);
bool StringEquals(const std::string& text, const std::string& other);

// --- Splitting ---------------------------------------------------------------------
// Pieces between separators. Empty pieces between adjacent separators and before
// a leading separator are kept; a trailing separator adds none; an empty text
// gives no piece.
StringVector Split(const std::string& text, char separator);
StringVector Split(const std::string& text, const char* separators);

// --- Number parsing ----------------------------------------------------------------
// Blanks and tabs are skipped. A second '-' or a second decimal mark ('.' and ','
// count alike) fails; otherwise the rest is converted as a decimal number as far as
// it reads (an empty text gives 0). out is left alone on failure.
bool StringToFloat(const std::string& text, float& out);
// Blanks and tabs are skipped; a second '-' fails. Values beyond the int range
// are clamped to it.
bool StringToInt(const std::string& text, int& out);

// --- Encodings ---------------------------------------------------------------------
// 1 for 0x00-0x7F, 2, 3 or 4 for the lead bytes of longer sequences, 0 otherwise.
int Utf8SequenceLength(unsigned char lead);

// Decodes one code point at it and advances past its bytes; it must not be end.
// A byte that starts no sequence, or a lead byte whose sequence is cut off by the
// end, is returned as its own value and consumes one byte. Continuation bytes are
// taken as they are.
template <class Iterator>
uint32_t DecodeUtf8(Iterator& it, Iterator end) {
    const uint32_t a = static_cast<unsigned char>(*it);
    const int length = Utf8SequenceLength(static_cast<unsigned char>(a));
    int available = 1;
    for (Iterator probe = it; available < length && ++probe != end;)
        ++available;
    if (length <= 1 || available < length) {
        ++it;
        return a;
    }
    const uint32_t b = static_cast<unsigned char>(*++it) & 0x3Fu;
    if (length == 2) {
        ++it;
        return (a & 0x1Fu) << 6 | b;
    }
    const uint32_t c = static_cast<unsigned char>(*++it) & 0x3Fu;
    if (length == 3) {
        ++it;
        return (a & 0x0Fu) << 12 | b << 6 | c;
    }
    const uint32_t d = static_cast<unsigned char>(*++it) & 0x3Fu;
    ++it;
    return (a & 0x07u) << 18 | b << 12 | c << 6 | d;
}

// Code points above 0xFFFF become surrogate pairs.
std::u16string Utf8ToWide(const std::string& text);
// A high surrogate followed by a low one is combined; any other surrogate is
// encoded on its own.
std::string WideToUtf8(const std::u16string& text);
void AppendUtf8(std::string& text, uint32_t codePoint);
// Each byte becomes one unit; bytes from 0x80 up become '?'.
std::u16string AsciiToWide(const std::string& text);

// --- Performance counter -------------------------------------------------------------
int64_t GetPerformanceCounter();
int64_t GetPerformanceFrequency();

// --- Memory ------------------------------------------------------------------------
void MemCopy(void* destination, const void* source, size_t bytes);
void MemMove(void* destination, const void* source, size_t bytes);
void MemFill(void* pointer, size_t bytes, int value);
void MemZero(void* pointer, size_t bytes);

namespace Detail {
// Size of the buffer that the latest Sprintf of the calling thread formatted into.
size_t GetLastSprintfBufferSize();
}  // namespace Detail

}  // namespace Zep
