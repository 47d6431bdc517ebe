#include "Pixels.h"

#include <algorithm>
#include <cstring>

namespace D3D8Internal {

namespace {

uint32_t ReadWord16(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8;
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

void StoreTexel(uint8_t* at, uint32_t texel) {
    std::memcpy(at, &texel, 4);
}

// The colour half of a block: two 5:6:5 end colours widened by repeating their top bits,
// and 2-bit indices of texel i at bits 2i. Four colours (the thirds truncated) unless the
// block is DXT1 and its first end colour is not greater than the second: then three (the
// half truncated) and transparent black.
void DecodeColors(const uint8_t* block, bool dxt1, uint32_t texels[16]) {
    const uint32_t c0 = ReadWord16(block);
    const uint32_t c1 = ReadWord16(block + 2);
    uint32_t r[4], g[4], b[4], a[4] = {255, 255, 255, 255};
    const uint32_t ends[2] = {c0, c1};
    for (int i = 0; i < 2; ++i) {
        const uint32_t red = ends[i] >> 11, green = (ends[i] >> 5) & 0x3F, blue = ends[i] & 0x1F;
        r[i] = red << 3 | red >> 2;
        g[i] = green << 2 | green >> 4;
        b[i] = blue << 3 | blue >> 2;
    }
    if (!dxt1 || c0 > c1) {
        r[2] = (2 * r[0] + r[1]) / 3, g[2] = (2 * g[0] + g[1]) / 3, b[2] = (2 * b[0] + b[1]) / 3;
        r[3] = (r[0] + 2 * r[1]) / 3, g[3] = (g[0] + 2 * g[1]) / 3, b[3] = (b[0] + 2 * b[1]) / 3;
    } else {
        r[2] = (r[0] + r[1]) / 2, g[2] = (g[0] + g[1]) / 2, b[2] = (b[0] + b[1]) / 2;
        r[3] = g[3] = b[3] = a[3] = 0;
    }
    uint32_t palette[4];
    for (int i = 0; i < 4; ++i)
        palette[i] = Argb(a[i], r[i], g[i], b[i]);
    const uint32_t indices = ReadWord16(block + 4) | ReadWord16(block + 6) << 16;
    for (int texel = 0; texel < 16; ++texel)
        texels[texel] = palette[(indices >> (2 * texel)) & 3];
}

void SetAlpha(uint32_t& texel, uint32_t alpha) {
    texel = (texel & 0x00FFFFFFu) | alpha << 24;
}

// Explicit alpha: 4 bits for texel i at bits 4i, times 17.
void DecodeDxt3Alpha(const uint8_t* block, uint32_t texels[16]) {
    for (int texel = 0; texel < 16; ++texel) {
        const uint32_t nibble = (block[texel / 2] >> (4 * (texel % 2))) & 0xF;
        SetAlpha(texels[texel], nibble * 17);
    }
}

// Interpolated alpha: two end values, then 3-bit indices of texel i at bits 3i of the next
// 48 bits. Eight values when a0 > a1, else six and then 0 and 255; fractions truncated.
void DecodeDxt5Alpha(const uint8_t* block, uint32_t texels[16]) {
    const uint32_t a0 = block[0], a1 = block[1];
    uint32_t values[8] = {a0, a1};
    if (a0 > a1) {
        for (uint32_t i = 2; i < 8; ++i)
            values[i] = ((8 - i) * a0 + (i - 1) * a1) / 7;
    } else {
        for (uint32_t i = 2; i < 6; ++i)
            values[i] = ((6 - i) * a0 + (i - 1) * a1) / 5;
        values[6] = 0;
        values[7] = 255;
    }
    uint64_t indices = 0;
    for (int i = 0; i < 6; ++i)
        indices |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
    for (int texel = 0; texel < 16; ++texel)
        SetAlpha(texels[texel], values[(indices >> (3 * texel)) & 7]);
}

UINT BlockBytes(D3DFORMAT format) {
    return format == D3DFMT_DXT1 ? 8 : 16;
}

// Where the channels of a 16- or 32-bit texel lie.
struct ChannelLayout {
    UINT bytes;
    unsigned count;
    unsigned shift[4];
    unsigned bits[4];
};

ChannelLayout LayoutOf(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A4R4G4B4:
            return {2, 4, {0, 4, 8, 12}, {4, 4, 4, 4}};
        case D3DFMT_R5G6B5:
            return {2, 3, {0, 5, 11, 0}, {5, 6, 5, 0}};
        default:
            return {4, 4, {0, 8, 16, 24}, {8, 8, 8, 8}};
    }
}

uint32_t ReadTexel(const uint8_t* at, UINT bytes) {
    return bytes == 2 ? ReadWord16(at) : ReadWord16(at) | ReadWord16(at + 2) << 16;
}

void WriteTexel(uint8_t* at, UINT bytes, uint32_t value) {
    for (UINT i = 0; i < bytes; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

void DecodeDxtBlock(D3DFORMAT format, const uint8_t* block, uint32_t texels[16]) {
    switch (format) {
        case D3DFMT_DXT1:
            DecodeColors(block, true, texels);
            break;
        case D3DFMT_DXT3:
            DecodeColors(block + 8, false, texels);
            DecodeDxt3Alpha(block, texels);
            break;
        default:
            DecodeColors(block + 8, false, texels);
            DecodeDxt5Alpha(block, texels);
            break;
    }
}

bool ConvertsToArgb(D3DFORMAT format) {
    return format == D3DFMT_A4R4G4B4 || format == D3DFMT_R8G8B8 || format == D3DFMT_DXT1 || format == D3DFMT_DXT3 ||
           format == D3DFMT_DXT5;
}

UINT SourceBytesPerPixel(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            return 4;
        case D3DFMT_R8G8B8:
            return 3;
        case D3DFMT_A4R4G4B4:
        case D3DFMT_R5G6B5:
            return 2;
        default:
            return 0;
    }
}

void ConvertToArgb(D3DFORMAT format, const uint8_t* source, UINT sourcePitch, UINT width, UINT height, uint8_t* dest,
                   UINT destPitch) {
    if (format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5) {
        const UINT blockBytes = BlockBytes(format);
        uint32_t texels[16];
        for (UINT blockY = 0; blockY * 4 < height; ++blockY) {
            const uint8_t* blocks = source + static_cast<size_t>(blockY) * sourcePitch;
            for (UINT blockX = 0; blockX * 4 < width; ++blockX) {
                DecodeDxtBlock(format, blocks + static_cast<size_t>(blockX) * blockBytes, texels);
                // Blocks at the right and bottom edges may hold more texels than the image.
                const UINT rows = std::min(4u, height - blockY * 4), columns = std::min(4u, width - blockX * 4);
                for (UINT y = 0; y < rows; ++y) {
                    uint8_t* row = dest + static_cast<size_t>(blockY * 4 + y) * destPitch + blockX * 16;
                    std::memcpy(row, &texels[y * 4], columns * 4);
                }
            }
        }
        return;
    }
    for (UINT y = 0; y < height; ++y) {
        const uint8_t* from = source + static_cast<size_t>(y) * sourcePitch;
        uint8_t* to = dest + static_cast<size_t>(y) * destPitch;
        for (UINT x = 0; x < width; ++x) {
            uint32_t texel;
            if (format == D3DFMT_A4R4G4B4) {
                const uint32_t word = ReadWord16(from + 2 * x);
                texel = Argb((word >> 12) * 17, ((word >> 8) & 0xF) * 17, ((word >> 4) & 0xF) * 17, (word & 0xF) * 17);
            } else {
                // R8G8B8: bytes B, G, R.
                texel = Argb(255, from[3 * x + 2], from[3 * x + 1], from[3 * x]);
            }
            StoreTexel(to + 4 * x, texel);
        }
    }
}

void BoxFilter(D3DFORMAT format, const uint8_t* source, UINT sourcePitch, UINT width, UINT height, uint8_t* dest,
               UINT destPitch) {
    const ChannelLayout layout = LayoutOf(format);
    const UINT destWidth = std::max(1u, width / 2), destHeight = std::max(1u, height / 2);
    for (UINT y = 0; y < destHeight; ++y) {
        const UINT y0 = std::min(2 * y, height - 1), y1 = std::min(2 * y + 1, height - 1);
        const uint8_t* rows[2] = {source + static_cast<size_t>(y0) * sourcePitch,
                                  source + static_cast<size_t>(y1) * sourcePitch};
        uint8_t* to = dest + static_cast<size_t>(y) * destPitch;
        for (UINT x = 0; x < destWidth; ++x) {
            const UINT x0 = std::min(2 * x, width - 1), x1 = std::min(2 * x + 1, width - 1);
            const uint32_t square[4] = {ReadTexel(rows[0] + x0 * layout.bytes, layout.bytes),
                                        ReadTexel(rows[0] + x1 * layout.bytes, layout.bytes),
                                        ReadTexel(rows[1] + x0 * layout.bytes, layout.bytes),
                                        ReadTexel(rows[1] + x1 * layout.bytes, layout.bytes)};
            uint32_t result = 0;
            for (unsigned channel = 0; channel < layout.count; ++channel) {
                const unsigned shift = layout.shift[channel];
                const uint32_t mask = (1u << layout.bits[channel]) - 1;
                uint32_t sum = 0;
                for (uint32_t texel : square)
                    sum += (texel >> shift) & mask;
                result |= ((sum + 2) / 4) << shift;
            }
            WriteTexel(to + x * layout.bytes, layout.bytes, result);
        }
    }
}

}  // namespace D3D8Internal
