#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "Common/Archive.h"
#include "Common/CoreUtils.h"
#include "Common/MemoryStream.h"
#include "TestSupport.h"

using Zep::ITextArchive;
using Zep::MemoryStream;
using Zep::OTextArchive;

namespace {

const std::string kArchives = std::string(ZEP_TEST_DATA) + "/archives/";

// A read-only stream over a copy of the text.
struct TextStream : MemoryStream {
    explicit TextStream(const std::string& text) : MemoryStream(text.data(), static_cast<int32_t>(text.size()), 0) {}
};

// A reader over its own stream.
struct Reader {
    explicit Reader(const std::string& text) : stream(text), archive(&stream, "test") {}
    TextStream stream;
    ITextArchive archive;
};

// The text of the assertion the action throws, or "" when it throws none.
std::string AssertionText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Zep::Exception::Assertion& error) {
        return error.what();
    }
    return "";
}

std::string SyntaxError(int line, const std::string& error, const std::string& lineText) {
    return "Syntax error on line " + std::to_string(line) + ".\n Error: " + error + "\n Line was: " + lineText;
}

}  // namespace

TEST(TextArchiveReader, EachSyntaxErrorSample) {
    struct Sample {
        const char* file;
        std::function<void(ITextArchive&)> read;
        std::string expected;
    };
    const auto field = [](void (*value)(ITextArchive&)) {
        return [value](ITextArchive& archive) {
            archive.BeginObject();
            archive.ReadFieldName();
            value(archive);
        };
    };
    const std::vector<Sample> samples = {
        {"error_illegal_symbol.txt", field([](ITextArchive& a) { a.ReadString(); }),
         SyntaxError(2, "Illegal symbol found near quoted string", "\tName Foo")},
        {"error_unterminated.txt", field([](ITextArchive& a) { a.ReadString(); }),
         SyntaxError(-1, "Unterminated string", "\"A\" {")},
        {"error_invalid_escape.txt", field([](ITextArchive& a) { a.ReadString(); }),
         SyntaxError(2, "Invalid escape sequence", "\tName \"a\\q\"")},
        {"error_illegal_eol.txt", field([](ITextArchive& a) { a.ReadString(); }),
         SyntaxError(2, "Illegal EOL found inside quoted string", "\tName \"abc")},
        {"error_expected_brace.txt",
         [](ITextArchive& a) {
             a.BeginObject();
             a.ReadFieldName();
             a.ReadInt();
             a.EndObject();
         },
         SyntaxError(-1, "Couldn't get expected '}'", "\"A\" {")},
        {"error_float.txt", field([](ITextArchive& a) { a.ReadFloat(); }),
         SyntaxError(2, "Couldn't find expected floating-point expression", "\tScale -")},
        {"error_integer.txt", field([](ITextArchive& a) { a.ReadUnsigned(); }),
         SyntaxError(2, "Couldn't find expected integer expression", "\tCount +5")},
        {"error_boolean.txt", field([](ITextArchive& a) { a.ReadBool(); }),
         SyntaxError(2, "Couldn't find expected boolean expression", "\tVisible True")},
        // The carriage return before the line feed stays in the quoted line.
        {"error_hex.txt", field([](ITextArchive& a) { a.ReadColor(); }),
         SyntaxError(2, "Invalid number", "\tColor 0x123456789\r")},
    };
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.file);
        const std::string text = TestSupport::ReadFile(kArchives + sample.file);
        ASSERT_FALSE(text.empty());
        Reader reader(text);
        EXPECT_EQ(sample.expected, AssertionText([&] { sample.read(reader.archive); }));
    }
}

TEST(TextArchiveReader, LongLinesAreCutInTheReport) {
    // One line of 20000 characters: the report quotes its first 256 and stays a syntax error.
    std::string text = "\"A\" { Name ";
    text += std::string(20000 - text.size(), 'x');
    Reader reader(text + "\n}");
    const std::string error = AssertionText([&] {
        reader.archive.BeginObject();
        reader.archive.ReadFieldName();
        reader.archive.ReadString();
    });
    EXPECT_EQ(SyntaxError(1, "Illegal symbol found near quoted string", text.substr(0, 256)), error);
}

