#include "Device.h"

#include <atomic>

#include "CallRecorder.h"
#include "FrameCapture.h"
#include "TestHooks.h"

namespace D3D8Internal {

namespace {

const D3DMATRIX kIdentity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};

// The answer of the next Reset, when a test has asked for a failure.
std::atomic<HRESULT> nextResetFailure{D3D_OK};

}  // namespace

DeviceImpl::DeviceImpl(const std::shared_ptr<DeviceShared>& shared)
    : shared_(shared), world_(kIdentity), view_(kIdentity), projection_(kIdentity) {}

HRESULT DeviceImpl::Create(HWND focusWindow, const D3DPRESENT_PARAMETERS& parameters, DeviceImpl** device) {
    *device = nullptr;
    const WindowRef focus = PlatformInternal::LookUpWindow(focusWindow);
    const WindowRef window =
        parameters.hDeviceWindow ? PlatformInternal::LookUpWindow(parameters.hDeviceWindow) : focus;
    if (!focus || !window)
        return D3DERR_INVALIDCALL;
    Context* context = Context::Create(focus);
    if (!context || !context->MakeCurrent(window))
        return D3DERR_NOTAVAILABLE;

    auto shared = MakeShared<DeviceShared>();
    shared->window = window;
    DeviceImpl* made = new DeviceImpl(shared);
    const HRESULT result = made->Configure(parameters, window);
    if (FAILED(result)) {
        made->ReleaseReference();
        return result;
    }
    made->SetDefaults();
    *device = made;
    return D3D_OK;
}

HRESULT DeviceImpl::Configure(const D3DPRESENT_PARAMETERS& parameters, const WindowRef& window) {
    UINT width, height;
    D3DFORMAT format;
    HRESULT result = ResolveBackBuffer(parameters, window->handle, width, height, format);
    if (FAILED(result))
        return result;
    // Full screen in the mode ChangeDisplaySettingsExA recorded, or back to the window.
    const bool placed = parameters.Windowed ? PlatformInternal::LeaveFullscreen(window->handle)
                                            : PlatformInternal::EnterFullscreen(window->handle);
    if (!placed)
        return D3DERR_NOTAVAILABLE;
    if (!Context::Get()->Ensure(window))
        return D3DERR_INVALIDCALL;
    if (swapChain_)
        return swapChain_->ReplaceBackBuffer(width, height, format);
    result = SwapChainImpl::Create(shared_, window, width, height, format, &swapChain_);
    return result;
}

