// Text archives: the input is read as a document of nested objects, fields and arrays,
// each value in the form its text shows (integer, unsigned, float, colour, boolean,
// string), and everything read is written back with the text writer. What the writer
// writes must read back and write again to the very same text.
//
// The reader reads in place whatever its stream lends, so the document is read from
// four streams: a memory stream, a file stream over the bundle system, and the
// target's own stream lending small exact windows or nothing. All four must give the
// same text, or fail with the same report.
#include <cstdint>
#include <string>

#include "Common/Archive.h"
#include "Common/BundleSystem.h"
#include "Common/FileStream.h"
#include "Common/FileSystem.h"
#include "Common/MemoryStream.h"
#include "Common/TextTokenizer.h"
#include "FuzzSupport.h"

namespace {

const size_t kMaxInput = 1 << 20;
// Deeper documents are refused by this reader, not by the engine's.
const int kMaxDepth = 1000;

bool IsDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(uint8_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Copies one document: the reader and a tokenizer over the same stream, which looks
// ahead to choose the form of each value and leaves the position as it found it.
class DocumentCopy {
public:
    DocumentCopy(Zep::Stream& input, Zep::OArchive& writer)
        : input(input), reader(&input, "fuzz"), look(&input), writer(writer) {}

    // Top-level values are objects: the writer puts nothing between top-level values.
    void CopyAll() {
        look.SkipBlanks();
        while (!input.IsEOF()) {
            if (!StartsObject())
                throw Fuzz::Rejected();
            CopyObject(0);
            look.SkipBlanks();
        }
    }

private:
    void CopyValue(int depth) {
        if (depth > kMaxDepth)
            throw Fuzz::Rejected();
        const uint8_t c = look.PeekSignificantChar();
        if (c == '[') {
            CopyArray(depth);
        } else if (c == '"' || c == '\'') {
            if (StringOpensObject())
                CopyObject(depth);
            else
                writer.WriteString(reader.ReadString());
        } else if (c == '-' || c == '+' || c == '.' || IsDigit(c)) {
            CopyNumber();
        } else if (IsLetter(c)) {
            writer.WriteBool(reader.ReadBool());
        } else {
            throw Fuzz::Rejected();
        }
    }

    // A quoted string followed by '{' is the class name of an object.
    bool StringOpensObject() {
        const int32_t start = input.GetPosition();
        look.ReadQuotedString();
        const bool opens = look.PeekSignificantChar() == '{';
        input.Seek(start, Zep::Stream::SeekStart);
        return opens;
    }

    void CopyObject(int depth) {
        writer.BeginObject(reader.BeginObject());
        while (!reader.AtObjectEnd()) {
            const std::string name = reader.ReadFieldName();
            // The object loader would find no field of an empty name either.
            if (name.empty())
                throw Fuzz::Rejected();
            writer.BeginField(name);
            CopyValue(depth + 1);
            reader.EndField();
            writer.EndField();
        }
        reader.EndObject();
        writer.EndObject();
    }

    // An array that starts with an object is a collection and is written multi-line, as
    // collections are; the writer separates nothing but objects there, so such an array
    // must hold objects only. Other arrays are written on one line, objects inline.
    void CopyArray(int depth) {
        reader.BeginArray();
        const bool collection = StartsObject();
        writer.BeginArray(collection);
        while (!reader.AtArrayEnd()) {
            if (collection && !StartsObject())
                throw Fuzz::Rejected();
            reader.BeginItem();
            writer.BeginItem();
            CopyValue(depth + 1);
            reader.EndItem();
            writer.EndItem();
        }
        reader.EndArray();
        writer.EndArray();
    }

    bool StartsObject() {
        const uint8_t c = look.PeekSignificantChar();
        return (c == '"' || c == '\'') && StringOpensObject();
    }

    // "0x" starts a colour; a point makes a float; a sign an integer; bare digits an
    // unsigned.
    void CopyNumber() {
        const int32_t start = input.GetPosition();
        look.SkipBlanks();
        std::string token;
        while (!input.IsEOF() && token.size() < 64) {
            const uint8_t c = input.PeekChar();
            if (!IsDigit(c) && !IsLetter(c) && c != '.' && c != '-' && c != '+')
                break;
            token += static_cast<char>(input.ReadChar());
        }
        input.Seek(start, Zep::Stream::SeekStart);
        if (token.size() > 1 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X'))
            writer.WriteColor(reader.ReadColor());
        else if (token.find('.') != std::string::npos)
            writer.WriteFloat(reader.ReadFloat());
        else if (token[0] == '-' || token[0] == '+')
            writer.WriteInt(reader.ReadInt());
        else
            writer.WriteUnsigned(reader.ReadUnsigned());
    }

    Zep::Stream& input;
    Zep::ITextArchive reader;
    Zep::TextTokenizer look;
    Zep::OArchive& writer;
};

// The document copied as text, with the given newlines.
std::string Copy(Zep::Stream& input, bool crlf) {
    Zep::MemoryStream output(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&output, crlf);
    DocumentCopy(input, writer).CopyAll();
    return output.GetAsString();
}

// The copied text, or the text of the report that refused the document.
struct Outcome {
    bool copied = false;
    std::string text;
    bool operator!=(const Outcome& other) const { return copied != other.copied || text != other.text; }
};

Outcome CopyOrReport(Zep::Stream& input, bool crlf) {
    Outcome outcome;
    Fuzz::MustSucceed("the reader failed without a report", [&] {
        try {
            outcome.text = Copy(input, crlf);
            outcome.copied = true;
        } catch (const Zep::Exception::Memory&) {
            throw;
        } catch (const Zep::Exception::Generic& report) {
            outcome.text = report.what();
        } catch (const Fuzz::Rejected&) {
            outcome.text = "rejected";
        }
    });
    return outcome;
}

std::string Describe(const char* stream, const Outcome& outcome) {
    return std::string(stream) + (outcome.copied ? " copied:\n" : " refused:\n") + outcome.text + "\n";
}

const char kDocument[] = "document.txt";
std::string folder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::SetUpEngine();
    folder = Fuzz::MakeScratchFolder();
    Zep::BundleSystem::GetInstance()->MountDirectory(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput)
        return 0;
    const bool crlf = size > 0 && (data[size - 1] & 1);

    Zep::MemoryStream memory(data, static_cast<int32_t>(size), 0);
    const Outcome outcome = CopyOrReport(memory, crlf);

    Fuzz::WriteScratchFile(folder + "/" + kDocument, data, size);
    {
        Zep::FileStream file(kDocument, Zep::FS_OPEN_READ);
        const Outcome fromFile = CopyOrReport(file, crlf);
        if (fromFile != outcome)
            Fuzz::Fail("a file stream reads another document",
                       Describe("memory", outcome) + Describe("file", fromFile));
    }
    Fuzz::InputStream windows(data, size, size > 0 ? 1 + data[0] % 32 : 1);
    const Outcome fromWindows = CopyOrReport(windows, crlf);
    if (fromWindows != outcome)
        Fuzz::Fail("small windows read another document",
                   Describe("memory", outcome) + Describe("windows", fromWindows));
    Fuzz::InputStream unbuffered(data, size, 0);
    const Outcome fromUnbuffered = CopyOrReport(unbuffered, crlf);
    if (fromUnbuffered != outcome)
        Fuzz::Fail("a stream without a buffer reads another document",
                   Describe("memory", outcome) + Describe("unbuffered", fromUnbuffered));
    if (!outcome.copied)
        return 0;

    const std::string& written = outcome.text;
    std::string again;
    Fuzz::MustSucceed("the writer's text does not read back", [&] {
        Zep::MemoryStream copy(written.data(), static_cast<int32_t>(written.size()), 0);
        again = Copy(copy, crlf);
    });
    if (again != written)
        Fuzz::Fail("the writer's text reads back to another document", written + "\n---- written again:\n" + again);
    return 0;
}
