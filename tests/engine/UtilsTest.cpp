#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <string>

#include "Common/BundleSystem.h"
#include "Common/Exceptions.h"
#include "Common/MemoryStream.h"
#include "Common/StringUtils.h"
#include "Common/Utils.h"
#include "ObjectTestSupport.h"
#include "ReflectionTestClasses.h"
#include "TestSupport.h"

using TestSupport::StderrCapture;

namespace {

std::string PanicText(const std::function<void()>& failing) {
    try {
        failing();
    } catch (const Zep::Exception::Panic& error) {
        return error.what();
    }
    ADD_FAILURE() << "no panic was thrown";
    return "";
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Caps the data segment (private writable mappings) at its size now plus growth.
void LimitDataGrowth(size_t growth) {
    std::ifstream status("/proc/self/status");
    std::string line;
    size_t kilobytes = 0;
    while (std::getline(status, line)) {
        if (line.compare(0, 7, "VmData:") == 0)
            kilobytes = std::stoul(line.substr(7));
    }
    ::rlimit limit;
    ::getrlimit(RLIMIT_DATA, &limit);
    limit.rlim_cur = kilobytes * 1024 + growth;
    ::setrlimit(RLIMIT_DATA, &limit);
}

// --- Timer -------------------------------------------------------------------------

int64_t fakeCounter = 0;
int64_t FakeCounter() {
    return fakeCounter;
}

TEST(Timer, CarriesTicksBelowAMillisecond) {
    const int64_t frequency = Zep::GetPerformanceFrequency();
    const int64_t tenthOfMs = frequency / 10000;
    fakeCounter = 5 * frequency;
    Zep::Timer timer(&FakeCounter);

    // 0.4 ms apart: 0, 0, then the carried ticks make a whole millisecond.
    fakeCounter += 4 * tenthOfMs;
    EXPECT_EQ(0u, timer.GetElapsedMilliseconds());
    fakeCounter += 4 * tenthOfMs;
    EXPECT_EQ(0u, timer.GetElapsedMilliseconds());
    fakeCounter += 4 * tenthOfMs;
    EXPECT_EQ(1u, timer.GetElapsedMilliseconds());

    // 0.2 ms are carried; 16.9 ms more give 17, leaving 0.1.
    fakeCounter += 169 * tenthOfMs;
    EXPECT_EQ(17u, timer.GetElapsedMilliseconds());
    fakeCounter += 9 * tenthOfMs;
    EXPECT_EQ(1u, timer.GetElapsedMilliseconds());

    // Over a long run nothing is lost: 1000 steps of 0.7 ms add up to 700 ms.
    uint32_t total = 0;
    for (int i = 0; i < 1000; ++i) {
        fakeCounter += 7 * tenthOfMs;
        total += timer.GetElapsedMilliseconds();
    }
    EXPECT_EQ(700u, total);
}

TEST(Timer, CountsTheCallsOfEachSecond) {
    const int64_t frequency = Zep::GetPerformanceFrequency();
    fakeCounter = 3 * frequency;
    Zep::Timer timer(&FakeCounter);
    EXPECT_EQ(0u, timer.GetFps());
    // The first call starts the second; 60 calls in it, the next one closes it.
    for (int i = 0; i < 60; ++i) {
        timer.GetElapsedMilliseconds();
        fakeCounter += frequency / 61;
    }
    EXPECT_EQ(0u, timer.GetFps());
    fakeCounter = 4 * frequency;
    timer.GetElapsedMilliseconds();
    EXPECT_EQ(60u, timer.GetFps());
}

TEST(Timer, RealCounterMeasuresSleeps) {
    Zep::Timer timer;
    ::timespec pause = {0, 30 * 1000 * 1000};
    ::nanosleep(&pause, nullptr);
    const uint32_t elapsed = timer.GetElapsedMilliseconds();
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 1000u);
}

// --- Base64 ------------------------------------------------------------------------

TEST(Base64, LinesOf72CharactersEachEndedByCrLf) {
    EXPECT_EQ("", Zep::Base64EncodeString(""));
    EXPECT_EQ("YWJj\r\n", Zep::Base64EncodeString("abc"));
    EXPECT_EQ("YQ==\r\n", Zep::Base64EncodeString("a"));
    EXPECT_EQ("YWI=\r\n", Zep::Base64EncodeString("ab"));

    const std::string line = Zep::Base64EncodeString(std::string(54, 'x'));
    EXPECT_EQ(74u, line.size());
    EXPECT_EQ(72u, line.find("\r\n"));

    const std::string two = Zep::Base64EncodeString(std::string(55, 'x'));
    EXPECT_EQ(72u, two.find("\r\n"));
    EXPECT_TRUE(EndsWith(two, "\r\neA==\r\n")) << two;
}

TEST(Base64, RoundTripsEveryByteAndSkipsForeignCharacters) {
    std::string bytes;
    for (int i = 0; i < 256 * 3; ++i)
        bytes += static_cast<char>((i * 7) & 0xFF);
    for (size_t size : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(100), bytes.size()}) {
        const std::string part = bytes.substr(0, size);
        EXPECT_EQ(part, Zep::Base64DecodeString(Zep::Base64EncodeString(part))) << size;
    }
    EXPECT_EQ("abcdef", Zep::Base64DecodeString(" YW\r\nJj\tZG\nVm\r\n"));
    // A group cut short by '=' or by the end gives one byte less than its symbols.
    EXPECT_EQ("ab", Zep::Base64DecodeString("YWI"));
    EXPECT_EQ("a", Zep::Base64DecodeString("YQ==\r\n"));
    EXPECT_EQ("ab", Zep::Base64DecodeString("YQ==Yg=="));
}

