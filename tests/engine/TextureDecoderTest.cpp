// Pixels of DXT and PVRTC images: hand-made blocks, a whole-image PVRTC reference decoder
// written here from the published format, invariants that do not depend on the blend,
// and compressed images read back through memory textures.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "Common/DXTDecoder.h"
#include "Common/PVRTCDecoder.h"
#include "Common/Texture.h"
#include "ImageSamples.h"
#include "ReportOf.h"
#include "TestSupport.h"

namespace {

// A colour block: two 5:6:5 end colours and a 2-bit code per texel.
std::vector<uint8_t> ColourBlock(uint16_t c0, uint16_t c1, const std::vector<int>& codes) {
    std::vector<uint8_t> block = {uint8_t(c0), uint8_t(c0 >> 8), uint8_t(c1), uint8_t(c1 >> 8), 0, 0, 0, 0};
    for (int t = 0; t < 16; ++t)
        block[4 + t / 4] |= uint8_t(codes[t % codes.size()] << (2 * (t % 4)));
    return block;
}

// A DXT5 alpha block with the 3-bit code t % 8 at texel t.
std::vector<uint8_t> AlphaBlock(uint8_t a0, uint8_t a1) {
    uint64_t codes = 0;
    for (int t = 15; t >= 0; --t)
        codes = codes << 3 | uint64_t(t % 8);
    std::vector<uint8_t> block = {a0, a1};
    for (int i = 0; i < 6; ++i)
        block.push_back(uint8_t(codes >> (8 * i)));
    return block;
}

std::vector<uint8_t> Joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

template <class Block>
uint32_t Texel(const std::vector<uint8_t>& block, int t) {
    uint32_t colour = 0;
    Zep::GetPixelFromDXTImageHelper<Block>(colour, t % 4, t / 4, block.data(), 4, 4);
    return colour;
}

}  // namespace

TEST(DxtDecoder, ColourBlocksWidenAndPickTheirColours) {
    struct Case {
        bool dxt1;
        uint16_t c0, c1;
        std::vector<uint32_t> colours;  // of codes 0 to 3
    } cases[] = {
        {true, 0x1234, 0x1234, {0xFF1045A5u, 0xFF1045A5u, 0xFF1045A5u, 0x00000000u}},  // equal: three colours
        {true, 0x0000, 0xFFFF, {0xFF000000u, 0xFFFFFFFFu, 0xFF7F7F7Fu, 0x00000000u}},
        {true, 0xF800, 0x0800, {0xFFFF0000u, 0xFF080000u, 0xFFAC0000u, 0xFF5A0000u}},  // thirds truncate
        {true, 0x07E0, 0x001F, {0xFF00FF00u, 0xFF0000FFu, 0xFF00AA55u, 0xFF0055AAu}},
        {false, 0x1234, 0x1234, {0xFF1045A5u, 0xFF1045A5u, 0xFF1045A5u, 0xFF1045A5u}},  // DXT3/5: four colours
        {false, 0xA800, 0xFFFF, {0xFFAD0000u, 0xFFFFFFFFu, 0xFFC85555u, 0xFFE3AAAAu}},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> colour = ColourBlock(c.c0, c.c1, {0, 1, 2, 3});
        for (int t = 0; t < 16; ++t) {
            const uint32_t expected = c.colours[t % 4];
            if (c.dxt1) {
                EXPECT_EQ(expected, Texel<Zep::DXT1Block>(colour, t)) << c.c0 << " " << t;
            } else {
                // Alpha nibble 0xF and DXT5 end value 255 (code 0 at texels 0 and 8) give 255.
                const std::vector<uint8_t> alpha3(8, 0xFF);
                EXPECT_EQ(expected, Texel<Zep::DXT3Block>(Joined(alpha3, colour), t)) << c.c0 << " " << t;
                if (t % 8 == 0) {
                    EXPECT_EQ(expected, Texel<Zep::DXT5Block>(Joined(AlphaBlock(255, 0), colour), t));
                }
            }
        }
    }
}

