#include "Formats.h"

namespace D3D8Internal {

namespace {

// Bytes B, G, R, A in memory are one 0xAARRGGBB word; X8R8G8B8 is stored without alpha,
// so it reads back as 1. A4R4G4B4 and R5G6B5 are 16-bit words with alpha or red in the
// top bits, as OpenGL's reversed and plain packed types lay them out.
const FormatInfo kFormats[] = {
    {D3DFMT_A8R8G8B8, 4, 0, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV},
    {D3DFMT_X8R8G8B8, 4, 0, GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV},
    {D3DFMT_A4R4G4B4, 2, 0, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV},
    {D3DFMT_R5G6B5, 2, 0, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5},
    {D3DFMT_DXT1, 0, 8, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0},
    {D3DFMT_DXT3, 0, 16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0},
    {D3DFMT_DXT5, 0, 16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0},
};

}  // namespace

const FormatInfo* FindFormat(D3DFORMAT format) {
    for (const FormatInfo& info : kFormats) {
        if (info.format == format)
            return &info;
    }
    return nullptr;
}

}  // namespace D3D8Internal
