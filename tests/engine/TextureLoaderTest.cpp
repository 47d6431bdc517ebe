// The DDS, PVR and PNG readers on files authored by the tests, their refusals, and
// finding and loading image files through the bundles and their folder attributes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <windows.h>

#include "Common/BundleSystem.h"
#include "Common/FileAttributes.h"
#include "Common/MemoryStream.h"
#include "Common/Texture.h"
#include "Platforms/Win32/Win32Application.h"
#include "ImageSamples.h"
#include "ReportOf.h"
#include "StreamTestSupport.h"
#include "TestSupport.h"

using ImageSamples::ChainBytes;
using ImageSamples::Pattern;
using Zep::MemoryTexture;

namespace {

// The message of the panic that loading raises ("" when it loads).
std::string Load(MemoryTexture& texture, const std::string& file, int type) {
    TestSupport::StderrCapture quiet;
    const std::string text =
        TestSupport::ReportOf([&] { texture.LoadFromMemory(file.data(), static_cast<int32_t>(file.size()), type); });
    return text.substr(text.find(":\n  ") == std::string::npos ? 0 : text.find(":\n  ") + 4);
}

// Every level's bytes, one after another.
std::string Levels(MemoryTexture& texture) {
    std::string bytes;
    for (int level = 0; level < texture.GetMipCount(); ++level)
        bytes.append(reinterpret_cast<const char*>(texture.GetMipLevel(level)), texture.GetMipLevelSize(level));
    return bytes;
}

uint32_t PixelOf(Zep::Texture& texture, int x, int y) {
    uint32_t colour = 0;
    texture.GetPixel(colour, x, y);
    return colour;
}

}  // namespace

TEST(ImageLoaders, DdsAndPvrFormatsMipChainsAndHitMaskTails) {
    struct Case {
        bool dds;
        uint32_t flags, bits, size, headerMips, blockBytes, minW, minH, alphaMask;
        std::string fourCC;
        int format, levels, tail;
    } cases[] = {{true, 4, 0, 5, 3, 8, 1, 1, 0, "DXT1", Zep::FORMAT_DXT1, 3, 0},
                 {true, 4, 0, 16, 5, 16, 1, 1, 0, "DXT3", Zep::FORMAT_DXT3, 5, 0},
                 {true, 4, 0, 12, 1, 16, 1, 1, 0, "DXT5", Zep::FORMAT_DXT5, 1, 0},
                 {true, 0x40, 32, 3, 2, 0, 1, 1, 0, "", Zep::FORMAT_ARGB8888, 2, 0},
                 {true, 0x41, 16, 4, 0, 0, 1, 1, 0, "DXT5", Zep::FORMAT_ARGB4444, 1, 0},
                 {false, 16, 16, 4, 0, 0, 1, 1, 0, "", Zep::FORMAT_ARGB4444, 1, 0},
                 {false, 18 | 0x100, 32, 4, 2, 0, 1, 1, 1, "", Zep::FORMAT_ARGB8888, 3, 10},
                 {false, 19, 16, 8, 5, 0, 1, 1, 0, "", Zep::FORMAT_RGB565, 1, 1},
                 {false, 21, 24, 2, 0, 0, 1, 1, 0, "", Zep::FORMAT_RGB888, 1, 0},
                 {false, 24 | 0x200, 2, 8, 0, 0, 16, 8, 0, "", Zep::FORMAT_PVRTC2_RGB, 1, 10},
                 {false, 24 | 0x300, 2, 16, 3, 0, 16, 8, 1, "", Zep::FORMAT_PVRTC2_RGBA, 4, 0},
                 {false, 25 | 0x200, 4, 32, 0, 0, 8, 8, 0, "", Zep::FORMAT_PVRTC4_RGB, 1, 3},
                 {false, 25 | 0x100, 4, 32, 5, 0, 8, 8, 0xF, "", Zep::FORMAT_PVRTC4_RGBA, 6, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.flags) + " " + c.fourCC);
        const std::string levels = Pattern(ChainBytes(c.size, c.size, c.levels, c.bits, c.blockBytes, c.minW, c.minH));
        std::string file;
        if (c.dds) {
            ImageSamples::Dds dds;
            dds.pixelFlags = c.flags, dds.bitCount = c.bits, dds.fourCC = c.fourCC, dds.mipCount = c.headerMips;
            dds.width = dds.height = c.size;
            dds.payload = levels;
            file = dds.Build();
        } else {
            ImageSamples::Pvr pvr;
            pvr.flags = c.flags, pvr.alphaMask = c.alphaMask, pvr.mipCount = c.headerMips;
            pvr.width = pvr.height = c.size;
            pvr.payload = levels + Pattern(c.tail, 7);
            file = pvr.Build();
        }
        MemoryTexture texture;
        ASSERT_EQ("", Load(texture, file, c.dds ? Zep::IMAGE_DDS : Zep::IMAGE_PVR));
        EXPECT_EQ(c.format, texture.GetFormat());
        EXPECT_EQ(int(c.size), texture.GetWidth());
        ASSERT_EQ(c.levels, texture.GetMipCount());
        EXPECT_EQ(levels, Levels(texture));
        const Zep::HitMaskTexture* mask = texture.GetHitMask();
        ASSERT_EQ(c.tail > 0, mask != nullptr);
        if (mask) {
            EXPECT_EQ(Pattern(c.tail, 7), std::string(reinterpret_cast<const char*>(mask->GetData()), c.tail));
            EXPECT_EQ(int(c.size), mask->GetHeight());
        }
    }
}

