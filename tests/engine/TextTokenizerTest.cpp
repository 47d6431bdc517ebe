// The tokenizer reads through a memory stream's block, a file stream's buffer or blocks
// of its own read ahead: whichever, and wherever those end, every token, error and
// stream position is the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Common/BundleSystem.h"
#include "Common/Exceptions.h"
#include "Common/FileStream.h"
#include "Common/MemoryStream.h"
#include "Common/TextTokenizer.h"
#include "StreamTestSupport.h"
#include "TestSupport.h"

using Zep::Stream;
using Zep::TextTokenizer;

namespace {

// A read-only stream that lends no buffer of its own.
class PlainStream : public Stream {
public:
    explicit PlainStream(const std::string& text) : text(text) {}
    int32_t GetSize() override { return static_cast<int32_t>(text.size()); }
    void SetSize(int32_t) override {}
    int32_t GetPosition() override { return position; }
    int32_t Seek(int32_t offset, int origin) override {
        const int64_t base = origin == SeekCurrent ? position : origin == SeekEnd ? GetSize() : 0;
        position = static_cast<int32_t>(std::clamp<int64_t>(base + offset, 0, GetSize()));
        return position;
    }
    int32_t Read(void* buffer, int32_t bytes, bool advance) override {
        const int32_t count = std::max(0, std::min(bytes, GetSize() - position));
        std::memcpy(buffer, text.data() + position, static_cast<size_t>(count));
        if (advance)
            position += count;
        return count;
    }
    void Write(const void*, int32_t) override {}

private:
    std::string text;
    int32_t position = 0;
};

// Every operation once or more, then errors in the middle and at the end.
const char kDocument[] =
    "\"Zep::Scene\" { # the scene\n"
    "\tName \"a \\\"quoted\\\"\\tname\" Tag 'it''s'\n"
    "\tSpeed -12.50000 Count +42 Big 99999999999 Flags 0x00C0FFEE Visible true\n"
    "# a comment line\n"
    "\tItems [ 1 2\r\n 3 ] Half .5 Hex 0X0000000000FF\n"
    "}\n"
    "\"bad \\q\"\n"
    "0x\n"
    "\"no end";

// Per operation: what it gave, or the text of its error, and where the stream is then.
std::string Transcript(Stream& stream) {
    TextTokenizer t(&stream);
    std::string out;
    const auto step = [&](const char* name, const std::function<std::string()>& operation) {
        std::string result;
        try {
            result = operation();
        } catch (const Zep::Exception::Assertion& error) {
            result = std::string("error ") + error.what();
            for (size_t at = result.find('\n'); at != std::string::npos; at = result.find('\n', at))
                result.replace(at, 1, " |");
        }
        out += std::string(name) + ": " + result + " @" + std::to_string(stream.GetPosition()) + "; ";
    };
    const auto identifier = [&] { return t.ReadIdentifier(); };
    const auto quoted = [&] { return t.ReadQuotedString(); };
    const auto number = [](auto value) { return std::to_string(value); };
    step("peek string", [&] { return t.PeekQuotedString(); });
    step("string", quoted);
    step("{", [&] { return t.Expect('{'), std::string(); });
    step("peek name", [&] { return t.PeekIdentifier(); });
    step("name", identifier);
    step("string", quoted);
    step("name", identifier);
    step("string", quoted);
    step("adjacent string", quoted);
    step("name", identifier);
    step("float", [&] { return number(t.ReadFloat()); });
    step("name", identifier);
    step("int", [&] { return number(t.ReadInt()); });
    step("name", identifier);
    step("unsigned", [&] { return number(t.ReadUnsigned()); });
    step("name", identifier);
    step("hex", [&] { return number(t.ReadHex()); });
    step("name", identifier);
    step("bool", [&] { return number(t.ReadBool()); });
    step("name", identifier);
    step("[", [&] { return t.Expect('['), std::string(); });
    for (int i = 0; i < 3; ++i) {
        step("peek", [&] { return std::string(1, static_cast<char>(t.PeekSignificantChar())); });
        step("int", [&] { return number(t.ReadInt()); });
    }
    step("]", [&] { return t.Expect(']'), std::string(); });
    step("name", identifier);
    step("float", [&] { return number(t.ReadFloat()); });
    step("name", identifier);
    step("hex", [&] { return number(t.ReadHex()); });
    step("}", [&] { return t.Expect('}'), std::string(); });
    step("bad escape", quoted);
    step("eol in string", quoted);
    step("hex prefix alone", [&] { return number(t.ReadHex()); });
    step("unterminated string", quoted);
    step("blanks", [&] { return t.SkipBlanks(), std::string(); });
    step("float at the end", [&] { return number(t.ReadFloat()); });
    step("peek at the end", [&] { return number(t.PeekSignificantChar()); });
    return out;
}

class TextTokenizerTest : public StreamTestSupport::HeapFixture {
protected:
    void SetUp() override {
        HeapFixture::SetUp();
        Zep::BundleSystem::GetInstance()->MountDirectory(temp.Path());
    }
    void TearDown() override {
        EXPECT_TRUE(Zep::BundleSystem::GetInstance()->Unmount(temp.Path()));
        HeapFixture::TearDown();
    }