TEST(Base64, StreamsFromTheirPositionWithAnyLineWidth) {
    const std::string bytes = "0123456789abcdefghij";
    Zep::MemoryStream source(bytes.data(), static_cast<int32_t>(bytes.size()), 0);
    source.Seek(2, Zep::Stream::SeekStart);
    Zep::MemoryStream encoded(0, Zep::MemoryStream::AutoResize);
    Zep::Base64Encode(source, encoded, 8);
    EXPECT_EQ("MjM0NTY3\r\nODlhYmNk\r\nZWZnaGlq\r\n", encoded.GetAsString());

    encoded.Seek(0, Zep::Stream::SeekStart);
    Zep::MemoryStream decoded(0, Zep::MemoryStream::AutoResize);
    Zep::Base64Decode(encoded, decoded);
    EXPECT_EQ(bytes.substr(2), decoded.GetAsString());
}

// --- Compressed text ----------------------------------------------------------------

TEST(CompressedText, RoundTripsWithTheLengthInFront) {
    std::string text;
    for (int i = 0; i < 70000; ++i)
        text += static_cast<char>("Zep text \0\xff"[i % 11]);
    const std::string compressed = Zep::CompressString(text);
    ASSERT_GE(compressed.size(), 4u);
    EXPECT_EQ(std::string("\x70\x11\x01\x00", 4), compressed.substr(0, 4));
    EXPECT_LT(compressed.size(), text.size() / 10);
    EXPECT_EQ(text, Zep::UncompressString(compressed));

    EXPECT_EQ("", Zep::UncompressString(Zep::CompressString("")));
    EXPECT_EQ("Hello", Zep::UnzipFromBase64(Zep::ZipToBase64("Hello")));
    // A long run of one byte reaches deflate's highest ratio and is still accepted.
    const std::string zeros(4 << 20, '\0');
    EXPECT_EQ(zeros, Zep::UncompressString(Zep::CompressString(zeros)));
}