TEST(ImageLoaders, PvrHitMaskAnswersPixelsAndReplacesTheLastOne) {
    ImageSamples::Pvr pvr;
    pvr.flags = 18;
    pvr.width = pvr.height = 2;
    // Both rows share one run list: 1 outside, 1 inside.
    pvr.payload = std::string(16, '\x7F') + std::string("\x08\0\0\0\x08\0\0\0\x01\x01", 10);
    MemoryTexture texture;
    ASSERT_EQ("", Load(texture, pvr.Build(), Zep::IMAGE_PVR));
    EXPECT_EQ(0u, PixelOf(*texture.GetHitMask(), 0, 1));
    EXPECT_EQ(~0u, PixelOf(*texture.GetHitMask(), 1, 1));
    pvr.payload[16 + 8] = '\0';
    ASSERT_EQ("", Load(texture, pvr.Build(), Zep::IMAGE_PVR));
    EXPECT_EQ(~0u, PixelOf(*texture.GetHitMask(), 0, 0));
    EXPECT_EQ(0x7F7F7F7Fu, PixelOf(texture, 1, 1));
}

TEST(ImageLoaders, BrokenTruncatedAndUnsupportedDdsAndPvrFilesPanic) {
    ImageSamples::Dds dds;
    dds.width = dds.height = 8;
    dds.mipCount = 4;
    dds.payload = Pattern(ChainBytes(8, 8, 4, 0, 8));
    ImageSamples::Pvr pvr;
    pvr.flags = 25 | 0x300;
    pvr.mipCount = 1;
    pvr.payload = Pattern(64);
    const std::string ddsFile = dds.Build(), pvrFile = pvr.Build();
    auto withDds = [&dds](auto change) {
        ImageSamples::Dds changed = dds;
        change(changed);
        return changed.Build();
    };
    auto withPvr = [&pvr](auto change) {
        ImageSamples::Pvr changed = pvr;
        change(changed);
        return changed.Build();
    };
    const std::string badDds = "Invalid DDS header", badPvr = "Invalid PVR header";
    struct Case {
        int type;
        std::string file, message;
    } cases[] = {
        {Zep::IMAGE_DDS, "", badDds},
        {Zep::IMAGE_DDS, ddsFile.substr(0, 127), badDds},
        {Zep::IMAGE_DDS, ddsFile.substr(0, ddsFile.size() - 1), badDds},
        {Zep::IMAGE_DDS, ddsFile.substr(0, 128 + 32 + 8), badDds},
        {Zep::IMAGE_DDS, withDds([](auto& d) { d.magic = "DDS_"; }), badDds},
        {Zep::IMAGE_DDS, withDds([](auto& d) { d.headerSize = 128; }), badDds},
        {Zep::IMAGE_DDS, withDds([](auto& d) { d.mipCount = 5; }), badDds},
        {Zep::IMAGE_DDS, withDds([](auto& d) { d.fourCC = "DXT2"; }), "Unsupported DXT format"},
        {Zep::IMAGE_DDS, withDds([](auto& d) { d.pixelFlags = 0x40, d.bitCount = 24; }),
         "Unsupported DDS pixel format"},
        {Zep::IMAGE_DDS, withDds([](auto& d) { d.pixelFlags = 0x2; }), "Unsupported DDS pixel format"},
        {Zep::IMAGE_PVR, pvrFile.substr(0, 51), badPvr},
        {Zep::IMAGE_PVR, pvrFile.substr(0, pvrFile.size() - 1), badPvr},
        {Zep::IMAGE_PVR, pvrFile.substr(0, 52 + 32), badPvr},
        {Zep::IMAGE_PVR, withPvr([](auto& p) { p.headerSize = 44; }), badPvr},
        {Zep::IMAGE_PVR, withPvr([](auto& p) { p.magic = "PVR?"; }), badPvr},
        {Zep::IMAGE_PVR, withPvr([](auto& p) { p.surfaces = 0; }), badPvr},
        {Zep::IMAGE_PVR, withPvr([](auto& p) { p.mipCount = 2; }), badPvr},
        {Zep::IMAGE_PVR, withPvr([](auto& p) { p.flags = 18 | 0x200; }),
         "PVR uncompressed texture should be untwiddled.\n"},
        {Zep::IMAGE_PVR, withPvr([](auto& p) { p.flags |= 0x1000; }), "Cubemaps are not supported.\n"},
        {Zep::IMAGE_PVR, withPvr([](auto& p) { p.surfaces = 6; }), "Multi-surface pvr files are not supported.\n"},
        {Zep::IMAGE_PVR, withPvr([](auto& p) { p.flags = 26; }), "Unsupported PVR pixel format"},
        {0, ddsFile, "Invalid image type"}};
    for (const Case& c : cases) {
        MemoryTexture texture;
        EXPECT_EQ(c.message, Load(texture, c.file, c.type)) << c.file.size() << " bytes";
    }
}

