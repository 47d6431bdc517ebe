#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Common/BundleSystem.h"
#include "Common/MemoryStream.h"
#include "Common/StringUtils.h"
#include "Common/Utils.h"
#include "ObjectTestSupport.h"
#include "ReflectionTestClasses.h"
#include "TestSupport.h"

using ObjectTestSupport::EndsWith;
using ObjectTestSupport::ReportOf;
using TestSupport::StderrCapture;

namespace {

int64_t fakeCounter = 0;
int64_t FakeCounter() {
    return fakeCounter;
}

TEST(Timer, CarriesTicksBelowAMillisecondAndCountsFrames) {
    const int64_t frequency = Zep::GetPerformanceFrequency();
    const int64_t tenthOfMs = frequency / 10000;
    fakeCounter = 5 * frequency;
    Zep::Timer timer(&FakeCounter);
    // 0.4 ms apart: 0, 0, then the carried ticks make a whole millisecond.
    for (uint32_t expected : {0u, 0u, 1u}) {
        fakeCounter += 4 * tenthOfMs;
        EXPECT_EQ(expected, timer.GetElapsedMilliseconds());
    }
    // Nothing is lost over a long run: 1000 more steps of 0.7 ms end at 701.2 ms.
    uint32_t total = 1;
    for (int i = 0; i < 1000; ++i) {
        fakeCounter += 7 * tenthOfMs;
        total += timer.GetElapsedMilliseconds();
    }
    EXPECT_EQ(701u, total);
    EXPECT_EQ(0u, timer.GetFps());
    // The first call started the second; all 1003 calls fell inside it, and the
    // first call a second or more after its start closes it.
    fakeCounter = 7 * frequency;
    timer.GetElapsedMilliseconds();
    EXPECT_EQ(1003u, timer.GetFps());
}

TEST(Base64, LinesOf72CharactersEachEndedByCrLf) {
    EXPECT_EQ("", Zep::Base64EncodeString(""));
    EXPECT_EQ("YWJj\r\n", Zep::Base64EncodeString("abc"));
    EXPECT_EQ("YQ==\r\n", Zep::Base64EncodeString("a"));
    const std::string line = Zep::Base64EncodeString(std::string(54, 'x'));
    EXPECT_EQ(74u, line.size());
    EXPECT_EQ(72u, line.find("\r\n"));
    EXPECT_TRUE(EndsWith(Zep::Base64EncodeString(std::string(55, 'x')), "eHh4\r\neA==\r\n"));

    // Streams from their position, with any line width.
    const std::string bytes = "0123456789abcdefghij";
    Zep::MemoryStream source(bytes.data(), static_cast<int32_t>(bytes.size()), 0);
    source.Seek(2, Zep::Stream::SeekStart);
    Zep::MemoryStream encoded(0, Zep::MemoryStream::AutoResize);
    Zep::Base64Encode(source, encoded, 8);
    EXPECT_EQ("MjM0NTY3\r\nODlhYmNk\r\nZWZnaGlq\r\n", encoded.GetAsString());
}

TEST(Base64, DecodingSkipsForeignCharactersAndRoundTrips) {
    std::string bytes;
    for (int i = 0; i < 256 * 3; ++i)
        bytes += static_cast<char>((i * 7) & 0xFF);
    for (size_t size : {0, 1, 2, 3, 100, 768})
        EXPECT_EQ(bytes.substr(0, size), Zep::Base64DecodeString(Zep::Base64EncodeString(bytes.substr(0, size))));
    EXPECT_EQ("abcdef", Zep::Base64DecodeString(" YW\r\nJj\tZG\nVm\r\n"));
    // A group cut short by '=' or by the end gives one byte less than its symbols.
    EXPECT_EQ("ab", Zep::Base64DecodeString("YWI"));
    EXPECT_EQ("ab", Zep::Base64DecodeString("YQ==Yg=="));
}

TEST(CompressedText, RoundTripsWithTheLengthInFront) {
    std::string text;
    for (int i = 0; i < 70000; ++i)
        text += "Zep text \0\xff"[i % 11];
    const std::string compressed = Zep::CompressString(text);
    EXPECT_EQ(std::string("\x70\x11\x01\x00", 4), compressed.substr(0, 4));
    EXPECT_EQ(text, Zep::UncompressString(compressed));
    EXPECT_EQ("", Zep::UncompressString(Zep::CompressString("")));
    EXPECT_EQ("Hello", Zep::UnzipFromBase64(Zep::ZipToBase64("Hello")));
    // A long run of one byte reaches deflate's highest ratio and is still accepted.
    const std::string zeros(4 << 20, '\0');
    EXPECT_EQ(zeros, Zep::UncompressString(Zep::CompressString(zeros)));
}

TEST(CompressedText, DamagedInputIsAPanic) {
    StderrCapture capture;
    const std::string good = Zep::CompressString("some text that compresses");
    std::string longer = good, shorter = good, damaged = good;
    longer[0]++;
    shorter[0]--;
    damaged[8] ^= 0x55;
    for (const std::string& bad : {std::string(), std::string("\x03\x00\x00", 3), longer, shorter, damaged,
                                   good.substr(0, good.size() - 3), Zep::Base64EncodeString("no zlib here")}) {
        EXPECT_TRUE(EndsWith(ReportOf([&] { Zep::UncompressString(bad); }), "Uncompress error!"));
    }
}

TEST(CompressedText, BogusLengthIsRefusedBeforeAllocating) {
    const std::string good = Zep::CompressString("some text that compresses");
    const auto result = TestSupport::RunInChild([&] {
        // Allow 256 MiB more private data than now: allocating the declared 4 GiB
        // would end in an out-of-memory report instead of the panic.
        std::ifstream status("/proc/self/status");
        std::string line;
        size_t kilobytes = 0;
        while (std::getline(status, line))
            if (line.compare(0, 7, "VmData:") == 0)
                kilobytes = std::stoul(line.substr(7));
        ::rlimit limit;
        ::getrlimit(RLIMIT_DATA, &limit);
        limit.rlim_cur = kilobytes * 1024 + (256 << 20);
        ::setrlimit(RLIMIT_DATA, &limit);
        if (!EndsWith(ReportOf([&] { Zep::UncompressString("\xff\xff\xff\xff" + good.substr(4)); }),
                      "Uncompress error!"))
            ::_exit(3);
    });
    EXPECT_EQ(0, result.exitCode) << result.stdErr;
}

TEST(TexturePathRegion, SuffixIsReadAndCutOff) {
    const auto parse = [](std::string path) {
        float r[4] = {9, 9, 9, 9};
        Zep::ParseTexturePathRegion(path, r);
        return path + " " + std::to_string(r[0]) + " " + std::to_string(r[1]) + " " + std::to_string(r[2]) + " " +
               std::to_string(r[3]);
    };
    EXPECT_EQ("a.png 0.000000 0.000000 1.000000 1.000000", parse("a.png?000000800800"));
    EXPECT_EQ(" 0.007812 0.124512 0.500000 1.250000", parse("?0100ff400a00"));
    // Upper-case letters are cut off too but count from 17 on.
    EXPECT_EQ("x 2.125000 1.250000 0.000000 0.000000", parse("x?A00a00000000"));
    // Anything else keeps its text and gets the whole texture.
    for (const char* other : {"a.png", "", "a.png?00000080080", "a.png!000000800800"})
        EXPECT_EQ(std::string(other) + " 0.000000 0.000000 1.000000 1.000000", parse(other));
}

TEST(UtilsFiles, SavedTextLoadsBackThroughTheBundles) {
    TestSupport::TempFolder folder;
    std::filesystem::create_directories(folder.File("sub"));
    Zep::BundleSystem* bundles = Zep::BundleSystem::GetInstance();
    bundles->MountDirectory(folder.Path());

    std::string bytes(100000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 31 % 251);
    Zep::SaveStringToFile("saved.bin", bytes);
    EXPECT_EQ(bytes, TestSupport::ReadFile(folder.File("saved.bin")));
    EXPECT_EQ(bytes, Zep::LoadFileToString("saved.bin"));
    Zep::SaveStringToFile("saved.bin", "short");
    EXPECT_EQ("short", Zep::LoadFileToString("saved.bin"));
    EXPECT_TRUE(Zep::DoesFileExist("saved.bin"));
    EXPECT_TRUE(Zep::DoesPathExist("sub"));
    EXPECT_FALSE(Zep::DoesFileExist("sub"));
    EXPECT_FALSE(Zep::DoesPathExist("missing.txt"));
    {
        StderrCapture capture;
        EXPECT_THROW(Zep::LoadFileToString("missing.txt"), Zep::Exception::Panic);
    }
    EXPECT_EQ(0u, bundles->GetOpenFileCount());
    EXPECT_TRUE(bundles->Unmount(folder.Path()));
}

class DumpObjectTest : public ObjectTestSupport::Fixture {};

TEST_F(DumpObjectTest, WritesTheTextArchiveWithLineFeeds) {
    ReflectionTest::Item item(7);
    EXPECT_EQ("\"Test::Item\" {\n\tValue 7\n}\n", Zep::DumpObject(&item));
}

TEST(Utils, TextTimeAndHandheldFunctions) {
    EXPECT_EQ("$missing", Zep::Localize("$missing"));
    EXPECT_GE(std::stoi(Zep::GetCurrentDateTime("%Y")), 2024);
    // Too long for the buffer: empty rather than whatever the buffer held.
    EXPECT_EQ("", Zep::GetCurrentDateTime(std::string(200, 'x')));
    EXPECT_EQ(127u, Zep::GetCurrentDateTime(std::string(127, 'x')).size());

    Zep::iPhone::SetViewportOrientation(3);
    EXPECT_EQ(3, Zep::iPhone::GetViewportOrientation());
    StderrCapture capture;
    Zep::iPhone::ShowGenericAlert("Title", "Text", "unused");
    EXPECT_EQ("Generic alert: Title, Text\n", capture.Text());
}

}  // namespace

namespace {

TEST(ClassTests, CastToAcceptsTheClassAndItsDescendantsOnly) {
    ReflectionTest::Derived derived;
    ReflectionTest::Everything base;
    ReflectionTest::Item item;
    EXPECT_EQ(&derived, Zep::CastTo<ReflectionTest::Everything>(&derived));
    EXPECT_EQ(&derived, Zep::CastTo<Zep::Object>(&derived));
    EXPECT_EQ(nullptr, Zep::CastTo<ReflectionTest::Derived>(&base));
    EXPECT_EQ(nullptr, Zep::CastTo<ReflectionTest::Everything>(&item));
    EXPECT_EQ(nullptr, Zep::CastTo<ReflectionTest::Everything>(nullptr));
}

}  // namespace