TEST(TextArchiveReader, NumberAndBooleanForms) {
    enum Kind { Hex, Float, Int, Unsigned, Bool };
    struct Case {
        Kind kind;
        const char* text;
        double value;
        const char* error;  // nullptr when the text is valid
    };
    const char* kInvalid = "Invalid number";
    const char* kNoFloat = "Couldn't find expected floating-point expression";
    const char* kNoInt = "Couldn't find expected integer expression";
    const char* kNoBool = "Couldn't find expected boolean expression";
    const Case cases[] = {
        {Hex, "0xff", 255, nullptr},
        {Hex, "0XFFFFFFFF", 4294967295.0, nullptr},
        {Hex, "0xaBc", 0xABC, nullptr},
        {Hex, "0x000000000000", 0, nullptr},
        {Hex, "0x0000012345678", 0x12345678, nullptr},
        {Hex, "0x123456789", 0, kInvalid},
        {Hex, "0x", 0, kInvalid},
        {Hex, "0x1X", 0, kInvalid},
        {Hex, "ff", 0, kInvalid},
        {Hex, "12", 0, kInvalid},
        {Float, "-.5", -0.5, nullptr},
        {Float, "5.", 5, nullptr},
        {Float, ".25", 0.25, nullptr},
        {Float, "+2.75", 2.75, nullptr},
        {Float, "0.1", 0.1, nullptr},
        {Float, "-", 0, kNoFloat},
        {Float, ".", 0, kNoFloat},
        {Float, "x", 0, kNoFloat},
        {Int, "+7", 7, nullptr},
        {Int, "-42", -42, nullptr},
        {Int, "99999999999", std::numeric_limits<int32_t>::max(), nullptr},
        {Int, "-99999999999", std::numeric_limits<int32_t>::min(), nullptr},
        {Int, "-", 0, kNoInt},
        {Unsigned, "4294967295", 4294967295.0, nullptr},
        {Unsigned, "99999999999", 4294967295.0, nullptr},
        {Unsigned, "+5", 0, kNoInt},
        {Unsigned, "-1", 0, kNoInt},
        {Bool, "true", 1, nullptr},
        {Bool, "1", 1, nullptr},
        {Bool, "false", 0, nullptr},
        {Bool, "0", 0, nullptr},
        {Bool, "True", 0, kNoBool},
        {Bool, "yes", 0, kNoBool},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        // A following line keeps the stream from its end, so errors name line 1.
        Reader reader(std::string(" ") + c.text + " \n#");
        double value = 0;
        const std::string error = AssertionText([&] {
            switch (c.kind) {
                case Hex:
                    value = reader.archive.ReadColor();
                    break;
                case Float:
                    value = reader.archive.ReadFloat();
                    break;
                case Int:
                    value = reader.archive.ReadInt();
                    break;
                case Unsigned:
                    value = reader.archive.ReadUnsigned();
                    break;
                case Bool:
                    value = reader.archive.ReadBool() ? 1 : 0;
                    break;
            }
        });
        if (c.error) {
            EXPECT_NE(std::string::npos, error.find(std::string("\n Error: ") + c.error + "\n")) << error;
        } else {
            EXPECT_EQ("", error);
            if (c.kind == Float)
                EXPECT_EQ(static_cast<float>(c.value), static_cast<float>(value));
            else
                EXPECT_EQ(c.value, value);
        }
    }
}

TEST(TextArchiveReader, NoExponentForm) {
    Reader reader("1e5");
    EXPECT_EQ(1.0f, reader.archive.ReadFloat());
    EXPECT_EQ("e5", reader.archive.ReadFieldName());
}

