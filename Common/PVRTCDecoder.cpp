#include "Common/PVRTCDecoder.h"

#include <algorithm>

namespace Zep {

namespace {

// Modulation weights of B out of 8 for the 2-bit codes.
const int32_t kStandardWeights[4] = {0, 3, 5, 8};

// A base colour: 5-bit red, green and blue, 4-bit alpha.
struct BaseColour {
    int32_t r, g, b, a;
};

// One 64-bit block: the modulation bits in its first word, the two base colours and
// the mode bit in its second.
struct Block {
    uint32_t modulation;
    uint32_t colours;
};

uint32_t ReadU32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

int32_t Widen4(uint32_t v) {
    return int32_t(v << 1 | v >> 3);
}

int32_t Widen3(uint32_t v) {
    return int32_t(v << 2 | v >> 1);
}

// Colour A: the low half of the colour word above the mode bit. Opaque (bit 15) it is
// RGB 5:5:4, translucent ARGB 3:4:4:3.
BaseColour ColourA(uint32_t word) {
    if (word & 0x8000)
        return BaseColour{int32_t(word >> 10 & 31), int32_t(word >> 5 & 31), Widen4(word >> 1 & 15), 15};
    return BaseColour{Widen4(word >> 8 & 15), Widen4(word >> 4 & 15), Widen3(word >> 1 & 7),
                      int32_t(word >> 12 & 7) << 1};
}

// Colour B: the high half. Opaque (bit 31) RGB 5:5:5, translucent ARGB 3:4:4:4.
BaseColour ColourB(uint32_t word) {
    if (word & 0x80000000u)
        return BaseColour{int32_t(word >> 26 & 31), int32_t(word >> 21 & 31), int32_t(word >> 16 & 31), 15};
    return BaseColour{Widen4(word >> 24 & 15), Widen4(word >> 20 & 15), Widen4(word >> 16 & 15),
                      int32_t(word >> 28 & 7) << 1};
}

class PvrtcImage {
public:
    PvrtcImage(const uint8_t* data, int32_t width, int32_t height, bool twoBitsPerPixel)
        : data(data),
          twoBits(twoBitsPerPixel),
          blockWidth(twoBitsPerPixel ? 8 : 4),
          // At least 2 blocks each way, as the level sizes store them.
          blocksX(std::max(width, twoBitsPerPixel ? 16 : 8) / blockWidth),
          blocksY(std::max(height, 8) / 4),
          pixelsX(blocksX * blockWidth),
          pixelsY(blocksY * 4) {}

    uint32_t Decode(int32_t x, int32_t y) const {
        x = std::min(std::max(x, 0), pixelsX - 1);
        y = std::min(std::max(y, 0), pixelsY - 1);
        bool punchThrough = false;
        const int32_t weight = twoBits ? Modulation2(x, y) : Modulation4(x, y, punchThrough);

        // Colours A and B at the pixel, between the four blocks whose centres surround it.
        const int32_t u = std::min(std::max(x - blockWidth / 2, 0), pixelsX - 1);
        const int32_t v = std::min(std::max(y - 2, 0), pixelsY - 1);
        const int32_t bx = u / blockWidth, by = v / 4;
        const int32_t fx = u - bx * blockWidth, fy = v - by * 4;
        const int32_t bx1 = std::min(bx + 1, blocksX - 1), by1 = std::min(by + 1, blocksY - 1);
        const Block corners[4] = {At(bx, by), At(bx1, by), At(bx, by1), At(bx1, by1)};
        const int32_t weights[4] = {(blockWidth - fx) * (4 - fy), fx * (4 - fy), (blockWidth - fx) * fy, fx * fy};
        BaseColour a = {0, 0, 0, 0}, b = {0, 0, 0, 0};
        for (int i = 0; i < 4; ++i) {
            Accumulate(a, ColourA(corners[i].colours), weights[i]);
            Accumulate(b, ColourB(corners[i].colours), weights[i]);
        }
        // The weights sum to 2^shift; widen the weighted 5-bit and 4-bit sums to 8 bits.
        const int shift = twoBits ? 5 : 4;
        const auto channel = [shift, weight](int32_t sumA, int32_t sumB) {
            const int32_t a8 = (sumA >> (shift + 2)) + (sumA >> (shift - 3));
            const int32_t b8 = (sumB >> (shift + 2)) + (sumB >> (shift - 3));
            return uint32_t((a8 * (8 - weight) + b8 * weight) / 8);
        };
        const int32_t alphaA = (a.a >> shift) + (a.a >> (shift - 4));
        const int32_t alphaB = (b.a >> shift) + (b.a >> (shift - 4));
        const uint32_t alpha = punchThrough ? 0 : uint32_t((alphaA * (8 - weight) + alphaB * weight) / 8);
        return alpha << 24 | channel(a.r, b.r) << 16 | channel(a.g, b.g) << 8 | channel(a.b, b.b);
    }

private:
    static void Accumulate(BaseColour& sum, const BaseColour& c, int32_t weight) {
        sum.r += c.r * weight;
        sum.g += c.g * weight;
        sum.b += c.b * weight;
        sum.a += c.a * weight;
    }