TEST(CompressedText, DamagedInputIsAPanicWithoutAHugeAllocation) {
    StderrCapture capture;
    const std::string good = Zep::CompressString("some text that compresses");
    auto expectPanic = [](const std::string& compressed) {
        const std::string text = PanicText([&] { Zep::UncompressString(compressed); });
        EXPECT_TRUE(EndsWith(text, "Uncompress error!")) << text;
    };
    expectPanic("");
    expectPanic(std::string("\x03\x00\x00", 3));
    // A length that differs from what the stream holds, either way.
    std::string longer = good;
    longer[0] = static_cast<char>(longer[0] + 1);
    expectPanic(longer);
    std::string shorter = good;
    shorter[0] = static_cast<char>(shorter[0] - 1);
    expectPanic(shorter);
    // A damaged or cut stream.
    std::string damaged = good;
    damaged[8] = static_cast<char>(damaged[8] ^ 0x55);
    expectPanic(damaged);
    expectPanic(good.substr(0, good.size() - 3));
    expectPanic(Zep::Base64EncodeString("no zlib here"));
}

TEST(CompressedText, BogusLengthIsRefusedBeforeAllocating) {
    const std::string good = Zep::CompressString("some text that compresses");
    const auto result = TestSupport::RunInChild([&] {
        // Allow the child 256 MiB more data than it has now: allocating for the
        // declared 4 GiB would fail with an out-of-memory report instead.
        LimitDataGrowth(256 << 20);
        const std::string text = PanicText([&] { Zep::UncompressString("\xff\xff\xff\xff" + good.substr(4)); });
        if (!EndsWith(text, "Uncompress error!"))
            ::_exit(3);
    });
    EXPECT_EQ(0, result.exitCode) << result.stdErr;
}

// --- Texture paths -------------------------------------------------------------------

TEST(TexturePathRegion, SuffixIsReadAndCutOff) {
    float region[4] = {9, 9, 9, 9};
    std::string path = "Textures/a.png?000000800800";
    Zep::ParseTexturePathRegion(path, region);
    EXPECT_EQ("Textures/a.png", path);
    EXPECT_EQ(0.0f, region[0]);
    EXPECT_EQ(0.0f, region[1]);
    EXPECT_EQ(1.0f, region[2]);
    EXPECT_EQ(1.0f, region[3]);

    path = "x?0100ff400a00";
    Zep::ParseTexturePathRegion(path, region);
    EXPECT_EQ("x", path);
    EXPECT_EQ(16.0f / 2048, region[0]);
    EXPECT_EQ(255.0f / 2048, region[1]);
    EXPECT_EQ(0.5f, region[2]);
    EXPECT_EQ(1.25f, region[3]);

    // Upper-case letters are cut off too but count 17 and up.
    path = "x?A00a00000000";
    Zep::ParseTexturePathRegion(path, region);
    EXPECT_EQ("x", path);
    EXPECT_EQ(2.125f, region[0]);
    EXPECT_EQ(1.25f, region[1]);
}

TEST(TexturePathRegion, OtherPathsKeepTheirTextAndGetTheWholeTexture) {
    for (const std::string original : {"a.png", "", "a.png?00000080080", "a.png!000000800800"}) {
        float region[4] = {9, 9, 9, 9};
        std::string path = original;
        Zep::ParseTexturePathRegion(path, region);
        EXPECT_EQ(original, path);
        EXPECT_EQ(0.0f, region[0]);
        EXPECT_EQ(0.0f, region[1]);
        EXPECT_EQ(1.0f, region[2]);
        EXPECT_EQ(1.0f, region[3]);
    }
}

// --- Files ----------------------------------------------------------------------------

TEST(UtilsFiles, SavedTextLoadsBackThroughTheBundles) {
    TestSupport::TempFolder folder;
    Zep::BundleSystem* bundles = Zep::BundleSystem::GetInstance();
    bundles->MountDirectory(folder.Path());

    std::string bytes(100000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 31 % 251);
    Zep::SaveStringToFile("saved.bin", bytes);
    EXPECT_EQ(bytes, TestSupport::ReadFile(folder.File("saved.bin")));
    EXPECT_EQ(bytes, Zep::LoadFileToString("saved.bin"));
    // Saving replaces the whole file.
    Zep::SaveStringToFile("saved.bin", "short");
    EXPECT_EQ("short", Zep::LoadFileToString("saved.bin"));
    Zep::SaveStringToFile("empty.txt", "");
    EXPECT_EQ("", Zep::LoadFileToString("empty.txt"));

    {
        StderrCapture capture;
        EXPECT_THROW(Zep::LoadFileToString("missing.txt"), Zep::Exception::Panic);
    }
    EXPECT_EQ(0u, bundles->GetOpenFileCount());
    EXPECT_TRUE(bundles->Unmount(folder.Path()));
}

