// DDS, PVR (version 2) and PNG files for the tests, built byte by byte from the file
// formats without the engine's readers; PNGs are deflated with zlib and carry their CRCs.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <string>

#include "PackedSample.h"

namespace ImageSamples {

using TestSupport::AppendU32;

// Bytes that differ from level to level and block to block.
inline std::string Pattern(size_t size, unsigned seed = 0) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251 + seed * 13) & 0xFF);
    return bytes;
}

// Bytes of a mip chain: blockBytes per 4 x 4 block (DXT) or bits per pixel, each level
// at least minW x minH pixels (PVRTC).
inline size_t ChainBytes(uint32_t w, uint32_t h, uint32_t levels, uint32_t bits, uint32_t blockBytes, uint32_t minW = 1,
                         uint32_t minH = 1) {
    size_t total = 0;
    for (uint32_t level = 0; level < levels; ++level) {
        const uint32_t lw = std::max(1u, w >> level), lh = std::max(1u, h >> level);
        total += blockBytes ? size_t((lw + 3) / 4) * ((lh + 3) / 4) * blockBytes
                            : size_t(std::max(lw, minW)) * std::max(lh, minH) * bits / 8;
    }
    return total;
}

struct Dds {
    uint32_t width = 4, height = 4, mipCount = 0, pixelFlags = 0x4 /* FourCC; 0x40 RGB */, bitCount = 0;
    std::string fourCC = "DXT1", magic = "DDS ", payload;
    uint32_t headerSize = 124;

    std::string Build() const {
        std::string out = magic;
        for (uint32_t word : {headerSize, 0x1007u, height, width, 0u, 0u, mipCount})
            AppendU32(out, word);
        out.append(44, '\0');
        for (uint32_t word : {32u, pixelFlags})
            AppendU32(out, word);
        out += (fourCC + std::string(4, '\0')).substr(0, 4);
        for (uint32_t word : {bitCount, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u, 0x1000u, 0u, 0u, 0u, 0u})
            AppendU32(out, word);
        return out + payload;
    }
};

struct Pvr {
    // Pixel type in the low byte of the flags; 0x100 mip levels, 0x200 twiddled, 0x1000 cube map.
    uint32_t headerSize = 52, width = 8, height = 8, mipCount = 0, flags = 25, alphaMask = 0, surfaces = 1;
    std::string magic = "PVR!", payload;

    std::string Build() const {
        std::string out;
        for (uint32_t word : {headerSize, height, width, mipCount, flags, uint32_t(payload.size()), 4u, 0xFF0000u,
                              0xFF00u, 0xFFu, alphaMask})
            AppendU32(out, word);
        out += magic;
        AppendU32(out, surfaces);
        return out + payload;
    }
};

inline std::string BigEndian32(uint32_t value) {
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return std::string(bytes, 4);
}

// A PNG chunk: length, type, data and the CRC of type and data.
inline std::string Chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return BigEndian32(uint32_t(data.size())) + body + BigEndian32(uint32_t(crc));
}

struct Png {
    uint32_t width = 2, height = 2;
    uint8_t bitDepth = 8, colourType = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    std::string scanlines;                 // rows as stored, without their filter bytes
    std::string palette, transparency;     // PLTE and tRNS contents; empty: no chunk
    std::string extraChunks;               // whole chunks placed before IDAT

    std::string Build() const {
        const size_t rowBytes = scanlines.size() / std::max(1u, height);
        std::string filtered;
        for (uint32_t y = 0; y < height; ++y)
            filtered += '\0' + scanlines.substr(y * rowBytes, rowBytes);
        uLongf packedSize = compressBound(static_cast<uLong>(filtered.size()));
        std::string packed(packedSize, '\0');
        compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(filtered.data()),
                 static_cast<uLong>(filtered.size()));
        packed.resize(packedSize);
        const std::string header =
            BigEndian32(width) + BigEndian32(height) + char(bitDepth) + char(colourType) + std::string(3, '\0');
        std::string out = "\x89PNG\r\n\x1a\n" + Chunk("IHDR", header) + extraChunks;
        if (!palette.empty())
            out += Chunk("PLTE", palette);
        if (!transparency.empty())
            out += Chunk("tRNS", transparency);
        return out + Chunk("IDAT", packed) + Chunk("IEND", "");
    }
};

}  // namespace ImageSamples
