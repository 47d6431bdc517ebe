#include "Surface.h"

#include "CallRecorder.h"
#include "Context.h"

namespace D3D8Internal {

SurfaceImpl::SurfaceImpl(D3DFORMAT format, DWORD usage, D3DPOOL pool, UINT width, UINT height) {
    const FormatInfo* info = FindFormat(format);
    desc_.Format = format;
    desc_.Type = D3DRTYPE_SURFACE;
    desc_.Usage = usage;
    desc_.Pool = pool;
    desc_.Size = info ? static_cast<UINT>(LevelBytes(*info, width, height)) : width * 4 * height;
    desc_.MultiSampleType = D3DMULTISAMPLE_NONE;
    desc_.Width = width;
    desc_.Height = height;
}

ULONG SurfaceImpl::AddRef() {
    Record("AddRef");
    return AddReference();
}

ULONG SurfaceImpl::Release() {
    Record("Release");
    return ReleaseReference();
}

HRESULT SurfaceImpl::GetDesc(D3DSURFACE_DESC* desc) {
    Record("GetDesc");
    if (IsReleased() || !desc)
        return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

HRESULT SurfaceImpl::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    Record("LockRect", flags);
    if (IsReleased() || !locked || locked_)
        return D3DERR_INVALIDCALL;
    RECT area = {0, 0, static_cast<LONG>(desc_.Width), static_cast<LONG>(desc_.Height)};
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
            rect->right > area.right || rect->bottom > area.bottom)
            return D3DERR_INVALIDCALL;
        area = *rect;
    }
    const HRESULT result = LockPixels(area, flags, locked);
    if (SUCCEEDED(result))
        locked_ = true;
    return result;
}

HRESULT SurfaceImpl::UnlockRect() {
    Record("UnlockRect");
    if (IsReleased() || !locked_)
        return D3DERR_INVALIDCALL;
    UnlockPixels();
    locked_ = false;
    return D3D_OK;
}

HRESULT SurfaceImpl::LockPixels(const RECT&, DWORD, D3DLOCKED_RECT*) {
    return D3DERR_INVALIDCALL;
}

// --- Back buffers ------------------------------------------------------------------------

BackBufferSurface::BackBufferSurface(UINT width, UINT height, D3DFORMAT format)
    : SurfaceImpl(format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, width, height) {}

HRESULT BackBufferSurface::Create(UINT width, UINT height, D3DFORMAT format, BackBufferSurface** surface) {
    *surface = nullptr;
    if (width == 0 || height == 0 || width > kMaxDimension || height > kMaxDimension)
        return D3DERR_INVALIDCALL;
    Context& context = *Context::Get();
    BackBufferSurface* made = new BackBufferSurface(width, height, format);
    ClearGlErrors();
    gl.GenRenderbuffers(1, &made->colorBuffer_);
    gl.BindRenderbuffer(GL_RENDERBUFFER, made->colorBuffer_);
    gl.RenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    gl.BindRenderbuffer(GL_RENDERBUFFER, 0);
    gl.GenFramebuffers(1, &made->framebuffer_);
    context.BindDrawFramebuffer(made->framebuffer_);
    gl.FramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, made->colorBuffer_);
    const bool complete =
        gl.GetError() == GL_NO_ERROR && gl.CheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!complete) {
        made->ReleaseReference();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    context.EnableScissor(false);
    gl.ClearColor(0, 0, 0, 1);
    gl.Clear(GL_COLOR_BUFFER_BIT);
    *surface = made;
    return D3D_OK;
}

void BackBufferSurface::Free() {
    Context* context = Context::Get();
    if (!context || !context->Ensure(nullptr))
        return;
    if (framebuffer_) {
        context->ForgetFramebuffer(framebuffer_);
        gl.DeleteFramebuffers(1, &framebuffer_);
    }
    if (colorBuffer_)
        gl.DeleteRenderbuffers(1, &colorBuffer_);
    framebuffer_ = colorBuffer_ = 0;
}

// --- Image surfaces --------------------------------------------------------------------------

ImageSurface::ImageSurface(UINT width, UINT height, const FormatInfo& info)
    : SurfaceImpl(info.format, 0, D3DPOOL_SYSTEMMEM, width, height),
      info_(info),
      pitch_(RowPitch(info, width)),
      pixels_(static_cast<size_t>(pitch_) * height) {}

HRESULT ImageSurface::Create(UINT width, UINT height, D3DFORMAT format, ImageSurface** surface) {
    *surface = nullptr;
    const FormatInfo* info = FindFormat(format);
    if (!info || info->IsBlocks() || width == 0 || height == 0 || width > kMaxDimension || height > kMaxDimension)
        return D3DERR_INVALIDCALL;
    *surface = new ImageSurface(width, height, *info);
    return D3D_OK;
}

HRESULT ImageSurface::LockPixels(const RECT& rect, DWORD, D3DLOCKED_RECT* locked) {
    locked->Pitch = static_cast<INT>(pitch_);
    locked->pBits =
        pixels_.data() + static_cast<size_t>(rect.top) * pitch_ + static_cast<size_t>(rect.left) * info_.bytesPerPixel;
    return D3D_OK;
}

void ImageSurface::Free() {
    SystemVector<uint8_t>().swap(pixels_);
}

}  // namespace D3D8Internal