TEST(TextArchiveReader, StringsQuotesAndComments) {
    Reader reader(
        "# heading comment\n"
        "'a''b' \"it's\" 'say \"hi\"' \"\" '\xFF' # trailing\n"
        "Field_name AtEnd");
    ITextArchive& archive = reader.archive;
    EXPECT_EQ("a", archive.PeekString());
    EXPECT_EQ("a", archive.ReadString());
    EXPECT_EQ("b", archive.ReadString());
    EXPECT_EQ("it's", archive.ReadString());
    EXPECT_EQ("say \"hi\"", archive.ReadString());
    EXPECT_EQ("", archive.ReadString());
    EXPECT_EQ("\xFF", archive.ReadString());
    // Identifiers stop at an underscore, which stays in the stream.
    EXPECT_EQ("Field", archive.PeekFieldName());
    EXPECT_EQ("Field", archive.ReadFieldName());
    EXPECT_EQ("", archive.ReadFieldName());
    EXPECT_NE("", AssertionText([&] { archive.ReadString(); }));
}

TEST(TextArchiveReader, StructureAndFieldNames) {
    Reader reader("\"Zep::Scene\" {\n\tItems [ 1 2 ]\n\tOther 3\n}\n");
    ITextArchive& archive = reader.archive;
    EXPECT_EQ("test", archive.GetName());
    EXPECT_EQ("Zep::Scene", archive.BeginObject());
    EXPECT_FALSE(archive.AtObjectEnd());
    archive.ExpectFieldName("Items");
    archive.BeginArray();
    std::vector<int> items;
    while (!archive.AtArrayEnd()) {
        archive.BeginItem();
        items.push_back(archive.ReadInt());
        archive.EndItem();
    }
    archive.EndArray();
    archive.EndField();
    EXPECT_EQ((std::vector<int>{1, 2}), items);
    EXPECT_EQ("Unexpected field name: Other", AssertionText([&] { archive.ExpectFieldName("Items"); }));
    EXPECT_EQ(3, archive.ReadInt());
    EXPECT_TRUE(archive.AtObjectEnd());
    archive.EndObject();
    EXPECT_FALSE(archive.AtObjectEnd());
}

TEST(TextArchiveWriter, EveryEscapeRoundTrips) {
    const std::string text = "tab\t lf\n cr\r dq\" sq' bs\\ high\xFF\x01 end";
    MemoryStream out(0, MemoryStream::AutoResize);
    OTextArchive writer(&out, false);
    writer.WriteString(text);
    EXPECT_EQ("\"tab\\t lf\\n cr\\r dq\\\" sq\\' bs\\\\ high\xFF\x01 end\"", out.GetAsString());
    Reader reader(out.GetAsString());
    EXPECT_EQ(text, reader.archive.ReadString());
}

TEST(TextArchiveWriter, ValueForms) {
    MemoryStream out(0, MemoryStream::AutoResize);
    OTextArchive writer(&out, false);
    writer.WriteFloat(0.1f);
    writer.WriteFloat(-2.5f);
    writer.WriteInt(std::numeric_limits<int32_t>::min());
    writer.WriteUnsigned(4294967295u);
    writer.WriteColor(0xFF00FF00);
    writer.WriteColor(0xAB);
    writer.WriteBool(true);
    writer.WriteBool(false);
    EXPECT_EQ(
        "0.10000-2.50000-2147483648429496729"
        "50xFF00FF000x000000ABtruefalse",
        out.GetAsString());
}

TEST(TextArchiveWriter, UnbalancedCallsPanic) {
    const std::string expected = "Panic error in file \"Common\\Archive.cpp\", line 298:\n  Mismatch archive context";
    const auto panicText = [](const std::function<void(OTextArchive&)>& calls) {
        TestSupport::StderrCapture quiet;
        MemoryStream out(0, MemoryStream::AutoResize);
        OTextArchive writer(&out, false);
        try {
            calls(writer);
        } catch (const Zep::Exception::Panic& error) {
            return std::string(error.what());
        }
        return std::string();
    };
    EXPECT_EQ(expected, panicText([](OTextArchive& w) {
                  w.BeginObject("A");
                  w.EndField();
              }));
    EXPECT_EQ(expected, panicText([](OTextArchive& w) {
                  w.BeginArray(false);
                  w.BeginItem();
                  w.EndArray();
              }));
    EXPECT_EQ(expected, panicText([](OTextArchive& w) { w.EndObject(); }));
}

