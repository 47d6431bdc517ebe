#include "Common/StringUtils.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <memory>

#include <windows.h>

namespace Zep {

namespace {

// Makes the calling thread use the C locale for the life of a scope, so that
// number text never depends on the process locale.
class CLocaleScope {
public:
    CLocaleScope() : previous_(nullptr) {
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        if (cLocale)
            previous_ = uselocale(cLocale);
    }
    ~CLocaleScope() {
        if (previous_)
            uselocale(previous_);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous_;
};

const size_t kSprintfSizes[] = {1024, 4092, 16384};

thread_local size_t lastSprintfBufferSize = 0;

// Formats with a private copy of the arguments: a va_list cannot be used twice.
int FormatInto(char* buffer, size_t size, const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(buffer, size, format, copy);
    va_end(copy);
    return length;
}

bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

namespace Detail {

size_t GetLastSprintfBufferSize() {
    return lastSprintfBufferSize;
}

}  // namespace Detail

std::string Sprintf(const char* format, ...) {
    ZEP_ASSERT(format != nullptr);
    CLocaleScope locale;
    va_list args;
    va_start(args, format);

    // The first attempt stays on the stack: a buffer per call keeps concurrent
    // callers apart.
    char stackBuffer[kSprintfSizes[0]];
    const int length = FormatInto(stackBuffer, sizeof(stackBuffer), format, args);
    if (length >= 0 && static_cast<size_t>(length) < sizeof(stackBuffer)) {
        va_end(args);
        lastSprintfBufferSize = sizeof(stackBuffer);
        return std::string(stackBuffer, static_cast<size_t>(length));
    }
    for (size_t attempt = 1; attempt < sizeof(kSprintfSizes) / sizeof(kSprintfSizes[0]); ++attempt) {
        const size_t size = kSprintfSizes[attempt];
        // The first attempt already told the length; skip a buffer it cannot fit.
        if (length >= 0 && static_cast<size_t>(length) >= size)
            continue;
        std::unique_ptr<char[]> heapBuffer(new char[size]);
        const int written = FormatInto(heapBuffer.get(), size, format, args);
        if (written >= 0 && static_cast<size_t>(written) < size) {
            va_end(args);
            lastSprintfBufferSize = size;
            return std::string(heapBuffer.get(), static_cast<size_t>(written));
        }
    }
    va_end(args);
    ZEP_PANIC("Zep::Sprintf(): resulting string is too long");
}

int FormatMessage(size_t size, char* buffer, const char* format, ...) {
    ZEP_ASSERT(format != nullptr);
    if (!buffer || size == 0)
        return -1;
    CLocaleScope locale;
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, size, format, args);
    va_end(args);
    buffer[size - 1] = '\0';
    if (length < 0) {
        buffer[0] = '\0';
        return -1;
    }
    return static_cast<size_t>(length) < size ? length : static_cast<int>(size - 1);
}

const char* ToString(int value) {
    static char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "%i", value);
    return buffer;
}

const char* ToString(unsigned value) {
    static char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "%u", value);
    return buffer;
}

const char* ToString(float value) {
    static char buffer[64];
    CLocaleScope locale;
    std::snprintf(buffer, sizeof(buffer), "%0.5f", static_cast<double>(value));
    return buffer;
}

namespace {
int ToLowerChar(int character) {
    return character >= 'A' && character <= 'Z' ? character - 'A' + 'a' : character;
}
}  // namespace

std::string ToLower(const std::string& text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(ToLowerChar(static_cast<unsigned char>(c)));
    return result;
}

std::string ToUpper(const std::string& text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(ToUpperChar(static_cast<unsigned char>(c)));
    return result;
}

