#include "Common/Texture.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/DXTDecoder.h"
#include "Common/FileAttributes.h"
#include "Common/FileStream.h"
#include "Common/FileSystem.h"
#include "Common/PVRTCDecoder.h"
#include "Common/StringUtils.h"

namespace Zep {

namespace {

// Reports of this file name it with the lines the engine has always given them.
const char kTextureSource[] = "Common\\Texture.cpp";

const int32_t kMaxTextureSize = 4095;
const int32_t kMaxCreatedMipLevels = 11;

uint32_t ReadU32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

uint32_t ReadU32BigEndian(const uint8_t* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}

uint32_t ReadU16(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8;
}

// A 32-bit header word taken as a signed size or count, as Create expects them.
int32_t ToInt32(uint32_t word) {
    return static_cast<int32_t>(word);
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

}  // namespace

int32_t GetBitsPerPixel(int32_t format) {
    static const int32_t kBits[] = {32, 16, 24, 16, 16, 4, 8, 8, 2, 2, 4, 4};
    return format >= 0 && format < 12 ? kBits[format] : 0;
}

bool IsDXTFormat(int32_t format) {
    return format == FORMAT_DXT1 || format == FORMAT_DXT3 || format == FORMAT_DXT5;
}

bool IsPVRTCFormat(int32_t format) {
    return format >= FORMAT_PVRTC2_RGB && format <= FORMAT_PVRTC4_RGBA;
}

int32_t GetImageType(const std::string& path) {
    const std::string extension = ToLower(ExtractFileExtension(path));
    if (extension == "png")
        return IMAGE_PNG;
    if (extension == "dds")
        return IMAGE_DDS;
    if (extension == "pvr")
        return IMAGE_PVR;
    return IMAGE_UNKNOWN;
}

// --- Texture ---------------------------------------------------------------------

Texture::Texture()
    : uScale(1.0f), vScale(1.0f), width(0), height(0), allocatedWidth(0), allocatedHeight(0), format(FORMAT_ARGB8888) {}

Texture::~Texture() {}

int32_t Texture::GetMemorySize() {
    return static_cast<int32_t>(int64_t(GetBitsPerPixel(format)) * allocatedWidth * allocatedHeight / 8);
}

void Texture::GetPixel(uint32_t& colour, int32_t, int32_t) {
    colour = 0xFFFFFFFFu;
}

bool Texture::FindImageFile(const std::string& name, std::string& path) {
    static const char* const kExtensions[] = {".dds", ".pvr", ".png"};
    BundleSystem* bundles = BundleSystem::GetInstance();
    for (const char* extension : kExtensions) {
        const std::string candidate = name + extension;
        if (bundles->PathExists(candidate, FS_PATH_FILE)) {
            path = candidate;
            return true;
        }
    }
    return false;
}

// --- PlainTexture ------------------------------------------------------------------

void PlainTexture::LoadFromFile(const std::string& path) {
    const FileAttributes& attributes = FileAttributes::GetInstance();
    uint32_t flags = 0;
    if (attributes.GetBool(path, "PixelAccess", false))
        flags |= FLAG_PIXEL_ACCESS;
    if (attributes.GetBool(path, "MipMaps", false))
        flags |= FLAG_MIPMAPS;
    FileStream stream(path, FS_OPEN_READ);
    LoadFromStream(stream, GetImageType(path), flags);
}

void PlainTexture::LoadFromStream(Stream& stream, int32_t imageType, uint32_t flags) {
    MemoryTexture image;
    image.LoadFromStream(stream, imageType);
    CreateFromMemoryTexture(&image, flags);
}

// --- HitMaskTexture ----------------------------------------------------------------

HitMaskTexture::HitMaskTexture(const void* source, int32_t size, int32_t width, int32_t height)
    : data(nullptr), dataSize(std::max(size, 0)) {
    this->width = allocatedWidth = width;
    this->height = allocatedHeight = height;
    format = FORMAT_ARGB8888;
    data = new uint8_t[static_cast<size_t>(dataSize)];
    if (dataSize > 0)
        std::memcpy(data, source, static_cast<size_t>(dataSize));
}

HitMaskTexture::~HitMaskTexture() {
    delete[] data;
}

int32_t HitMaskTexture::GetMemorySize() {
    return dataSize;
}

void* HitMaskTexture::GetSystemHandle() {
    ZEP_PANIC("Hit Mask texture doesn't have a system handle");
}

void HitMaskTexture::GetPixel(uint32_t& colour, int32_t x, int32_t y) {
    colour = 0;
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    // The mask comes from a file: an offset or a run list that leaves the data
    // answers "outside" instead of reading past it.
    const int64_t entry = int64_t(y) * 4;
    if (entry + 4 > dataSize)
        return;
    const uint32_t offset = ReadU32(data + entry);
    bool inside = false;
    int32_t rest = x;
    for (uint32_t at = offset; at < uint32_t(dataSize); ++at) {
        const int32_t run = data[at];
        if (rest < run) {
            colour = inside ? 0xFFFFFFFFu : 0;
            return;
        }
        rest -= run;
        inside = !inside;
    }
}

// --- MemoryTexture -------------------------------------------------------------------

MemoryTexture::MemoryTexture() : levels(), mipCount(1), hitMask(nullptr) {}

MemoryTexture::~MemoryTexture() {
    FreeLevels();
    delete hitMask;
}

void MemoryTexture::FreeLevels() {
    for (uint8_t*& level : levels) {
        delete[] level;
        level = nullptr;
    }
}

void* MemoryTexture::GetSystemHandle() {
    ZEP_PANIC("Memory texture doesn't have a system handle");
}

namespace {

// The size checks of Create, which a loader also makes before it allocates anything.
void CheckImageSize(int32_t width, int32_t height) {
    if (width < 0 || width > kMaxTextureSize)
        AssertionFailed(kTextureSource, 247);
    if (height < 0 || height > kMaxTextureSize)
        AssertionFailed(kTextureSource, 248);
}

}  // namespace

void MemoryTexture::Create(int32_t width, int32_t height, int32_t format, int32_t mipCount) {
    FreeLevels();
    CheckImageSize(width, height);
    if (mipCount < 1 || mipCount > kMaxCreatedMipLevels)
        AssertionFailed(kTextureSource, 249);
    this->width = allocatedWidth = width;
    this->height = allocatedHeight = height;
    this->format = format;
    this->mipCount = mipCount;
    if (IsDXTFormat(format)) {
        allocatedWidth = (width + 3) & ~3;
        allocatedHeight = (height + 3) & ~3;
    } else if (IsPVRTCFormat(format)) {
        if (width != height)
            AssertionFailed(kTextureSource, 267);
        if (width & (width - 1))
            AssertionFailed(kTextureSource, 268);
    }
    if (width > 0 && height > 0) {
        for (int32_t level = 0; level < mipCount; ++level)
            levels[level] = new uint8_t[static_cast<size_t>(GetMipLevelSize(level))]();
    }
}

int32_t MemoryTexture::GetMipLevelSize(int32_t level) const {
    // Shifts of 31 or more leave nothing of a 12-bit size.
    const int32_t shift = std::min(std::max(level, 0), 31);
    int32_t w = std::max(1, allocatedWidth >> shift);
    int32_t h = std::max(1, allocatedHeight >> shift);
    if (IsDXTFormat(format)) {
        w = (w + 3) & ~3;
        h = (h + 3) & ~3;
    } else if (format == FORMAT_PVRTC2_RGB || format == FORMAT_PVRTC2_RGBA) {
        w = std::max(w, 16);
        h = std::max(h, 8);
    } else if (format == FORMAT_PVRTC4_RGB || format == FORMAT_PVRTC4_RGBA) {
        w = std::max(w, 8);
        h = std::max(h, 8);
    }
    return static_cast<int32_t>((int64_t(h) * GetBitsPerPixel(format) * w + 7) / 8);
}

const uint8_t* MemoryTexture::GetMipLevel(int32_t level) const {
    if (level < 0 || level >= kMaxMipLevels)
        AssertionFailed(kTextureSource, 315);
    return levels[level];
}

uint8_t* MemoryTexture::GetMipLevel(int32_t level) {
    if (level < 0 || level >= kMaxMipLevels)
        AssertionFailed(kTextureSource, 323);
    return levels[level];
}

int32_t MemoryTexture::GetRowPitch() const {
    return static_cast<int32_t>(int64_t(GetBitsPerPixel(format)) * allocatedWidth / 8);
}

void MemoryTexture::CopyFrom(const MemoryTexture& other) {
    FreeLevels();
    if (other.width <= 0 || other.height <= 0 || other.mipCount <= 0)
        return;
    format = other.format;
    uScale = other.uScale;
    vScale = other.vScale;
    width = other.width;
    height = other.height;
    allocatedWidth = other.allocatedWidth;
    allocatedHeight = other.allocatedHeight;
    mipCount = other.mipCount;
    for (int32_t level = 0; level < mipCount; ++level) {
        if (!other.levels[level])
            continue;
        const size_t size = static_cast<size_t>(GetMipLevelSize(level));
        levels[level] = new uint8_t[size];
        std::memcpy(levels[level], other.levels[level], size);
    }
}

void MemoryTexture::GetPixel(uint32_t& colour, int32_t x, int32_t y) {
    colour = 0;
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    const uint8_t* data = levels[0];
    // A texture whose copy brought no levels has nothing to read.
    if (!data)
        return;
    const int64_t pitch = GetRowPitch();
    switch (format) {
        case FORMAT_ARGB8888:
            colour = ReadU32(data + y * pitch + x * 4);
            return;
        case FORMAT_ARGB4444: {
            const uint32_t v = ReadU16(data + y * pitch + x * 2);
            colour = Argb((v >> 12) * 17, (v >> 8 & 15) * 17, (v >> 4 & 15) * 17, (v & 15) * 17);
            return;
        }
        case FORMAT_RGB888: {
            const uint8_t* p = data + y * pitch + x * 3;
            colour = Argb(255, p[2], p[1], p[0]);
            return;
        }
        case FORMAT_RGB565: {
            const uint32_t v = ReadU16(data + y * pitch + x * 2);
            colour = Argb(255, (v >> 11) * 33 >> 2, (v >> 5 & 63) * 65 >> 4, (v & 31) * 33 >> 2);
            return;
        }
        case FORMAT_RGB5A3: {
            // Tiles of 4 x 4 pixels, row-major, one row of tiles after another. Tiles on the
            // right and bottom edges of a size that is no multiple of 4 are as wide and as
            // high as the pixels left, so the image fills its level exactly.
            const int64_t tileLeft = x & ~3;
            const int64_t tileTop = y & ~3;
            const int64_t tileWidth = std::min<int64_t>(4, allocatedWidth - tileLeft);
            const int64_t tileHeight = std::min<int64_t>(4, allocatedHeight - tileTop);
            const int64_t index = tileTop * allocatedWidth + tileLeft * tileHeight + (y & 3) * tileWidth + (x & 3);
            const uint32_t v = ReadU16(data + index * 2);
            if (v & 0x8000)
                colour = Argb(255, (v >> 10 & 31) * 33 >> 2, (v >> 5 & 31) * 33 >> 2, (v & 31) * 33 >> 2);
            else
                colour = Argb((v >> 12 & 7) * 36, (v >> 8 & 15) * 17, (v >> 4 & 15) * 17, (v & 15) * 17);
            return;
        }
        case FORMAT_DXT1:
            GetPixelFromDXTImageHelper<DXT1Block>(colour, x, y, data, allocatedWidth, allocatedHeight);
            return;
        case FORMAT_DXT3:
            GetPixelFromDXTImageHelper<DXT3Block>(colour, x, y, data, allocatedWidth, allocatedHeight);
            return;
        case FORMAT_DXT5:
            GetPixelFromDXTImageHelper<DXT5Block>(colour, x, y, data, allocatedWidth, allocatedHeight);
            return;
        case FORMAT_PVRTC2_RGB:
        case FORMAT_PVRTC2_RGBA:
            GetPixelFromPVRTC(colour, x, y, data, allocatedWidth, allocatedHeight, true);
            return;
        case FORMAT_PVRTC4_RGB:
        case FORMAT_PVRTC4_RGBA:
            GetPixelFromPVRTC(colour, x, y, data, allocatedWidth, allocatedHeight, false);
            return;
        default:
            ZEP_PANIC("Unsupported texture pixel format");
    }
}

// --- Loading -----------------------------------------------------------------------

void MemoryTexture::LoadFromFile(const std::string& path) {
    FileStream stream(path, FS_OPEN_READ);
    LoadFromStream(stream, GetImageType(path));
}

void MemoryTexture::LoadFromStream(Stream& stream, int32_t imageType) {
    const int32_t size = std::max(stream.GetSize(), 0);
    std::vector<uint8_t> buffer(static_cast<size_t>(size));
    if (size > 0 && stream.Read(buffer.data(), size) != size)
        ZEP_PANIC("Stream read error");
    LoadFromMemory(buffer.data(), size, imageType);
}

void MemoryTexture::LoadFromMemory(const void* data, int32_t size, int32_t imageType) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    switch (imageType) {
        case IMAGE_PNG:
            LoadPNG(bytes, size);
            return;
        case IMAGE_DDS:
            LoadDDS(bytes, size);
            return;
        case IMAGE_PVR:
            LoadPVR(bytes, size);
            return;
        default:
            ZEP_PANIC("Invalid image type");
    }
}

int64_t MemoryTexture::ReadLevels(const uint8_t* data, int32_t size, int64_t offset, const char* headerText) {
    // The file must hold every level before any is copied: a header that promises
    // more than the file carries is as bad as a broken one.
    int64_t end = offset;
    for (int32_t level = 0; level < mipCount; ++level)
        end += GetMipLevelSize(level);
    if (end > size)
        ZEP_PANIC(headerText);
    if (width <= 0 || height <= 0)
        return offset;
    for (int32_t level = 0; level < mipCount; ++level) {
        const int32_t levelSize = GetMipLevelSize(level);
        std::memcpy(levels[level], data + offset, static_cast<size_t>(levelSize));
        offset += levelSize;
    }
    return offset;
}

// DDS: a 128-byte header ("DDS ", header size 124) and the levels one after another.
void MemoryTexture::LoadDDS(const uint8_t* data, int32_t size) {
    static const char kInvalidHeader[] = "Invalid DDS header";
    const int32_t kHeaderSize = 128;
    if (size < kHeaderSize || std::memcmp(data, "DDS ", 4) != 0 || ReadU32(data + 4) != 124)
        ZEP_PANIC(kInvalidHeader);
    const int32_t imageHeight = ToInt32(ReadU32(data + 12));
    const int32_t imageWidth = ToInt32(ReadU32(data + 16));
    const uint32_t headerMipCount = ReadU32(data + 28);
    const uint32_t pixelFlags = ReadU32(data + 80);
    const uint8_t* fourCC = data + 84;
    const uint32_t rgbBitCount = ReadU32(data + 88);

    int32_t imageFormat = FORMAT_ARGB8888;
    if (pixelFlags & 0x4) {
        if (std::memcmp(fourCC, "DXT1", 4) == 0)
            imageFormat = FORMAT_DXT1;
        else if (std::memcmp(fourCC, "DXT3", 4) == 0)
            imageFormat = FORMAT_DXT3;
        else if (std::memcmp(fourCC, "DXT5", 4) == 0)
            imageFormat = FORMAT_DXT5;
        else
            ZEP_PANIC("Unsupported DXT format");
    } else if ((pixelFlags & 0x40) && rgbBitCount == 32) {
        imageFormat = FORMAT_ARGB8888;
    } else if ((pixelFlags & 0x40) && rgbBitCount == 16) {
        imageFormat = FORMAT_ARGB4444;
    } else {
        ZEP_PANIC("Unsupported DDS pixel format");
    }
    // Counts beyond what Create accepts fail its assertion.
    const int32_t levelCount = headerMipCount > 1 ? ToInt32(std::min<uint32_t>(headerMipCount, 0x7FFFFFFF)) : 1;
    Create(imageWidth, imageHeight, imageFormat, levelCount);
    ReadLevels(data, size, kHeaderSize, kInvalidHeader);
}

// PVR version 2: a 52-byte header ("PVR!" at 44), the levels, and an optional hit mask.
void MemoryTexture::LoadPVR(const uint8_t* data, int32_t size) {
    static const char kInvalidHeader[] = "Invalid PVR header";
    const int32_t kHeaderSize = 52;
    if (size < kHeaderSize || ReadU32(data) != uint32_t(kHeaderSize) || std::memcmp(data + 44, "PVR!", 4) != 0 ||
        ReadU32(data + 48) == 0)
        ZEP_PANIC(kInvalidHeader);
    const int32_t imageHeight = ToInt32(ReadU32(data + 4));
    const int32_t imageWidth = ToInt32(ReadU32(data + 8));
    const uint32_t headerMipCount = ReadU32(data + 12);
    const uint32_t flags = ReadU32(data + 16);
    const uint32_t alphaMask = ReadU32(data + 40);
    const uint32_t surfaceCount = ReadU32(data + 48);
    const uint32_t pixelType = flags & 0xFF;

    if ((flags & 0x200) && pixelType != 24 && pixelType != 25)
        ZEP_PANIC("PVR uncompressed texture should be untwiddled.\n");
    if (flags & 0x1000)
        ZEP_PANIC("Cubemaps are not supported.\n");
    if (surfaceCount != 1)
        ZEP_PANIC("Multi-surface pvr files are not supported.\n");

    int32_t imageFormat = FORMAT_ARGB8888;
    switch (pixelType) {
        case 16:
            imageFormat = FORMAT_ARGB4444;
            break;
        case 18:
            imageFormat = FORMAT_ARGB8888;
            break;
        case 19:
            imageFormat = FORMAT_RGB565;
            break;
        case 21:
            imageFormat = FORMAT_RGB888;
            break;
        case 24:
            imageFormat = alphaMask ? FORMAT_PVRTC2_RGBA : FORMAT_PVRTC2_RGB;
            break;
        case 25:
            imageFormat = alphaMask ? FORMAT_PVRTC4_RGBA : FORMAT_PVRTC4_RGB;
            break;
        default:
            ZEP_PANIC("Unsupported PVR pixel format");
    }
    // The header counts the levels below the first; counts beyond what Create
    // accepts fail its assertion.
    const int32_t levelCount = (flags & 0x100) ? ToInt32(std::min<uint32_t>(headerMipCount, 0x7FFFFFFE) + 1) : 1;
    Create(imageWidth, imageHeight, imageFormat, levelCount);
    const int64_t end = ReadLevels(data, size, kHeaderSize, kInvalidHeader);
    if (end < size) {
        delete hitMask;
        hitMask = nullptr;
        hitMask = new HitMaskTexture(data + end, static_cast<int32_t>(size - end), width, height);
    }
}

// --- PNG ---------------------------------------------------------------------------

namespace {

enum PngOutcome { PNG_DECODED, PNG_NOT_INITIALISED, PNG_FAILED };

// libpng's own default limit on a chunk read or decompressed into memory.
const png_alloc_size_t kMaxPngChunkBytes = 8000000;
// Room above that for libpng's own structures.
const png_alloc_size_t kPngAllocationSlack = 1 << 20;

// Everything one decoding needs; nothing is shared between decodings, which run on
// the preloading thread as well as on the game thread.
struct PngDecoding {
    const uint8_t* data;
    size_t size;
    size_t offset;
    png_structp png;
    png_infop info;
    png_uint_32 width;
    png_uint_32 height;
    int colourType;
    png_bytepp rows;
    char errorText[256];
};

// libpng's error callback: keeps the text and jumps back to DecodePng, so no C++
// exception ever travels through libpng's frames.
void PngErrorCallback(png_structp png, png_const_charp message) {
    PngDecoding* decoding = static_cast<PngDecoding*>(png_get_error_ptr(png));
    std::snprintf(decoding->errorText, sizeof(decoding->errorText), "%s", message ? message : "");
    png_longjmp(png, 1);
}

void PngWarningCallback(png_structp, png_const_charp message) {
    char text[320];
    std::snprintf(text, sizeof(text), "Encountered libpng warning: \"%s\"\n", message ? message : "");
    try {
        LogWarning(text);
    } catch (...) {
        // Nothing may leave through libpng.
    }
}

// The engine's memory for libpng: the global operators, which the player serves from
// its default heap. A null answer makes libpng report an error.
//
// libpng takes a chunk's length from the file and allocates that much before it reads
// the chunk (this build does so even past its chunk limit), so a file of a few bytes
// could ask for 4 GiB. No block a sound file needs is larger than the file itself, or
// than the limit on a decompressed chunk; larger requests are answered with null.
png_voidp PngAllocate(png_structp png, png_alloc_size_t size) {
    const PngDecoding* decoding = static_cast<const PngDecoding*>(png_get_mem_ptr(png));
    if (size > std::max<size_t>(decoding->size, kMaxPngChunkBytes) + kPngAllocationSlack)
        return nullptr;
    return ::operator new(size, std::nothrow);
}

void PngFree(png_structp, png_voidp block) {
    ::operator delete(block);
}

void PngReadCallback(png_structp png, png_bytep out, png_size_t length) {
    PngDecoding* decoding = static_cast<PngDecoding*>(png_get_io_ptr(png));
    // The data ends where the file ended: a truncated file is an error, not a read
    // past the buffer.
    if (length > decoding->size - decoding->offset)
        png_error(png, "Read past the end of the PNG data");
    std::memcpy(out, decoding->data + decoding->offset, length);
    decoding->offset += length;
}

// Runs libpng over the data. It calls setjmp, so it holds nothing with a destructor;
// the caller destroys the structures whatever the outcome.
PngOutcome DecodePng(PngDecoding* decoding) {
    decoding->png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, decoding, PngErrorCallback, PngWarningCallback,
                                             decoding, PngAllocate, PngFree);
    if (!decoding->png)
        return PNG_NOT_INITIALISED;
    decoding->info = png_create_info_struct(decoding->png);
    if (!decoding->info)
        return PNG_NOT_INITIALISED;
    if (setjmp(png_jmpbuf(decoding->png)))
        return PNG_FAILED;
    png_set_read_fn(decoding->png, decoding, PngReadCallback);
    png_set_chunk_malloc_max(decoding->png, kMaxPngChunkBytes);
    png_read_png(decoding->png, decoding->info, PNG_TRANSFORM_STRIP_16 | PNG_TRANSFORM_PACKING | PNG_TRANSFORM_EXPAND,
                 nullptr);
    int bitDepth = 0;
    png_get_IHDR(decoding->png, decoding->info, &decoding->width, &decoding->height, &bitDepth, &decoding->colourType,
                 nullptr, nullptr, nullptr);
    decoding->rows = png_get_rows(decoding->png, decoding->info);
    return PNG_DECODED;
}

// Destroys the libpng structures of a decoding when it goes, or earlier on request.
class PngStructures {
public:
    explicit PngStructures(PngDecoding& decoding) : decoding(decoding) {}
    ~PngStructures() { Destroy(); }
    void Destroy() {
        if (decoding.png)
            png_destroy_read_struct(&decoding.png, decoding.info ? &decoding.info : nullptr, nullptr);
        decoding.png = nullptr;
        decoding.info = nullptr;
    }

private:
    PngDecoding& decoding;
};

}  // namespace

