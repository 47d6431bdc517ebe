// Surfaces: back buffers (framebuffers OpenGL draws into) and image surfaces (system memory).
#pragma once

#include <cstdint>

#include "ComObject.h"
#include "Formats.h"
#include "GlFunctions.h"
#include "d3d8.h"

namespace D3D8Internal {

class TextureImpl;

class SurfaceImpl : public IDirect3DSurface8, public ComObject {
public:
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    const D3DSURFACE_DESC& Desc() const { return desc_; }
    virtual bool IsLocked() const { return locked_; }
    // The texture whose level the surface is, else null.
    virtual TextureImpl* Container() const { return nullptr; }
    virtual UINT Level() const { return 0; }
    // The framebuffer that draws into the surface, top row first; 0 when it cannot be a
    // render target.
    virtual GLuint Framebuffer() const { return 0; }
    // The pixels of a surface in system memory, top row first, and their row pitch; null
    // for a surface that has none.
    virtual uint8_t* Memory() { return nullptr; }
    virtual UINT Pitch() const { return 0; }

protected:
    SurfaceImpl(D3DFORMAT format, DWORD usage, D3DPOOL pool, UINT width, UINT height);
    // Locks a rectangle already checked to lie inside the surface; only lockable kinds
    // override it.
    virtual HRESULT LockPixels(const RECT& rect, DWORD flags, D3DLOCKED_RECT* locked);
    virtual void UnlockPixels() {}

    D3DSURFACE_DESC desc_;

private:
    bool locked_ = false;
};

// A swap chain's back buffer: a framebuffer of the back-buffer size with an RGB8 colour
// buffer (destination alpha reads 1, as on X8R8G8B8), cleared to black when made.
class BackBufferSurface : public SurfaceImpl {
public:
    // Needs the context current. D3DERR_OUTOFVIDEOMEMORY when OpenGL cannot allocate it.
    static HRESULT Create(UINT width, UINT height, D3DFORMAT format, BackBufferSurface** surface);
    GLuint Framebuffer() const override { return framebuffer_; }

private:
    BackBufferSurface(UINT width, UINT height, D3DFORMAT format);
    void Free() override;

    GLuint framebuffer_ = 0;
    GLuint colorBuffer_ = 0;
};

// A lockable surface in system memory (CreateImageSurface).
class ImageSurface : public SurfaceImpl {
public:
    // D3DERR_INVALIDCALL for a size of 0 or above the limit, or a format the layer cannot store.
    static HRESULT Create(UINT width, UINT height, D3DFORMAT format, ImageSurface** surface);
    uint8_t* Memory() override { return pixels_.data(); }
    UINT Pitch() const override { return pitch_; }

private:
    ImageSurface(UINT width, UINT height, const FormatInfo& info);
    HRESULT LockPixels(const RECT& rect, DWORD flags, D3DLOCKED_RECT* locked) override;
    void Free() override;

    const FormatInfo& info_;
    UINT pitch_;
    SystemVector<uint8_t> pixels_;
};

}  // namespace D3D8Internal
