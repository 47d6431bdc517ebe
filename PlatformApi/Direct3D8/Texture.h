// Textures: an OpenGL texture with storage for every mip level; locks go through a
// staging copy in system memory. Level 0 of a render-target texture is also a framebuffer.
#pragma once

#include <cstdint>
#include <memory>

#include "ComObject.h"
#include "Formats.h"
#include "GlFunctions.h"
#include "Surface.h"
#include "SwapChain.h"
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

// The answer of CheckDeviceFormat for textures of the format with the usage (0 or
// D3DUSAGE_RENDERTARGET), PlatformTest::SetFormatSupported included.
HRESULT TextureFormatAnswer(D3DFORMAT format, DWORD usage);

class LevelSurface;

class TextureImpl : public IDirect3DTexture8, public ComObject {
public:
    // Needs the context current. levels 0 (or more than the chain has) makes the whole
    // chain down to 1 x 1; every level starts transparent black.
    static HRESULT Create(const std::shared_ptr<DeviceShared>& device, UINT width, UINT height, UINT levels,
                          DWORD usage, D3DFORMAT format, D3DPOOL pool, TextureImpl** texture);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    // The work of LockRect and UnlockRect, for the texture and its level surfaces.
    HRESULT LockLevel(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockLevel(UINT level);
    bool IsLevelLocked(UINT level) const { return level < levels_.size() && levels_[level].locked; }

    // D3DXLoadSurfaceFromMemory into the top-left corner of a level: the source rectangle
    // sourceRect of memory in sourceFormat, rows (or rows of blocks) pitch bytes apart.
    HRESULT LoadLevel(UINT level, const uint8_t* source, D3DFORMAT sourceFormat, UINT pitch, const RECT& sourceRect);
    // D3DXFilterTexture: every level below 0 box-filtered from the one above.
    HRESULT FilterLevels();
    // Reset: the pixels of a default-pool texture are given up (the storage stays, with
    // undefined contents).
    void DropContents();

    GLuint Name() const { return name_; }
    // The framebuffer of level 0 of a render-target texture, else 0.
    GLuint Framebuffer() const { return framebuffer_; }
    UINT LevelCount() const { return static_cast<UINT>(levels_.size()); }
    D3DSURFACE_DESC LevelDesc(UINT level) const;
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
        LevelSurface* surface = nullptr;
    };

    TextureImpl(const FormatInfo& info, DWORD usage, D3DPOOL pool);
    void Free() override;
    // OpenGL storage of every level, filled transparent black, and the framebuffer of a
    // render target.
    HRESULT Allocate();
    void FillLevel(UINT level);
    // width x height pixels at (0, top) of a level, in the layout of the Direct3D format
    // with the pitch of RowPitch: stored as they stand, or decoded when DXT is held
    // uncompressed. top and height are on block bounds for DXT.
    void UploadRect(UINT level, UINT top, UINT width, UINT height, const uint8_t* pixels);
    // Pixels of a level as OpenGL holds them, in the storage's layout.
    void ReadLevel(UINT level, uint8_t* pixels);
    // Holds a DXT texture as A8R8G8B8 from now on, level 0 decoded into argb.
    HRESULT Widen(const uint8_t* argb);
    bool Widened() const { return storage_ != &info_; }

    const FormatInfo& info_;
    // How OpenGL holds the pixels: the format itself, or A8R8G8B8 for a DXT texture whose
    // levels D3DXFilterTexture made.
    const FormatInfo* storage_;
    DWORD usage_;
    D3DPOOL pool_;
    std::shared_ptr<DeviceShared> device_;
    GLuint name_ = 0;
    GLuint framebuffer_ = 0;
    SystemVector<Level> levels_;
    // OpenGL's own defaults until the first draw sets them.
    SamplerState sampler_ = {GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT};
};

// The surface of one texture level (GetSurfaceLevel): made once per level and owned by the
// texture. Its references are the texture's, so a surface held keeps its texture alive.
class LevelSurface : public SurfaceImpl {
public:
    LevelSurface(TextureImpl* texture, UINT level);

    ULONG AddReference() override;
    ULONG ReleaseReference() override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;
    bool IsLocked() const override;
    TextureImpl* Container() const override { return texture_; }
    UINT Level() const override { return level_; }
    GLuint Framebuffer() const override { return level_ == 0 ? texture_->Framebuffer() : 0; }
    // The texture gives the surface up when it is freed itself.
    void Detach();

private:
    void Free() override {}

    TextureImpl* texture_;
    UINT level_;
};

}  // namespace D3D8Internal
