// Builds DDS, PVR (version 2) and PNG files for the tests byte by byte from the file
// formats, without the engine's loaders. PNGs are deflated with zlib and carry their
// CRCs, so a test can break exactly one thing.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
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

// Bytes of a mip chain as the file formats lay it out: blockBytes per 4 x 4 block for
// DXT (blockBytes > 0), else bits per pixel; PVRTC levels hold at least minW x minH.
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
    uint32_t width = 4, height = 4, mipCount = 0;
    uint32_t pixelFlags = 0x4;  // 0x4 FourCC, 0x40 RGB
    std::string fourCC = "DXT1";
    uint32_t bitCount = 0;
    std::string magic = "DDS ";
    uint32_t headerSize = 124;
    std::string payload;

    std::string Build() const {
        std::string out = magic;
        AppendU32(out, headerSize);
        AppendU32(out, 0x1007 | (mipCount > 1 ? 0x20000 : 0));
        AppendU32(out, height);
        AppendU32(out, width);
        AppendU32(out, 0);  // pitch or linear size
        AppendU32(out, 0);  // depth
        AppendU32(out, mipCount);
        out.append(44, '\0');  // reserved
        AppendU32(out, 32);    // pixel format: size, flags, FourCC, bit count, masks
        AppendU32(out, pixelFlags);
        out += fourCC.substr(0, 4) + std::string(4 - std::min<size_t>(4, fourCC.size()), '\0');
        AppendU32(out, bitCount);
        for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
            AppendU32(out, mask);
        AppendU32(out, 0x1000);  // caps
        out.append(16, '\0');
        return out + payload;
    }
};

struct Pvr {
    uint32_t headerSize = 52, width = 8, height = 8, mipCount = 0;
    uint32_t flags = 25;  // pixel type in the low byte; 0x100 mips, 0x200 twiddled, 0x1000 cube map
    uint32_t bitCount = 4, alphaMask = 0, surfaces = 1;
    std::string magic = "PVR!";
    std::string payload;

    std::string Build() const {
        std::string out;
        for (uint32_t word : {headerSize, height, width, mipCount, flags, uint32_t(payload.size()), bitCount,
                              0x00FF0000u, 0x0000FF00u, 0x000000FFu, alphaMask})
            AppendU32(out, word);
        out += magic;
        AppendU32(out, surfaces);
        return out + payload;
    }
};

// A PNG chunk: length, type, data and the CRC of type and data.
inline std::string Chunk(const std::string& type, const std::string& data) {
    std::string out;
    const uint32_t length = static_cast<uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((length >> shift) & 0xFF);
    const std::string body = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    out += body;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((crc >> shift) & 0xFF);
    return out;
}

inline std::string BigEndian32(uint32_t value) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
    return out;
}

struct Png {
    uint32_t width = 2, height = 2;
    uint8_t bitDepth = 8, colourType = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    std::string scanlines;                 // rows as stored, without filter bytes
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
        std::string header = BigEndian32(width) + BigEndian32(height);
        header += static_cast<char>(bitDepth);
        header += static_cast<char>(colourType);
        header += std::string(3, '\0');
        std::string out = "\x89PNG\r\n\x1a\n" + Chunk("IHDR", header) + extraChunks;
        if (!palette.empty())
            out += Chunk("PLTE", palette);
        if (!transparency.empty())
            out += Chunk("tRNS", transparency);
        return out + Chunk("IDAT", packed) + Chunk("IEND", "");
    }
};

}  // namespace ImageSamples