TEST(ImageLoaders, PngColourTypesLoadWithRedAndBlueExchanged) {
    const std::string palette("\x11\x22\x33\x44\x55\x66", 6);
    struct Case {
        uint8_t colourType, bitDepth;
        std::string scanlines, palette, transparency;
        int format;
        uint32_t pixel00, pixel11;
    } cases[] = {
        {2, 8, "\x10\x20\x30\x40\x50\x60\x70\x80\x90\xA0\xB0\xC0", "", "", Zep::FORMAT_RGB888, 0xFF102030u,
         0xFFA0B0C0u},
        {6, 8, std::string("\x10\x20\x30\x40", 4) + std::string(8, '\0') + "\x01\x02\x03\xFF", "", "",
         Zep::FORMAT_ARGB8888, 0x40102030u, 0xFF010203u},
        {2, 16, Pattern(24), "", "", Zep::FORMAT_RGB888, 0xFF000E1Cu, 0xFF7E8C9Au},
        {3, 8, std::string("\x01\0\0\x01", 4), palette, "", Zep::FORMAT_RGB888, 0xFF445566u, 0xFF445566u},
        {3, 8, std::string("\x01\0\0\x01", 4), palette, "\x80", Zep::FORMAT_ARGB8888, 0xFF445566u, 0xFF445566u},
        {3, 1, std::string("\x40\x00", 2), palette, "\x80", Zep::FORMAT_ARGB8888, 0x80112233u, 0x80112233u},
        {2, 8, std::string("\x00\xFF\x00\x01\x02\x03\x04\x05\x06\x00\xFF\x00", 12), "",
         std::string("\0\0\0\xFF\0\0", 6), Zep::FORMAT_ARGB8888, 0x0000FF00u, 0x0000FF00u}};
    for (const Case& c : cases) {
        SCOPED_TRACE("colour type " + std::to_string(c.colourType) + " depth " + std::to_string(c.bitDepth));
        ImageSamples::Png png;
        png.colourType = c.colourType, png.bitDepth = c.bitDepth, png.scanlines = c.scanlines;
        png.palette = c.palette, png.transparency = c.transparency;
        MemoryTexture texture;
        ASSERT_EQ("", Load(texture, png.Build(), Zep::IMAGE_PNG));
        EXPECT_EQ(c.format, texture.GetFormat());
        EXPECT_EQ(c.pixel00, PixelOf(texture, 0, 0));
        EXPECT_EQ(c.pixel11, PixelOf(texture, 1, 1));
    }
}