void MemoryTexture::LoadPNG(const uint8_t* data, int32_t size) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        ZEP_PANIC("Invalid PNG header");
    // libpng allocates the rows of the whole image before it decodes any, so a file of
    // a few bytes claiming a huge size would take all memory: the size in the header
    // chunk, which comes first, is checked as the texture will check it. A header whose
    // checksum is wrong is left to libpng, which reports it.
    if (size >= 33 && ReadU32BigEndian(data + 8) == 13 && std::memcmp(data + 12, "IHDR", 4) == 0 &&
        crc32(0, data + 12, 17) == ReadU32BigEndian(data + 29))
        CheckImageSize(ToInt32(ReadU32BigEndian(data + 16)), ToInt32(ReadU32BigEndian(data + 20)));
    PngDecoding decoding = {};
    decoding.data = data;
    decoding.size = static_cast<size_t>(size);
    PngStructures structures(decoding);
    const PngOutcome outcome = DecodePng(&decoding);
    if (outcome == PNG_NOT_INITIALISED) {
        structures.Destroy();
        ZEP_PANIC("Failed to initialize PNG decoder");
    }
    if (outcome == PNG_FAILED) {
        structures.Destroy();
        ZEP_PANIC(Sprintf("Zep::Detail::PngPostDecoder(): encountered libpng error: \"%s\"", decoding.errorText));
    }
    int32_t bytesPerPixel = 0;
    int32_t imageFormat = FORMAT_ARGB8888;
    if (decoding.colourType == PNG_COLOR_TYPE_RGB) {
        imageFormat = FORMAT_RGB888;
        bytesPerPixel = 3;
    } else if (decoding.colourType == PNG_COLOR_TYPE_RGB_ALPHA) {
        imageFormat = FORMAT_ARGB8888;
        bytesPerPixel = 4;
    } else {
        structures.Destroy();
        ZEP_PANIC("Unsupported PNG color type");
    }
    Create(ToInt32(decoding.width), ToInt32(decoding.height), imageFormat, 1);
    // Rows come as R, G, B(, A); the formats store B, G, R(, A).
    const int32_t pitch = GetRowPitch();
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = decoding.rows[y];
        uint8_t* out = levels[0] + int64_t(y) * pitch;
        if (bytesPerPixel == 4) {
            for (int32_t x = 0; x < width; ++x, in += 4, out += 4) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                out[3] = in[3];
            }
        } else {
            for (int32_t x = 0; x < width; ++x, in += 3, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        }
    }
}

}  // namespace Zep