TEST(DxtDecoder, AlphaTablesAndNibbles) {
    struct Case {
        uint8_t a0, a1;
        uint32_t alphas[8];  // of codes 0 to 7
    } cases[] = {
        {200, 10, {200, 10, 173, 146, 119, 91, 64, 37}},  // +3 before dividing by 7
        {10, 200, {10, 200, 48, 86, 124, 162, 0, 255}},   // +2 before dividing by 5
        {0, 255, {0, 255, 51, 102, 153, 204, 0, 255}},
        {90, 90, {90, 90, 90, 90, 90, 90, 0, 255}},
    };
    const std::vector<uint8_t> grey = ColourBlock(0x8410, 0x8410, {0});
    for (const Case& c : cases)
        for (int t = 0; t < 16; ++t)
            EXPECT_EQ(c.alphas[t % 8] << 24 | 0x848284u, Texel<Zep::DXT5Block>(Joined(AlphaBlock(c.a0, c.a1), grey), t))
                << int(c.a0) << " " << int(c.a1) << " texel " << t;

    // DXT3: one 16-bit word per row, lowest nibble first.
    const std::vector<uint8_t> nibbles = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
    for (int t = 0; t < 16; ++t)
        EXPECT_EQ(uint32_t(t * 17) << 24 | 0x848284u, Texel<Zep::DXT3Block>(Joined(nibbles, grey), t));
}

TEST(DxtDecoder, SizesAndCoordinatesOutsideTheImagePanic) {
    const std::vector<uint8_t> blocks(64, 0);
    const std::string size = "Panic error in file \"Common\\DXTDecoder.cpp\", line ";
    struct Case {
        int x, y, width, height;
        std::string message;
    } cases[] = {
        {0, 0, 6, 8, "DXT image width and height must be divisible by 4"},
        {0, 0, 8, 6, "DXT image width and height must be divisible by 4"},
        {-1, 0, 8, 8, "Pixel coordinate out of image bounds"},
        {8, 0, 8, 8, "Pixel coordinate out of image bounds"},
        {0, 8, 8, 8, "Pixel coordinate out of image bounds"},
    };
    for (const Case& c : cases) {
        TestSupport::StderrCapture quiet;
        uint32_t colour = 0;
        const std::string text = TestSupport::ReportOf([&] {
            Zep::GetPixelFromDXTImageHelper<Zep::DXT1Block>(colour, c.x, c.y, blocks.data(), c.width, c.height);
        });
        EXPECT_EQ(0u, text.find(size)) << text;
        EXPECT_NE(std::string::npos, text.find(":\n  GetPixelFromDXTImageHelper(): " + c.message)) << text;
    }
}