    // Blocks lie in twiddled order: the bits of the block row and column interleave
    // (row bits even, column bits odd) as far as the smaller block count reaches; the
    // longer side's remaining bits follow above.
    Block At(int32_t bx, int32_t by) const {
        const uint32_t smaller = uint32_t(std::min(blocksX, blocksY));
        uint32_t index = 0;
        int bit = 0;
        for (uint32_t mask = 1; mask < smaller; mask <<= 1, ++bit)
            index |= (uint32_t(by) & mask) << bit | (uint32_t(bx) & mask) << (bit + 1);
        index |= (uint32_t(blocksX > blocksY ? bx : by) >> bit) << (2 * bit);
        const uint8_t* p = data + size_t(index) * 8;
        return Block{ReadU32(p), ReadU32(p + 4)};
    }

    // Four bits per pixel: 2-bit codes; the mode bit selects punch-through, where code 2
    // is half of each colour with alpha 0.
    int32_t Modulation4(int32_t x, int32_t y, bool& punchThrough) const {
        const Block block = At(x / 4, y / 4);
        const uint32_t code = block.modulation >> (2 * ((y & 3) * 4 + (x & 3))) & 3;
        if (!(block.colours & 1))
            return kStandardWeights[code];
        punchThrough = code == 2;
        static const int32_t kPunchThroughWeights[4] = {0, 4, 4, 8};
        return kPunchThroughWeights[code];
    }

    // Two bits per pixel: without the mode bit one bit per pixel (A or B); with it, 2-bit
    // codes for the pixels of a checkerboard and the others interpolated from their
    // neighbours, horizontally and vertically, only horizontally or only vertically.
    int32_t Modulation2(int32_t x, int32_t y) const {
        const Block block = At(x / 8, y / 4);
        if (!(block.colours & 1) || ((x ^ y) & 1) == 0)
            return StoredModulation2(block, x & 7, y & 3);
        const int32_t left = Neighbour(x - 1, y), right = Neighbour(x + 1, y);
        const int32_t up = Neighbour(x, y - 1), down = Neighbour(x, y + 1);
        if (!(block.modulation & 1))
            return (left + right + up + down + 2) / 4;
        if (block.modulation & (1u << 20))
            return (up + down + 1) / 2;
        return (left + right + 1) / 2;
    }

    // The weight of a pixel that carries its own code. The stored texels 0 and 10 (at
    // (4, 2)) give their low bits to the choice of mode and keep only their high bits,
    // texel 10 only in the horizontal-only and vertical-only modes.
    static int32_t StoredModulation2(const Block& block, int32_t mx, int32_t my) {
        const uint32_t bits = block.modulation;
        if (!(block.colours & 1))
            return (bits >> (my * 8 + mx) & 1) ? 8 : 0;
        const int32_t index = my * 4 + mx / 2;
        uint32_t code = bits >> (2 * index) & 3;
        if (index == 0 || (index == 10 && (bits & 1)))
            code = (code >> 1) * 3;
        return kStandardWeights[code];
    }

    // A neighbour's own weight; beyond the blocks the image is mirrored, which keeps the
    // neighbour on the checkerboard of stored texels.
    int32_t Neighbour(int32_t x, int32_t y) const {
        x = x < 0 ? -x : x >= pixelsX ? 2 * pixelsX - 2 - x : x;
        y = y < 0 ? -y : y >= pixelsY ? 2 * pixelsY - 2 - y : y;
        return StoredModulation2(At(x / 8, y / 4), x & 7, y & 3);
    }

    const uint8_t* data;
    bool twoBits;
    int32_t blockWidth;
    int32_t blocksX, blocksY;
    int32_t pixelsX, pixelsY;
};

}  // namespace

void GetPixelFromPVRTC(uint32_t& colour, int32_t x, int32_t y, const uint8_t* data, int32_t width, int32_t height,
                       bool twoBitsPerPixel) {
    colour = PvrtcImage(data, width, height, twoBitsPerPixel).Decode(x, y);
}

}  // namespace Zep
