#include "Texture.h"

#include <algorithm>

#include "CallRecorder.h"
#include "Context.h"

namespace D3D8Internal {

namespace {

UINT FullChainLength(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size >>= 1)
        ++levels;
    return levels;
}

}  // namespace

TextureImpl::TextureImpl(const FormatInfo& info, DWORD usage, D3DPOOL pool) : info_(info), usage_(usage), pool_(pool) {}

HRESULT TextureImpl::Create(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            TextureImpl** texture) {
    *texture = nullptr;
    const FormatInfo* info = FindFormat(format);
    if (width == 0 || height == 0 || width > kMaxDimension || height > kMaxDimension)
        return D3DERR_INVALIDCALL;
    // Render targets: one 32-bit level in the default pool, drawn through a framebuffer.
    const bool renderTarget = usage == D3DUSAGE_RENDERTARGET && pool == D3DPOOL_DEFAULT && info &&
                              (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8);
    if (!info || (!renderTarget && (usage != 0 || pool != D3DPOOL_MANAGED)))
        return D3DERR_NOTAVAILABLE;
    if (renderTarget)
        levels = 1;
    const UINT chain = FullChainLength(width, height);
    if (levels == 0 || levels > chain)
        levels = chain;

    TextureImpl* made = new TextureImpl(*info, usage, pool);
    made->levels_.resize(levels);
    for (UINT level = 0; level < levels; ++level) {
        made->levels_[level].width = std::max(1u, width >> level);
        made->levels_[level].height = std::max(1u, height >> level);
    }

    Context& context = *Context::Get();
    ClearGlErrors();
    gl.GenTextures(1, &made->name_);
    context.BindTexture(0, made->name_);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    // A texture is complete with the levels it has, whatever the mip filter.
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    const SystemVector<uint8_t> zeros(static_cast<size_t>(RowPitch(*info, width)) * height);
    for (UINT level = 0; level < levels; ++level) {
        const Level& storage = made->levels_[level];
        gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(info->internalFormat),
                      static_cast<GLsizei>(storage.width), static_cast<GLsizei>(storage.height), 0, info->pixelFormat,
                      info->pixelType, zeros.data());
    }
    bool complete = gl.GetError() == GL_NO_ERROR;
    if (complete && renderTarget) {
        gl.GenFramebuffers(1, &made->framebuffer_);
        context.BindDrawFramebuffer(made->framebuffer_);
        gl.FramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, made->name_, 0);
        complete =
            gl.GetError() == GL_NO_ERROR && gl.CheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    if (!complete) {
        made->ReleaseReference();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *texture = made;
    return D3D_OK;
}

ULONG TextureImpl::AddRef() {
    Record("AddRef");
    return AddReference();
}

ULONG TextureImpl::Release() {
    Record("Release");
    return ReleaseReference();
}

HRESULT TextureImpl::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
    Record("GetSurfaceLevel", level);
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (IsReleased() || level >= levels_.size())
        return D3DERR_INVALIDCALL;
    *surface = new TextureLevelSurface(this, level);
    return D3D_OK;
}

HRESULT TextureImpl::LockRect(UINT levelIndex, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    Record("LockRect", levelIndex, flags);
    if (IsReleased() || levelIndex >= levels_.size() || !locked)
        return D3DERR_INVALIDCALL;
    Level& level = levels_[levelIndex];
    if (level.locked)
        return D3DERR_INVALIDCALL;
    RECT area = {0, 0, static_cast<LONG>(level.width), static_cast<LONG>(level.height)};
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
            rect->right > area.right || rect->bottom > area.bottom)
            return D3DERR_INVALIDCALL;
        area = *rect;
    }
    const UINT pitch = RowPitch(info_, level.width);
    level.staging.resize(static_cast<size_t>(pitch) * level.height);
    // Without DISCARD the lock shows what the level holds.
    if (!(flags & D3DLOCK_DISCARD)) {
        Context* context = Context::Get();
        if (!context->Ensure(nullptr))
            return D3DERR_INVALIDCALL;
        context->BindTexture(0, name_);
        gl.GetTexImage(GL_TEXTURE_2D, static_cast<GLint>(levelIndex), info_.pixelFormat, info_.pixelType,
                       level.staging.data());
    }
    level.locked = true;
    level.lockFlags = flags;
    level.lockRect = area;
    locked->Pitch = static_cast<INT>(pitch);
    locked->pBits = level.staging.data() + static_cast<size_t>(area.top) * pitch +
                    static_cast<size_t>(area.left) * info_.bytesPerPixel;
    return D3D_OK;
}

HRESULT TextureImpl::UnlockRect(UINT levelIndex) {
    Record("UnlockRect", levelIndex);
    if (IsReleased() || levelIndex >= levels_.size() || !levels_[levelIndex].locked)
        return D3DERR_INVALIDCALL;
    Level& level = levels_[levelIndex];
    level.locked = false;
    HRESULT result = D3D_OK;
    if (!(level.lockFlags & D3DLOCK_READONLY)) {
        // The locked rows, whole: rows of the staging copy have the pitch OpenGL expects.
        Context* context = Context::Get();
        if (context->Ensure(nullptr)) {
            const UINT pitch = RowPitch(info_, level.width);
            context->BindTexture(0, name_);
            gl.TexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(levelIndex), 0, level.lockRect.top,
                             static_cast<GLsizei>(level.width),
                             static_cast<GLsizei>(level.lockRect.bottom - level.lockRect.top), info_.pixelFormat,
                             info_.pixelType, level.staging.data() + static_cast<size_t>(level.lockRect.top) * pitch);
        } else {
            result = D3DERR_INVALIDCALL;
        }
    }
    SystemVector<uint8_t>().swap(level.staging);
    return result;
}

void TextureImpl::ApplySampler(const SamplerState& wanted) {
    if (wanted.minFilter != sampler_.minFilter)
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, wanted.minFilter);
    if (wanted.magFilter != sampler_.magFilter)
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, wanted.magFilter);
    if (wanted.wrapS != sampler_.wrapS)
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wanted.wrapS);
    if (wanted.wrapT != sampler_.wrapT)
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wanted.wrapT);
    sampler_ = wanted;
}

void TextureImpl::Free() {
    SystemVector<Level>().swap(levels_);
    Context* context = Context::Get();
    if (framebuffer_ && context && context->Ensure(nullptr)) {
        context->ForgetFramebuffer(framebuffer_);
        gl.DeleteFramebuffers(1, &framebuffer_);
    }
    framebuffer_ = 0;
    if (name_ && context && context->Ensure(nullptr)) {
        context->ForgetTexture(name_);
        gl.DeleteTextures(1, &name_);
    }
    name_ = 0;
}

// --- Level surfaces ------------------------------------------------------------------------

TextureLevelSurface::TextureLevelSurface(TextureImpl* texture, UINT level)
    : SurfaceImpl(texture->Format(), texture->Usage(), texture->Pool(), texture->LevelWidth(level),
                  texture->LevelHeight(level)),
      texture_(texture),
      level_(level) {
    texture_->AddReference();
}

void TextureLevelSurface::Free() {
    if (texture_)
        texture_->ReleaseReference();
    texture_ = nullptr;
}

}  // namespace D3D8Internal
