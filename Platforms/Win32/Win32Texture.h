// Direct3D textures: images made from memory textures in a format the video card takes,
// and the render-target textures the renderer draws into.
#pragma once

#include <cstdint>

#include <d3d8.h>

#include "Common/Texture.h"
#include "LumoSources/Common/PlatformRenderer.h"

namespace Zep {
namespace Win32 {

// The Direct3D format of a pixel format; formats without one panic.
D3DFORMAT GetD3DFormat(int32_t format);
// Whether the current device's adapter makes textures of the format.
bool IsFormatSupported(int32_t format);
// The format a texture of the given format is made in: formats with a 32-bit form fall
// back to FORMAT_ARGB8888; a format left unsupported panics.
int32_t ChooseFormat(int32_t format);
// The smallest power of two not below n (1 stays 1; 0 gives 0).
int32_t NextPowerOfTwo(int32_t n);

// An image in a managed Direct3D texture, with an optional copy of its pixels.
class PlainTexture : public Zep::PlainTexture {
public:
    PlainTexture();
    ~PlainTexture() override;

    // The texture's level 0 plus the memory copy.
    int32_t GetMemorySize() override;
    void* GetSystemHandle() override;
    // From the memory copy; opaque white without one.
    void GetPixel(uint32_t& colour, int32_t x, int32_t y) override;
    bool HasMemoryCopy() override;
    void CreateFromMemoryTexture(MemoryTexture* source, uint32_t flags) override;

    PlainTexture(const PlainTexture&) = delete;
    PlainTexture& operator=(const PlainTexture&) = delete;

private:
    void UploadLevel(const MemoryTexture& source, int32_t level);

    IDirect3DTexture8* texture;
    MemoryTexture* memoryCopy;
};

// A texture the renderer draws into, in the default pool: a device reset takes its
// Direct3D texture, and the next use makes a new one (whose texels are undefined).
class RenderTargetTexture : public Zep::RenderTargetTexture, public DiscardableResource {
public:
    // The size is rounded up to powers of two; the renderer must exist.
    RenderTargetTexture(int32_t width, int32_t height);
    ~RenderTargetTexture() override;

    // Makes the Direct3D texture when none is held.
    void* GetSystemHandle() override;
    void Discard() override;

    RenderTargetTexture(const RenderTargetTexture&) = delete;
    RenderTargetTexture& operator=(const RenderTargetTexture&) = delete;

private:
    IDirect3DTexture8* texture;
};

}  // namespace Win32
}  // namespace Zep
