#include "Common/DXTDecoder.h"

#include "Common/CoreUtils.h"

namespace Zep {

namespace {

struct Rgb {
    uint32_t r, g, b;
};

uint32_t ReadU16(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8;
}

// A 5:6:5 end colour widened by repeating its top bits.
Rgb Widen565(uint32_t value) {
    const uint32_t r = value >> 11 & 31, g = value >> 5 & 63, b = value & 31;
    return Rgb{r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2};
}

uint32_t Argb(uint32_t alpha, const Rgb& c) {
    return alpha << 24 | c.r << 16 | c.g << 8 | c.b;
}

// One texel of a colour block (the whole DXT1 block, the second half of DXT3 and DXT5).
// Only DXT1 blocks whose first end colour is not above the second have three colours
// and transparent black.
uint32_t DecodeColourTexel(const uint8_t* block, int32_t index, bool threeColourMode) {
    const uint32_t value0 = ReadU16(block), value1 = ReadU16(block + 2);
    const uint32_t code = block[4 + (index >> 2)] >> (2 * (index & 3)) & 3;
    const Rgb c0 = Widen565(value0), c1 = Widen565(value1);
    switch (code) {
        case 0:
            return Argb(255, c0);
        case 1:
            return Argb(255, c1);
        default:
            break;
    }
    if (threeColourMode && value0 <= value1) {
        if (code == 3)
            return 0;
        return Argb(255, Rgb{(c0.r + c1.r) >> 1, (c0.g + c1.g) >> 1, (c0.b + c1.b) >> 1});
    }
    // Thirds truncate.
    if (code == 2)
        return Argb(255, Rgb{(2 * c0.r + c1.r) / 3, (2 * c0.g + c1.g) / 3, (2 * c0.b + c1.b) / 3});
    return Argb(255, Rgb{(c0.r + 2 * c1.r) / 3, (c0.g + 2 * c1.g) / 3, (c0.b + 2 * c1.b) / 3});
}

uint32_t WithAlpha(uint32_t colour, uint32_t alpha) {
    return (colour & 0x00FFFFFFu) | alpha << 24;
}

}  // namespace

uint32_t DXT1Block::DecodeTexel(const uint8_t* block, int32_t index) {
    return DecodeColourTexel(block, index, true);
}

uint32_t DXT3Block::DecodeTexel(const uint8_t* block, int32_t index) {
    // One 16-bit word of four 4-bit alphas per row, lowest nibble first.
    const uint32_t row = ReadU16(block + 2 * (index >> 2));
    const uint32_t alpha = (row >> (4 * (index & 3)) & 15) * 17;
    return WithAlpha(DecodeColourTexel(block + 8, index, false), alpha);
}

uint32_t DXT5Block::DecodeTexel(const uint8_t* block, int32_t index) {
    const uint32_t a0 = block[0], a1 = block[1];
    uint64_t codes = 0;
    for (int i = 5; i >= 0; --i)
        codes = codes << 8 | block[2 + i];
    const uint32_t code = static_cast<uint32_t>(codes >> (3 * index) & 7);
    uint32_t alpha;
    if (code == 0) {
        alpha = a0;
    } else if (code == 1) {
        alpha = a1;
    } else if (a0 > a1) {
        // Six steps between the ends, rounded with +3 (not to nearest: the engine's own rule).
        alpha = ((8 - code) * a0 + (code - 1) * a1 + 3) / 7;
    } else if (code <= 5) {
        // Four steps between the ends, rounded with +2, then 0 and 255.
        alpha = ((6 - code) * a0 + (code - 1) * a1 + 2) / 5;
    } else {
        alpha = code == 6 ? 0 : 255;
    }
    return WithAlpha(DecodeColourTexel(block + 8, index, false), alpha);
}

template <class Block>
void GetPixelFromDXTImageHelper(uint32_t& colour, int32_t x, int32_t y, const uint8_t* data, int32_t width,
                                int32_t height) {
    if ((width & 3) || (height & 3))
        ZEP_PANIC("GetPixelFromDXTImageHelper(): DXT image width and height must be divisible by 4");
    if (x < 0 || y < 0 || x >= width || y >= height)
        ZEP_PANIC("GetPixelFromDXTImageHelper(): Pixel coordinate out of image bounds");
    const int64_t block = int64_t(width / 4) * (y / 4) + x / 4;
    colour = Block::DecodeTexel(data + block * Block::kBytes, (y & 3) * 4 + (x & 3));
}

template void GetPixelFromDXTImageHelper<DXT1Block>(uint32_t&, int32_t, int32_t, const uint8_t*, int32_t, int32_t);
template void GetPixelFromDXTImageHelper<DXT3Block>(uint32_t&, int32_t, int32_t, const uint8_t*, int32_t, int32_t);
template void GetPixelFromDXTImageHelper<DXT5Block>(uint32_t&, int32_t, int32_t, const uint8_t*, int32_t, int32_t);

}  // namespace Zep
