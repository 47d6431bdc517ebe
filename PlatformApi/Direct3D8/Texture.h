// Textures: an OpenGL texture with storage for every mip level; locks go through a
// staging copy in system memory.
#pragma once

#include <cstdint>

#include "ComObject.h"
#include "Formats.h"
#include "GlFunctions.h"
#include "Surface.h"
#include "d3d8.h"

namespace D3D8Internal {

// How a stage samples its texture, in OpenGL's terms.
struct SamplerState {
    GLint minFilter;
    GLint magFilter;
    GLint wrapS;
    GLint wrapT;
    bool operator==(const SamplerState& other) const {
        return minFilter == other.minFilter && magFilter == other.magFilter && wrapS == other.wrapS &&
               wrapT == other.wrapT;
    }
    bool operator!=(const SamplerState& other) const { return !(*this == other); }
};

class TextureImpl : public IDirect3DTexture8, public ComObject {
public:
    // Needs the context current. levels 0 (or more than the chain has) makes the whole
    // chain down to 1 x 1; every level starts transparent black.
    static HRESULT Create(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          TextureImpl** texture);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    GLuint Name() const { return name_; }
    // The framebuffer that draws into level 0 of a render-target texture, else 0.
    GLuint Framebuffer() const { return framebuffer_; }
    D3DFORMAT Format() const { return info_.format; }
    DWORD Usage() const { return usage_; }
    D3DPOOL Pool() const { return pool_; }
    UINT LevelWidth(UINT level) const { return levels_[level].width; }
    UINT LevelHeight(UINT level) const { return levels_[level].height; }
    UINT LevelCount() const { return static_cast<UINT>(levels_.size()); }
    // Sets the sampling parameters that differ from those last set; the texture must be
    // bound on the selected unit.
    void ApplySampler(const SamplerState& wanted);

private:
    struct Level {
        UINT width = 0;
        UINT height = 0;
        bool locked = false;
        DWORD lockFlags = 0;
        RECT lockRect = {0, 0, 0, 0};
        SystemVector<uint8_t> staging;
    };

    TextureImpl(const FormatInfo& info, DWORD usage, D3DPOOL pool);
    void Free() override;

    const FormatInfo& info_;
    DWORD usage_;
    D3DPOOL pool_;
    GLuint name_ = 0;
    GLuint framebuffer_ = 0;
    SystemVector<Level> levels_;
    // OpenGL's own defaults until the first draw sets them.
    SamplerState sampler_ = {GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT};
};

// A level of a texture as a surface. It holds a reference to its texture; level 0 of a
// render-target texture draws through the texture's framebuffer.
class TextureLevelSurface : public SurfaceImpl {
public:
    TextureLevelSurface(TextureImpl* texture, UINT level);
    GLuint Framebuffer() const override { return level_ == 0 ? texture_->Framebuffer() : 0; }

private:
    void Free() override;

    TextureImpl* texture_;
    UINT level_;
};

}  // namespace D3D8Internal
