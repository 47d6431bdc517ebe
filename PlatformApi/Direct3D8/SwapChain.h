// Swap chains: a back buffer and the window it is presented to.
#pragma once

#include <memory>

#include "ComObject.h"
#include "Context.h"
#include "Surface.h"
#include "d3d8.h"

namespace D3D8Internal {

// The lost-device cycle of PlatformTest::InjectDeviceLoss (OpenGL itself never loses a device).
enum class LossState { None, Lost, NotReset };

class TextureImpl;

// What a device shares with its swap chains and textures, which may outlive it.
struct DeviceShared {
    WindowRef window;  // the device window
    LossState loss = LossState::None;
    bool released = false;
    // The device's textures of the default pool, whose pixels a Reset drops; each leaves
    // the list when it is released.
    SystemVector<TextureImpl*> defaultPool;

    bool Usable() const { return !released && IsAlive(window); }
    // The answer of a Present: D3DERR_DEVICELOST while lost; an injected loss starts here.
    HRESULT PresentResult();
};

// Checks present parameters against the window they name and settles the back-buffer
// size (0 in a window: the client size) and format (D3DFMT_UNKNOWN: the display format of
// the window's adapter). D3DERR_NOTAVAILABLE for a depth buffer, which contexts never ask for.
HRESULT ResolveBackBuffer(const D3DPRESENT_PARAMETERS& parameters, HWND window, UINT& width, UINT& height,
                          D3DFORMAT& format);

class SwapChainImpl : public IDirect3DSwapChain8, public ComObject {
public:
    // Needs the context current.
    static HRESULT Create(const std::shared_ptr<DeviceShared>& device, const WindowRef& window, UINT width, UINT height,
                          D3DFORMAT format, SwapChainImpl** swapChain);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const RGNDATA* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** backBuffer) override;

    BackBufferSurface* BackBuffer() const { return backBuffer_; }
    // Replaces the back buffer by a new one (Reset); the old one lives on while held.
    HRESULT ReplaceBackBuffer(UINT width, UINT height, D3DFORMAT format);
    // Blits the back buffer to the window, flipped to OpenGL's bottom-up rows (nearest when
    // the sizes match, linear when stretching), then swaps the window's buffers.
    HRESULT Show(const WindowRef& window);
    const WindowRef& Window() const { return window_; }

private:
    SwapChainImpl(const std::shared_ptr<DeviceShared>& device, const WindowRef& window);
    void Free() override;

    std::shared_ptr<DeviceShared> device_;
    WindowRef window_;
    BackBufferSurface* backBuffer_ = nullptr;
};

}  // namespace D3D8Internal
