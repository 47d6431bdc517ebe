// The Direct3D formats the layer stores, and how OpenGL holds them.
#pragma once

#include "GlFunctions.h"
#include "d3d8.h"

namespace D3D8Internal {

struct FormatInfo {
    D3DFORMAT format;
    UINT bytesPerPixel;
    // Texture storage, and the client layout of the locked pixels.
    GLenum internalFormat;
    GLenum pixelFormat;
    GLenum pixelType;
};

// Null for a format the layer cannot store.
const FormatInfo* FindFormat(D3DFORMAT format);

// Bytes of one locked row: whole pixels, padded to 4 bytes.
inline UINT RowPitch(const FormatInfo& info, UINT width) {
    return (width * info.bytesPerPixel + 3u) & ~3u;
}

// Sizes the layer accepts for surfaces and textures: up to 16384 on a side, so that
// rows and whole images stay far inside 32 bits.
constexpr UINT kMaxDimension = 16384;

}  // namespace D3D8Internal