TEST(ImageLoaders, PngRefusedDamagedAndWarnedFiles) {
    ImageSamples::Png rgb;
    rgb.width = rgb.height = 16;
    rgb.scanlines = Pattern(16 * 16 * 3);
    const std::string good = rgb.Build();
    auto grey = [](uint8_t type, uint8_t depth, size_t bytes) {
        ImageSamples::Png png;
        png.colourType = type, png.bitDepth = depth, png.scanlines = Pattern(bytes);
        return png.Build();
    };
    ImageSamples::Png tall;
    tall.height = 4096;
    std::string badIdatCrc = good, badHeader = good;
    badIdatCrc[good.size() - 13] ^= 0x01;  // the last byte of IDAT's CRC, before IEND
    badHeader[16] = 0x7F;                  // the width's first byte: IHDR's CRC no longer matches
    const std::string error = "Zep::Detail::PngPostDecoder(): encountered libpng error: \"";
    struct Case {
        std::string file, message;
    } cases[] = {{grey(0, 8, 4), "Unsupported PNG color type"},
                 {grey(4, 8, 8), "Unsupported PNG color type"},
                 {grey(0, 16, 8), "Unsupported PNG color type"},
                 {good.substr(0, 7), "Invalid PNG header"},
                 {"\x89PNG\r\n\x1a\x0b" + good.substr(8), "Invalid PNG header"},
                 {good.substr(0, good.size() - 40), error + "Read past the end of the PNG data\""},
                 {good.substr(0, 20), error + "Read past the end of the PNG data\""},
                 {badIdatCrc, error + "IDAT: CRC error\""},
                 {badHeader, error + "IHDR: CRC error\""},
                 // A header claiming more than a texture holds is refused before libpng
                 // allocates the rows: 100000 x 100000 from a file of 69 bytes.
                 {TestSupport::ReadFile(std::string(ZEP_FUZZ_CORPUS) + "/image/finding-png-huge-size.png"),
                  "Assertion failed in file \"Common\\Texture.cpp\", line 247"},
                 {tall.Build(), "Assertion failed in file \"Common\\Texture.cpp\", line 248"},
                 // A chunk whose length claims 1.9 GB is not allocated (the image fuzz
                 // target limits allocations), and the file then ends too early.
                 {TestSupport::ReadFile(std::string(ZEP_FUZZ_CORPUS) + "/image/finding-png-chunk-length.png"),
                  error + "Read past the end of the PNG data\""}};
    for (const Case& c : cases) {
        MemoryTexture texture;
        EXPECT_EQ(c.message, Load(texture, c.file, Zep::IMAGE_PNG)) << c.file.size() << " bytes";
    }

    // A broken ancillary chunk is only a warning, and the image loads.
    std::string text = ImageSamples::Chunk("tEXt", std::string("Title\0x", 7));
    text.back() ^= 0x01;
    rgb.extraChunks = text;
    const std::string file = rgb.Build();
    TestSupport::StderrCapture capture;
    MemoryTexture texture;
    texture.LoadFromMemory(file.data(), static_cast<int32_t>(file.size()), Zep::IMAGE_PNG);
    EXPECT_EQ(16, texture.GetWidth());
    EXPECT_NE(std::string::npos, capture.Text().find("Warning: Encountered libpng warning: \"tEXt: CRC error\"\n"))
        << capture.Text();
}

class ImageFiles : public StreamTestSupport::HeapFixture {
protected:
    void TearDown() override {
        EXPECT_TRUE(Zep::BundleSystem::GetInstance()->Unmount(temp.Path()));
        Zep::FileAttributes::GetInstance().LoadAll();
        HeapFixture::TearDown();
    }
    TestSupport::TempFolder temp;
};