void DeviceImpl::SetDefaults() {
    for (DWORD& value : renderStates_)
        value = 0;
    renderStates_[D3DRS_LIGHTING] = TRUE;
    renderStates_[D3DRS_ZENABLE] = D3DZB_FALSE;
    renderStates_[D3DRS_ZWRITEENABLE] = TRUE;
    renderStates_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    renderStates_[D3DRS_ALPHABLENDENABLE] = FALSE;
    renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
    renderStates_[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    for (unsigned stage = 0; stage < kStageCount; ++stage) {
        DWORD* states = stageStates_[stage];
        for (unsigned type = 0; type < kStageStateCount; ++type)
            states[type] = 0;
        states[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        states[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        states[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        states[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        states[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        states[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        states[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        states[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        states[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        states[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        states[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        Hold(textures_[stage], static_cast<TextureImpl*>(nullptr));
    }
    world_ = view_ = projection_ = kIdentity;
    Hold<SurfaceImpl>(renderTarget_, swapChain_->BackBuffer());
    ViewportOverTarget();
    inScene_ = false;
    dirty_ = kDirtyAll;
}

void DeviceImpl::ViewportOverTarget() {
    viewport_ = D3DVIEWPORT8{0, 0, renderTarget_->Desc().Width, renderTarget_->Desc().Height, 0.0f, 1.0f};
    dirty_ |= kDirtyViewport | kDirtyTransforms;
}

void DeviceImpl::Free() {
    FlushOwnDraws();
    for (TextureImpl*& texture : textures_)
        Hold(texture, static_cast<TextureImpl*>(nullptr));
    Hold(renderTarget_, static_cast<SurfaceImpl*>(nullptr));
    if (swapChain_)
        swapChain_->ReleaseReference();
    swapChain_ = nullptr;
    Context* context = Context::Get();
    if (context && context->stateOwner == this)
        context->stateOwner = nullptr;
    shared_->released = true;
}

ULONG DeviceImpl::AddRef() {
    Record("AddRef");
    return AddReference();
}

ULONG DeviceImpl::Release() {
    Record("Release");
    return ReleaseReference();
}

HRESULT DeviceImpl::PrepareContext() {
    if (!Usable() || !Context::Get()->Ensure(shared_->window))
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT DeviceImpl::TestCooperativeLevel() {
    Record("TestCooperativeLevel");
    if (!Usable())
        return D3DERR_INVALIDCALL;
    switch (shared_->loss) {
        case LossState::None:
            return D3D_OK;
        case LossState::Lost:
            shared_->loss = LossState::NotReset;
            return D3DERR_DEVICELOST;
        case LossState::NotReset:
            break;
    }
    return D3DERR_DEVICENOTRESET;
}

HRESULT DeviceImpl::Reset(D3DPRESENT_PARAMETERS* parameters) {
    Record("Reset");
    if (!Usable() || !parameters)
        return D3DERR_INVALIDCALL;
    const HRESULT injected = nextResetFailure.exchange(D3D_OK);
    if (FAILED(injected))
        return injected;
    WindowRef window = shared_->window;
    if (parameters->hDeviceWindow) {
        window = PlatformInternal::LookUpWindow(parameters->hDeviceWindow);
        if (!window)
            return D3DERR_INVALIDCALL;
    }
    Context& context = *Context::Get();
    if (!context.MakeCurrent(window))
        return D3DERR_NOTAVAILABLE;
    context.FlushPending();
    const HRESULT result = Configure(*parameters, window);
    if (FAILED(result))
        return result;
    shared_->window = window;
    shared_->loss = LossState::None;
    // Managed textures survive; the default pool's pixels do not (render targets come back
    // uncleared).
    for (TextureImpl* texture : shared_->defaultPool)
        texture->DropContents();
    SetDefaults();
    return D3D_OK;
}

HRESULT DeviceImpl::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                            const RGNDATA* dirtyRegion) {
    Record("Present");
    if (!Usable() || sourceRect || destRect || dirtyRegion)
        return D3DERR_INVALIDCALL;
    WindowRef target = shared_->window;
    if (destWindowOverride) {
        target = PlatformInternal::LookUpWindow(destWindowOverride);
        if (!target)
            return D3DERR_INVALIDCALL;
    }
    FlushAllDraws();
    const HRESULT loss = shared_->PresentResult();
    if (FAILED(loss))
        return loss;
    CaptureFrameIfListed(*swapChain_->BackBuffer());
    return swapChain_->Show(target);
}

HRESULT DeviceImpl::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* parameters, IDirect3DSwapChain8** swapChain) {
    Record("CreateAdditionalSwapChain");
    if (!swapChain)
        return D3DERR_INVALIDCALL;
    *swapChain = nullptr;
    if (!Usable() || !parameters || !parameters->hDeviceWindow || !parameters->Windowed)
        return D3DERR_INVALIDCALL;
    const WindowRef window = PlatformInternal::LookUpWindow(parameters->hDeviceWindow);
    if (!window)
        return D3DERR_INVALIDCALL;
    UINT width, height;
    D3DFORMAT format;
    const HRESULT result = ResolveBackBuffer(*parameters, window->handle, width, height, format);
    if (FAILED(result))
        return result;
    // The window must be able to show the shared context.
    Context& context = *Context::Get();
    FlushOwnDraws();
    if (!context.MakeCurrent(window))
        return D3DERR_NOTAVAILABLE;
    SwapChainImpl* made = nullptr;
    const HRESULT created = SwapChainImpl::Create(shared_, window, width, height, format, &made);
    *swapChain = made;
    return created;
}

HRESULT DeviceImpl::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** backBuffer) {
    Record("GetBackBuffer", index, type);
    if (!backBuffer)
        return D3DERR_INVALIDCALL;
    *backBuffer = nullptr;
    if (!Usable() || index != 0 || type != D3DBACKBUFFER_TYPE_MONO)
        return D3DERR_INVALIDCALL;
    BackBufferSurface* surface = swapChain_->BackBuffer();
    surface->AddReference();
    *backBuffer = surface;
    return D3D_OK;
}

HRESULT DeviceImpl::GetDepthStencilSurface(IDirect3DSurface8** surface) {
    Record("GetDepthStencilSurface");
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!Usable())
        return D3DERR_INVALIDCALL;
    // Contexts never ask for a depth buffer.
    return D3DERR_NOTFOUND;
}

HRESULT DeviceImpl::CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface) {
    Record("CreateImageSurface", width, height, format);
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!Usable())
        return D3DERR_INVALIDCALL;
    ImageSurface* made = nullptr;
    const HRESULT result = ImageSurface::Create(width, height, format, &made);
    *surface = made;
    return result;
}

HRESULT DeviceImpl::SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* depthStencil) {
    Record("SetRenderTarget");
    if (!Usable() || depthStencil)
        return D3DERR_INVALIDCALL;
    // NULL keeps the render target.
    if (!renderTarget)
        return D3D_OK;
    SurfaceImpl* target = static_cast<SurfaceImpl*>(renderTarget);
    if (target->IsReleased() || target->Framebuffer() == 0)
        return D3DERR_INVALIDCALL;
    FlushAllDraws();
    Hold(renderTarget_, target);
    ViewportOverTarget();
    return D3D_OK;
}

HRESULT DeviceImpl::BeginScene() {
    Record("BeginScene");
    if (!Usable() || inScene_)
        return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT DeviceImpl::EndScene() {
    Record("EndScene");
    if (!Usable() || !inScene_)
        return D3DERR_INVALIDCALL;
    FlushAllDraws();
    inScene_ = false;
    return D3D_OK;
}

}  // namespace D3D8Internal

void PlatformTest::FailNextReset(HRESULT hr) {
    D3D8Internal::nextResetFailure = hr;
}
