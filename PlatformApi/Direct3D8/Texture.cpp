#include "Texture.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "CallRecorder.h"
#include "Context.h"
#include "Pixels.h"
#include "TestHooks.h"

namespace D3D8Internal {

namespace {

// Answers of CheckDeviceFormat set by PlatformTest::SetFormatSupported.
struct FormatOverrides {
    struct Entry {
        D3DFORMAT format;
        bool supported;
    };
    std::mutex lock;
    SystemVector<Entry> entries;
};

FormatOverrides& Overrides() {
    static FormatOverrides* overrides = PlatformInternal::NewSystemObject<FormatOverrides>();
    return *overrides;
}

std::atomic<unsigned> failingCreations{0};
std::atomic<HRESULT> failingResult{D3DERR_OUTOFVIDEOMEMORY};

// Takes one injected failure of PlatformTest::FailTextureCreations, if any is left.
bool TakeInjectedFailure() {
    unsigned left = failingCreations.load();
    while (left > 0) {
        if (failingCreations.compare_exchange_weak(left, left - 1))
            return true;
    }
    return false;
}

UINT FullChainLength(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size >>= 1)
        ++levels;
    return levels;
}

// The bytes a level is filled with: zero is transparent black in every format with alpha
// except DXT1, whose zero block is opaque black; its transparent black is equal end colours
// with every index 3.
void FillPattern(const FormatInfo& info, SystemVector<uint8_t>& bytes) {
    if (info.format != D3DFMT_DXT1)
        return;
    for (size_t block = 0; block + 8 <= bytes.size(); block += 8)
        std::memset(&bytes[block + 4], 0xFF, 4);
}

// Bytes of the fill buffer: large levels are filled in bands.
const size_t kFillBytes = 1 << 20;

HRESULT AllocationResult(GLenum error) {
    if (error == GL_NO_ERROR)
        return D3D_OK;
    return error == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_NOTAVAILABLE;
}

// A rectangle of a DXT level must start on a block and end on one, or at the level's edge.
bool OnBlockBounds(LONG left, LONG top, LONG right, LONG bottom, UINT width, UINT height) {
    return left % 4 == 0 && top % 4 == 0 && (right % 4 == 0 || static_cast<UINT>(right) == width) &&
           (bottom % 4 == 0 || static_cast<UINT>(bottom) == height);
}

}  // namespace

HRESULT TextureFormatAnswer(D3DFORMAT format, DWORD usage) {
    if (usage != 0 && usage != D3DUSAGE_RENDERTARGET)
        return D3DERR_NOTAVAILABLE;
    bool supported;
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_R5G6B5:
            supported = true;
            break;
        case D3DFMT_DXT1:
        case D3DFMT_DXT3:
        case D3DFMT_DXT5:
            supported = Context::Get() && Context::Get()->HasS3tc();
            break;
        default:
            supported = false;
            break;
    }
    {
        FormatOverrides& overrides = Overrides();
        std::lock_guard<std::mutex> guard(overrides.lock);
        for (const auto& entry : overrides.entries) {
            if (entry.format == format)
                supported = entry.supported;
        }
    }
    // Only the 32-bit formats can be drawn into.
    if (usage == D3DUSAGE_RENDERTARGET && format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8)
        supported = false;
    return supported ? D3D_OK : D3DERR_NOTAVAILABLE;
}

// --- Creation and release ------------------------------------------------------------------

TextureImpl::TextureImpl(const FormatInfo& info, DWORD usage, D3DPOOL pool)
    : info_(info), storage_(&info), usage_(usage), pool_(pool) {}