namespace {

// The test tree: every value form, arrays of plain values, collections of
// objects, an empty collection and an object inside a single-line array.
void WriteTree(Zep::OArchive& w) {
    w.BeginObject("Zep::Scene");
    w.BeginField("Attributes");
    w.WriteInt(1);
    w.EndField();
    w.BeginField("Name");
    w.WriteString("Main \"menu\"");
    w.EndField();
    w.BeginField("Position");
    w.BeginArray(false);
    for (float v : {0.1f, -2.0f}) {
        w.BeginItem();
        w.WriteFloat(v);
        w.EndItem();
    }
    w.EndArray();
    w.EndField();
    w.BeginField("Keys");
    w.BeginArray(false);
    for (int v : {3, 4, 5}) {
        w.BeginItem();
        w.WriteInt(v);
        w.EndItem();
    }
    w.EndArray();
    w.EndField();
    w.BeginField("Empty");
    w.BeginArray(false);
    w.EndArray();
    w.EndField();
    w.BeginField("Actors");
    w.BeginArray(true);
    for (uint32_t i = 0; i < 2; ++i) {
        w.BeginItem();
        w.BeginObject("Zep::Image");
        w.BeginField("Color");
        w.WriteColor(0xFF00FF00 + i);
        w.EndField();
        w.BeginField("Visible");
        w.WriteBool(i == 0);
        w.EndField();
        w.BeginField("Frame");
        w.WriteUnsigned(4000000000u + i);
        w.EndField();
        w.BeginField("Children");
        w.BeginArray(false);
        w.EndArray();
        w.EndField();
        w.EndObject();
        w.EndItem();
    }
    w.EndArray();
    w.EndField();
    w.BeginField("Inline");
    w.BeginArray(false);
    w.BeginItem();
    w.BeginObject("Zep::Marker");
    w.BeginField("Time");
    w.WriteInt(20);
    w.EndField();
    w.BeginField("Label");
    w.WriteString("go");
    w.EndField();
    w.EndObject();
    w.EndItem();
    w.EndArray();
    w.EndField();
    w.EndObject();
}

}  // namespace

TEST(TextArchiveWriter, LayoutMatchesTheGoldenFiles) {
    for (bool crlf : {false, true}) {
        const std::string golden = kArchives + (crlf ? "golden_tree_crlf.txt" : "golden_tree_lf.txt");
        SCOPED_TRACE(golden);
        MemoryStream out(0, MemoryStream::AutoResize);
        OTextArchive writer(&out, crlf);
        WriteTree(writer);
        if (std::getenv("ZEP_UPDATE_GOLDEN"))
            TestSupport::WriteFile(golden, out.GetAsString());
        EXPECT_EQ(TestSupport::ReadFile(golden), out.GetAsString());
    }
}

TEST(TextArchiveWriter, GoldenTreeReadsBack) {
    Reader reader(TestSupport::ReadFile(kArchives + "golden_tree_crlf.txt"));
    ITextArchive& r = reader.archive;
    EXPECT_EQ("Zep::Scene", r.PeekString());
    EXPECT_EQ("Zep::Scene", r.BeginObject());
    r.ExpectFieldName("Attributes");
    EXPECT_EQ(1, r.ReadInt());
    r.ExpectFieldName("Name");
    EXPECT_EQ("Main \"menu\"", r.ReadString());
    r.ExpectFieldName("Position");
    r.BeginArray();
    EXPECT_EQ(0.1f, r.ReadFloat());
    EXPECT_EQ(-2.0f, r.ReadFloat());
    r.EndArray();
    r.ExpectFieldName("Keys");
    r.BeginArray();
    EXPECT_EQ(3, r.ReadInt());
    EXPECT_EQ(4, r.ReadInt());
    EXPECT_EQ(5, r.ReadInt());
    r.EndArray();
    r.ExpectFieldName("Empty");
    r.BeginArray();
    EXPECT_TRUE(r.AtArrayEnd());
    r.EndArray();
    r.ExpectFieldName("Actors");
    r.BeginArray();
    for (uint32_t i = 0; i < 2; ++i) {
        EXPECT_EQ("Zep::Image", r.BeginObject());
        r.ExpectFieldName("Color");
        EXPECT_EQ(0xFF00FF00 + i, r.ReadColor());
        r.ExpectFieldName("Visible");
        EXPECT_EQ(i == 0, r.ReadBool());
        r.ExpectFieldName("Frame");
        EXPECT_EQ(4000000000u + i, r.ReadUnsigned());
        r.ExpectFieldName("Children");
        r.BeginArray();
        r.EndArray();
        r.EndObject();
    }
    r.EndArray();
    r.ExpectFieldName("Inline");
    r.BeginArray();
    EXPECT_EQ("Zep::Marker", r.BeginObject());
    r.ExpectFieldName("Time");
    EXPECT_EQ(20, r.ReadInt());
    r.ExpectFieldName("Label");
    EXPECT_EQ("go", r.ReadString());
    r.EndObject();
    r.EndArray();
    EXPECT_TRUE(r.AtObjectEnd());
    r.EndObject();
}