int ToUpperChar(int character) {
    return character >= 'a' && character <= 'z' ? character - 'a' + 'A' : character;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string TrimLeft(const std::string& text, const char* characters) {
    if (!characters)
        return text;
    const size_t first = text.find_first_not_of(characters);
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string TrimRight(const std::string& text, const char* characters) {
    if (!characters)
        return text;
    const size_t last = text.find_last_not_of(characters);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string TrimRight(const char* text, const char* characters) {
    return TrimRight(std::string(text ? text : ""), characters);
}

std::string SubString(const std::string& text, size_t start, size_t count) {
    if (start >= text.size())
        return std::string();
    return text.substr(start, count);
}

std::string Paste(const std::string& target, size_t position, const std::string& source) {
    std::string result(target);
    if (position >= result.size())
        return result;
    const size_t count = std::min(source.size(), result.size() - position);
    result.replace(position, count, source, 0, count);
    return result;
}

void ReplaceAll(std::string& text, const std::string& find, const std::string& replacement) {
    if (find.empty())
        return;
    for (size_t at = text.find(find); at != std::string::npos; at = text.find(find, at + replacement.size()))
        text.replace(at, find.size(), replacement);
}

bool StringEquals(const std::string& text, const char* other) {
    return other != nullptr && std::strcmp(text.c_str(), other) == 0;
}

bool StringEquals(const std::string& text, const std::string& other) {
    return std::strcmp(text.c_str(), other.c_str()) == 0;
}

namespace {

template <class IsSeparator>
StringVector SplitAt(const std::string& text, IsSeparator isSeparator) {
    StringVector pieces;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (isSeparator(text[i])) {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (start < text.size())
        pieces.push_back(text.substr(start));
    return pieces;
}

}  // namespace

StringVector Split(const std::string& text, char separator) {
    return SplitAt(text, [separator](char c) { return c == separator; });
}

StringVector Split(const std::string& text, const char* separators) {
    const std::string set(separators ? separators : "");
    return SplitAt(text, [&set](char c) { return set.find(c) != std::string::npos; });
}

bool StringToFloat(const std::string& text, float& out) {
    std::string kept;
    kept.reserve(text.size());
    bool minus = false;
    bool decimalMark = false;
    for (char c : text) {
        if (IsBlankOrTab(c))
            continue;
        if (c == '-') {
            if (minus)
                return false;
            minus = true;
        } else if (c == '.' || c == ',') {
            if (decimalMark)
                return false;
            decimalMark = true;
        }
        kept += c;
    }
    CLocaleScope locale;
    out = std::strtof(kept.c_str(), nullptr);
    return true;
}

bool StringToInt(const std::string& text, int& out) {
    std::string kept;
    kept.reserve(text.size());
    bool minus = false;
    for (char c : text) {
        if (IsBlankOrTab(c))
            continue;
        if (c == '-') {
            if (minus)
                return false;
            minus = true;
        }
        kept += c;
    }
    CLocaleScope locale;
    const long long value = std::strtoll(kept.c_str(), nullptr, 10);
    out = value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
    return true;
}

int Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}

std::u16string Utf8ToWide(const std::string& text) {
    std::u16string result;
    result.reserve(text.size());
    for (std::string::const_iterator it = text.begin(), end = text.end(); it != end;) {
        const uint32_t codePoint = DecodeUtf8(it, end);
        if (codePoint < 0x10000) {
            result += static_cast<char16_t>(codePoint);
        } else {
            result += static_cast<char16_t>(0xD7C0 + (codePoint >> 10));
            result += static_cast<char16_t>(0xDC00 | (codePoint & 0x3FF));
        }
    }
    return result;
}

std::string WideToUtf8(const std::u16string& text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t codePoint = text[i];
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            codePoint = codePoint * 1024 + text[i + 1] - 0x35FDC00;
            ++i;
        }
        AppendUtf8(result, codePoint);
    }
    return result;
}

void AppendUtf8(std::string& text, uint32_t codePoint) {
    if (codePoint < 0x80) {
        text += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        text += static_cast<char>(0xC0 | codePoint >> 6);
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint <= 0xFFFF) {
        text += static_cast<char>(0xE0 | codePoint >> 12);
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | codePoint >> 18);
        text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::u16string AsciiToWide(const std::string& text) {
    std::u16string result;
    result.reserve(text.size());
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        result += byte < 0x80 ? static_cast<char16_t>(byte) : u'?';
    }
    return result;
}

int64_t GetPerformanceCounter() {
    LARGE_INTEGER count;
    ::QueryPerformanceCounter(&count);
    return count.QuadPart;
}

int64_t GetPerformanceFrequency() {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

// The C library functions must not see null pointers, even for zero bytes.
void MemCopy(void* destination, const void* source, size_t bytes) {
    if (bytes)
        std::memcpy(destination, source, bytes);
}

void MemMove(void* destination, const void* source, size_t bytes) {
    if (bytes)
        std::memmove(destination, source, bytes);
}

void MemFill(void* pointer, size_t bytes, int value) {
    if (bytes)
        std::memset(pointer, value, bytes);
}

void MemZero(void* pointer, size_t bytes) {
    if (bytes)
        std::memset(pointer, 0, bytes);
}

}  // namespace Zep