HRESULT TextureImpl::Create(const std::shared_ptr<DeviceShared>& device, UINT width, UINT height, UINT levels,
                            DWORD usage, D3DFORMAT format, D3DPOOL pool, TextureImpl** texture) {
    *texture = nullptr;
    if (width == 0 || height == 0 || width > kMaxDimension || height > kMaxDimension)
        return D3DERR_INVALIDCALL;
    if ((usage != 0 && usage != D3DUSAGE_RENDERTARGET) || (pool != D3DPOOL_MANAGED && pool != D3DPOOL_DEFAULT))
        return D3DERR_INVALIDCALL;
    // Render targets live in the default pool.
    if (usage == D3DUSAGE_RENDERTARGET && pool != D3DPOOL_DEFAULT)
        return D3DERR_INVALIDCALL;
    const FormatInfo* info = FindFormat(format);
    // DXT needs S3TC even where the test hook claims the format.
    if (!info || FAILED(TextureFormatAnswer(format, usage)) || (info->IsBlocks() && !Context::Get()->HasS3tc()))
        return D3DERR_NOTAVAILABLE;
    if (TakeInjectedFailure())
        return failingResult.load();
    const UINT chain = FullChainLength(width, height);
    if (levels == 0 || levels > chain)
        levels = chain;

    TextureImpl* made = new TextureImpl(*info, usage, pool);
    made->device_ = device;
    made->levels_.resize(levels);
    for (UINT level = 0; level < levels; ++level) {
        made->levels_[level].width = std::max(1u, width >> level);
        made->levels_[level].height = std::max(1u, height >> level);
    }
    const HRESULT result = made->Allocate();
    if (FAILED(result)) {
        made->ReleaseReference();
        return result;
    }
    if (pool == D3DPOOL_DEFAULT)
        device->defaultPool.push_back(made);
    *texture = made;
    return D3D_OK;
}

HRESULT TextureImpl::Allocate() {
    Context& context = *Context::Get();
    ClearGlErrors();
    gl.GenTextures(1, &name_);
    context.BindTexture(0, name_);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    // A texture is complete with the levels it has, whatever the mip filter.
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels_.size() - 1));
    const GLint internalFormat = static_cast<GLint>(info_.internalFormat);
    for (UINT level = 0; level < levels_.size(); ++level) {
        const GLsizei width = static_cast<GLsizei>(levels_[level].width);
        const GLsizei height = static_cast<GLsizei>(levels_[level].height);
        if (info_.IsBlocks()) {
            gl.CompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), info_.internalFormat, width, height, 0,
                                    static_cast<GLsizei>(LevelBytes(info_, width, height)), nullptr);
        } else {
            gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), internalFormat, width, height, 0, info_.pixelFormat,
                          info_.pixelType, nullptr);
        }
        const HRESULT result = AllocationResult(gl.GetError());
        if (FAILED(result))
            return result;
    }
    // Filled only once OpenGL took every level.
    for (UINT level = 0; level < levels_.size(); ++level)
        FillLevel(level);
    if (usage_ == D3DUSAGE_RENDERTARGET) {
        gl.GenFramebuffers(1, &framebuffer_);
        context.BindDrawFramebuffer(framebuffer_);
        gl.FramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name_, 0);
        if (gl.CheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            return D3DERR_OUTOFVIDEOMEMORY;
    }
    return AllocationResult(gl.GetError());
}

void TextureImpl::FillLevel(UINT level) {
    const Level& storage = levels_[level];
    const UINT pitch = RowPitch(info_, storage.width);
    const UINT rows = RowCount(info_, storage.height);
    const UINT band = std::max<UINT>(1, std::min<UINT>(rows, static_cast<UINT>(kFillBytes / pitch)));
    SystemVector<uint8_t> fill(static_cast<size_t>(pitch) * band);
    FillPattern(info_, fill);
    for (UINT row = 0; row < rows; row += band) {
        const UINT count = std::min(band, rows - row);
        UploadRect(level, info_.IsBlocks() ? row * 4 : row, storage.width,
                   info_.IsBlocks() ? std::min(count * 4, storage.height - row * 4) : count, fill.data());
    }
}

void TextureImpl::Free() {
    for (Level& level : levels_) {
        if (level.surface)
            level.surface->Detach();
    }
    SystemVector<Level>().swap(levels_);
    if (device_) {
        auto& pool = device_->defaultPool;
        pool.erase(std::remove(pool.begin(), pool.end(), this), pool.end());
        device_.reset();
    }
    Context* context = Context::Get();
    if (context && context->Ensure(nullptr)) {
        context->FlushPendingUsing(this);
        if (framebuffer_) {
            context->ForgetFramebuffer(framebuffer_);
            gl.DeleteFramebuffers(1, &framebuffer_);
        }
        if (name_) {
            context->ForgetTexture(name_);
            gl.DeleteTextures(1, &name_);
        }
    }
    name_ = framebuffer_ = 0;
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
    Level& entry = levels_[level];
    if (!entry.surface)
        entry.surface = new LevelSurface(this, level);
    AddReference();
    *surface = entry.surface;
    return D3D_OK;
}

