// Pixels of DXT and PVRTC images: hand-made blocks, a whole-image PVRTC reference decoder
// written here from the published format, invariants that do not depend on the blend,
// and compressed images read back through memory textures.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
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
        std::vector<uint32_t> colours;                                                          // of codes 0 to 3
    } cases[] = {{true, 0x1234, 0x1234, {0xFF1045A5u, 0xFF1045A5u, 0xFF1045A5u, 0x00000000u}},  // equal: three colours
                 {true, 0x0000, 0xFFFF, {0xFF000000u, 0xFFFFFFFFu, 0xFF7F7F7Fu, 0x00000000u}},
                 {true, 0xF800, 0x0800, {0xFFFF0000u, 0xFF080000u, 0xFFAC0000u, 0xFF5A0000u}},  // thirds truncate
                 {true, 0x07E0, 0x001F, {0xFF00FF00u, 0xFF0000FFu, 0xFF00AA55u, 0xFF0055AAu}},
                 {false, 0x1234, 0x1234, {0xFF1045A5u, 0xFF1045A5u, 0xFF1045A5u, 0xFF1045A5u}},  // DXT3/5: four colours
                 {false, 0xA800, 0xFFFF, {0xFFAD0000u, 0xFFFFFFFFu, 0xFFC85555u, 0xFFE3AAAAu}}};
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
        uint32_t alphas[8];                                        // of codes 0 to 7
    } cases[] = {{200, 10, {200, 10, 173, 146, 119, 91, 64, 37}},  // +3 before dividing by 7
                 {10, 200, {10, 200, 48, 86, 124, 162, 0, 255}},   // +2 before dividing by 5
                 {0, 255, {0, 255, 51, 102, 153, 204, 0, 255}},
                 {90, 90, {90, 90, 90, 90, 90, 90, 0, 255}}};
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
    } cases[] = {{0, 0, 6, 8, "DXT image width and height must be divisible by 4"},
                 {0, 0, 8, 6, "DXT image width and height must be divisible by 4"},
                 {-1, 0, 8, 8, "Pixel coordinate out of image bounds"},
                 {8, 0, 8, 8, "Pixel coordinate out of image bounds"},
                 {0, 8, 8, 8, "Pixel coordinate out of image bounds"}};
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

// The grid position of the block stored at index i: the index's bits alternate between
// the block row (even) and column (odd) while both counts have bits; the longer
// side's remaining bits come last.
std::pair<int, int> BlockPosition(int i, int nbx, int nby) {
    int shared = 0, bx = 0, by = 0;
    for (; (2 << shared) <= std::min(nbx, nby); ++shared) {
        by |= (i >> (2 * shared) & 1) << shared;
        bx |= (i >> (2 * shared + 1) & 1) << shared;
    }
    (nbx > nby ? bx : by) |= (i >> (2 * shared)) << shared;
    return {bx, by};
}

