#include "Common/Archive.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "Common/CoreUtils.h"
#include "Common/FileSystem.h"
#include "Common/Stream.h"

namespace Zep {

// --- ITextArchive -----------------------------------------------------------

std::string ITextArchive::PeekString() {
    return tokenizer.PeekQuotedString();
}

std::string ITextArchive::PeekFieldName() {
    return tokenizer.PeekIdentifier();
}

std::string ITextArchive::BeginObject() {
    std::string className = tokenizer.ReadQuotedString();
    tokenizer.Expect('{');
    if (++openObjects > kMaxObjectDepth)
        tokenizer.Fail("Objects nested too deeply");
    return className;
}

void ITextArchive::EndObject() {
    tokenizer.Expect('}');
    if (openObjects > 0)
        --openObjects;
}

void ITextArchive::BeginArray() {
    tokenizer.Expect('[');
}

void ITextArchive::EndArray() {
    tokenizer.Expect(']');
}

bool ITextArchive::AtObjectEnd() {
    return tokenizer.PeekSignificantChar() == '}';
}

bool ITextArchive::AtArrayEnd() {
    return tokenizer.PeekSignificantChar() == ']';
}

std::string ITextArchive::ReadFieldName() {
    return tokenizer.ReadIdentifier();
}

float ITextArchive::ReadFloat() {
    return tokenizer.ReadFloat();
}

int32_t ITextArchive::ReadInt() {
    return tokenizer.ReadInt();
}

uint32_t ITextArchive::ReadUnsigned() {
    return tokenizer.ReadUnsigned();
}

uint32_t ITextArchive::ReadColor() {
    return tokenizer.ReadHex();
}

bool ITextArchive::ReadBool() {
    return tokenizer.ReadBool();
}

std::string ITextArchive::ReadString() {
    return tokenizer.ReadQuotedString();
}

void ITextArchive::ExpectFieldName(const std::string& expected) {
    const std::string read = ReadFieldName();
    if (read != expected)
        throw Exception::Assertion("Unexpected field name: " + read);
}

void ExpectFieldName(IArchive& reader, const std::string& expected) {
    if (ITextArchive* text = dynamic_cast<ITextArchive*>(&reader)) {
        text->ExpectFieldName(expected);
        return;
    }
    const std::string read = reader.ReadFieldName();
    if (read != expected)
        throw Exception::Assertion("Unexpected field name: " + read);
}

// --- ITextFileArchive -------------------------------------------------------

// The tokenizer keeps the stream's address only; the stream is opened right after.
ITextFileArchive::ITextFileArchive(const std::string& path)
    : ITextArchive(&file, path), file(path, FS_OPEN_READ | FS_OPEN_SHARE_READ) {}

// --- OTextArchive -----------------------------------------------------------

OTextArchive::OTextArchive(Stream* stream, bool crlfNewlines)
    : depth(0), crlfNewlines(crlfNewlines ? 1 : 0), stream(stream) {}

bool OTextArchive::IsSingleLine() const {
    for (int32_t context : contexts) {
        if (context == ContextSingleLineArray)
            return true;
    }
    return false;
}

void OTextArchive::Write(const char* text, size_t length) {
    stream->Write(text, static_cast<int32_t>(length));
}

void OTextArchive::WriteIndentation() {
    for (int level = 0; level < depth; ++level)
        stream->WriteByte('\t');
}

void OTextArchive::WriteNewline() {
    if (crlfNewlines)
        Write("\r\n", 2);
    else
        Write("\n", 1);
}

void OTextArchive::PopContext(int32_t expected, int32_t alsoAllowed) {
    // Ending another context than the open one is a fault of the caller.
    if (contexts.back() != expected && contexts.back() != alsoAllowed)
        Panic("Common\\Archive.cpp", 298, "Mismatch archive context");
    contexts.pop_back();
}

void OTextArchive::BeginObject(const std::string& className) {
    contexts.push_back(ContextObject);
    if (IsSingleLine()) {
        WriteString(className);
        Write(" { ", 3);
    } else {
        WriteIndentation();
        WriteString(className);
        Write(" {", 2);
        WriteNewline();
        ++depth;
    }
}

void OTextArchive::EndObject() {
    if (contexts.empty())
        return;  // nothing is open: there is nothing to end
    PopContext(ContextObject, ContextObject);
    if (IsSingleLine()) {
        stream->WriteByte('}');
    } else {
        --depth;
        WriteIndentation();
        stream->WriteByte('}');
        WriteNewline();
    }
}

void OTextArchive::BeginArray(bool multiLine) {
    contexts.push_back(multiLine ? ContextMultiLineArray : ContextSingleLineArray);
    stream->WriteByte('[');
    if (!IsSingleLine()) {
        WriteNewline();
        ++depth;
    }
}

void OTextArchive::EndArray() {
    if (contexts.empty())
        return;  // nothing is open: there is nothing to end
    if (IsSingleLine()) {
        Write(" ]", 2);
    } else {
        --depth;
        WriteIndentation();
        stream->WriteByte(']');
    }
    PopContext(ContextMultiLineArray, ContextSingleLineArray);
}

void OTextArchive::BeginItem() {
    contexts.push_back(ContextItem);
    if (IsSingleLine())
        stream->WriteByte(' ');
}

void OTextArchive::EndItem() {
    if (contexts.empty())
        return;  // nothing is open: there is nothing to end
    PopContext(ContextItem, ContextItem);
}

void OTextArchive::BeginField(const std::string& name) {
    contexts.push_back(ContextField);
    if (!IsSingleLine())
        WriteIndentation();
    Write(name.data(), name.size());
    stream->WriteByte(' ');
}

void OTextArchive::EndField() {
    if (contexts.empty())
        return;  // nothing is open: there is nothing to end
    PopContext(ContextField, ContextField);
    if (IsSingleLine())
        stream->WriteByte(' ');
    else
        WriteNewline();
}

// Numbers are formatted per call in the C locale, so writers may run on several threads.
void OTextArchive::WriteFloat(float value) {
    // Infinities and NaN have no text that the reader takes (a number too large for a
    // float reads as infinity): an infinity is written as the largest float of its
    // sign and NaN as 0, so that everything written can be read again.
    if (std::isnan(value))
        value = 0.0f;
    else if (std::isinf(value))
        value = value < 0 ? -std::numeric_limits<float>::max() : std::numeric_limits<float>::max();
    char text[64];
    const std::to_chars_result result = std::to_chars(text, text + sizeof(text), value, std::chars_format::fixed, 5);
    Write(text, result.ec == std::errc() ? static_cast<size_t>(result.ptr - text) : 0);
}

void OTextArchive::WriteInt(int32_t value) {
    char text[16];
    const std::to_chars_result result = std::to_chars(text, text + sizeof(text), value);
    Write(text, static_cast<size_t>(result.ptr - text));
}

void OTextArchive::WriteUnsigned(uint32_t value) {
    char text[16];
    const std::to_chars_result result = std::to_chars(text, text + sizeof(text), value);
    Write(text, static_cast<size_t>(result.ptr - text));
}

void OTextArchive::WriteColor(uint32_t value) {
    char text[16];
    const int length = std::snprintf(text, sizeof(text), "0x%08X", value);
    Write(text, static_cast<size_t>(length));
}

void OTextArchive::WriteBool(bool value) {
    if (value)
        Write("true", 4);
    else
        Write("false", 5);
}

void OTextArchive::WriteString(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size() + 2);
    escaped += '"';
    for (char c : text) {
        switch (c) {
            case '\t':
                escaped += "\\t";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '"':
            case '\'':
            case '\\':
                escaped += '\\';
                escaped += c;
                break;
            default:
                escaped += c;
        }
    }
    escaped += '"';
    Write(escaped.data(), escaped.size());
}

}  // namespace Zep
