// Stand-in (Direct3D textures, replaced by their issue): the smallest Direct3D textures
// the texture manager's stand-in hands out, each made on first use. Images become
// A8R8G8B8 textures of the next powers of two; render targets are given up when the
// device is reset.
#include <d3dx8.h>

#include <cstring>

#include "Common/CoreUtils.h"
#include "Common/Texture.h"
#include "LumoSources/Common/LumoCommon.h"
#include "LumoSources/Common/PlatformRenderer.h"
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"

namespace Zep {
namespace Win32 {

namespace {

int32_t NextPowerOfTwo(int32_t value) {
    int32_t result = 1;
    while (result < value)
        result <<= 1;
    return result;
}

IDirect3DDevice8* CurrentDevice() {
    return static_cast<DX8Renderer*>(Lumo::InstanceHolder<PlatformRenderer>::Get())->GetDevice();
}

// Keeps the image and makes its Direct3D texture on first use.
class StandInImageTexture : public Texture {
public:
    explicit StandInImageTexture(MemoryTexture& source) {
        image.CopyFrom(source);
        width = source.GetWidth();
        height = source.GetHeight();
        allocatedWidth = NextPowerOfTwo(width);
        allocatedHeight = NextPowerOfTwo(height);
        uScale = source.GetUScale();
        vScale = source.GetVScale();
        format = FORMAT_ARGB8888;
    }
    ~StandInImageTexture() override {
        if (texture)
            texture->Release();
    }
    void* GetSystemHandle() override {
        if (texture)
            return texture;
        if (D3DXCreateTexture(CurrentDevice(), allocatedWidth, allocatedHeight, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                              &texture) < 0)
            ZEP_PANIC("Failed to create Direct3D texture: unknown error");
        D3DLOCKED_RECT locked;
        if (texture->LockRect(0, &locked, nullptr, 0) < 0)
            ZEP_PANIC("Failed to load direct3D texture");
        for (int32_t y = 0; y < height; ++y) {
            uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (int32_t x = 0; x < width; ++x)
                image.GetPixel(row[x], x, y);
        }
        texture->UnlockRect(0);
        return texture;
    }
    void GetPixel(uint32_t& colour, int32_t x, int32_t y) override { image.GetPixel(colour, x, y); }

private:
    MemoryTexture image;
    IDirect3DTexture8* texture = nullptr;
};

class StandInRenderTarget : public Texture, public DiscardableResource {
public:
    StandInRenderTarget(int32_t w, int32_t h) {
        width = allocatedWidth = NextPowerOfTwo(w);
        height = allocatedHeight = NextPowerOfTwo(h);
        format = FORMAT_ARGB8888;
        if (PlatformRenderer* renderer = rendererSubsystem.GetInstance())
            renderer->AddDiscardableResource(this);
    }
    ~StandInRenderTarget() override {
        Discard();
        if (PlatformRenderer* renderer = rendererSubsystem.GetInstance())
            renderer->RemoveDiscardableResource(this);
    }
    void* GetSystemHandle() override {
        if (!texture && D3DXCreateTexture(CurrentDevice(), allocatedWidth, allocatedHeight, 1, D3DUSAGE_RENDERTARGET,
                                          D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture) < 0)
            ZEP_PANIC("Failed to create Direct3D texture: unknown error");
        return texture;
    }
    void Discard() override {
        if (texture)
            texture->Release();
        texture = nullptr;
    }

private:
    IDirect3DTexture8* texture = nullptr;
};

}  // namespace

Texture* CreateImageTextureStandIn(MemoryTexture& source) {
    return new StandInImageTexture(source);
}

Texture* CreateRenderTargetTextureStandIn(int32_t width, int32_t height) {
    return new StandInRenderTarget(width, height);
}

}  // namespace Win32
}  // namespace Zep
