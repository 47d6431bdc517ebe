// The Direct3D formats the layer stores, and how OpenGL holds them.
#pragma once

#include <cstddef>

#include "GlFunctions.h"
#include "d3d8.h"

namespace D3D8Internal {

struct FormatInfo {
    D3DFORMAT format;
    // Bytes of one pixel; 0 for the DXT formats.
    UINT bytesPerPixel;
    // Bytes of one 4 x 4 block of a DXT format; 0 for the others.
    UINT blockBytes;
    // Texture storage, and the client layout of the locked pixels (unused for DXT).
    GLenum internalFormat;
    GLenum pixelFormat;
    GLenum pixelType;

    bool IsBlocks() const { return blockBytes != 0; }
};

// Null for a format the layer cannot store.
const FormatInfo* FindFormat(D3DFORMAT format);

inline bool IsDxt(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
}

// Bytes of one locked row: whole pixels padded to 4 bytes, or one row of 4 x 4 blocks.
inline UINT RowPitch(const FormatInfo& info, UINT width) {
    if (info.IsBlocks())
        return (width + 3) / 4 * info.blockBytes;
    return (width * info.bytesPerPixel + 3u) & ~3u;
}

// Rows of locked memory a level of that height has: its pixel rows, or its rows of blocks.
inline UINT RowCount(const FormatInfo& info, UINT height) {
    return info.IsBlocks() ? (height + 3) / 4 : height;
}

inline size_t LevelBytes(const FormatInfo& info, UINT width, UINT height) {
    return static_cast<size_t>(RowPitch(info, width)) * RowCount(info, height);
}

// Sizes the layer accepts for surfaces and textures: up to 16384 on a side, so that
// rows and whole images stay far inside 32 bits.
constexpr UINT kMaxDimension = 16384;

}  // namespace D3D8Internal