// A whole PVRTC image decoded the way the published decompression lays it out: the
// blocks untwiddled into a grid, the modulation of every pixel (the stored ones first,
// then the interpolated ones), both base colours upscaled between block centres, then
// the blend. Edges clamp the colours and mirror the modulation neighbours, as the
// engine does.
std::vector<uint32_t> ReferenceDecode(const std::vector<uint8_t>& data, int size, bool twoBits) {
    const int bw = twoBits ? 8 : 4, nbx = std::max(size, twoBits ? 16 : 8) / bw, nby = std::max(size, 8) / 4;
    const int w = nbx * bw, h = nby * 4;
    const std::string bytes(data.begin(), data.end());
    std::vector<uint32_t> modulation(nbx * nby), colours(nbx * nby);
    for (int i = 0; i < nbx * nby; ++i) {
        const std::pair<int, int> at = BlockPosition(i, nbx, nby);
        modulation[at.second * nbx + at.first] = TestSupport::GetU32(bytes, 8 * i);
        colours[at.second * nbx + at.first] = TestSupport::GetU32(bytes, 8 * i + 4);
    }
    // Weights 0 to 8 per pixel; -1 H+V, -2 H only, -3 V only: to be interpolated.
    const int standard[4] = {0, 3, 5, 8}, punchWeights[4] = {0, 4, 4, 8};
    std::vector<int> weight(w * h);
    std::vector<bool> punch(w * h, false);
    for (int b = 0; b < nbx * nby; ++b) {
        uint32_t bits = modulation[b];
        const bool mode = colours[b] & 1;
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
                const int at = (b / nbx * 4 + y) * w + b % nbx * bw + x;
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
    // Fields (bits, lowest bit) of alpha, red, green and blue in colour A and B, translucent
    // and opaque; A's blue has one bit less.
    const int fields[2][2][4][2] = {{{{3, 12}, {4, 8}, {4, 4}, {3, 1}}, {{0, 0}, {5, 10}, {5, 5}, {4, 1}}},
                                    {{{3, 12}, {4, 8}, {4, 4}, {4, 0}}, {{0, 0}, {5, 10}, {5, 5}, {5, 0}}}};
    std::vector<uint32_t> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int m = weight[y * w + x];
            const int hSum = stored(x - 1, y) + stored(x + 1, y), vSum = stored(x, y - 1) + stored(x, y + 1);
            m = m == -1 ? (hSum + vSum + 2) / 4 : m == -2 ? (hSum + 1) / 2 : m == -3 ? (vSum + 1) / 2 : m;
            const int u = std::clamp(x - bw / 2, 0, w - 1), v = std::clamp(y - 2, 0, h - 1);
            const int bx = u / bw, by = v / 4, fx = u % bw, fy = v % 4;
            const int bx1 = std::min(bx + 1, nbx - 1), by1 = std::min(by + 1, nby - 1);
            const int corner[4] = {by * nbx + bx, by * nbx + bx1, by1 * nbx + bx, by1 * nbx + bx1};
            const int cornerWeight[4] = {(bw - fx) * (4 - fy), fx * (4 - fy), (bw - fx) * fy, fx * fy};
            uint32_t out = 0;
            for (int channel = 0; channel < 4; ++channel) {
                int eight[2];
                for (int side = 0; side < 2; ++side) {
                    int sum = 0;
                    for (int k = 0; k < 4; ++k) {
                        const uint32_t c = colours[corner[k]] >> (16 * side) & 0xFFFF;
                        const bool opaque = c & 0x8000;
                        const int bits = fields[side][opaque][channel][0];
                        const int raw = c >> fields[side][opaque][channel][1] & ((1 << bits) - 1);
                        sum += cornerWeight[k] *
                               (channel == 0 ? (opaque ? 15 : raw * 2) : raw << (5 - bits) | raw >> (2 * bits - 5));
                    }
                    // Upscaled 5-bit colours and 4-bit alphas, widened to 8 bits.
                    const int total = 4 * bw;
                    eight[side] = channel == 0 ? sum / total + sum * 16 / total : sum / (4 * total) + sum * 8 / total;
                }
                const int blended = (eight[0] * (8 - m) + eight[1] * m) / 8;
                out = out << 8 | uint32_t(channel == 0 && punch[y * w + x] ? 0 : blended);
            }
            pixels.push_back(out);
        }
    return pixels;
}

std::vector<uint32_t> EngineDecode(const std::vector<uint8_t>& data, int size, bool twoBits) {
    std::vector<uint32_t> pixels(size * size);
    for (int i = 0; i < size * size; ++i)
        Zep::GetPixelFromPVRTC(pixels[i], i % size, i / size, data.data(), size, size, twoBits);
    return pixels;
}

// Blocks of a PVRTC image: at least 2 x 2.
int BlockCount(int size, bool twoBits) {
    return std::max(size, twoBits ? 16 : 8) / (twoBits ? 8 : 4) * (std::max(size, 8) / 4);
}

// Every block the same: its modulation word and its colour word.
std::string SameBlocks(int count, uint32_t modulation, uint32_t colours) {
    std::string data;
    for (int block = 0; block < count; ++block)
        for (uint32_t word : {modulation, colours})
            TestSupport::AppendU32(data, word);
    return data;
}

std::vector<uint8_t> RandomBlocks(std::mt19937& random, int size, bool twoBits) {
    std::vector<uint8_t> data(BlockCount(size, twoBits) * 8);
    for (uint8_t& byte : data)
        byte = uint8_t(random());
    return data;
}

// Loads the file and checks every pixel of the image.
template <class Expected>
void ExpectPixels(const std::string& file, int type, int size, Expected expected) {
    Zep::MemoryTexture texture;
    texture.LoadFromMemory(file.data(), int32_t(file.size()), type);
    for (int i = 0; i < size * size; ++i) {
        uint32_t colour = 0;
        texture.GetPixel(colour, i % size, i / size);
        EXPECT_EQ(expected(i % size, i / size), colour) << "type " << type << ", pixel " << i;
    }
}

// Colour words with their colours A and B worked out by hand: opaque A 5:5:4 and B 5:5:5,
// translucent A 3:4:4:3 and B 3:4:4:4.
const uint32_t kOpaque = 0xFD918000u | 21 << 10 | 10 << 5 | 5 << 1, kOpaqueA = 0xFFAD5252u, kOpaqueB = 0xFFFF638Cu;
const uint32_t kTranslucent = 0x51F8u << 16 | 0x390Au, kTranslucentA = 0x669C00B5u, kTranslucentB = 0xAA10FF8Cu;

}  // namespace

TEST(PvrtcDecoder, AgreesWithTheReferenceOnRandomImages) {
    std::mt19937 random(20240611);
    for (bool twoBits : {true, false})
        for (int size : {8, 16, 32})
            for (int image = 0; image < 4; ++image) {
                const std::vector<uint8_t> data = RandomBlocks(random, size, twoBits);
                EXPECT_EQ(ReferenceDecode(data, size, twoBits), EngineDecode(data, size, twoBits))
                    << size << (twoBits ? " at 2 bpp, image " : " at 4 bpp, image ") << image;
            }
}