namespace {

// A whole PVRTC image decoded the way the published decompression lays it out: the
// blocks untwiddled into a grid, both base colours upscaled over the image between
// block centres, the modulation of every pixel (the stored ones first, then the
// interpolated ones), then the blend. Edges clamp the colours and mirror the
// modulation neighbours, as the engine does.
std::vector<uint32_t> ReferenceDecode(const std::vector<uint8_t>& data, int size, bool twoBits) {
    const int bw = twoBits ? 8 : 4, nbx = std::max(size, twoBits ? 16 : 8) / bw, nby = std::max(size, 8) / 4;
    const int w = nbx * bw, h = nby * 4;
    int shared = 0;
    while ((2 << shared) <= std::min(nbx, nby))
        ++shared;
    const std::string bytes(data.begin(), data.end());
    std::vector<uint32_t> modulation(nbx * nby), colours(nbx * nby);
    for (int i = 0; i < nbx * nby; ++i) {
        int bx = 0, by = 0;
        for (int k = 0; k < shared; ++k) {
            by |= (i >> (2 * k) & 1) << k;
            bx |= (i >> (2 * k + 1) & 1) << k;
        }
        (nbx > nby ? bx : by) |= (i >> (2 * shared)) << shared;
        modulation[by * nbx + bx] = TestSupport::GetU32(bytes, 8 * i);
        colours[by * nbx + bx] = TestSupport::GetU32(bytes, 8 * i + 4);
    }
    // Weights 0 to 8 per pixel; -1 H+V, -2 H only, -3 V only: to be interpolated.
    const int standard[4] = {0, 3, 5, 8}, punchWeights[4] = {0, 4, 4, 8};
    std::vector<int> weight(w * h);
    std::vector<bool> punch(w * h, false);
    for (int by = 0; by < nby; ++by)
        for (int bx = 0; bx < nbx; ++bx) {
            uint32_t bits = modulation[by * nbx + bx];
            const bool mode = colours[by * nbx + bx] & 1;
            int interpolation = -1;
            if (twoBits && mode) {
                if (bits & 1) {
                    interpolation = (bits >> 20 & 1) ? -3 : -2;
                    bits = (bits & ~(1u << 20)) | (bits >> 21 & 1) << 20;
                }
                bits = (bits & ~1u) | (bits >> 1 & 1);
            }
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < bw; ++x) {
                    const int at = (by * 4 + y) * w + bx * bw + x;
                    if (!twoBits) {
                        const int code = bits >> (2 * (y * 4 + x)) & 3;
                        weight[at] = mode ? punchWeights[code] : standard[code];
                        punch[at] = mode && code == 2;
                    } else if (!mode) {
                        weight[at] = (bits >> (y * 8 + x) & 1) * 8;
                    } else if ((x + y) % 2 == 0) {
                        weight[at] = standard[bits & 3];
                        bits >>= 2;
                    } else {
                        weight[at] = interpolation;
                    }
                }
        }
    auto stored = [&](int x, int y) {
        x = x < 0 ? -x : x >= w ? 2 * w - 2 - x : x;
        y = y < 0 ? -y : y >= h ? 2 * h - 2 - y : y;
        return weight[y * w + x];
    };
    std::vector<uint32_t> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int m = weight[y * w + x];
            const int hSum = stored(x - 1, y) + stored(x + 1, y), vSum = stored(x, y - 1) + stored(x, y + 1);
            m = m == -1 ? (hSum + vSum + 2) / 4 : m == -2 ? (hSum + 1) / 2 : m == -3 ? (vSum + 1) / 2 : m;
            const int u = std::clamp(x - bw / 2, 0, w - 1), v = std::clamp(y - 2, 0, h - 1);
            const int bx = u / bw, by = v / 4, fx = u % bw, fy = v % 4;
            const int corner[4] = {by * nbx + bx, by * nbx + std::min(bx + 1, nbx - 1),
                                   std::min(by + 1, nby - 1) * nbx + bx,
                                   std::min(by + 1, nby - 1) * nbx + std::min(bx + 1, nbx - 1)};
            const int cornerWeight[4] = {(bw - fx) * (4 - fy), fx * (4 - fy), (bw - fx) * fy, fx * fy};
            uint32_t out = 0;
            for (int channel = 0; channel < 4; ++channel) {  // alpha, red, green, blue
                int sum[2] = {0, 0};
                for (int k = 0; k < 4; ++k)
                    for (int side = 0; side < 2; ++side) {
                        const uint32_t c = colours[corner[k]] >> (16 * side) & 0xFFFF;
                        const bool opaque = c & 0x8000;
                        // Fields (bits, lowest bit) of A then R, G, B: A's blue has one bit less.
                        const int fields[2][2][4][2] = {
                            {{{3, 12}, {4, 8}, {4, 4}, {3, 1}}, {{0, 0}, {5, 10}, {5, 5}, {4, 1}}},
                            {{{3, 12}, {4, 8}, {4, 4}, {4, 0}}, {{0, 0}, {5, 10}, {5, 5}, {5, 0}}}};
                        const int bits = fields[side][opaque][channel][0], low = fields[side][opaque][channel][1];
                        const int raw = c >> low & ((1 << bits) - 1);
                        const int value =
                            channel == 0 ? (opaque ? 15 : raw * 2) : raw << (5 - bits) | raw >> (2 * bits - 5);
                        sum[side] += value * cornerWeight[k];
                    }
                // Upscaled 5-bit colours and 4-bit alphas, widened to 8 bits.
                const int total = 4 * bw;
                int eight[2];
                for (int side = 0; side < 2; ++side)
                    eight[side] = channel == 0 ? sum[side] / total + sum[side] * 16 / total
                                               : sum[side] / (4 * total) + sum[side] * 8 / total;
                int blended = (eight[0] * (8 - m) + eight[1] * m) / 8;
                if (channel == 0 && punch[y * w + x])
                    blended = 0;
                out = out << 8 | uint32_t(blended);
            }
            pixels.push_back(out);
        }
    return pixels;
}

}  // namespace