TEST(UtilsFiles, ExistenceAsksTheMountedBundles) {
    TestSupport::TempFolder folder;
    std::filesystem::create_directories(folder.File("data/sub"));
    TestSupport::WriteFile(folder.File("data/file.txt"), "x");
    Zep::BundleSystem* bundles = Zep::BundleSystem::GetInstance();
    bundles->MountDirectory(folder.Path());

    EXPECT_TRUE(Zep::DoesPathExist("data/file.txt"));
    EXPECT_TRUE(Zep::DoesPathExist("data/sub"));
    EXPECT_FALSE(Zep::DoesPathExist("data/none.txt"));
    EXPECT_TRUE(Zep::DoesFileExist("data/file.txt"));
    EXPECT_FALSE(Zep::DoesFileExist("data/sub"));

    EXPECT_TRUE(bundles->Unmount(folder.Path()));
    EXPECT_FALSE(Zep::DoesPathExist("data/file.txt"));
}

// --- Objects --------------------------------------------------------------------------

class DumpObjectTest : public ObjectTestSupport::Fixture {};

TEST_F(DumpObjectTest, WritesTheTextArchiveWithLineFeeds) {
    ReflectionTest::Item item(7);
    EXPECT_EQ("\"Test::Item\" {\n\tValue 7\n}\n", Zep::DumpObject(&item));
    EXPECT_EQ(ObjectTestSupport::SaveText(item), Zep::DumpObject(&item));
}

// --- Text, time, script functions -------------------------------------------------------

TEST(Utils, LocalizeWithoutATranslationGivesTheTextBack) {
    EXPECT_EQ("$missing", Zep::Localize("$missing"));
    EXPECT_EQ("plain", Zep::Localize("plain"));
}

TEST(Utils, CurrentDateTime) {
    const std::string year = Zep::GetCurrentDateTime("%Y");
    ASSERT_EQ(4u, year.size());
    EXPECT_GE(std::stoi(year), 2024);
    EXPECT_EQ("at 100%", Zep::GetCurrentDateTime("at 100%%"));
    // Too long for the buffer: empty rather than whatever the buffer held.
    EXPECT_EQ("", Zep::GetCurrentDateTime(std::string(200, 'x')));
    EXPECT_EQ(127u, Zep::GetCurrentDateTime(std::string(127, 'x')).size());
}

TEST(Utils, HandheldFunctionsAreInert) {
    EXPECT_EQ(0, Zep::iPhone::GetDeviceOrientation());
    EXPECT_FALSE(Zep::iPhone::IsPad());
    Zep::iPhone::SetViewportOrientation(3);
    EXPECT_EQ(3, Zep::iPhone::GetViewportOrientation());

    StderrCapture capture;
    Zep::iPhone::ShowGenericAlert("Title", "Text", "unused");
    EXPECT_EQ("Generic alert: Title, Text\n", capture.Text());
}

TEST(Utils, ShellExecuteAsksTheShellToOpen) {
    const auto result = TestSupport::RunInChild([] {
        ::setenv("ZEP_HEADLESS", "1", 1);
        Zep::ShellExecute("https://example.org/?a=1&b=2");
    });
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("ShellExecute: open \"https://example.org/?a=1&b=2\"\n", result.stdErr);
}

TEST(Utils, RendererDrawFlags) {
    EXPECT_EQ(1, Zep::ToRendererDrawFlags(7));
    EXPECT_EQ(4, Zep::ToRendererDrawFlags(8));
    EXPECT_EQ(0, Zep::ToRendererDrawFlags(2));
}

}  // namespace
