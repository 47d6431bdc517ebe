// Textures: pixel formats, the in-memory image with its mip chain, hit masks and
// the DDS, PVR and PNG readers that fill a memory image.
#pragma once

#include <cstdint>
#include <string>

namespace Zep {

class Stream;
class MemoryTexture;

// Pixel formats. Colours read back from any of them are 0xAARRGGBB values.
enum PixelFormat : int32_t {
    FORMAT_ARGB8888 = 0,     // bytes B, G, R, A
    FORMAT_ARGB4444 = 1,     // 16-bit word: A 12-15, R 8-11, G 4-7, B 0-3
    FORMAT_RGB888 = 2,       // bytes B, G, R
    FORMAT_RGB565 = 3,       // 16-bit word: R 11-15, G 5-10, B 0-4
    FORMAT_RGB5A3 = 4,       // 16-bit word in 4 x 4 tiles; bit 15: opaque 555, else A3 R4 G4 B4
    FORMAT_DXT1 = 5,         // 8-byte blocks of 4 x 4 pixels
    FORMAT_DXT3 = 6,         // 16-byte blocks
    FORMAT_DXT5 = 7,         // 16-byte blocks
    FORMAT_PVRTC2_RGB = 8,   // 2 bits per pixel, opaque
    FORMAT_PVRTC2_RGBA = 9,  // 2 bits per pixel, with alpha
    FORMAT_PVRTC4_RGB = 10,  // 4 bits per pixel, opaque
    FORMAT_PVRTC4_RGBA = 11  // 4 bits per pixel, with alpha
};

// Bits per pixel of a format; 0 for a value that is no format.
int32_t GetBitsPerPixel(int32_t format);
bool IsDXTFormat(int32_t format);
bool IsPVRTCFormat(int32_t format);

// Image file types, told by the file's extension.
enum ImageType : int32_t { IMAGE_UNKNOWN = 0, IMAGE_PNG = 1, IMAGE_DDS = 2, IMAGE_PVR = 3 };

// "png", "dds" or "pvr" in any case; IMAGE_UNKNOWN for anything else.
int32_t GetImageType(const std::string& path);

// An image the renderer can draw.
class Texture {
public:
    Texture();
    virtual ~Texture();

    // Bits per pixel x allocated width x allocated height / 8.
    virtual int32_t GetMemorySize();
    // The platform object behind the texture.
    virtual void* GetSystemHandle() = 0;
    // The pixel as 0xAARRGGBB; opaque white unless a texture knows better.
    virtual void GetPixel(uint32_t& colour, int32_t x, int32_t y);

    // The first of name + ".dds", ".pvr", ".png" that the bundle system holds as a file.
    static bool FindImageFile(const std::string& name, std::string& path);

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetAllocatedWidth() const { return allocatedWidth; }
    int32_t GetAllocatedHeight() const { return allocatedHeight; }
    int32_t GetFormat() const { return format; }
    float GetUScale() const { return uScale; }
    float GetVScale() const { return vScale; }
    void SetScale(float u, float v) {
        uScale = u;
        vScale = v;
    }

    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

protected:
    float uScale;  // texture-coordinate scales
    float vScale;
    int32_t width;  // image size in pixels
    int32_t height;
    int32_t allocatedWidth;  // storage size, at least the image size
    int32_t allocatedHeight;
    int32_t format;  // PixelFormat
};

// A texture loaded from an image file into the platform's own form.
class PlainTexture : public Texture {
public:
    enum Flags : uint32_t {
        FLAG_MIPMAPS = 1,       // load or build mip levels
        FLAG_PIXEL_ACCESS = 2,  // keep a memory copy for GetPixel
    };

    virtual bool HasMemoryCopy() = 0;
    virtual void CreateFromMemoryTexture(MemoryTexture* source, uint32_t flags) = 0;

    // Flags from the folder attributes "PixelAccess" and "MipMaps" of the path.
    void LoadFromFile(const std::string& path);
    // Decodes the image into a temporary memory texture and builds from it.
    void LoadFromStream(Stream& stream, int32_t imageType, uint32_t flags);
};

// A texture the renderer draws into; the platform makes its storage.
class RenderTargetTexture : public Texture {};

// A hit mask: per row, runs of pixels outside and inside the shape.
// Data: one 32-bit little-endian offset per row (from the start of the data) to the
// row's run list; a run list is a sequence of byte lengths, alternating outside and
// inside and starting outside.
class HitMaskTexture : public Texture {
public:
    // Copies size bytes of data.
    HitMaskTexture(const void* data, int32_t size, int32_t width, int32_t height);
    ~HitMaskTexture() override;

    // The mask's byte size.
    int32_t GetMemorySize() override;
    void* GetSystemHandle() override;
    // 0xFFFFFFFF inside the shape, 0 outside it, outside the image, or where the
    // mask's offsets or runs end before the pixel.
    void GetPixel(uint32_t& colour, int32_t x, int32_t y) override;

    const uint8_t* GetData() const { return data; }
    int32_t GetDataSize() const { return dataSize; }

private:
    uint8_t* data;
    int32_t dataSize;
};

// An image in memory with up to twelve mip levels, read pixel by pixel.
class MemoryTexture : public Texture {
public:
    static const int32_t kMaxMipLevels = 12;

    MemoryTexture();
    ~MemoryTexture() override;

    void* GetSystemHandle() override;
    // 0 outside the image; compressed formats decode the pixel from the blocks around it.
    void GetPixel(uint32_t& colour, int32_t x, int32_t y) override;

    // Frees any data and makes mipCount zero-filled levels. Width and height lie in
    // [0, 4095], the mip count in [1, 11]. DXT formats allocate multiples of 4;
    // PVRTC images are square powers of two.
    void Create(int32_t width, int32_t height, int32_t format, int32_t mipCount);
    // Bytes of a level of this texture's allocated size and format.
    int32_t GetMipLevelSize(int32_t level) const;
    // The level's bytes (NULL beyond the mip count); a level outside 0..11 is an assertion.
    uint8_t* GetMipLevel(int32_t level);
    const uint8_t* GetMipLevel(int32_t level) const;
    // Bytes per row of level 0 (for block formats, per row of pixels).
    int32_t GetRowPitch() const;
    int32_t GetMipCount() const { return mipCount; }
    // Frees its data and copies the other's format, scales, sizes and levels (not its
    // hit mask); copies nothing when the other has no size or levels.
    void CopyFrom(const MemoryTexture& other);
    // The hit mask a PVR file carried after its levels, or NULL.
    HitMaskTexture* GetHitMask() const { return hitMask; }

    // Reads the file through a file stream; the type comes from its extension.
    void LoadFromFile(const std::string& path);
    // Reads the whole stream ("Stream read error" when it falls short), then decodes it.
    void LoadFromStream(Stream& stream, int32_t imageType);
    void LoadFromMemory(const void* data, int32_t size, int32_t imageType);

private:
    void FreeLevels();
    void LoadPNG(const uint8_t* data, int32_t size);
    void LoadDDS(const uint8_t* data, int32_t size);
    void LoadPVR(const uint8_t* data, int32_t size);
    // Copies the levels that follow one another from offset; returns the offset past
    // them. Data too short for them panics with headerText.
    int64_t ReadLevels(const uint8_t* data, int32_t size, int64_t offset, const char* headerText);

    uint8_t* levels[kMaxMipLevels];
    int32_t mipCount;
    HitMaskTexture* hitMask;
};

}  // namespace Zep
