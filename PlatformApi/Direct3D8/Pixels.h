// Pixel work on the CPU: the layer's own DXT block decoder, the conversions of
// D3DXLoadSurfaceFromMemory and the box filter of D3DXFilterTexture.
#pragma once

#include <cstdint>

#include "d3d8.h"

namespace D3D8Internal {

// One 4 x 4 block of DXT1, DXT3 or DXT5 as 16 0xAARRGGBB texels, rows top first.
void DecodeDxtBlock(D3DFORMAT format, const uint8_t* block, uint32_t texels[16]);

// Whether ConvertToArgb takes the format: A4R4G4B4, R8G8B8 and the DXT formats.
bool ConvertsToArgb(D3DFORMAT format);
// Bytes of one pixel of a format D3DXLoadSurfaceFromMemory reads (0 for DXT and for
// formats it does not read).
UINT SourceBytesPerPixel(D3DFORMAT format);

// Converts width x height pixels of source (rows sourcePitch bytes apart; for DXT, rows of
// blocks starting with the block of the top-left pixel) into A8R8G8B8 rows destPitch bytes
// apart. A4R4G4B4 channels become x 17, R8G8B8 gets alpha 255.
void ConvertToArgb(D3DFORMAT format, const uint8_t* source, UINT sourcePitch, UINT width, UINT height, uint8_t* dest,
                   UINT destPitch);

// The next mip level of a width x height level of A8R8G8B8, X8R8G8B8, A4R4G4B4 or R5G6B5:
// each texel the mean of a 2 x 2 square, (sum + 2) / 4 per channel; a side of 1 repeats
// its texel. dest has max(1, width / 2) x max(1, height / 2) texels.
void BoxFilter(D3DFORMAT format, const uint8_t* source, UINT sourcePitch, UINT width, UINT height, uint8_t* dest,
               UINT destPitch);

}  // namespace D3D8Internal
