// Single pixels of DXT-compressed images, decoded from the one 4 x 4 block that holds them.
#pragma once

#include <cstdint>

namespace Zep {

// Block types: their size in bytes and the colour of texel index (y & 3) * 4 + (x & 3)
// of one block as 0xAARRGGBB.
struct DXT1Block {
    static const int32_t kBytes = 8;
    static uint32_t DecodeTexel(const uint8_t* block, int32_t index);
};

struct DXT3Block {
    static const int32_t kBytes = 16;
    static uint32_t DecodeTexel(const uint8_t* block, int32_t index);
};

struct DXT5Block {
    static const int32_t kBytes = 16;
    static uint32_t DecodeTexel(const uint8_t* block, int32_t index);
};

// The pixel (x, y) of an image of blocks in row order; width and height are the
// allocated size, which must be multiples of 4, and the pixel must lie inside it.
// Both are panics otherwise. Safe on any thread.
template <class Block>
void GetPixelFromDXTImageHelper(uint32_t& colour, int32_t x, int32_t y, const uint8_t* data, int32_t width,
                                int32_t height);

}  // namespace Zep
