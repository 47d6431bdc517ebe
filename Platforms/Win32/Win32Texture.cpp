#include "Platforms/Win32/Win32Texture.h"

#include <algorithm>

#include <d3dx8.h>

#include "Common/CoreUtils.h"
#include "Common/TextureManager.h"
#include "LumoSources/Common/LumoCommon.h"
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8Device.h"
#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"

namespace Zep {
namespace Win32 {

namespace {

// Texture creation is tried this often, the texture manager unloading unused textures
// between tries while video memory runs out.
const int kCreationAttempts = 4;
const int32_t kDrainPercent = 25;

DX8Renderer* Renderer() {
    return static_cast<DX8Renderer*>(Lumo::InstanceHolder<PlatformRenderer>::Get());
}

IDirect3DTexture8* CreateD3DTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
    IDirect3DDevice8* device = Renderer()->GetDevice();
    for (int attempt = 1;; ++attempt) {
        IDirect3DTexture8* made = nullptr;
        const HRESULT result = D3DXCreateTexture(device, width, height, levels, usage, format, pool, &made);
        if (SUCCEEDED(result))
            return made;
        if (result != D3DERR_OUTOFVIDEOMEMORY && result != E_OUTOFMEMORY)
            ZEP_PANIC("Failed to create Direct3D texture: unknown error");
        if (attempt == kCreationAttempts)
            ZEP_PANIC("Failed to create Direct3D texture: not enough memory");
        TextureManager::GetInstance()->Drain(kDrainPercent);
    }
}

int32_t RoundUpToBlock(int32_t n) {
    return (n + 3) & ~3;
}

}  // namespace

D3DFORMAT GetD3DFormat(int32_t format) {
    switch (format) {
        case FORMAT_ARGB8888:
            return D3DFMT_A8R8G8B8;
        case FORMAT_ARGB4444:
            return D3DFMT_A4R4G4B4;
        case FORMAT_RGB888:
            return D3DFMT_R8G8B8;
        case FORMAT_RGB565:
            return D3DFMT_R5G6B5;
        case FORMAT_DXT1:
            return D3DFMT_DXT1;
        case FORMAT_DXT3:
            return D3DFMT_DXT3;
        case FORMAT_DXT5:
            return D3DFMT_DXT5;
        default:
            ZEP_PANIC("GetD3DFormat(): Invalid texture format");
    }
}

bool IsFormatSupported(int32_t format) {
    DX8Renderer* renderer = Renderer();
    Win32DX8Device* device = renderer->GetCurrentDevice();
    ZEP_ASSERT(device && renderer->GetDirect3D());
    return SUCCEEDED(renderer->GetDirect3D()->CheckDeviceFormat(0, D3DDEVTYPE_HAL, device->GetDisplayFormat(), 0,
                                                                D3DRTYPE_TEXTURE, GetD3DFormat(format)));
}

int32_t ChooseFormat(int32_t format) {
    if (IsFormatSupported(format))
        return format;
    switch (format) {
        case FORMAT_ARGB4444:
        case FORMAT_RGB888:
        case FORMAT_DXT1:
        case FORMAT_DXT3:
        case FORMAT_DXT5:
            if (IsFormatSupported(FORMAT_ARGB8888))
                return FORMAT_ARGB8888;
            break;
        default:
            break;
    }
    ZEP_PANIC("Your video card doesn't support the game texture format. Please update your video card driver");
}

int32_t NextPowerOfTwo(int32_t n) {
    uint32_t v = static_cast<uint32_t>(n) - 1;
    v |= v >> 1;
    v |= v >> 2;
    v |= v >> 4;
    v |= v >> 8;
    v |= v >> 16;
    return static_cast<int32_t>(v + 1);
}

// --- PlainTexture ----------------------------------------------------------------------

PlainTexture::PlainTexture() : texture(nullptr), memoryCopy(nullptr) {}

PlainTexture::~PlainTexture() {
    if (texture)
        texture->Release();
    delete memoryCopy;
}

int32_t PlainTexture::GetMemorySize() {
    return Texture::GetMemorySize() + (memoryCopy ? memoryCopy->GetMemorySize() : 0);
}

void* PlainTexture::GetSystemHandle() {
    return texture;
}

void PlainTexture::GetPixel(uint32_t& colour, int32_t x, int32_t y) {
    if (memoryCopy)
        memoryCopy->GetPixel(colour, x, y);
    else
        colour = 0xFFFFFFFFu;
}

bool PlainTexture::HasMemoryCopy() {
    return memoryCopy != nullptr;
}

void PlainTexture::CreateFromMemoryTexture(MemoryTexture* source, uint32_t flags) {
    if (texture) {
        texture->Release();
        texture = nullptr;
    }
    delete memoryCopy;
    memoryCopy = nullptr;
    if (flags & FLAG_PIXEL_ACCESS) {
        memoryCopy = new MemoryTexture();
        memoryCopy->CopyFrom(*source);
    }

    width = source->GetWidth();
    height = source->GetHeight();
    SetScale(source->GetUScale(), source->GetVScale());
    format = ChooseFormat(source->GetFormat());
    allocatedWidth = NextPowerOfTwo(width);
    allocatedHeight = NextPowerOfTwo(height);

    int32_t levels = 1;
    bool generate = false;
    if (flags & FLAG_MIPMAPS) {
        generate = source->GetMipCount() < 2;
        levels = generate ? 0 : source->GetMipCount();  // 0: the whole chain
    }
    texture = CreateD3DTexture(static_cast<UINT>(allocatedWidth), static_cast<UINT>(allocatedHeight),
                               static_cast<UINT>(levels), 0, GetD3DFormat(format), D3DPOOL_MANAGED);
    UploadLevel(*source, 0);
    if (generate) {
        ZEP_ASSERT_MSG(SUCCEEDED(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT)),
                       "Failed to generate mip levels");
        return;
    }
    for (int32_t level = 1; level < levels; ++level)
        UploadLevel(*source, level);
}

