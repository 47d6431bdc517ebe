// Memory textures: storage sizes, checks on sizes and levels, pixel reads and their
// widening, copies, and hit masks.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Common/Texture.h"
#include "PackedSample.h"
#include "ReportOf.h"
#include "TestSupport.h"

using Zep::MemoryTexture;

namespace {

template <class Body>
std::string Report(Body body) {
    TestSupport::StderrCapture quiet;
    return TestSupport::ReportOf(body);
}

uint32_t PixelOf(Zep::Texture& texture, int x, int y) {
    uint32_t colour = 0x12345678u;
    texture.GetPixel(colour, x, y);
    return colour;
}

}  // namespace

TEST(MemoryTexture, CreateAllocatesZeroedLevelsOfTheirSizes) {
    struct Case {
        int w, h, format, mips, allocW, allocH, pitch;
        std::vector<int> levelSizes;
    } cases[] = {
        {5, 5, Zep::FORMAT_DXT1, 2, 8, 8, 4, {32, 8}},
        {1, 1, Zep::FORMAT_DXT5, 3, 4, 4, 4, {16, 16, 16}},
        {8, 8, Zep::FORMAT_PVRTC2_RGBA, 1, 8, 8, 2, {32}},
        {16, 16, Zep::FORMAT_PVRTC2_RGB, 3, 16, 16, 4, {64, 32, 32}},
        {4, 4, Zep::FORMAT_PVRTC4_RGB, 2, 4, 4, 2, {32, 32}},
        {3, 2, Zep::FORMAT_RGB888, 2, 3, 2, 9, {18, 3}},
        {4095, 2, Zep::FORMAT_ARGB4444, 11, 4095, 2, 8190, {16380, 4094, 2046, 1022, 510, 254, 126, 62, 30, 14, 6}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h) + " format " + std::to_string(c.format));
        MemoryTexture texture;
        texture.Create(c.w, c.h, c.format, c.mips);
        EXPECT_EQ(c.allocW, texture.GetAllocatedWidth());
        EXPECT_EQ(c.allocH, texture.GetAllocatedHeight());
        EXPECT_EQ(c.pitch, texture.GetRowPitch());
        for (int level = 0; level < MemoryTexture::kMaxMipLevels; ++level) {
            if (level >= c.mips) {
                EXPECT_EQ(nullptr, texture.GetMipLevel(level));
                continue;
            }
            ASSERT_EQ(c.levelSizes[level], texture.GetMipLevelSize(level));
            // Zero-filled and as long as its size (AddressSanitizer watches the end).
            const std::vector<uint8_t> zeros(c.levelSizes[level], 0);
            EXPECT_EQ(0, std::memcmp(zeros.data(), texture.GetMipLevel(level), zeros.size()));
        }
    }
}

TEST(MemoryTexture, SizeLevelAndShapeChecksFailTheirAssertions) {
    struct Case {
        int w, h, format, mips, line;
    } cases[] = {{4096, 1, 0, 1, 247}, {-1, 1, 0, 1, 247}, {1, 4096, 0, 1, 248}, {1, 1, 0, 0, 249},
                 {1, 1, 0, 12, 249},   {8, 16, 9, 1, 267}, {12, 12, 11, 1, 268}};
    const std::string at = "Assertion failed in file \"Common\\Texture.cpp\", line ";
    for (const Case& c : cases) {
        MemoryTexture texture;
        EXPECT_EQ(at + std::to_string(c.line), Report([&] { texture.Create(c.w, c.h, c.format, c.mips); }));
    }
    MemoryTexture texture;
    const MemoryTexture& readOnly = texture;
    EXPECT_EQ(at + "323", Report([&] { texture.GetMipLevel(12); }));
    EXPECT_EQ(at + "323", Report([&] { texture.GetMipLevel(-1); }));
    EXPECT_EQ(at + "315", Report([&] { readOnly.GetMipLevel(12); }));
}