    TestSupport::TempFolder temp;
};

}  // namespace

// The document behind a first line long enough to put every token across the end of a
// 512-byte file buffer and of a 256-byte read-ahead block at some length.
TEST_F(TextTokenizerTest, EveryStreamGivesTheSameTranscriptWhereverItsBlocksEnd) {
    std::vector<size_t> lengths;
    for (size_t length = 0; length < 200; ++length)
        lengths.push_back(length);
    for (size_t length = 420; length < 520; ++length)
        lengths.push_back(length);
    for (const size_t length : lengths) {
        SCOPED_TRACE(length);
        const std::string text = "#" + std::string(length, 'x') + "\n" + kDocument;

        Zep::MemoryStream memory(text.data(), static_cast<int32_t>(text.size()), 0);
        const std::string expected = Transcript(memory);

        TestSupport::WriteFile(temp.File("doc.txt"), text);
        Zep::FileStream file("doc.txt", Zep::FS_OPEN_READ);
        file.SetBufferSize(512);
        ASSERT_EQ(512, file.GetBufferSize());
        EXPECT_EQ(expected, Transcript(file));

        PlainStream plain(text);
        EXPECT_EQ(expected, Transcript(plain));
    }
}

// What the memory stream gives is what reading character by character gave.
TEST_F(TextTokenizerTest, TranscriptOfTheDocument) {
    const std::string text = std::string("#\n") + kDocument;
    Zep::MemoryStream memory(text.data(), static_cast<int32_t>(text.size()), 0);
    EXPECT_EQ(
        "peek string: Zep::Scene @0; string: Zep::Scene @14; {:  @16; peek name: Name @16; name: Name @34; "
        "string: a \"quoted\"\tname @55; name: Tag @59; string: it @64; adjacent string: s @67; "
        "name: Speed @74; float: -12.500000 @84; name: Count @90; int: 42 @94; name: Big @98; "
        "unsigned: 4294967295 @110; name: Flags @116; hex: 12648430 @127; name: Visible @135; bool: 1 @140; "
        "name: Items @164; [:  @166; peek: 1 @166; int: 1 @168; peek: 2 @168; int: 2 @170; peek: 3 @170; "
        "int: 3 @174; ]:  @176; name: Half @181; float: 0.500000 @184; name: Hex @188; hex: 255 @203; "
        "}:  @205; "
        "bad escape: error Syntax error on line 9. | Error: Invalid escape sequence | Line was: \"bad \\q\" @213; "
        "eol in string: error Syntax error on line 9. | Error: Illegal EOL found inside quoted string | Line was: "
        "\"bad \\q\" @214; "
        "hex prefix alone: error Syntax error on line 10. | Error: Invalid number | Line was: 0x @217; "
        "unterminated string: error Syntax error on line -1. | Error: Unterminated string | Line was: # @225; "
        "blanks:  @225; "
        "float at the end: error Syntax error on line -1. | Error: Couldn't find expected floating-point expression | "
        "Line was: # @225; "
        "peek at the end: 255 @225; ",
        Transcript(memory));
}