D3DSURFACE_DESC TextureImpl::LevelDesc(UINT level) const {
    const Level& entry = levels_[level];
    D3DSURFACE_DESC desc;
    desc.Format = info_.format;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = usage_;
    desc.Pool = pool_;
    desc.Size = static_cast<UINT>(LevelBytes(info_, entry.width, entry.height));
    desc.MultiSampleType = D3DMULTISAMPLE_NONE;
    desc.Width = entry.width;
    desc.Height = entry.height;
    return desc;
}

// --- Locks -------------------------------------------------------------------------------

HRESULT TextureImpl::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    Record("LockRect", level, flags);
    return LockLevel(level, locked, rect, flags);
}

HRESULT TextureImpl::UnlockRect(UINT level) {
    Record("UnlockRect", level);
    return UnlockLevel(level);
}

HRESULT TextureImpl::LockLevel(UINT levelIndex, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
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
        if (info_.IsBlocks() &&
            !OnBlockBounds(rect->left, rect->top, rect->right, rect->bottom, level.width, level.height))
            return D3DERR_INVALIDCALL;
        area = *rect;
    }
    // A DXT texture held uncompressed has no DXT pixels to show: only a discarding lock,
    // which replaces them, works.
    const bool read = !(flags & D3DLOCK_DISCARD);
    if (read && Widened())
        return D3DERR_INVALIDCALL;
    const UINT pitch = RowPitch(info_, level.width);
    level.staging.resize(LevelBytes(info_, level.width, level.height));
    if (read) {
        Context* context = Context::Get();
        if (!context->Ensure(nullptr))
            return D3DERR_INVALIDCALL;
        // A render target may have draws pending into it.
        context->FlushPendingDrawingInto(this);
        context->BindTexture(0, name_);
        ReadLevel(levelIndex, level.staging.data());
    }
    level.locked = true;
    level.lockFlags = flags;
    level.lockRect = area;
    const size_t offset = info_.IsBlocks()
                              ? static_cast<size_t>(area.top / 4) * pitch + (area.left / 4) * info_.blockBytes
                              : static_cast<size_t>(area.top) * pitch + area.left * info_.bytesPerPixel;
    locked->Pitch = static_cast<INT>(pitch);
    locked->pBits = level.staging.data() + offset;
    return D3D_OK;
}

HRESULT TextureImpl::UnlockLevel(UINT levelIndex) {
    if (IsReleased() || levelIndex >= levels_.size() || !levels_[levelIndex].locked)
        return D3DERR_INVALIDCALL;
    Level& level = levels_[levelIndex];
    level.locked = false;
    HRESULT result = D3D_OK;
    if (!(level.lockFlags & D3DLOCK_READONLY)) {
        // The locked rows (rows of blocks) across the whole width.
        Context* context = Context::Get();
        if (context->Ensure(nullptr)) {
            context->FlushPendingUsing(this);
            const UINT pitch = RowPitch(info_, level.width);
            UINT top = static_cast<UINT>(level.lockRect.top), bottom = static_cast<UINT>(level.lockRect.bottom);
            size_t offset = static_cast<size_t>(top) * pitch;
            if (info_.IsBlocks()) {
                bottom = std::min((bottom + 3) & ~3u, level.height);
                offset = static_cast<size_t>(top / 4) * pitch;
            }
            UploadRect(levelIndex, top, level.width, bottom - top, level.staging.data() + offset);
        } else {
            result = D3DERR_INVALIDCALL;
        }
    }
    SystemVector<uint8_t>().swap(level.staging);
    return result;
}

// --- Pixels in and out -------------------------------------------------------------------

void TextureImpl::UploadRect(UINT level, UINT top, UINT width, UINT height, const uint8_t* pixels) {
    Context::Get()->BindTexture(0, name_);
    const GLint index = static_cast<GLint>(level);
    const GLsizei w = static_cast<GLsizei>(width), h = static_cast<GLsizei>(height);
    if (!info_.IsBlocks()) {
        gl.TexSubImage2D(GL_TEXTURE_2D, index, 0, static_cast<GLint>(top), w, h, info_.pixelFormat, info_.pixelType,
                         pixels);
    } else if (!Widened()) {
        gl.CompressedTexSubImage2D(GL_TEXTURE_2D, index, 0, static_cast<GLint>(top), w, h, info_.internalFormat,
                                   static_cast<GLsizei>(LevelBytes(info_, width, height)), pixels);
    } else {
        SystemVector<uint8_t> argb(static_cast<size_t>(width) * height * 4);
        ConvertToArgb(info_.format, pixels, RowPitch(info_, width), width, height, argb.data(), width * 4);
        gl.TexSubImage2D(GL_TEXTURE_2D, index, 0, static_cast<GLint>(top), w, h, storage_->pixelFormat,
                         storage_->pixelType, argb.data());
    }
}