TEST(MemoryTexture, PixelsWidenToEightBitsAndAnswerZeroOutside) {
    struct Case {
        int format;
        std::vector<uint8_t> bytes;  // one pixel as stored
        uint32_t expected;
    } cases[] = {{Zep::FORMAT_ARGB8888, {0x11, 0x22, 0x33, 0x44}, 0x44332211u},
                 {Zep::FORMAT_ARGB4444, {0x00, 0x8F}, 0x88FF0000u},
                 {Zep::FORMAT_ARGB4444, {0x5A, 0x3C}, 0x33CC55AAu},
                 {Zep::FORMAT_RGB888, {0x01, 0x02, 0x03}, 0xFF030201u},
                 {Zep::FORMAT_RGB565, {0x00, 0xF8}, 0xFFFF0000u},
                 {Zep::FORMAT_RGB565, {0xE0, 0x07}, 0xFF00FF00u},
                 {Zep::FORMAT_RGB565, {0x41, 0x08}, 0xFF080808u},
                 {Zep::FORMAT_RGB5A3, {0x00, 0xFC}, 0xFFFF0000u},
                 {Zep::FORMAT_RGB5A3, {0x21, 0x84}, 0xFF080808u},
                 {Zep::FORMAT_RGB5A3, {0x34, 0x12}, 0x24223344u},
                 {Zep::FORMAT_RGB5A3, {0x00, 0x7F}, 0xFCFF0000u}};
    for (const Case& c : cases) {
        MemoryTexture texture;
        texture.Create(3, 2, c.format, 1);
        // Pixel (2, 1): row pitch plus two pixels (and for format 4 the 3 x 2 tile's 6th place).
        std::memcpy(texture.GetMipLevel(0) + 5 * c.bytes.size(), c.bytes.data(), c.bytes.size());
        EXPECT_EQ(c.expected, PixelOf(texture, 2, 1)) << c.format;
        EXPECT_EQ(0u, PixelOf(texture, 3, 0));
        EXPECT_EQ(0u, PixelOf(texture, 0, 2));
        EXPECT_EQ(0u, PixelOf(texture, -1, 0));
    }
    // Tiles of 4 x 4 in row order; edge tiles as wide and high as the pixels left, so
    // every pixel of sizes that are no multiples of 4 has its own place in the level.
    MemoryTexture tiled;
    tiled.Create(9, 6, Zep::FORMAT_RGB5A3, 1);
    for (int i = 0; i < 54; ++i)
        tiled.GetMipLevel(0)[2 * i] = static_cast<uint8_t>(i);
    std::set<uint32_t> seen;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x)
            seen.insert(PixelOf(tiled, x, y));
    EXPECT_EQ(54u, seen.size());
    tiled.GetMipLevel(0)[2 * (16 * 1 + 4 * 2 + 1)] = 0;  // tile 1, row 2, column 1
    tiled.GetMipLevel(0)[2 * (16 * 1 + 4 * 2 + 1) + 1] = 0xFC;
    EXPECT_EQ(0xFFFF0000u, PixelOf(tiled, 5, 2));

    MemoryTexture unknown;
    unknown.Create(2, 2, 42, 1);
    EXPECT_EQ(0u, PixelOf(unknown, 2, 0));
    EXPECT_NE(std::string::npos, Report([&] { PixelOf(unknown, 1, 1); }).find(":\n  Unsupported texture pixel format"));
    EXPECT_NE(std::string::npos,
              Report([&] { unknown.GetSystemHandle(); }).find(":\n  Memory texture doesn't have a system handle"));
}

TEST(MemoryTexture, CopyTakesLevelsButNotTheHitMask) {
    MemoryTexture source;
    source.Create(6, 3, Zep::FORMAT_DXT3, 2);
    source.SetScale(0.5f, 0.25f);
    std::memset(source.GetMipLevel(1), 0x5C, 16);
    MemoryTexture copy;
    copy.CopyFrom(source);
    EXPECT_EQ(8, copy.GetAllocatedWidth());
    EXPECT_EQ(0.25f, copy.GetVScale());
    ASSERT_EQ(2, copy.GetMipCount());
    EXPECT_EQ(0, std::memcmp(source.GetMipLevel(1), copy.GetMipLevel(1), 16));
    EXPECT_NE(source.GetMipLevel(1), copy.GetMipLevel(1));
    // Nothing to copy: the old levels are gone and a pixel read finds no data.
    copy.CopyFrom(MemoryTexture());
    EXPECT_EQ(nullptr, copy.GetMipLevel(0));
    EXPECT_EQ(0u, PixelOf(copy, 1, 1));
}

TEST(HitMaskTexture, RunsAlternateFromOutsideAndStopAtTheData) {
    std::string data;
    for (uint32_t offset : {20u, 23u, 0xFFFFFFF0u, 25u, 24u})
        TestSupport::AppendU32(data, offset);
    // Run lists have no end of their own: row 0 runs on into the bytes of rows 1 and 4.
    // Row 5 takes its offset from run bytes (far beyond); row 6 has none.
    data += std::string("\x02\x03\x01\x00\x04\x09", 6);
    Zep::HitMaskTexture mask(data.data(), static_cast<int32_t>(data.size()), 24, 8);
    EXPECT_EQ(26, mask.GetMemorySize());
    const char* const inside[] = {
        "00111000001111111110", "11110000000000", "0", "0000000000", "00001111111110", "0", "0"};
    for (int y = 0; y < 7; ++y)
        for (int x = 0; inside[y][x]; ++x)
            EXPECT_EQ(inside[y][x] == '1' ? ~0u : 0u, PixelOf(mask, x, y)) << x << ", " << y;
    EXPECT_EQ(0u, PixelOf(mask, 24, 0));
    EXPECT_EQ(0u, PixelOf(mask, 0, 8));
    EXPECT_NE(std::string::npos,
              Report([&] { mask.GetSystemHandle(); }).find(":\n  Hit Mask texture doesn't have a system handle"));
}
