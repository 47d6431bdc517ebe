// The DDS, PVR and PNG readers on files authored by the tests, their refusals, and
// finding and loading image files through the bundles and their folder attributes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Common/BundleSystem.h"
#include "Common/FileAttributes.h"
#include "Common/MemoryStream.h"
#include "Common/Texture.h"
#include "ImageSamples.h"
#include "ReportOf.h"
#include "StreamTestSupport.h"
#include "TestSupport.h"

using ImageSamples::ChainBytes;
using ImageSamples::Pattern;
using Zep::MemoryTexture;

namespace {

// The panic's own message ("" when nothing was raised).
template <class Body>
std::string PanicMessage(Body body) {
    TestSupport::StderrCapture quiet;
    const std::string text = TestSupport::ReportOf(body);
    const size_t colon = text.find(":\n  ");
    return colon == std::string::npos ? text : text.substr(colon + 4);
}

std::string Load(MemoryTexture& texture, const std::string& file, int type) {
    return PanicMessage([&] { texture.LoadFromMemory(file.data(), static_cast<int32_t>(file.size()), type); });
}

std::string LevelBytes(MemoryTexture& texture, int level) {
    return std::string(reinterpret_cast<const char*>(texture.GetMipLevel(level)), texture.GetMipLevelSize(level));
}

uint32_t PixelOf(Zep::Texture& texture, int x, int y) {
    uint32_t colour = 0;
    texture.GetPixel(colour, x, y);
    return colour;
}

}  // namespace

TEST(DdsLoader, FormatsAndMipChainsReadEveryLevel) {
    struct Case {
        uint32_t flags;
        std::string fourCC;
        uint32_t bits, w, h, mips, blockBytes;
        int format, levels;
    } cases[] = {
        {4, "DXT1", 0, 5, 5, 3, 8, Zep::FORMAT_DXT1, 3},     {4, "DXT3", 0, 16, 8, 5, 16, Zep::FORMAT_DXT3, 5},
        {4, "DXT5", 0, 12, 4, 1, 16, Zep::FORMAT_DXT5, 1},   {0x40, "", 32, 3, 2, 2, 0, Zep::FORMAT_ARGB8888, 2},
        {0x40, "", 16, 4, 4, 0, 0, Zep::FORMAT_ARGB4444, 1}, {0x41, "DXT5", 32, 2, 2, 1, 0, Zep::FORMAT_ARGB8888, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fourCC + " " + std::to_string(c.bits));
        ImageSamples::Dds dds;
        dds.pixelFlags = c.flags;
        dds.fourCC = c.fourCC;
        dds.bitCount = c.bits;
        dds.width = c.w;
        dds.height = c.h;
        dds.mipCount = c.mips;
        dds.payload = Pattern(ChainBytes(c.w, c.h, c.levels, c.bits, c.blockBytes));
        MemoryTexture texture;
        ASSERT_EQ("", Load(texture, dds.Build(), Zep::IMAGE_DDS));
        EXPECT_EQ(c.format, texture.GetFormat());
        EXPECT_EQ(int(c.w), texture.GetWidth());
        ASSERT_EQ(c.levels, texture.GetMipCount());
        std::string levels;
        for (int level = 0; level < c.levels; ++level)
            levels += LevelBytes(texture, level);
        EXPECT_EQ(dds.payload, levels);
    }
}

TEST(DdsLoader, BrokenAndTruncatedFilesPanic) {
    ImageSamples::Dds good;
    good.width = good.height = 8;
    good.mipCount = 4;
    good.payload = Pattern(ChainBytes(8, 8, 4, 0, 8));
    const std::string file = good.Build();
    struct Case {
        std::string file, message;
    } cases[] = {
        {file.substr(0, 127), "Invalid DDS header"},
        {file.substr(0, file.size() - 1), "Invalid DDS header"},
        {file.substr(0, 128 + 32 + 8), "Invalid DDS header"},
        {"", "Invalid DDS header"},
        {[&] {
             auto d = good;
             d.magic = "DDS_";
             return d.Build();
         }(),
         "Invalid DDS header"},
        {[&] {
             auto d = good;
             d.headerSize = 128;
             return d.Build();
         }(),
         "Invalid DDS header"},
        {[&] {
             auto d = good;
             d.mipCount = 5;
             return d.Build();
         }(),
         "Invalid DDS header"},
        {[&] {
             auto d = good;
             d.fourCC = "DXT2";
             return d.Build();
         }(),
         "Unsupported DXT format"},
        {[&] {
             auto d = good;
             d.pixelFlags = 0x40;
             d.bitCount = 24;
             return d.Build();
         }(),
         "Unsupported DDS pixel format"},
        {[&] {
             auto d = good;
             d.pixelFlags = 0x2;
             return d.Build();
         }(),
         "Unsupported DDS pixel format"},
    };
    for (const Case& c : cases) {
        MemoryTexture texture;
        EXPECT_EQ(c.message, Load(texture, c.file, Zep::IMAGE_DDS)) << c.file.size() << " bytes";
    }
}