namespace {

std::vector<uint32_t> EngineDecode(const std::vector<uint8_t>& data, int size, bool twoBits) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            pixels.push_back(0);
            Zep::GetPixelFromPVRTC(pixels.back(), x, y, data.data(), size, size, twoBits);
        }
    return pixels;
}

// Level bytes of a PVRTC image: at least 2 x 2 blocks of 8 bytes.
size_t PvrtcBytes(int size, bool twoBits) {
    return size_t(std::max(size, twoBits ? 16 : 8) / (twoBits ? 8 : 4)) * (std::max(size, 8) / 4) * 8;
}

}  // namespace

TEST(PvrtcDecoder, AgreesWithTheReferenceOnRandomImages) {
    std::mt19937 random(20240611);
    for (bool twoBits : {true, false})
        for (int size : {8, 16, 32}) {
            for (int image = 0; image < 4; ++image) {
                std::vector<uint8_t> data(PvrtcBytes(size, twoBits));
                for (uint8_t& byte : data)
                    byte = uint8_t(random());
                EXPECT_EQ(ReferenceDecode(data, size, twoBits), EngineDecode(data, size, twoBits))
                    << size << (twoBits ? " at 2 bpp, image " : " at 4 bpp, image ") << image;
            }
        }
}

TEST(PvrtcDecoder, LowestAndHighestModulationGiveTheBaseColours) {
    // Colour words (A in the low half above the mode bit, B in the high half) with
    // their 8-bit colours worked out by hand.
    struct Colours {
        uint32_t word, a, b;
    } colourCases[] = {
        {0xFD918000u | 21 << 10 | 10 << 5 | 5 << 1, 0xFFAD5252u, 0xFFFF638Cu},  // opaque A 5:5:4, B 5:5:5
        {0x51F8u << 16 | 0x390Au, 0x669C00B5u, 0xAA10FF8Cu},                    // translucent 3:4:4:3, 3:4:4:4
    };
    struct Modulation {
        bool twoBits, modeBit;
        uint32_t bits;
        int base;  // 0 A, 1 B, 2 punch-through
    } modulationCases[] = {
        {false, false, 0x00000000u, 0}, {false, false, 0xFFFFFFFFu, 1}, {false, true, 0x00000000u, 0},
        {false, true, 0xFFFFFFFFu, 1},  {false, true, 0xAAAAAAAAu, 2},  {true, false, 0x00000000u, 0},
        {true, false, 0xFFFFFFFFu, 1},  {true, true, 0x00000000u, 0},   {true, true, 0xFFFFFFFFu, 1},
        {true, true, 0xFFEFFFFFu, 1},
    };
    for (const Colours& colours : colourCases)
        for (const Modulation& m : modulationCases) {
            const int size = 16;
            std::vector<uint8_t> data;
            for (size_t block = 0; block < PvrtcBytes(size, m.twoBits) / 8; ++block) {
                const uint32_t words[2] = {m.bits, (colours.word & ~1u) | m.modeBit};
                for (uint32_t word : words)
                    for (int i = 0; i < 4; ++i)
                        data.push_back(uint8_t(word >> (8 * i)));
            }
            const std::vector<uint32_t> pixels = EngineDecode(data, size, m.twoBits);
            for (size_t i = 0; i < pixels.size(); ++i) {
                if (m.base == 2) {
                    EXPECT_EQ(0u, pixels[i] >> 24) << i;
                } else {
                    ASSERT_EQ(m.base ? colours.b : colours.a, pixels[i]) << i << " bits " << m.bits;
                }
            }
        }
}

