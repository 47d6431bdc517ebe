#include "SwapChain.h"

#include <atomic>

#include "Adapters.h"
#include "CallRecorder.h"
#include "TestHooks.h"

namespace D3D8Internal {

namespace {

std::atomic<bool> lossInjected{false};

bool IsBackBufferFormat(D3DFORMAT format) {
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_R5G6B5 ||
           format == D3DFMT_X1R5G5B5;
}

}  // namespace

HRESULT DeviceShared::PresentResult() {
    if (loss == LossState::None && lossInjected.exchange(false))
        loss = LossState::Lost;
    return loss == LossState::None ? D3D_OK : D3DERR_DEVICELOST;
}

HRESULT ResolveBackBuffer(const D3DPRESENT_PARAMETERS& parameters, HWND window, UINT& width, UINT& height,
                          D3DFORMAT& format) {
    if (parameters.EnableAutoDepthStencil)
        return D3DERR_NOTAVAILABLE;
    if (parameters.BackBufferCount > 3)
        return D3DERR_INVALIDCALL;
    width = parameters.BackBufferWidth;
    height = parameters.BackBufferHeight;
    if (parameters.Windowed) {
        RECT client;
        if (!GetClientRect(window, &client))
            return D3DERR_INVALIDCALL;
        if (width == 0)
            width = static_cast<UINT>(client.right);
        if (height == 0)
            height = static_cast<UINT>(client.bottom);
    }
    if (width == 0 || height == 0 || width > kMaxDimension || height > kMaxDimension)
        return D3DERR_INVALIDCALL;
    format = parameters.BackBufferFormat;
    if (format == D3DFMT_UNKNOWN && parameters.Windowed) {
        D3DDISPLAYMODE mode;
        if (!AdapterDisplayMode(AdapterOfWindow(window), mode))
            return D3DERR_INVALIDCALL;
        format = mode.Format;
    }
    return IsBackBufferFormat(format) ? D3D_OK : D3DERR_INVALIDCALL;
}

SwapChainImpl::SwapChainImpl(const std::shared_ptr<DeviceShared>& device, const WindowRef& window)
    : device_(device), window_(window) {}

HRESULT SwapChainImpl::Create(const std::shared_ptr<DeviceShared>& device, const WindowRef& window, UINT width,
                              UINT height, D3DFORMAT format, SwapChainImpl** swapChain) {
    *swapChain = nullptr;
    SwapChainImpl* made = new SwapChainImpl(device, window);
    const HRESULT result = made->ReplaceBackBuffer(width, height, format);
    if (FAILED(result)) {
        made->ReleaseReference();
        return result;
    }
    *swapChain = made;
    return D3D_OK;
}

HRESULT SwapChainImpl::ReplaceBackBuffer(UINT width, UINT height, D3DFORMAT format) {
    BackBufferSurface* made = nullptr;
    const HRESULT result = BackBufferSurface::Create(width, height, format, &made);
    if (FAILED(result))
        return result;
    if (backBuffer_)
        backBuffer_->ReleaseReference();
    backBuffer_ = made;
    return D3D_OK;
}

ULONG SwapChainImpl::AddRef() {
    Record("AddRef");
    return AddReference();
}

ULONG SwapChainImpl::Release() {
    Record("Release");
    return ReleaseReference();
}

HRESULT SwapChainImpl::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                               const RGNDATA* dirtyRegion) {
    Record("Present");
    if (IsReleased() || !device_->Usable() || !IsAlive(window_))
        return D3DERR_INVALIDCALL;
    // A discarding swap chain presents whole.
    if (sourceRect || destRect || dirtyRegion)
        return D3DERR_INVALIDCALL;
    WindowRef target = window_;
    if (destWindowOverride) {
        target = PlatformInternal::LookUpWindow(destWindowOverride);
        if (!target)
            return D3DERR_INVALIDCALL;
    }
    FlushAllDraws();
    const HRESULT loss = device_->PresentResult();
    if (FAILED(loss))
        return loss;
    return Show(target);
}

HRESULT SwapChainImpl::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** backBuffer) {
    Record("GetBackBuffer", index, type);
    if (!backBuffer)
        return D3DERR_INVALIDCALL;
    *backBuffer = nullptr;
    if (IsReleased() || !device_->Usable() || index != 0 || type != D3DBACKBUFFER_TYPE_MONO)
        return D3DERR_INVALIDCALL;
    backBuffer_->AddReference();
    *backBuffer = backBuffer_;
    return D3D_OK;
}

HRESULT SwapChainImpl::Show(const WindowRef& window) {
    Context& context = *Context::Get();
    if (!context.MakeCurrent(window))
        return D3DERR_INVALIDCALL;
    int windowWidth = 0, windowHeight = 0;
    SDL_GL_GetDrawableSize(window->sdl, &windowWidth, &windowHeight);
    const GLint width = static_cast<GLint>(backBuffer_->Desc().Width);
    const GLint height = static_cast<GLint>(backBuffer_->Desc().Height);
    context.EnableScissor(false);
    context.BindReadFramebuffer(backBuffer_->Framebuffer());
    context.BindDrawFramebuffer(0);
    const GLenum filter = width == windowWidth && height == windowHeight ? GL_NEAREST : GL_LINEAR;
    gl.BlitFramebuffer(0, 0, width, height, 0, windowHeight, windowWidth, 0, GL_COLOR_BUFFER_BIT, filter);
    {
        PlatformProcess::ForeignLibraryScope scope;
        SDL_GL_SwapWindow(window->sdl);
    }
    return D3D_OK;
}

void SwapChainImpl::Free() {
    if (backBuffer_)
        backBuffer_->ReleaseReference();
    backBuffer_ = nullptr;
    device_.reset();
    window_.reset();
}

}  // namespace D3D8Internal

void PlatformTest::InjectDeviceLoss() {
    D3D8Internal::lossInjected = true;
}