namespace {

int WriteNode(Zep::OArchive& w, int id, int depth) {
    w.BeginObject("Zep::Node");
    w.BeginField("Name");
    w.WriteString("node " + std::to_string(id));
    w.EndField();
    w.BeginField("Id");
    w.WriteInt(id);
    w.EndField();
    w.BeginField("Scale");
    w.WriteFloat(id * 0.25f);
    w.EndField();
    w.BeginField("Color");
    w.WriteColor(0xFF000000u | static_cast<uint32_t>(id));
    w.EndField();
    w.BeginField("Visible");
    w.WriteBool(id % 2 == 0);
    w.EndField();
    w.BeginField("Children");
    int written = 1;
    w.BeginArray(depth > 0);
    for (int child = 0; depth > 0 && child < 6; ++child) {
        w.BeginItem();
        written += WriteNode(w, id + written, depth - 1);
        w.EndItem();
    }
    w.EndArray();
    w.EndField();
    w.EndObject();
    return written;
}

int ReadNode(ITextArchive& r) {
    r.BeginObject();
    r.ExpectFieldName("Name");
    r.ReadString();
    r.ExpectFieldName("Id");
    r.ReadInt();
    r.ExpectFieldName("Scale");
    r.ReadFloat();
    r.ExpectFieldName("Color");
    r.ReadColor();
    r.ExpectFieldName("Visible");
    r.ReadBool();
    r.ExpectFieldName("Children");
    int read = 1;
    r.BeginArray();
    while (!r.AtArrayEnd())
        read += ReadNode(r);
    r.EndArray();
    r.EndObject();
    return read;
}

}  // namespace

// Prints the write and parse speed of a 5 MB archive of nested objects; asserts no speed.
TEST(TextArchiveBenchmark, WriteAndParseFiveMegabytes) {
    using Clock = std::chrono::steady_clock;
    const int32_t target = 5 * 1024 * 1024;
    MemoryStream out(0, MemoryStream::AutoResize);
    OTextArchive writer(&out, true);
    const Clock::time_point writeStart = Clock::now();
    writer.BeginObject("Zep::Scene");
    writer.BeginField("Children");
    writer.BeginArray(true);
    int written = 0;
    while (out.GetSize() < target) {
        writer.BeginItem();
        written += WriteNode(writer, written, 3);
        writer.EndItem();
    }
    writer.EndArray();
    writer.EndField();
    writer.EndObject();
    const double writeSeconds = std::chrono::duration<double>(Clock::now() - writeStart).count();

    out.Seek(0, Zep::Stream::SeekStart);
    ITextArchive reader(&out, "benchmark");
    const Clock::time_point readStart = Clock::now();
    EXPECT_EQ("Zep::Scene", reader.BeginObject());
    reader.ExpectFieldName("Children");
    reader.BeginArray();
    int read = 0;
    while (!reader.AtArrayEnd())
        read += ReadNode(reader);
    reader.EndArray();
    reader.EndObject();
    const double readSeconds = std::chrono::duration<double>(Clock::now() - readStart).count();

    EXPECT_EQ(written, read);
    const double megabytes = out.GetSize() / (1024.0 * 1024.0);
    std::printf("[ BENCH    ] %.2f MB, %d objects: write %.1f MB/s, parse %.1f MB/s\n", megabytes, written,
                megabytes / writeSeconds, megabytes / readSeconds);
}