void TextureImpl::ReadLevel(UINT level, uint8_t* pixels) {
    if (storage_->IsBlocks())
        gl.GetCompressedTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), pixels);
    else
        gl.GetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), storage_->pixelFormat, storage_->pixelType, pixels);
}

HRESULT TextureImpl::LoadLevel(UINT levelIndex, const uint8_t* source, D3DFORMAT sourceFormat, UINT pitch,
                               const RECT& rect) {
    if (IsReleased() || levelIndex >= levels_.size() || !source)
        return D3DERR_INVALIDCALL;
    const Level& level = levels_[levelIndex];
    if (level.locked || rect.left < 0 || rect.top < 0 || rect.right <= rect.left || rect.bottom <= rect.top)
        return D3DERR_INVALIDCALL;
    const UINT width = static_cast<UINT>(rect.right - rect.left), height = static_cast<UINT>(rect.bottom - rect.top);
    if (width > level.width || height > level.height)
        return D3DERR_INVALIDCALL;
    // The same format as it stands, or a conversion into A8R8G8B8.
    const bool same = sourceFormat == info_.format;
    const bool convert = info_.format == D3DFMT_A8R8G8B8 && ConvertsToArgb(sourceFormat);
    if (!same && !convert)
        return D3DERR_INVALIDCALL;
    const bool sourceBlocks = IsDxt(sourceFormat);
    if ((sourceBlocks || info_.IsBlocks()) &&
        !OnBlockBounds(rect.left, rect.top, rect.right, rect.bottom, rect.left + level.width, rect.top + level.height))
        return D3DERR_INVALIDCALL;
    // Rows are read from the source's left edge up to the rectangle's right.
    const UINT blockBytes = sourceFormat == D3DFMT_DXT1 ? 8 : 16;
    const uint64_t needed = sourceBlocks ? uint64_t(rect.right + 3) / 4 * blockBytes
                                         : uint64_t(rect.right) * SourceBytesPerPixel(sourceFormat);
    if (pitch < needed)
        return D3DERR_INVALIDCALL;
    const uint8_t* first = sourceBlocks
                               ? source + static_cast<size_t>(rect.top / 4) * pitch + (rect.left / 4) * blockBytes
                               : source + static_cast<size_t>(rect.top) * pitch +
                                     static_cast<size_t>(rect.left) * SourceBytesPerPixel(sourceFormat);
    Context* context = Context::Get();
    if (!context->Ensure(nullptr))
        return D3DERR_INVALIDCALL;
    context->FlushPendingUsing(this);

    // The rectangle in the texture's own layout, rows as OpenGL unpacks them.
    const UINT packedPitch = RowPitch(info_, width);
    const UINT rows = RowCount(info_, height);
    SystemVector<uint8_t> packed(static_cast<size_t>(packedPitch) * rows);
    if (convert) {
        ConvertToArgb(sourceFormat, first, pitch, width, height, packed.data(), packedPitch);
    } else {
        const size_t rowBytes = info_.IsBlocks() ? packedPitch : static_cast<size_t>(width) * info_.bytesPerPixel;
        for (UINT row = 0; row < rows; ++row)
            std::memcpy(&packed[static_cast<size_t>(row) * packedPitch], first + static_cast<size_t>(row) * pitch,
                        rowBytes);
    }
    ClearGlErrors();
    UploadRect(levelIndex, 0, width, height, packed.data());
    return gl.GetError() == GL_NO_ERROR ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT TextureImpl::Widen(const uint8_t* argb) {
    storage_ = FindFormat(D3DFMT_A8R8G8B8);
    ClearGlErrors();
    for (UINT level = 0; level < levels_.size(); ++level) {
        gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(storage_->internalFormat),
                      static_cast<GLsizei>(levels_[level].width), static_cast<GLsizei>(levels_[level].height), 0,
                      storage_->pixelFormat, storage_->pixelType, level == 0 ? argb : nullptr);
    }
    return AllocationResult(gl.GetError());
}

