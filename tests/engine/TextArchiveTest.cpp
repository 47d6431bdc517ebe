#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "ReportOf.h"
#include "Common/Archive.h"
#include "Common/CoreUtils.h"
#include "Common/MemoryStream.h"
#include "StreamTestSupport.h"
#include "TestSupport.h"

using Zep::ITextArchive;
using Zep::MemoryStream;
using Zep::OTextArchive;

namespace {

class TextArchiveReaderTest : public StreamTestSupport::HeapFixture {};
class TextArchiveWriterTest : public StreamTestSupport::HeapFixture {};

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
    return TestSupport::ReportOf<Zep::Exception::Assertion>(action);
}

std::string SyntaxError(int line, const std::string& error, const std::string& lineText) {
    return "Syntax error on line " + std::to_string(line) + ".\n Error: " + error + "\n Line was: " + lineText;
}

}  // namespace

TEST_F(TextArchiveReaderTest, EachSyntaxErrorSample) {
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

TEST_F(TextArchiveReaderTest, LongLinesAreCutInTheReport) {
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

TEST_F(TextArchiveReaderTest, NumberAndBooleanForms) {
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

TEST_F(TextArchiveReaderTest, NoExponentForm) {
    Reader reader("1e5");
    EXPECT_EQ(1.0f, reader.archive.ReadFloat());
    EXPECT_EQ("e5", reader.archive.ReadFieldName());
}

TEST_F(TextArchiveReaderTest, StringsQuotesAndComments) {
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

TEST_F(TextArchiveReaderTest, StructureAndFieldNames) {
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

// Objects nest at most 256 deep: the object loader recurses once per level, and a file
// nesting thousands would exhaust its stack. Siblings do not add up.
TEST_F(TextArchiveReaderTest, ObjectsNestAtMost256Deep) {
    for (const int depth : {256, 257}) {
        std::string text;
        for (int i = 0; i < depth; ++i)
            text += "\"A\" { ";
        text += std::string(static_cast<size_t>(depth), '}');
        Reader reader(text);
        const std::string report = AssertionText([&] {
            for (int i = 0; i < depth; ++i)
                reader.archive.BeginObject();
            for (int i = 0; i < depth; ++i)
                reader.archive.EndObject();
        });
        EXPECT_EQ(depth == 256 ? "" : SyntaxError(1, "Objects nested too deeply", text.substr(0, 256)), report);
    }
    std::string siblings = "\"A\" { ";
    for (int i = 0; i < 300; ++i)
        siblings += "\"B\" { } ";
    Reader reader(siblings + "}");
    reader.archive.BeginObject();
    for (int i = 0; i < 300; ++i)
        reader.archive.BeginObject(), reader.archive.EndObject();
    reader.archive.EndObject();
}

// A number too large for a float reads as an infinity (the text archive fuzz target
// found one); the writer writes infinities, and NaN, in a form the reader takes.
TEST_F(TextArchiveWriterTest, FloatsWithoutATextFormWriteAsNumbersThatReadBack) {
    Reader found("-21472222222222222222222222222222222220048949.72");
    const float infinite = found.archive.ReadFloat();
    EXPECT_EQ(-std::numeric_limits<float>::infinity(), infinite);
    const float max = std::numeric_limits<float>::max();
    const std::pair<float, float> cases[] = {{infinite, -max},
                                             {-infinite, max},
                                             {std::numeric_limits<float>::quiet_NaN(), 0.0f},
                                             {max, max},
                                             {-0.5f, -0.5f}};
    for (const auto& [value, expected] : cases) {
        MemoryStream out(0, MemoryStream::AutoResize);
        OTextArchive writer(&out, false);
        writer.WriteFloat(value);
        Reader reader(out.GetAsString());
        EXPECT_EQ(expected, reader.archive.ReadFloat()) << out.GetAsString();
    }
}

TEST_F(TextArchiveWriterTest, EveryEscapeRoundTrips) {
    const std::string text = "tab\t lf\n cr\r dq\" sq' bs\\ high\xFF\x01 end";
    MemoryStream out(0, MemoryStream::AutoResize);
    OTextArchive writer(&out, false);
    writer.WriteString(text);
    EXPECT_EQ("\"tab\\t lf\\n cr\\r dq\\\" sq\\' bs\\\\ high\xFF\x01 end\"", out.GetAsString());
    Reader reader(out.GetAsString());
    EXPECT_EQ(text, reader.archive.ReadString());
}

TEST_F(TextArchiveWriterTest, UnbalancedCallsPanic) {
    const std::string expected = "Panic error in file \"Common\\Archive.cpp\", line 298:\n  Mismatch archive context";
    const auto panicText = [](const std::function<void(OTextArchive&)>& calls) {
        TestSupport::StderrCapture quiet;
        MemoryStream out(0, MemoryStream::AutoResize);
        OTextArchive writer(&out, false);
        return TestSupport::ReportOf<Zep::Exception::Panic>([&] { calls(writer); });
    };
    EXPECT_EQ(expected, panicText([](OTextArchive& w) { w.BeginObject("A"), w.EndField(); }));
    EXPECT_EQ(expected, panicText([](OTextArchive& w) { w.BeginArray(false), w.BeginItem(), w.EndArray(); }));
    EXPECT_EQ(expected, panicText([](OTextArchive& w) { w.BeginObject("A"), w.EndArray(); }));
}

// An End call with nothing open writes nothing and leaves the layout of what follows alone.
TEST_F(TextArchiveWriterTest, EndingWithNothingOpenDoesNothing) {
    const std::vector<std::function<void(OTextArchive&)>> strayEnds = {
        [](OTextArchive& w) { w.EndObject(); },
        [](OTextArchive& w) { w.EndArray(); },
        [](OTextArchive& w) { w.EndItem(); },
        [](OTextArchive& w) { w.EndField(); },
    };
    const auto write = [](const std::function<void(OTextArchive&)>& before) {
        MemoryStream out(0, MemoryStream::AutoResize);
        OTextArchive writer(&out, false);
        before(writer);
        writer.BeginObject("A");
        writer.BeginField("B");
        writer.WriteInt(1);
        writer.EndField();
        writer.EndObject();
        before(writer);
        return out.GetAsString();
    };
    for (size_t i = 0; i < strayEnds.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ("\"A\" {\n\tB 1\n}\n", write(strayEnds[i]));
    }
}

namespace {

// Writes fields and arrays around the values that callbacks write.
struct TreeWriter {
    Zep::OArchive& w;
    void Field(const char* name, const std::function<void()>& value) {
        w.BeginField(name);
        value();
        w.EndField();
    }
    void Array(bool multiLine, int count, const std::function<void(int)>& item) {
        w.BeginArray(multiLine);
        for (int i = 0; i < count; ++i) {
            w.BeginItem();
            item(i);
            w.EndItem();
        }
        w.EndArray();
    }
};

}  // namespace

// Every value form, arrays of plain values, a collection of objects, empty
// arrays and an object inside a single-line array.
TEST_F(TextArchiveWriterTest, LayoutMatchesTheGoldenFiles) {
    for (bool crlf : {false, true}) {
        const std::string golden = kArchives + (crlf ? "golden_tree_crlf.txt" : "golden_tree_lf.txt");
        SCOPED_TRACE(golden);
        MemoryStream out(0, MemoryStream::AutoResize);
        OTextArchive writer(&out, crlf);
        TreeWriter t{writer};
        writer.BeginObject("Zep::Scene");
        t.Field("Attributes", [&] { writer.WriteInt(std::numeric_limits<int32_t>::min()); });
        t.Field("Name", [&] { writer.WriteString("Main \"menu\""); });
        t.Field("Position", [&] { t.Array(false, 2, [&](int i) { writer.WriteFloat(i ? -2.5f : 0.1f); }); });
        t.Field("Keys", [&] { t.Array(false, 3, [&](int i) { writer.WriteInt(3 + i); }); });
        t.Field("Empty", [&] { t.Array(false, 0, nullptr); });
        t.Field("Actors", [&] {
            t.Array(true, 2, [&](int i) {
                writer.BeginObject("Zep::Image");
                t.Field("Color", [&] { writer.WriteColor(i ? 0xAB : 0xFF00FF00); });
                t.Field("Visible", [&] { writer.WriteBool(i == 0); });
                t.Field("Frame", [&] { writer.WriteUnsigned(4294967295u - i); });
                t.Field("Children", [&] { t.Array(false, 0, nullptr); });
                writer.EndObject();
            });
        });
        t.Field("Inline", [&] {
            t.Array(false, 1, [&](int) {
                writer.BeginObject("Zep::Marker");
                t.Field("Time", [&] { writer.WriteInt(20); });
                t.Field("Label", [&] { writer.WriteString("go"); });
                writer.EndObject();
            });
        });
        writer.EndObject();
        if (std::getenv("ZEP_UPDATE_GOLDEN"))
            TestSupport::WriteFile(golden, out.GetAsString());
        EXPECT_EQ(TestSupport::ReadFile(golden), out.GetAsString());
    }
}