// Records what a plain texture was built from.
class RecordingTexture : public Zep::PlainTexture {
public:
    void* GetSystemHandle() override { return nullptr; }
    bool HasMemoryCopy() override { return false; }
    void CreateFromMemoryTexture(MemoryTexture* source, uint32_t flags) override {
        this->flags = flags;
        format = source->GetFormat();
    }
    uint32_t flags = 99;
};

TEST_F(ImageFiles, FoundInOrderAndLoadedWithTheFlagsOfTheirFolders) {
    ImageSamples::Png png;
    png.scanlines = Pattern(12);
    ImageSamples::Dds dds;
    dds.payload = Pattern(8);
    std::filesystem::create_directories(temp.File("ui/icons"));
    for (const char* name : {"both.png", "ui/pair.png", "ui/icons/only.PNG"})
        TestSupport::WriteFile(temp.File(name), png.Build());
    TestSupport::WriteFile(temp.File("both.dds"), dds.Build());
    TestSupport::WriteFile(temp.File("ui/pair.pvr"), ImageSamples::Pvr{}.Build() + Pattern(32));
    TestSupport::WriteFile(temp.File("ui/.attributes"), "\"*\" PixelAccess \"TRUE\" \"icons\" MipMaps \"true\"");
    TestSupport::WriteFile(temp.File(".attributes"), "\"both.dds\" MipMaps \"true\"");
    Zep::BundleSystem::GetInstance()->MountDirectory(temp.Path());
    Zep::FileAttributes::GetInstance().LoadAll();

    struct Case {
        std::string name, found;
        int format;
        uint32_t flags;
    } cases[] = {{"both", "both.dds", Zep::FORMAT_DXT1, 1},
                 {"ui/pair", "ui/pair.pvr", Zep::FORMAT_PVRTC4_RGB, 2},
                 {"ui/icons/only.PNG", "ui/icons/only.PNG", Zep::FORMAT_RGB888, 3},
                 {"missing", "", 0, 0}};
    for (const Case& c : cases) {
        std::string path = c.name;
        if (c.name != c.found) {
            path = "untouched";
            ASSERT_EQ(!c.found.empty(), Zep::Texture::FindImageFile(c.name, path)) << c.name;
            if (c.found.empty())
                continue;
            EXPECT_EQ(c.found, path);
        }
        RecordingTexture plain;
        plain.LoadFromFile(path);
        EXPECT_EQ(c.flags, plain.flags) << path;
        MemoryTexture memory;
        memory.LoadFromFile(path);
        EXPECT_EQ(c.format, plain.GetFormat());
        EXPECT_EQ(c.format, memory.GetFormat());
    }

    // A stream that reports more bytes than it gives.
    class ShortStream : public Zep::MemoryStream {
    public:
        using MemoryStream::MemoryStream;
        int32_t GetSize() override { return MemoryStream::GetSize() + 1; }
    };
    const std::string file = png.Build();
    ShortStream stream(file.data(), int32_t(file.size()), 0);
    MemoryTexture texture;
    TestSupport::StderrCapture quiet;
    EXPECT_NE(std::string::npos, TestSupport::ReportOf([&] {
                                     texture.LoadFromStream(stream, Zep::IMAGE_PNG);
                                 }).find(":\n  Stream read error"));
}

TEST_F(ImageFiles, CursorBitmapsNeedRgba8Pixels) {
    ImageSamples::Png png;
    png.colourType = 6;
    png.scanlines = Pattern(16);
    TestSupport::WriteFile(temp.File("arrow.png"), png.Build());
    png.colourType = 2;
    png.scanlines = Pattern(12);
    TestSupport::WriteFile(temp.File("flat.png"), png.Build());
    Zep::BundleSystem::GetInstance()->MountDirectory(temp.Path());

    HBITMAP bitmap = Zep::Win32::CreateBitmapFromTexture("arrow");
    EXPECT_NE(nullptr, bitmap);
    ::DeleteObject(bitmap);
    EXPECT_EQ(nullptr, Zep::Win32::CreateBitmapFromTexture("missing"));
    TestSupport::StderrCapture quiet;
    EXPECT_EQ(
        "Panic error in file \"Platforms\\Win32\\Win32Application.cpp\", line 55:\n  System cursor texture must "
        "be in RGBA8 format",
        TestSupport::ReportOf([] { Zep::Win32::CreateBitmapFromTexture("flat"); }));
}
