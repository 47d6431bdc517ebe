// Single pixels of PVRTC-compressed images, decoded from the 2 x 2 blocks around them.
#pragma once

#include <cstdint>

namespace Zep {

// The pixel (x, y) as 0xAARRGGBB of a PVRTC image of width x height pixels (a square
// power of two) whose blocks (8 x 4 pixels at two bits per pixel, 4 x 4 at four) are
// stored in twiddled order. The data holds at least 2 blocks in each direction, as
// the level sizes of memory textures do; coordinates are clamped to them. The image
// does not wrap around at its edges. Safe on any thread.
void GetPixelFromPVRTC(uint32_t& colour, int32_t x, int32_t y, const uint8_t* data, int32_t width, int32_t height,
                       bool twoBitsPerPixel);

}  // namespace Zep