HRESULT TextureImpl::FilterLevels() {
    if (IsReleased())
        return D3DERR_INVALIDCALL;
    for (const Level& level : levels_) {
        if (level.locked)
            return D3DERR_INVALIDCALL;
    }
    if (levels_.size() == 1)
        return D3D_OK;
    Context* context = Context::Get();
    if (!context->Ensure(nullptr))
        return D3DERR_INVALIDCALL;
    context->FlushPendingUsing(this);
    context->BindTexture(0, name_);

    // Level 0 as OpenGL holds it; DXT is decoded and held uncompressed from now on.
    UINT width = levels_[0].width, height = levels_[0].height;
    SystemVector<uint8_t> above;
    if (storage_->IsBlocks()) {
        SystemVector<uint8_t> blocks(LevelBytes(info_, width, height));
        ReadLevel(0, blocks.data());
        above.resize(static_cast<size_t>(width) * height * 4);
        ConvertToArgb(info_.format, blocks.data(), RowPitch(info_, width), width, height, above.data(), width * 4);
        const HRESULT result = Widen(above.data());
        if (FAILED(result))
            return result;
    } else {
        above.resize(LevelBytes(*storage_, width, height));
        ReadLevel(0, above.data());
    }
    ClearGlErrors();
    SystemVector<uint8_t> below;
    for (UINT level = 1; level < levels_.size(); ++level) {
        const UINT belowWidth = levels_[level].width, belowHeight = levels_[level].height;
        below.resize(LevelBytes(*storage_, belowWidth, belowHeight));
        BoxFilter(storage_->format, above.data(), RowPitch(*storage_, width), width, height, below.data(),
                  RowPitch(*storage_, belowWidth));
        gl.TexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(belowWidth),
                         static_cast<GLsizei>(belowHeight), storage_->pixelFormat, storage_->pixelType, below.data());
        above.swap(below);
        width = belowWidth;
        height = belowHeight;
    }
    return AllocationResult(gl.GetError());
}

void TextureImpl::DropContents() {
    Context::Get()->BindTexture(0, name_);
    for (UINT level = 0; level < levels_.size(); ++level) {
        const GLsizei width = static_cast<GLsizei>(levels_[level].width);
        const GLsizei height = static_cast<GLsizei>(levels_[level].height);
        if (storage_->IsBlocks()) {
            gl.CompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), storage_->internalFormat, width, height,
                                    0, static_cast<GLsizei>(LevelBytes(*storage_, width, height)), nullptr);
        } else {
            gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(storage_->internalFormat), width,
                          height, 0, storage_->pixelFormat, storage_->pixelType, nullptr);
        }
    }
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

// --- Level surfaces ----------------------------------------------------------------------

LevelSurface::LevelSurface(TextureImpl* texture, UINT level)
    : SurfaceImpl(texture->LevelDesc(level).Format, texture->LevelDesc(level).Usage, texture->LevelDesc(level).Pool,
                  texture->LevelDesc(level).Width, texture->LevelDesc(level).Height),
      texture_(texture),
      level_(level) {}

ULONG LevelSurface::AddReference() {
    return IsReleased() ? 0 : texture_->AddReference();
}

ULONG LevelSurface::ReleaseReference() {
    return IsReleased() ? 0 : texture_->ReleaseReference();
}

HRESULT LevelSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    Record("LockRect", flags);
    if (IsReleased())
        return D3DERR_INVALIDCALL;
    return texture_->LockLevel(level_, locked, rect, flags);
}

HRESULT LevelSurface::UnlockRect() {
    Record("UnlockRect");
    if (IsReleased())
        return D3DERR_INVALIDCALL;
    return texture_->UnlockLevel(level_);
}

bool LevelSurface::IsLocked() const {
    return !IsReleased() && texture_->IsLevelLocked(level_);
}

void LevelSurface::Detach() {
    ComObject::ReleaseReference();
}

}  // namespace D3D8Internal

void PlatformTest::SetFormatSupported(D3DFORMAT format, bool supported) {
    D3D8Internal::FormatOverrides& overrides = D3D8Internal::Overrides();
    std::lock_guard<std::mutex> guard(overrides.lock);
    auto& entries = overrides.entries;
    if (format == D3DFMT_UNKNOWN) {
        entries.clear();
        return;
    }
    entries.erase(
        std::remove_if(entries.begin(), entries.end(), [&](const auto& entry) { return entry.format == format; }),
        entries.end());
    entries.push_back({format, supported});
}

void PlatformTest::FailTextureCreations(unsigned count, HRESULT result) {
    D3D8Internal::failingResult = result;
    D3D8Internal::failingCreations = count;
}
