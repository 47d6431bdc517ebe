#include "Formats.h"

namespace D3D8Internal {

namespace {

// Bytes B, G, R, A in memory are one 0xAARRGGBB word; X8R8G8B8 is stored without alpha,
// so it reads back as 1.
const FormatInfo kFormats[] = {
    {D3DFMT_A8R8G8B8, 4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV},
    {D3DFMT_X8R8G8B8, 4, GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV},
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
