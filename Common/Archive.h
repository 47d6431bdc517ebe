// Serialisation interfaces and their text-archive implementations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Common/FileStream.h"
#include "Common/TextTokenizer.h"

namespace Zep {

class Stream;

// Reads a tree of objects, fields and arrays.
class IArchive {
public:
    virtual ~IArchive() {}

    // The next object's class name, nothing consumed.
    virtual std::string PeekString() = 0;
    virtual std::string PeekFieldName() = 0;
    // Returns the object's class name.
    virtual std::string BeginObject() = 0;
    virtual void EndObject() = 0;
    virtual void BeginArray() = 0;
    virtual void EndArray() = 0;
    virtual void BeginItem() = 0;
    virtual void EndItem() = 0;
    virtual bool AtObjectEnd() = 0;
    virtual bool AtArrayEnd() = 0;
    virtual std::string ReadFieldName() = 0;
    virtual void EndField() = 0;
    virtual float ReadFloat() = 0;
    virtual int32_t ReadInt() = 0;
    virtual uint32_t ReadUnsigned() = 0;
    virtual uint32_t ReadColor() = 0;
    virtual bool ReadBool() = 0;
    virtual std::string ReadString() = 0;
    virtual std::string GetName() = 0;
};

// Writes a tree of objects, fields and arrays.
class OArchive {
public:
    virtual ~OArchive() {}

    virtual void BeginObject(const std::string& className) = 0;
    virtual void EndObject() = 0;
    virtual void BeginArray(bool multiLine) = 0;
    virtual void EndArray() = 0;
    virtual void BeginItem() = 0;
    virtual void EndItem() = 0;
    virtual void BeginField(const std::string& name) = 0;
    virtual void EndField() = 0;
    virtual void WriteFloat(float value) = 0;
    virtual void WriteInt(int32_t value) = 0;
    virtual void WriteUnsigned(uint32_t value) = 0;
    virtual void WriteColor(uint32_t value) = 0;
    virtual void WriteBool(bool value) = 0;
    virtual void WriteString(const std::string& text) = 0;
};

// Reads a text archive from a seekable stream it does not own. Malformed text
// throws Zep::Exception::Assertion with a syntax-error report.
class ITextArchive : public IArchive {
public:
    ITextArchive(Stream* stream, const std::string& name) : tokenizer(stream), name(name) {}

    std::string PeekString() override;
    std::string PeekFieldName() override;
    std::string BeginObject() override;
    void EndObject() override;
    void BeginArray() override;
    void EndArray() override;
    void BeginItem() override {}
    void EndItem() override {}
    bool AtObjectEnd() override;
    bool AtArrayEnd() override;
    std::string ReadFieldName() override;
    void EndField() override {}
    float ReadFloat() override;
    int32_t ReadInt() override;
    uint32_t ReadUnsigned() override;
    uint32_t ReadColor() override;
    bool ReadBool() override;
    std::string ReadString() override;
    std::string GetName() override { return name; }

    // Reads a field name where the order of fields is fixed; another name throws
    // Zep::Exception::Assertion "Unexpected field name: <name read>".
    void ExpectFieldName(const std::string& expected);

    // Objects open inside one another at most; one more is a syntax error. The object
    // loader recurses once per level, so a deeper file would exhaust its stack, and no
    // scene nests its actors anywhere near this deep.
    static constexpr int kMaxObjectDepth = 256;

protected:
    TextTokenizer tokenizer;
    std::string name;
    // Objects begun and not yet ended.
    int openObjects = 0;
};

// ExpectFieldName of the reader when it is a text archive; any other reader is held
// to the same rule.
void ExpectFieldName(IArchive& reader, const std::string& expected);

// Reads a text archive from a file of the bundle system; the path is the
// document name. A file that cannot be opened throws from the constructor.
class ITextFileArchive : public ITextArchive {
public:
    explicit ITextFileArchive(const std::string& path);

private:
    FileStream file;
};

// Writes a text archive straight to a stream it does not own: one tab per
// nesting level, "\r\n" or "\n" newlines. An End call while nothing is open does
// nothing; one that ends another context than the open one panics "Mismatch archive
// context".
class OTextArchive : public OArchive {
public:
    OTextArchive(Stream* stream, bool crlfNewlines);

    void BeginObject(const std::string& className) override;
    void EndObject() override;
    void BeginArray(bool multiLine) override;
    void EndArray() override;
    void BeginItem() override;
    void EndItem() override;
    void BeginField(const std::string& name) override;
    void EndField() override;
    void WriteFloat(float value) override;
    void WriteInt(int32_t value) override;
    void WriteUnsigned(uint32_t value) override;
    void WriteColor(uint32_t value) override;
    void WriteBool(bool value) override;
    void WriteString(const std::string& text) override;

    enum Context : int32_t {
        ContextObject = 0,
        ContextMultiLineArray = 1,
        ContextSingleLineArray = 2,
        ContextItem = 3,
        ContextField = 4,
    };

private:
    // True while any open context is a single-line array.
    bool IsSingleLine() const;
    void WriteIndentation();
    void WriteNewline();
    void Write(const char* text, size_t length);
    // Pops the top context, which must be one of the two given; the stack is not empty.
    void PopContext(int32_t expected, int32_t alsoAllowed);

    std::vector<int32_t> contexts;
    int depth;
    uint8_t crlfNewlines;
    Stream* stream;
};

}  // namespace Zep