TEST(PvrtcDecoder, EdgePixelsReadOnlyTheBlocksBesideThem) {
    // Blocks of the columns away from an edge are replaced by others: the pixels of
    // the edge column stay, so they never read those blocks (no wrapping around).
    std::mt19937 random(99);
    for (bool twoBits : {true, false}) {
        const int size = 32, bw = twoBits ? 8 : 4, columns = size / bw;
        std::vector<uint8_t> data(PvrtcBytes(size, twoBits));
        for (uint8_t& byte : data)
            byte = uint8_t(random());
        const std::vector<uint32_t> before = EngineDecode(data, size, twoBits);
        for (int edge : {0, size - 1}) {
            std::vector<uint8_t> poisoned = data;
            for (int bx = 0; bx < columns; ++bx) {
                if (edge == 0 ? bx < 2 : bx >= columns - 2)
                    continue;
                for (int by = 0; by < size / 4; ++by) {
                    uint32_t index = 0;  // columns <= rows here: row bits even, column bits odd, rows above
                    for (int k = 0; (1 << k) < columns; ++k)
                        index |= uint32_t((by >> k & 1) << (2 * k) | (bx >> k & 1) << (2 * k + 1));
                    int bits = 0;
                    while ((1 << bits) < columns)
                        ++bits;
                    index |= uint32_t(by >> bits) << (2 * bits);
                    for (int i = 0; i < 8; ++i)
                        poisoned[index * 8 + i] = uint8_t(random());
                }
            }
            const std::vector<uint32_t> after = EngineDecode(poisoned, size, twoBits);
            for (int y = 0; y < size; ++y)
                EXPECT_EQ(before[y * size + edge], after[y * size + edge]) << edge << ", " << y;
        }
    }
}

TEST(CompressedTextures, LoadedImagesAnswerTheirDecodedPixels) {
    // DDS: four blocks of one colour each (code 0 everywhere), alpha 0x88 where there is any.
    struct Dds {
        std::string fourCC;
        std::vector<uint8_t> alpha;
        uint32_t alphaByte;
    } ddsCases[] = {
        {"DXT1", {}, 0xFF}, {"DXT3", std::vector<uint8_t>(8, 0x88), 0x88}, {"DXT5", {0x88, 0, 0, 0, 0, 0, 0, 0}, 0x88}};
    const uint16_t ends[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    const uint32_t rgb[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    for (const Dds& c : ddsCases) {
        ImageSamples::Dds dds;
        dds.fourCC = c.fourCC;
        dds.width = dds.height = 7;
        for (uint16_t end : ends) {
            const std::vector<uint8_t> block = Joined(c.alpha, ColourBlock(end, 0, {0}));
            dds.payload.append(block.begin(), block.end());
        }
        Zep::MemoryTexture texture;
        const std::string file = dds.Build();
        texture.LoadFromMemory(file.data(), int32_t(file.size()), Zep::IMAGE_DDS);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                uint32_t colour = 0;
                texture.GetPixel(colour, x, y);
                EXPECT_EQ(x < 7 && y < 7 ? c.alphaByte << 24 | rgb[(y / 4) * 2 + x / 4] : 0u, colour)
                    << c.fourCC << " " << x << ", " << y;
            }
    }
    // PVR: every block holds opaque A and B; modulation all A (type 24) or all B (type 25).
    for (uint32_t size : {1u, 4u, 8u}) {
        for (uint32_t type : {24u, 25u}) {
            ImageSamples::Pvr pvr;
            pvr.flags = type;
            pvr.width = pvr.height = size;
            const uint32_t words[2] = {type == 24 ? 0u : 0xFFFFFFFFu, 0xFD918000u | 21 << 10 | 10 << 5 | 5 << 1};
            for (size_t block = 0; block < PvrtcBytes(int(size), type == 24) / 8; ++block)
                for (uint32_t word : words)
                    TestSupport::AppendU32(pvr.payload, word);
            Zep::MemoryTexture texture;
            const std::string file = pvr.Build();
            texture.LoadFromMemory(file.data(), int32_t(file.size()), Zep::IMAGE_PVR);
            for (uint32_t y = 0; y < size; ++y)
                for (uint32_t x = 0; x < size; ++x) {
                    uint32_t colour = 0;
                    texture.GetPixel(colour, int(x), int(y));
                    EXPECT_EQ(type == 24 ? 0xFFAD5252u : 0xFFFF638Cu, colour) << size << " " << type;
                }
        }
    }
}