void PlainTexture::UploadLevel(const MemoryTexture& source, int32_t level) {
    IDirect3DSurface8* surface = nullptr;
    ZEP_ASSERT_MSG(SUCCEEDED(texture->GetSurfaceLevel(static_cast<UINT>(level), &surface)),
                   "Failed to get D3D surface");
    const int32_t sourceFormat = source.GetFormat();
    const int32_t bits = GetBitsPerPixel(sourceFormat);
    int32_t w = std::max(1, source.GetAllocatedWidth() >> level);
    int32_t h = std::max(1, source.GetAllocatedHeight() >> level);
    UINT pitch;
    if (IsDXTFormat(sourceFormat)) {
        // One row of 4 x 4 blocks. Blocks are loaded whole: the rectangle reaches the
        // edge of the last block, or the edge of a level smaller than a block.
        pitch = static_cast<UINT>(bits * RoundUpToBlock(w) * 4 / 8);
        w = std::min(RoundUpToBlock(w), std::max(1, allocatedWidth >> level));
        h = std::min(RoundUpToBlock(h), std::max(1, allocatedHeight >> level));
    } else {
        pitch = static_cast<UINT>(bits * w / 8);
    }
    const RECT rect = {0, 0, w, h};
    const HRESULT result =
        D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, source.GetMipLevel(level), GetD3DFormat(sourceFormat),
                                  pitch, nullptr, &rect, D3DX_FILTER_NONE, 0);
    surface->Release();
    ZEP_ASSERT_MSG(SUCCEEDED(result), "Failed to load direct3D texture");
}

// --- RenderTargetTexture ---------------------------------------------------------------

RenderTargetTexture::RenderTargetTexture(int32_t width, int32_t height) : texture(nullptr) {
    this->width = allocatedWidth = NextPowerOfTwo(width);
    this->height = allocatedHeight = NextPowerOfTwo(height);
    format = ChooseFormat(FORMAT_ARGB8888);
    SetScale(1.0f, 1.0f);
    Renderer()->AddDiscardableResource(this);
}

RenderTargetTexture::~RenderTargetTexture() {
    if (PlatformRenderer* renderer = rendererSubsystem.GetInstance())
        renderer->RemoveDiscardableResource(this);
    Discard();
}

void* RenderTargetTexture::GetSystemHandle() {
    if (!texture)
        texture = CreateD3DTexture(static_cast<UINT>(allocatedWidth), static_cast<UINT>(allocatedHeight), 1,
                                   D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    return texture;
}

void RenderTargetTexture::Discard() {
    if (texture) {
        texture->Release();
        texture = nullptr;
    }
}

}  // namespace Win32
}  // namespace Zep