TEST(PvrLoader, PixelTypesMipsAndHitMaskTails) {
    struct Case {
        uint32_t flags, alphaMask, headerMips, size, bits, minW, minH;
        int format, levels, tail;
    } cases[] = {
        {16, 0, 0, 4, 16, 1, 1, Zep::FORMAT_ARGB4444, 1, 0},
        {18 | 0x100, 0xFF000000, 2, 4, 32, 1, 1, Zep::FORMAT_ARGB8888, 3, 10},
        {19, 0, 5, 8, 16, 1, 1, Zep::FORMAT_RGB565, 1, 1},
        {21 | 0x100, 0, 0, 2, 24, 1, 1, Zep::FORMAT_RGB888, 1, 0},
        {24 | 0x200, 0, 0, 8, 2, 16, 8, Zep::FORMAT_PVRTC2_RGB, 1, 10},
        {24 | 0x300, 1, 3, 16, 2, 16, 8, Zep::FORMAT_PVRTC2_RGBA, 4, 0},
        {25 | 0x200, 0, 0, 32, 4, 8, 8, Zep::FORMAT_PVRTC4_RGB, 1, 3},
        {25 | 0x100, 0xF, 5, 32, 4, 8, 8, Zep::FORMAT_PVRTC4_RGBA, 6, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("flags " + std::to_string(c.flags));
        ImageSamples::Pvr pvr;
        pvr.flags = c.flags;
        pvr.alphaMask = c.alphaMask;
        pvr.mipCount = c.headerMips;
        pvr.width = pvr.height = c.size;
        const std::string levels = Pattern(ChainBytes(c.size, c.size, c.levels, c.bits, 0, c.minW, c.minH));
        pvr.payload = levels + Pattern(c.tail, 7);
        MemoryTexture texture;
        ASSERT_EQ("", Load(texture, pvr.Build(), Zep::IMAGE_PVR));
        EXPECT_EQ(c.format, texture.GetFormat());
        ASSERT_EQ(c.levels, texture.GetMipCount());
        std::string read;
        for (int level = 0; level < c.levels; ++level)
            read += LevelBytes(texture, level);
        EXPECT_EQ(levels, read);
        const Zep::HitMaskTexture* mask = texture.GetHitMask();
        ASSERT_EQ(c.tail > 0, mask != nullptr);
        if (mask) {
            EXPECT_EQ(c.tail, mask->GetDataSize());
            EXPECT_EQ(Pattern(c.tail, 7), std::string(reinterpret_cast<const char*>(mask->GetData()), c.tail));
            EXPECT_EQ(int(c.size), mask->GetHeight());
        }
    }
}

TEST(PvrLoader, HitMaskOfAFileAnswersPixelsAndReplacesTheLastOne) {
    ImageSamples::Pvr pvr;
    pvr.flags = 18;
    pvr.width = pvr.height = 2;
    // Both rows share one run list: 1 outside, 1 inside.
    pvr.payload = std::string(16, '\x7F') + std::string("\x08\0\0\0\x08\0\0\0\x01\x01", 10);
    MemoryTexture texture;
    ASSERT_EQ("", Load(texture, pvr.Build(), Zep::IMAGE_PVR));
    ASSERT_NE(nullptr, texture.GetHitMask());
    EXPECT_EQ(0u, PixelOf(*texture.GetHitMask(), 0, 1));
    EXPECT_EQ(~0u, PixelOf(*texture.GetHitMask(), 1, 1));
    EXPECT_EQ(0u, PixelOf(*texture.GetHitMask(), 0, 0));
    pvr.payload[16 + 8] = '\0';
    ASSERT_EQ("", Load(texture, pvr.Build(), Zep::IMAGE_PVR));
    EXPECT_EQ(~0u, PixelOf(*texture.GetHitMask(), 0, 0));
    EXPECT_EQ(0x7F7F7F7Fu, PixelOf(texture, 1, 1));
}

TEST(PvrLoader, BrokenTruncatedAndUnsupportedFilesPanic) {
    ImageSamples::Pvr good;
    good.flags = 25 | 0x300;
    good.mipCount = 1;
    good.payload = Pattern(64);
    const std::string file = good.Build();
    auto with = [&good](auto change) {
        ImageSamples::Pvr pvr = good;
        change(pvr);
        return pvr.Build();
    };
    struct Case {
        std::string file, message;
    } cases[] = {
        {file.substr(0, 51), "Invalid PVR header"},
        {file.substr(0, file.size() - 1), "Invalid PVR header"},
        {file.substr(0, 52 + 32), "Invalid PVR header"},
        {with([](auto& p) { p.headerSize = 44; }), "Invalid PVR header"},
        {with([](auto& p) { p.magic = "PVR?"; }), "Invalid PVR header"},
        {with([](auto& p) { p.surfaces = 0; }), "Invalid PVR header"},
        {with([](auto& p) { p.mipCount = 2; }), "Invalid PVR header"},
        {with([](auto& p) { p.flags = 18 | 0x200; }), "PVR uncompressed texture should be untwiddled.\n"},
        {with([](auto& p) { p.flags |= 0x1000; }), "Cubemaps are not supported.\n"},
        {with([](auto& p) { p.surfaces = 6; }), "Multi-surface pvr files are not supported.\n"},
        {with([](auto& p) { p.flags = 17; }), "Unsupported PVR pixel format"},
        {with([](auto& p) { p.flags = 26; }), "Unsupported PVR pixel format"},
    };
    for (const Case& c : cases) {
        MemoryTexture texture;
        EXPECT_EQ(c.message, Load(texture, c.file, Zep::IMAGE_PVR)) << c.file.size() << " bytes";
    }
}

TEST(PngLoader, ColourTypesLoadWithRedAndBlueExchanged) {
    struct Case {
        uint8_t colourType, bitDepth;
        std::string scanlines, palette, transparency;
        int format;
        uint32_t pixel00, pixel11;
    } cases[] = {
        {2, 8, "\x10\x20\x30\x40\x50\x60\x70\x80\x90\xA0\xB0\xC0", "", "", Zep::FORMAT_RGB888, 0xFF102030u,
         0xFFA0B0C0u},
        {6, 8, std::string("\x10\x20\x30\x40\0\0\0\0\0\0\0\0\x01\x02\x03\xFF", 16), "", "", Zep::FORMAT_ARGB8888,
         0x40102030u, 0xFF010203u},
        {2, 16, Pattern(24), "", "", Zep::FORMAT_RGB888, 0xFF000E1Cu, 0xFF7E8C9Au},
        {3, 8, std::string("\x01\0\0\x01", 4), std::string("\x11\x22\x33\x44\x55\x66", 6), "", Zep::FORMAT_RGB888,
         0xFF445566u, 0xFF445566u},
        {3, 8, std::string("\x01\0\0\x01", 4), std::string("\x11\x22\x33\x44\x55\x66", 6), std::string("\x80", 1),
         Zep::FORMAT_ARGB8888, 0xFF445566u, 0xFF445566u},
        {3, 1, std::string("\x40\x00", 2), std::string("\x11\x22\x33\x44\x55\x66", 6), std::string("\x80", 1),
         Zep::FORMAT_ARGB8888, 0x80112233u, 0x80112233u},
        {2, 8, std::string("\x00\xFF\x00\x01\x02\x03\x04\x05\x06\x00\xFF\x00", 12), "",
         std::string("\0\0\0\xFF\0\0", 6), Zep::FORMAT_ARGB8888, 0x0000FF00u, 0x0000FF00u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("colour type " + std::to_string(c.colourType) + " depth " + std::to_string(c.bitDepth));
        ImageSamples::Png png;
        png.colourType = c.colourType;
        png.bitDepth = c.bitDepth;
        png.scanlines = c.scanlines;
        png.palette = c.palette;
        png.transparency = c.transparency;
        MemoryTexture texture;
        ASSERT_EQ("", Load(texture, png.Build(), Zep::IMAGE_PNG));
        EXPECT_EQ(c.format, texture.GetFormat());
        EXPECT_EQ(2, texture.GetHeight());
        EXPECT_EQ(c.pixel00, PixelOf(texture, 0, 0));
        EXPECT_EQ(c.pixel11, PixelOf(texture, 1, 1));
    }
}

TEST(PngLoader, RefusedDamagedAndWarnedFiles) {
    ImageSamples::Png rgb;
    rgb.width = rgb.height = 16;
    rgb.scanlines = Pattern(16 * 16 * 3);
    const std::string good = rgb.Build();
    const std::string error = "Zep::Detail::PngPostDecoder(): encountered libpng error: \"";
    auto grey = [](uint8_t type, uint8_t depth, size_t bytes) {
        ImageSamples::Png png;
        png.colourType = type;
        png.bitDepth = depth;
        png.scanlines = Pattern(bytes);
        return png.Build();
    };
    std::string badIdatCrc = good;
    badIdatCrc[good.size() - 12 - 1] ^= 0x01;  // the last byte of IDAT's CRC
    std::string badHeader = good;
    badHeader[16] = 0x7F;  // width far beyond what libpng accepts, CRC now wrong too
    struct Case {
        std::string file, message;
    } cases[] = {
        {grey(0, 8, 4), "Unsupported PNG color type"},
        {grey(4, 8, 8), "Unsupported PNG color type"},
        {grey(0, 16, 8), "Unsupported PNG color type"},
        {good.substr(0, 7), "Invalid PNG header"},
        {"\x89PNG\r\n\x1a\x0b" + good.substr(8), "Invalid PNG header"},
        {good.substr(0, good.size() - 40), error + "Read past the end of the PNG data\""},
        {good.substr(0, 20), error + "Read past the end of the PNG data\""},
        {badIdatCrc, error + "IDAT: CRC error\""},
        {badHeader, error + "IHDR: CRC error\""},
    };
    for (const Case& c : cases) {
        MemoryTexture texture;
        EXPECT_EQ(c.message, Load(texture, c.file, Zep::IMAGE_PNG)) << c.file.size() << " bytes";
    }

    // A broken ancillary chunk is only a warning, and the image loads.
    std::string text = ImageSamples::Chunk("tEXt", std::string("Title\0x", 7));
    text[text.size() - 1] ^= 0x01;
    rgb.extraChunks = text;
    TestSupport::StderrCapture capture;
    MemoryTexture texture;
    const std::string file = rgb.Build();
    texture.LoadFromMemory(file.data(), static_cast<int32_t>(file.size()), Zep::IMAGE_PNG);
    EXPECT_EQ(16, texture.GetWidth());
    EXPECT_NE(std::string::npos, capture.Text().find("Warning: Encountered libpng warning: \"tEXt: CRC error\"\n"))
        << capture.Text();
}

TEST(ImageLoaders, DecodeOnSeveralThreadsAtOnce) {
    ImageSamples::Png png;
    png.width = png.height = 64;
    png.colourType = 6;
    png.scanlines = Pattern(64 * 64 * 4);
    ImageSamples::Pvr pvr;
    pvr.payload = Pattern(32) + "\x01";
    const std::string files[] = {png.Build(), pvr.Build()};
    const int types[] = {Zep::IMAGE_PNG, Zep::IMAGE_PVR};
    std::string expected[2];
    for (int i = 0; i < 2; ++i) {
        MemoryTexture texture;
        texture.LoadFromMemory(files[i].data(), int32_t(files[i].size()), types[i]);
        expected[i] = LevelBytes(texture, 0);
    }
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                const int i = (t + round) % 2;
                MemoryTexture texture;
                texture.LoadFromMemory(files[i].data(), int32_t(files[i].size()), types[i]);
                mismatches[t] += LevelBytes(texture, 0) != expected[i];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(std::vector<int>(4, 0), mismatches);
}

class ImageFiles : public StreamTestSupport::HeapFixture {
protected:
    void SetUp() override {
        HeapFixture::SetUp();
        root = temp.File("content");
        std::filesystem::create_directories(root + "/ui/icons");
        Zep::BundleSystem::GetInstance()->MountDirectory(root);
    }
    void TearDown() override {
        EXPECT_TRUE(Zep::BundleSystem::GetInstance()->Unmount(root));
        Zep::FileAttributes::GetInstance().LoadAll();
        HeapFixture::TearDown();
    }
    void Write(const std::string& name, const std::string& data) { TestSupport::WriteFile(root + "/" + name, data); }

    TestSupport::TempFolder temp;
    std::string root;
};

// Records what a plain texture was built from.
class RecordingTexture : public Zep::PlainTexture {
public:
    void* GetSystemHandle() override { return nullptr; }
    bool HasMemoryCopy() override { return false; }
    void CreateFromMemoryTexture(MemoryTexture* source, uint32_t flags) override {
        this->flags = flags;
        format = source->GetFormat();
        width = source->GetWidth();
    }
    uint32_t flags = 99;
};

TEST_F(ImageFiles, FindLoadAndFlagsFromFolderAttributes) {
    ImageSamples::Png png;
    png.scanlines = Pattern(12);
    const std::string pngFile = png.Build();
    ImageSamples::Dds dds;
    dds.payload = Pattern(8);
    Write("both.png", pngFile);
    Write("both.dds", dds.Build());
    Write("ui/pair.png", pngFile);
    Write("ui/pair.pvr", ImageSamples::Pvr{}.Build() + Pattern(32));
    Write("ui/icons/only.PNG", pngFile);
    Write("ui/.attributes", "\"*\" PixelAccess \"TRUE\" \"icons\" MipMaps \"true\"");
    Write(".attributes", "\"both.dds\" MipMaps \"true\"");
    Zep::FileAttributes::GetInstance().LoadAll();

    struct Case {
        std::string name, found;
        int type;
        uint32_t flags;
    } cases[] = {
        {"both", "both.dds", Zep::IMAGE_DDS, 1},
        {"ui/pair", "ui/pair.pvr", Zep::IMAGE_PVR, 2},
        {"missing", "", Zep::IMAGE_UNKNOWN, 0},
    };
    for (const Case& c : cases) {
        std::string path = "untouched";
        EXPECT_EQ(!c.found.empty(), Zep::Texture::FindImageFile(c.name, path)) << c.name;
        if (c.found.empty())
            continue;
        EXPECT_EQ(c.found, path);
        EXPECT_EQ(c.type, Zep::GetImageType(path));
        RecordingTexture plain;
        plain.LoadFromFile(path);
        EXPECT_EQ(c.flags, plain.flags) << path;
        MemoryTexture memory;
        memory.LoadFromFile(path);
        EXPECT_EQ(plain.GetFormat(), memory.GetFormat());
    }
    // The upper-case extension is still a PNG, and the folder's attributes reach into icons.
    RecordingTexture icon;
    icon.LoadFromFile("ui/icons/only.PNG");
    EXPECT_EQ(3u, icon.flags);
    EXPECT_EQ(Zep::FORMAT_RGB888, icon.GetFormat());
    EXPECT_EQ(Zep::IMAGE_UNKNOWN, Zep::GetImageType("image.jpg"));
    EXPECT_EQ(Zep::IMAGE_UNKNOWN, Zep::GetImageType("png"));
    EXPECT_EQ("Invalid image type", PanicMessage([&] { MemoryTexture().LoadFromMemory(pngFile.data(), 8, 0); }));
}

TEST_F(ImageFiles, StreamsThatFallShortPanic) {
    // A stream that reports more bytes than it gives.
    class ShortStream : public Zep::MemoryStream {
    public:
        using MemoryStream::MemoryStream;
        int32_t GetSize() override { return MemoryStream::GetSize() + 1; }
    };
    ImageSamples::Png png;
    png.scanlines = Pattern(12);
    const std::string file = png.Build();
    ShortStream stream(file.data(), int32_t(file.size()), 0);
    MemoryTexture texture;
    EXPECT_EQ("Stream read error", PanicMessage([&] { texture.LoadFromStream(stream, Zep::IMAGE_PNG); }));
    Zep::MemoryStream whole(file.data(), int32_t(file.size()), 0);
    texture.LoadFromStream(whole, Zep::IMAGE_PNG);
    EXPECT_EQ(2, texture.GetWidth());
}
