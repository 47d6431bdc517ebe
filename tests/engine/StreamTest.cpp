#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "Common/CoreUtils.h"
#include "Common/MemoryStream.h"
#include "StreamTestSupport.h"
#include "TestSupport.h"

using Zep::MemoryStream;
using Zep::Stream;

namespace {

class MemoryStreamTest : public StreamTestSupport::HeapFixture {};
class StreamCopyTest : public StreamTestSupport::HeapFixture {};

const char kEndOfStream[] =
    "Failed to write data to MemoryStream: end of stream reached, and auto resize is not allowed";

template <class E, class F>
std::string ThrownText(F&& failing) {
    TestSupport::StderrCapture quiet;
    try {
        failing();
    } catch (const E& error) {
        return error.what();
    }
    ADD_FAILURE() << "nothing was thrown";
    return "";
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

}  // namespace

TEST_F(MemoryStreamTest, GrowthDoublesBelowOneMebibyteThenAddsOne) {
    MemoryStream stream(0, MemoryStream::AutoResize);
    EXPECT_EQ(0, stream.GetCapacity());
    stream.WriteByte(1);
    EXPECT_EQ(1024, stream.GetCapacity());
    const std::string bytes = Pattern(1024);
    stream.Write(bytes.data(), 1023);
    EXPECT_EQ(1024, stream.GetCapacity());
    stream.WriteByte(2);
    EXPECT_EQ(1025, stream.GetSize());
    EXPECT_EQ(2048, stream.GetCapacity());

    // A request beyond the doubled capacity gets exactly what it needs.
    stream.Seek(10000, Stream::SeekStart);
    EXPECT_EQ(10000, stream.GetCapacity());
    EXPECT_EQ(10000, stream.GetSize());

    MemoryStream big(0x100000 - 1535, MemoryStream::AutoResize);
    EXPECT_EQ(0x100000, big.GetCapacity());
    big.Seek(0x100001, Stream::SeekStart);
    EXPECT_EQ(0x200000, big.GetCapacity());
    big.Seek(0x200001, Stream::SeekStart);
    EXPECT_EQ(0x300000, big.GetCapacity());
}

TEST_F(MemoryStreamTest, EndOfStreamWithoutAutoResize) {
    MemoryStream fixed(4, 0);
    EXPECT_EQ(1024, fixed.GetCapacity());
    const char five[] = "abcde";
    const std::string text = ThrownText<Zep::Exception::Panic>([&] { fixed.Write(five, 5); });
    EXPECT_EQ(0u, text.find("Panic error in file \"Common\\MemoryStream.cpp\", line ")) << text;
    EXPECT_TRUE(EndsWith(text, std::string(":\n  ") + kEndOfStream)) << text;
    EXPECT_EQ(4, fixed.GetSize());

    fixed.Write(five, 4);
    EXPECT_TRUE(EndsWith(ThrownText<Zep::Exception::Panic>([&] { fixed.WriteByte('x'); }), kEndOfStream));
    // Seeking past the end is clamped instead.
    EXPECT_EQ(4, fixed.Seek(10, Stream::SeekStart));

    MemoryStream growing(4, MemoryStream::AutoResize);
    growing.Write(five, 5);
    EXPECT_EQ(5, growing.GetSize());
    EXPECT_EQ(1024, growing.GetCapacity());
    EXPECT_EQ("abcde", growing.GetAsString());
}

TEST_F(MemoryStreamTest, CountsNearTheLimitDoNotWrapPastTheCheck) {
    MemoryStream stream(0, MemoryStream::AutoResize);
    stream.WriteByte('a');
    const char byte = 'b';
    // position 1 + INT32_MAX bytes does not fit a 32-bit position: refused before anything is read or allocated.
    const int32_t huge = std::numeric_limits<int32_t>::max();
    EXPECT_TRUE(EndsWith(ThrownText<Zep::Exception::Panic>([&] { stream.Write(&byte, huge); }), kEndOfStream));
    EXPECT_EQ(1, stream.GetSize());
    EXPECT_EQ(1, stream.GetPosition());
}

TEST_F(MemoryStreamTest, SeekReadAndPeek) {
    const std::string content = "0123456789";
    MemoryStream stream(content.data(), 10, 0);
    EXPECT_EQ(10, stream.GetCapacity());
    EXPECT_EQ(0, stream.Seek(-5, Stream::SeekStart));
    EXPECT_EQ(7, stream.Seek(-3, Stream::SeekEnd));
    EXPECT_EQ(9, stream.Seek(2, Stream::SeekCurrent));
    EXPECT_EQ(0, stream.Seek(-100, Stream::SeekCurrent));
    EXPECT_EQ(10, stream.Seek(std::numeric_limits<int32_t>::max(), Stream::SeekEnd));

    stream.Seek(2, Stream::SeekStart);
    char first[4] = {}, second[4] = {};
    EXPECT_EQ(4, stream.Read(first, 4, false));
    EXPECT_EQ(4, stream.Read(second, 4, false));
    EXPECT_EQ(0, std::memcmp(first, "2345", 4));
    EXPECT_EQ(0, std::memcmp(second, "2345", 4));
    EXPECT_EQ(2, stream.GetPosition());

    char rest[16] = {};
    EXPECT_EQ(8, stream.Read(rest, 16));
    EXPECT_EQ(10, stream.GetPosition());
    EXPECT_TRUE(stream.IsEOF());
    EXPECT_EQ(0, stream.Read(rest, 16));
    EXPECT_EQ(0, stream.Read(rest, -1));
    uint8_t byte = 0;
    EXPECT_FALSE(stream.ReadByte(byte));
    EXPECT_FALSE(stream.PeekByte(byte));
    EXPECT_EQ(0xFF, stream.ReadChar());
    EXPECT_EQ(0xFF, stream.PeekChar());
    EXPECT_EQ("0123456789", stream.GetAsString());
}

TEST_F(MemoryStreamTest, RealFFByteIsNotTheEnd) {
    const uint8_t bytes[] = {0xFF, 'a'};
    MemoryStream stream(bytes, 2, 0);
    EXPECT_EQ(0xFF, stream.PeekChar());
    EXPECT_FALSE(stream.IsEOF());
    EXPECT_EQ(0xFF, stream.ReadChar());
    EXPECT_FALSE(stream.IsEOF());
    EXPECT_EQ('a', stream.ReadChar());
    EXPECT_TRUE(stream.IsEOF());
}

TEST_F(MemoryStreamTest, ZeroingFlags) {
    MemoryStream created(100, MemoryStream::ZeroOnCreate);
    EXPECT_EQ(std::string(100, '\0'), created.GetAsString());

    MemoryStream grown(0, MemoryStream::AutoResize | MemoryStream::ZeroOnGrowth);
    grown.WriteString("abc");
    grown.Seek(3000, Stream::SeekStart);
    EXPECT_EQ(3000, grown.GetSize());
    EXPECT_EQ(std::string("abc") + std::string(2997, '\0'), grown.GetAsString());

    grown.SetSize(2);
    EXPECT_EQ(2, grown.GetCapacity());
    EXPECT_EQ(2, grown.GetPosition());
    grown.SetSize(6);
    EXPECT_EQ(std::string("ab\0\0\0\0", 6), grown.GetAsString());
    grown.SetSize(-3);
    EXPECT_EQ(0, grown.GetSize());
    EXPECT_EQ(0, grown.GetPosition());
    EXPECT_EQ(nullptr, grown.GetData());
}

TEST_F(MemoryStreamTest, CopyConstructionNeedsABlock) {
    const std::string text = ThrownText<Zep::Exception::Assertion>([] { MemoryStream stream(nullptr, 3, 0); });
    EXPECT_TRUE(EndsWith(text, "Zep::MemoryStream.MemoryStream(): copyFrom is NULL")) << text;
    MemoryStream empty(nullptr, 0, 0);
    EXPECT_TRUE(empty.IsEOF());
    EXPECT_EQ("", empty.GetAsString());
}

TEST_F(StreamCopyTest, CopiesFromTheSourcePositionAndPutsItBack) {
    const std::string content = Pattern(100000);
    MemoryStream source(content.data(), static_cast<int32_t>(content.size()), 0);
    source.Seek(1000, Stream::SeekStart);

    MemoryStream target(0, MemoryStream::AutoResize);
    target.WriteString("xy");
    target.CopyFrom(source, 1 << 30, false);
    EXPECT_EQ(1000, source.GetPosition());
    EXPECT_EQ(100000 - 1000 + 2, target.GetPosition());
    EXPECT_EQ("xy" + content.substr(1000), target.GetAsString());

    MemoryStream limited(0, MemoryStream::AutoResize);
    limited.CopyFrom(source, 40000, true);
    EXPECT_EQ(0, limited.GetPosition());
    EXPECT_EQ(content.substr(1000, 40000), limited.GetAsString());
}

TEST_F(StreamCopyTest, ShortReadOfTheSourceIsAPanic) {
    // A source that claims more bytes than it delivers.
    struct Liar : MemoryStream {
        Liar() : MemoryStream(40000, MemoryStream::ZeroOnCreate) {}
        int32_t Read(void* buffer, int32_t bytes, bool advance) override {
            return MemoryStream::Read(buffer, bytes > 100 ? bytes - 100 : bytes, advance);
        }
    } source;
    MemoryStream target(0, MemoryStream::AutoResize);
    target.WriteString("abc");
    const std::string text = ThrownText<Zep::Exception::Panic>([&] { target.CopyFrom(source, 40000, true); });
    EXPECT_TRUE(EndsWith(text, "Failed to copy data from stream")) << text;
    EXPECT_EQ(0, target.GetPosition());
}

TEST_F(StreamCopyTest, FromStandardStream) {
    const std::string content = Pattern(70000);
    std::istringstream input(content);
    input.seekg(10);

    MemoryStream target(0, MemoryStream::AutoResize);
    target.CopyFromStdStream(input, 1 << 30, true);
    EXPECT_EQ(content.substr(10), target.GetAsString());
    EXPECT_EQ(0, target.GetPosition());
    EXPECT_EQ(10, static_cast<int>(input.tellg()));

    MemoryStream part(0, MemoryStream::AutoResize);
    part.CopyFromStdStream(input, 33000, false);
    EXPECT_EQ(content.substr(10, 33000), part.GetAsString());
    EXPECT_EQ(33000, part.GetPosition());
    EXPECT_EQ(10, static_cast<int>(input.tellg()));
}
