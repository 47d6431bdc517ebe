// File streams over a plain folder mounted on the process-wide bundle system.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ReportOf.h"
#include "Common/Archive.h"
#include "Common/BundleSystem.h"
#include "Common/Exceptions.h"
#include "Common/FileStream.h"
#include "StreamTestSupport.h"
#include "TestSupport.h"

using Zep::FileStream;
using Zep::Stream;

namespace {

const uint32_t kRead = Zep::FS_OPEN_READ;
const uint32_t kReadWrite = Zep::FS_OPEN_READ | Zep::FS_OPEN_WRITE | Zep::FS_OPEN_TRUNCATE;
const uint32_t kWriteOnly = Zep::FS_OPEN_WRITE | Zep::FS_OPEN_TRUNCATE;

class FileStreamTest : public StreamTestSupport::HeapFixture {
protected:
    void SetUp() override {
        HeapFixture::SetUp();
        Zep::BundleSystem::GetInstance()->MountDirectory(temp.Path());
    }
    void TearDown() override {
        EXPECT_TRUE(Zep::BundleSystem::GetInstance()->Unmount(temp.Path()));
        HeapFixture::TearDown();
    }
    std::string Contents(const std::string& name) const { return TestSupport::ReadFile(temp.File(name)); }

    TestSupport::TempFolder temp;
};

template <class E, class F>
std::string ThrownText(F&& failing) {
    TestSupport::StderrCapture quiet;
    return TestSupport::ReportOf<E>(failing);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST_F(FileStreamTest, EmptyFileIsAtItsEndAtOnce) {
    TestSupport::WriteFile(temp.File("empty.bin"), "");
    FileStream stream("empty.bin", kRead);
    EXPECT_EQ(4096, stream.GetBufferSize());
    EXPECT_EQ(0, stream.GetSize());
    EXPECT_TRUE(stream.IsEOF());
    EXPECT_EQ(0xFF, stream.ReadChar());
    EXPECT_EQ(0xFF, stream.PeekChar());
    char byte = 0;
    EXPECT_EQ(0, stream.Read(&byte, 1));
}

TEST_F(FileStreamTest, ReadOnlyStreamStaysInsideItsFile) {
    TestSupport::WriteFile(temp.File("data.bin"), std::string(100, 'd') + "\xFF");
    FileStream stream("data.bin", kRead);
    EXPECT_EQ(101, stream.Seek(10, Stream::SeekEnd));
    EXPECT_EQ(101, stream.Seek(200, Stream::SeekStart));
    EXPECT_EQ(0, stream.Seek(-500, Stream::SeekCurrent));
    stream.Seek(100, Stream::SeekStart);
    EXPECT_FALSE(stream.IsEOF());
    EXPECT_EQ(0xFF, stream.ReadChar());
    EXPECT_TRUE(stream.IsEOF());

    const char byte = 'x';
    EXPECT_TRUE(EndsWith(ThrownText<Zep::Exception::Assertion>([&] { stream.Write(&byte, 1); }),
                         "Zep::FileStream.Write(): Trying to write data to read-only stream"));
    EXPECT_TRUE(EndsWith(ThrownText<Zep::Exception::Assertion>([&] { stream.WriteByte('x'); }),
                         "Zep::FileStream.WriteByte(): Trying to write data to read-only stream"));
    EXPECT_TRUE(EndsWith(ThrownText<Zep::Exception::Panic>([&] { stream.SetSize(3); }),
                         "Zep::FileStream.SetSize(): failed to set FileStream size because it was created only for "
                         "reading"));
    EXPECT_EQ(std::string(100, 'd') + "\xFF", Contents("data.bin"));
}

TEST_F(FileStreamTest, OverwriteInsideTheBufferReachesTheFile) {
    {
        FileStream stream("three.bin", kWriteOnly);
        EXPECT_EQ(16384, stream.GetBufferSize());
        stream.Write("abc", 3);
        stream.Seek(-2, Stream::SeekCurrent);
        stream.Write("X", 1);
        EXPECT_EQ(3, stream.GetSize());
    }
    EXPECT_EQ("aXc", Contents("three.bin"));
}

TEST_F(FileStreamTest, LargeWriteOverBufferedBytesIsReadBack) {
    TestSupport::WriteFile(temp.File("large.bin"), std::string(6000, 'a'));
    FileStream stream("large.bin", Zep::FS_OPEN_READ | Zep::FS_OPEN_WRITE);
    char text[10] = {};
    stream.Read(text, 10);  // the buffer now holds the first 4096 bytes
    const std::string large(5000, 'z');
    stream.Seek(0, Stream::SeekStart);
    stream.Write(large.data(), 5000);  // at least the buffer's size: straight to the file
    stream.Seek(0, Stream::SeekStart);
    EXPECT_EQ(10, stream.Read(text, 10));
    EXPECT_EQ(std::string(10, 'z'), std::string(text, 10));
    EXPECT_EQ('a', (stream.Seek(5000, Stream::SeekStart), stream.ReadChar()));
}

TEST_F(FileStreamTest, FailuresNameTheFile) {
    const std::string text = ThrownText<Zep::Exception::Panic>([] { FileStream stream("missing/none.txt", kRead); });
    EXPECT_EQ(0u, text.find("Failed to create file stream (\"missing/none.txt\"). ")) << text;
    EXPECT_EQ(0u, ThrownText<Zep::Exception::Panic>([] {
                      Zep::ITextFileArchive archive("none.scene");
                  }).find("Failed to create file stream (\"none.scene\"). "));
}

TEST_F(FileStreamTest, BufferSizeSteps) {
    FileStream stream("buffer.bin", kReadWrite);
    const std::pair<int32_t, int32_t> steps[] = {{100, 512},     {5000, 4608}, {40000, 32768},
                                                 {32767, 32256}, {1023, 512},  {8191, 7680}};
    for (const auto& step : steps) {
        stream.SetBufferSize(step.first);
        EXPECT_EQ(step.second, stream.GetBufferSize()) << step.first;
    }
}

TEST_F(FileStreamTest, TextFileArchiveReadsThroughTheBundleSystem) {
    TestSupport::WriteFile(temp.File("scene.txt"), "# scene\n\"Zep::Scene\" {\n\tName 'main'\n}\n");
    Zep::ITextFileArchive archive("scene.txt");
    EXPECT_EQ("scene.txt", archive.GetName());
    EXPECT_EQ("Zep::Scene", archive.BeginObject());
    archive.ExpectFieldName("Name");
    EXPECT_EQ("main", archive.ReadString());
    archive.EndObject();
}

// Random reads, writes, peeks, seeks and resizes of one read-write stream,
// checked step by step against a copy in memory, and the file at the end.
TEST_F(FileStreamTest, RandomOperationsMatchAModel) {
    std::mt19937 random(12345);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    std::string model;
    int32_t position = 0;
    {
        FileStream stream("model.bin", kReadWrite);
        std::vector<char> bytes(20000);
        for (int step = 0; step < 10000; ++step) {
            SCOPED_TRACE(step);
            // Mostly small requests, some at or beyond the buffer's size.
            const int32_t count = pick(0, 9) == 0 ? pick(4000, 12000) : pick(0, 600);
            switch (pick(0, 11)) {
                case 0:
                case 1:
                case 2: {
                    for (int32_t i = 0; i < count; ++i)
                        bytes[i] = static_cast<char>(pick(0, 255));
                    stream.Write(bytes.data(), count);
                    model.replace(position, std::min<size_t>(count, model.size() - position), bytes.data(), count);
                    position += count;
                    break;
                }
                case 3: {
                    const char byte = static_cast<char>(pick(0, 255));
                    stream.WriteByte(static_cast<uint8_t>(byte));
                    model.replace(position, std::min<size_t>(1, model.size() - position), 1, byte);
                    ++position;
                    break;
                }
                case 4:
                case 5:
                case 6: {
                    const bool advance = pick(0, 3) != 0;
                    const int32_t read = stream.Read(bytes.data(), count, advance);
                    const std::string expected = model.substr(position, count);
                    ASSERT_EQ(expected, std::string(bytes.data(), read));
                    if (advance)
                        position += read;
                    break;
                }
                case 7: {
                    const bool atEnd = position >= static_cast<int32_t>(model.size());
                    ASSERT_EQ(atEnd, stream.IsEOF());
                    const uint8_t expected = atEnd ? 0xFF : static_cast<uint8_t>(model[position]);
                    ASSERT_EQ(expected, stream.PeekChar());
                    ASSERT_EQ(expected, stream.ReadChar());
                    if (!atEnd)
                        ++position;
                    break;
                }
                case 8:
                case 9: {
                    const int origin = pick(0, 2);
                    const int32_t offset = pick(-3000, 3000);
                    int64_t target = offset + (origin == 1 ? position : origin == 2 ? model.size() : 0);
                    target = std::max<int64_t>(target, 0);
                    if (target > static_cast<int64_t>(model.size()))
                        model.resize(static_cast<size_t>(target), '\0');
                    position = static_cast<int32_t>(target);
                    ASSERT_EQ(position, stream.Seek(offset, origin));
                    break;
                }
                case 10: {
                    const int32_t size = pick(0, 3) == 0 ? pick(0, 200000) : static_cast<int32_t>(model.size());
                    stream.SetSize(size);
                    model.resize(static_cast<size_t>(size), '\0');
                    position = std::min<int32_t>(position, size);
                    break;
                }
                case 11:
                    if (pick(0, 1))
                        stream.Flush();
                    else
                        stream.SetBufferSize(pick(0, 40000));
                    break;
            }
            ASSERT_EQ(position, stream.GetPosition());
            ASSERT_EQ(static_cast<int32_t>(model.size()), stream.GetSize());
        }
    }
    EXPECT_EQ(model, Contents("model.bin"));
}
