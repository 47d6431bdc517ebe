// Images: the input is a DDS, PVR or PNG file (told by its signature; anything else
// goes to one of the three by its first byte). A decoded image is copied, and pixels
// spread over it and its hit mask are read, which runs the DXT and PVRTC block
// decoders on the decoded blocks.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Common/Texture.h"
#include "FuzzSupport.h"

namespace {

const size_t kMaxInput = 4 << 20;
// Pixels read per image at most, in a grid that takes in the last row and column.
const int32_t kGrid = 48;

uint32_t BigEndian32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}

// libpng refuses a chunk whose CRC does not match, so nearly every change the fuzzer
// makes inside a PNG would end there. The CRCs are put right before loading.
void RepairPngChecksums(std::vector<uint8_t>& png) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length = BigEndian32(png.data() + at);
        if (length > png.size() - at - 12)
            return;
        const uLong crc = crc32(0, png.data() + at + 4, uInt(length + 4));
        for (int i = 0; i < 4; ++i)
            png[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        at += 12 + length;
    }
}

void ReadPixels(Zep::Texture& texture) {
    const int32_t width = texture.GetWidth();
    const int32_t height = texture.GetHeight();
    const int32_t stepX = std::max(1, width / kGrid);
    const int32_t stepY = std::max(1, height / kGrid);
    uint32_t colour = 0;
    for (int32_t y = 0; y < height; y += stepY) {
        for (int32_t x = 0; x < width; x += stepX)
            texture.GetPixel(colour, x, y);
        texture.GetPixel(colour, width - 1, y);
    }
    for (int32_t x = 0; x < width; x += stepX)
        texture.GetPixel(colour, x, height - 1);
    texture.GetPixel(colour, width - 1, height - 1);
    texture.GetPixel(colour, -1, 0);
    texture.GetPixel(colour, width, 0);
    texture.GetPixel(colour, 0, height);
}

int32_t ImageTypeOf(const uint8_t* data, size_t size) {
    if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0)
        return Zep::IMAGE_PNG;
    if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0)
        return Zep::IMAGE_DDS;
    if (size >= 48 && std::memcmp(data + 44, "PVR!", 4) == 0)
        return Zep::IMAGE_PVR;
    static const int32_t kTypes[] = {Zep::IMAGE_PNG, Zep::IMAGE_DDS, Zep::IMAGE_PVR};
    return kTypes[size > 0 ? data[0] % 3 : 0];
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::SetUpEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput)
        return 0;
    const int32_t type = ImageTypeOf(data, size);
    // Loaders read the fuzzer's own bytes where they can, which end where the input
    // ends; a repaired PNG is a copy of exactly the same length.
    std::vector<uint8_t> png;
    const uint8_t* file = data;
    if (type == Zep::IMAGE_PNG) {
        png.assign(data, data + size);
        RepairPngChecksums(png);
        file = png.data();
    }

    Zep::MemoryTexture image;
    if (!Fuzz::Read([&] { image.LoadFromMemory(file, static_cast<int32_t>(size), type); }))
        return 0;
    for (int32_t level = 0; level < image.GetMipCount(); ++level)
        image.GetMipLevelSize(level);
    image.GetMemorySize();
    ReadPixels(image);
    if (Zep::HitMaskTexture* mask = image.GetHitMask())
        ReadPixels(*mask);

    Zep::MemoryTexture copy;
    copy.CopyFrom(image);
    uint32_t colour = 0;
    copy.GetPixel(colour, copy.GetWidth() / 2, copy.GetHeight() / 2);
    return 0;
}