TEST(PvrtcDecoder, LowestAndHighestModulationGiveTheBaseColours) {
    struct Modulation {
        bool twoBits, modeBit;
        uint32_t bits;
        int base;  // 0 A, 1 B, 2 punch-through
    } cases[] = {{false, false, 0, 0},          {false, false, 0xFFFFFFFFu, 1},
                 {false, true, 0, 0},           {false, true, 0xFFFFFFFFu, 1},
                 {false, true, 0xAAAAAAAAu, 2}, {true, false, 0, 0},
                 {true, false, 0xFFFFFFFFu, 1}, {true, true, 0, 0},
                 {true, true, 0xFFFFFFFFu, 1},  {true, true, 0xFFEFFFFFu, 1}};
    for (const uint32_t colours : {kOpaque, kTranslucent})
        for (const Modulation& m : cases) {
            const std::string data = SameBlocks(BlockCount(16, m.twoBits), m.bits, (colours & ~1u) | m.modeBit);
            const std::vector<uint32_t> pixels =
                EngineDecode(std::vector<uint8_t>(data.begin(), data.end()), 16, m.twoBits);
            const uint32_t base = m.base ? (colours == kOpaque ? kOpaqueB : kTranslucentB)
                                         : (colours == kOpaque ? kOpaqueA : kTranslucentA);
            for (uint32_t pixel : pixels)
                ASSERT_EQ(m.base == 2 ? 0u : base, m.base == 2 ? pixel >> 24 : pixel) << m.twoBits << " " << m.bits;
        }
}

TEST(PvrtcDecoder, EdgePixelsReadOnlyTheBlocksBesideThem) {
    // Blocks of the columns away from an edge are replaced by others: the pixels of
    // the edge column stay, so they never read those blocks (no wrapping around).
    std::mt19937 random(99);
    for (bool twoBits : {true, false}) {
        const int size = 32, columns = size / (twoBits ? 8 : 4);
        const std::vector<uint8_t> data = RandomBlocks(random, size, twoBits);
        const std::vector<uint32_t> before = EngineDecode(data, size, twoBits);
        for (int edge : {0, size - 1}) {
            std::vector<uint8_t> poisoned = data;
            for (int i = 0; i < columns * (size / 4); ++i) {
                const int bx = BlockPosition(i, columns, size / 4).first;
                if (edge == 0 ? bx >= 2 : bx < columns - 2)
                    std::generate_n(poisoned.begin() + 8 * i, 8, [&random] { return uint8_t(random()); });
            }
            const std::vector<uint32_t> after = EngineDecode(poisoned, size, twoBits);
            for (int y = 0; y < size; ++y)
                EXPECT_EQ(before[y * size + edge], after[y * size + edge]) << edge << ", " << y;
        }
    }
}

TEST(CompressedTextures, LoadedImagesAnswerTheirDecodedPixels) {
    // DDS of 7 x 7 pixels: four blocks of one colour each (red, green, blue, white), alpha
    // 0x88 where the format has any.
    for (const std::string fourCC : {"DXT1", "DXT3", "DXT5"}) {
        ImageSamples::Dds dds;
        dds.fourCC = fourCC;
        dds.width = dds.height = 7;
        for (uint16_t end : {0xF800, 0x07E0, 0x001F, 0xFFFF}) {
            const std::vector<uint8_t> alpha = fourCC == "DXT1"   ? std::vector<uint8_t>()
                                               : fourCC == "DXT3" ? std::vector<uint8_t>(8, 0x88)
                                                                  : std::vector<uint8_t>{0x88, 0, 0, 0, 0, 0, 0, 0};
            const std::vector<uint8_t> block = Joined(alpha, ColourBlock(end, 0, {0}));
            dds.payload.append(block.begin(), block.end());
        }
        const uint32_t alpha = fourCC == "DXT1" ? 0xFF000000u : 0x88000000u;
        const uint32_t expected[4] = {alpha | 0xFF0000, alpha | 0x00FF00, alpha | 0x0000FF, alpha | 0xFFFFFF};
        ExpectPixels(dds.Build(), Zep::IMAGE_DDS, 7, [&](int x, int y) { return expected[y / 4 * 2 + x / 4]; });
    }
    // PVR of small sizes: every block holds the opaque colours, modulation A (type 24) or B (type 25).
    for (int size : {1, 4, 8})
        for (uint32_t type : {24u, 25u}) {
            ImageSamples::Pvr pvr;
            pvr.flags = type;
            pvr.width = pvr.height = uint32_t(size);
            pvr.payload = SameBlocks(BlockCount(size, type == 24), type == 24 ? 0 : 0xFFFFFFFFu, kOpaque);
            ExpectPixels(pvr.Build(), Zep::IMAGE_PVR, size, [&](int, int) { return type == 24 ? kOpaqueA : kOpaqueB; });
        }
}
