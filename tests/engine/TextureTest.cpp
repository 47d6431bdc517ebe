// Memory textures: storage sizes of every format, pixel reads and their widening, hit
// masks, and the checks on sizes and levels.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Common/Texture.h"
#include "ReportOf.h"
#include "TestSupport.h"

using Zep::MemoryTexture;

namespace {

template <class Body>
std::string ReportOf(Body body) {
    TestSupport::StderrCapture quiet;
    return TestSupport::ReportOf(body);
}

std::string AssertionAt(int line) {
    return "Assertion failed in file \"Common\\Texture.cpp\", line " + std::to_string(line);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

uint32_t PixelOf(Zep::Texture& texture, int x, int y) {
    uint32_t colour = 0x12345678u;
    texture.GetPixel(colour, x, y);
    return colour;
}

}  // namespace

TEST(MemoryTexture, CreateAllocatesEveryLevelWithItsSize) {
    struct Case {
        int w, h, format, mips, allocW, allocH, pitch;
        std::vector<int> levelSizes;
    } cases[] = {
        {5, 5, Zep::FORMAT_DXT1, 2, 8, 8, 4, {32, 8}},
        {1, 1, Zep::FORMAT_DXT5, 3, 4, 4, 4, {16, 16, 16}},
        {8, 8, Zep::FORMAT_PVRTC2_RGBA, 1, 8, 8, 2, {32}},
        {16, 16, Zep::FORMAT_PVRTC2_RGB, 3, 16, 16, 4, {64, 32, 32}},
        {4, 4, Zep::FORMAT_PVRTC4_RGB, 2, 4, 4, 2, {32, 32}},
        {32, 32, Zep::FORMAT_PVRTC4_RGBA, 3, 32, 32, 16, {512, 128, 32}},
        {3, 2, Zep::FORMAT_RGB888, 2, 3, 2, 9, {18, 3}},
        {256, 128, Zep::FORMAT_ARGB8888, 3, 256, 128, 1024, {131072, 32768, 8192}},
        {7, 1, Zep::FORMAT_RGB5A3, 1, 7, 1, 14, {14}},
        {4095, 1, Zep::FORMAT_ARGB4444, 11, 4095, 1, 8190, {8190, 4094, 2046, 1022, 510, 254, 126, 62, 30, 14, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h) + " format " + std::to_string(c.format));
        MemoryTexture texture;
        texture.Create(c.w, c.h, c.format, c.mips);
        EXPECT_EQ(c.w, texture.GetWidth());
        EXPECT_EQ(c.allocW, texture.GetAllocatedWidth());
        EXPECT_EQ(c.allocH, texture.GetAllocatedHeight());
        EXPECT_EQ(c.pitch, texture.GetRowPitch());
        EXPECT_EQ(c.mips, texture.GetMipCount());
        for (int level = 0; level < Zep::MemoryTexture::kMaxMipLevels; ++level) {
            if (level >= c.mips) {
                EXPECT_EQ(nullptr, texture.GetMipLevel(level));
                continue;
            }
            ASSERT_EQ(c.levelSizes[level], texture.GetMipLevelSize(level));
            // Zero-filled and as long as its size says (AddressSanitizer watches the ends).
            const std::vector<uint8_t> zeros(c.levelSizes[level], 0);
            EXPECT_EQ(0, std::memcmp(zeros.data(), texture.GetMipLevel(level), zeros.size()));
            std::memset(texture.GetMipLevel(level), 0xAB, zeros.size());
        }
    }
}

TEST(MemoryTexture, SizeLevelAndShapeChecksFailTheirAssertions) {
    struct Case {
        int w, h, format, mips, line;
    } cases[] = {
        {4096, 1, 0, 1, 247}, {-1, 1, 0, 1, 247}, {1, 4096, 0, 1, 248}, {1, -2, 0, 1, 248},
        {1, 1, 0, 0, 249},    {1, 1, 0, 12, 249}, {8, 16, 9, 1, 267},   {12, 12, 11, 1, 268},
    };
    for (const Case& c : cases) {
        MemoryTexture texture;
        EXPECT_EQ(AssertionAt(c.line), ReportOf([&] { texture.Create(c.w, c.h, c.format, c.mips); }));
    }
    MemoryTexture texture;
    const MemoryTexture& readOnly = texture;
    EXPECT_EQ(AssertionAt(323), ReportOf([&] { texture.GetMipLevel(12); }));
    EXPECT_EQ(AssertionAt(323), ReportOf([&] { texture.GetMipLevel(-1); }));
    EXPECT_EQ(AssertionAt(315), ReportOf([&] { readOnly.GetMipLevel(12); }));
}

TEST(MemoryTexture, PixelsWidenToEightBitChannels) {
    struct Case {
        int format;
        std::vector<uint8_t> bytes;  // the pixel as stored
        uint32_t expected;
    } cases[] = {
        {Zep::FORMAT_ARGB8888, {0x11, 0x22, 0x33, 0x44}, 0x44332211u},
        {Zep::FORMAT_ARGB4444, {0x00, 0x8F}, 0x88FF0000u},
        {Zep::FORMAT_ARGB4444, {0x5A, 0x3C}, 0x33CC55AAu},
        {Zep::FORMAT_RGB888, {0x01, 0x02, 0x03}, 0xFF030201u},
        {Zep::FORMAT_RGB565, {0x00, 0xF8}, 0xFFFF0000u},
        {Zep::FORMAT_RGB565, {0xE0, 0x07}, 0xFF00FF00u},
        {Zep::FORMAT_RGB565, {0x1F, 0x00}, 0xFF0000FFu},
        {Zep::FORMAT_RGB565, {0x41, 0x08}, 0xFF080808u},
        {Zep::FORMAT_RGB5A3, {0x00, 0xFC}, 0xFFFF0000u},
        {Zep::FORMAT_RGB5A3, {0x21, 0x84}, 0xFF080808u},
        {Zep::FORMAT_RGB5A3, {0x34, 0x12}, 0x24223344u},
        {Zep::FORMAT_RGB5A3, {0x00, 0x7F}, 0xFCFF0000u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("format " + std::to_string(c.format) + " expects " + std::to_string(c.expected));
        MemoryTexture texture;
        texture.Create(3, 2, c.format, 1);
        // The last pixel of the second row: row pitch times 1 plus 2 pixels (format 4:
        // the tile is 3 x 2 pixels, so the same place).
        const size_t size = c.bytes.size();
        std::memcpy(texture.GetMipLevel(0) + 3 * size + 2 * size, c.bytes.data(), size);
        EXPECT_EQ(c.expected, PixelOf(texture, 2, 1));
        for (const auto& outside : {std::make_pair(3, 0), std::make_pair(0, 2), std::make_pair(-1, 0)})
            EXPECT_EQ(0u, PixelOf(texture, outside.first, outside.second));
    }
}

TEST(MemoryTexture, TiledPixelsCoverTheirLevelOnceAndStayInside) {
    // Every pixel of a 4 x 4 tiled image whose sizes are no multiples of 4 has a place
    // of its own inside its level.
    for (const auto& size : {std::make_pair(9, 6), std::make_pair(8, 8), std::make_pair(1, 5)}) {
        MemoryTexture texture;
        texture.Create(size.first, size.second, Zep::FORMAT_RGB5A3, 1);
        uint8_t* level = texture.GetMipLevel(0);
        const int pixels = size.first * size.second;
        for (int i = 0; i < pixels; ++i) {
            level[2 * i] = static_cast<uint8_t>(i);
            level[2 * i + 1] = static_cast<uint8_t>(0x80 | i >> 8);  // opaque, blue from the index
        }
        std::set<uint32_t> seen;
        for (int y = 0; y < size.second; ++y)
            for (int x = 0; x < size.first; ++x)
                seen.insert(PixelOf(texture, x, y));
        EXPECT_EQ(size_t(pixels), seen.size());
    }
    // Whole tiles follow one another in row order, 16 pixels each.
    MemoryTexture texture;
    texture.Create(8, 8, Zep::FORMAT_RGB5A3, 1);
    texture.GetMipLevel(0)[2 * (16 * 3 + 4 * 2 + 1) + 1] = 0xFC;
    EXPECT_EQ(0xFFFF0000u, PixelOf(texture, 5, 6));
}

TEST(MemoryTexture, UnsupportedFormatsAndHandles) {
    MemoryTexture texture;
    texture.Create(2, 2, 42, 1);
    EXPECT_EQ(0, texture.GetMipLevelSize(0));
    EXPECT_EQ(0u, PixelOf(texture, 2, 0));
    EXPECT_TRUE(EndsWith(ReportOf([&] { PixelOf(texture, 1, 1); }), ":\n  Unsupported texture pixel format"));
    EXPECT_TRUE(
        EndsWith(ReportOf([&] { texture.GetSystemHandle(); }), ":\n  Memory texture doesn't have a system handle"));
    Zep::HitMaskTexture mask(nullptr, 0, 1, 1);
    EXPECT_TRUE(
        EndsWith(ReportOf([&] { mask.GetSystemHandle(); }), ":\n  Hit Mask texture doesn't have a system handle"));
}

TEST(MemoryTexture, CopyTakesLevelsButNotTheHitMask) {
    MemoryTexture source;
    source.Create(6, 3, Zep::FORMAT_DXT3, 2);
    source.SetScale(0.5f, 0.25f);
    std::memset(source.GetMipLevel(1), 0x5C, source.GetMipLevelSize(1));
    MemoryTexture copy;
    copy.Create(2, 2, Zep::FORMAT_ARGB8888, 1);
    copy.CopyFrom(source);
    EXPECT_EQ(Zep::FORMAT_DXT3, copy.GetFormat());
    EXPECT_EQ(8, copy.GetAllocatedWidth());
    EXPECT_EQ(0.25f, copy.GetVScale());
    ASSERT_EQ(2, copy.GetMipCount());
    EXPECT_EQ(0, std::memcmp(source.GetMipLevel(1), copy.GetMipLevel(1), 16));
    EXPECT_NE(source.GetMipLevel(1), copy.GetMipLevel(1));
    EXPECT_EQ(nullptr, copy.GetHitMask());

    // Nothing to copy: the old levels are gone and reading a pixel finds no data.
    MemoryTexture empty;
    copy.CopyFrom(empty);
    EXPECT_EQ(nullptr, copy.GetMipLevel(0));
    EXPECT_EQ(0u, PixelOf(copy, 1, 1));
}

TEST(HitMaskTexture, RunsAlternateFromOutsideAndStopAtTheData) {
    std::string data;
    for (uint32_t offset : {20u, 23u, 0xFFFFFFF0u, 25u, 24u})
        for (int i = 0; i < 4; ++i)
            data += static_cast<char>(offset >> (8 * i));
    // Run lists have no end of their own: row 0 runs on into the bytes of rows 1 and 4.
    data += std::string("\x02\x03\x01\x00\x04\x09", 6);
    // Rows 5 and 6 take their offsets from the run bytes (far beyond) or find none.
    Zep::HitMaskTexture mask(data.data(), static_cast<int32_t>(data.size()), 24, 8);
    EXPECT_EQ(26, mask.GetMemorySize());
    struct Case {
        int x, y;
        uint32_t expected;
    } cases[] = {
        {0, 0, 0},    {1, 0, 0},  {2, 0, ~0u}, {4, 0, ~0u}, {5, 0, 0},    {9, 0, 0},  {10, 0, ~0u},
        {18, 0, ~0u}, {19, 0, 0}, {0, 1, ~0u}, {3, 1, ~0u}, {4, 1, 0},    {13, 1, 0}, {0, 2, 0},
        {8, 3, 0},    {9, 3, 0},  {3, 4, 0},   {4, 4, ~0u}, {12, 4, ~0u}, {13, 4, 0}, {0, 5, 0},
        {0, 6, 0},    {24, 0, 0}, {0, 8, 0},   {-1, 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, PixelOf(mask, c.x, c.y)) << c.x << ", " << c.y;
}
