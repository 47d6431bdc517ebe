#include "LumoSources/Platforms/Win32/Win32DX8RenderContext.h"

#include <cstring>

#include <d3dx8.h>

#include "Common/CoreUtils.h"
#include "LumoSources/Platforms/Win32/Win32DX8Device.h"
#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"

namespace {

template <class T>
void ReleaseAndClear(T*& object) {
    if (object)
        object->Release();
    object = nullptr;
}

}  // namespace

DX8RenderContext::DX8RenderContext(DX8Renderer* renderer, Win32DX8Device* device, HWND window, bool fullscreen)
    : renderer(renderer),
      parameters(),
      device(device),
      swapChain(nullptr),
      backBuffer(nullptr),
      depthSurface(nullptr),
      isDefault(false) {
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    device->FillPresentParameters(parameters, window, fullscreen);
    device->AddContext(this);
    AcquireSurfaces();
}

DX8RenderContext::~DX8RenderContext() {
    ReleaseSurfaces();
}

void DX8RenderContext::AcquireSurfaces() {
    ReleaseSurfaces();
    IDirect3DDevice8* d3dDevice = device->GetD3DDevice();
    if (isDefault) {
        if (FAILED(d3dDevice->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
            backBuffer = nullptr;
            ZEP_PANIC("Failed to get a back buffer from the DirectX8 device for the default render context");
        }
    } else {
        // A window the device cannot show stays without surfaces.
        if (FAILED(d3dDevice->CreateAdditionalSwapChain(&parameters, &swapChain))) {
            swapChain = nullptr;
            return;
        }
        if (FAILED(swapChain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
            backBuffer = nullptr;
            ZEP_PANIC("Failed to get a back buffer from the DirectX8 swap chain");
        }
    }
    // Contexts have no depth buffer, so this finds none; the render target then goes without.
    if (FAILED(d3dDevice->GetDepthStencilSurface(&depthSurface)))
        depthSurface = nullptr;
}

void DX8RenderContext::MakeDefault() {
    isDefault = true;
    AcquireSurfaces();
}

void DX8RenderContext::MakeSwapChain() {
    if (!parameters.Windowed)
        Zep::AssertionFailed(ZEP_SOURCE_FILE, __LINE__, "Trying to make a full screen render context use a swap chain");
    isDefault = false;
    AcquireSurfaces();
}

void DX8RenderContext::RestoreSurfaces() {
    device->FillPresentParameters(parameters, parameters.hDeviceWindow, !parameters.Windowed);
    AcquireSurfaces();
}

void DX8RenderContext::SetFullscreen(bool fullscreen) {
    if (fullscreen && !isDefault) {
        Zep::AssertionFailed(ZEP_SOURCE_FILE, __LINE__,
                             "Trying to create a full screen window on a device that already has a window registered "
                             "as the default render context");
    }
    device->FillPresentParameters(parameters, parameters.hDeviceWindow, fullscreen);
    AcquireSurfaces();
}

void DX8RenderContext::Resize(int32_t width, int32_t height, bool fullscreen) {
    device->FillPresentParameters(parameters, parameters.hDeviceWindow, fullscreen);
    parameters.BackBufferWidth = static_cast<UINT>(width);
    parameters.BackBufferHeight = static_cast<UINT>(height);
    ReleaseSurfaces();
    if (fullscreen)
        device->SetDefaultContext(this);
    if (!backBuffer)
        SetFullscreen(fullscreen);
    // The size asked for holds, whatever the client area says meanwhile: a window leaving
    // full screen keeps the mode's size until the reset has taken it out.
    parameters.BackBufferWidth = static_cast<UINT>(width);
    parameters.BackBufferHeight = static_cast<UINT>(height);
    device->ResetDevice();
}

void DX8RenderContext::ReleaseSurfaces() {
    ReleaseAndClear(backBuffer);
    ReleaseAndClear(depthSurface);
    ReleaseAndClear(swapChain);
}

bool DX8RenderContext::HasBackBuffer() {
    return backBuffer != nullptr;
}

std::vector<uint32_t> DX8RenderContext::CaptureBackBuffer(int32_t& width, int32_t& height) {
    IDirect3DDevice8* d3dDevice = device->GetD3DDevice();
    D3DSURFACE_DESC desc;
    IDirect3DSurface8* image = nullptr;
    D3DLOCKED_RECT locked;
    const bool copied = backBuffer && d3dDevice && SUCCEEDED(backBuffer->GetDesc(&desc)) &&
                        SUCCEEDED(d3dDevice->CreateImageSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8, &image)) &&
                        SUCCEEDED(D3DXLoadSurfaceFromSurface(image, nullptr, nullptr, backBuffer, nullptr, nullptr,
                                                             D3DX_FILTER_NONE, 0)) &&
                        SUCCEEDED(image->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    if (!copied) {
        ReleaseAndClear(image);
        ZEP_PANIC("DX8RenderContext::CaptureBackBuffer failed");
    }
    width = static_cast<int32_t>(desc.Width);
    height = static_cast<int32_t>(desc.Height);
    // Rows top to bottom, each width x 4 bytes of a row of the surface's pitch.
    std::vector<uint32_t> pixels(static_cast<size_t>(desc.Width) * desc.Height);
    const uint8_t* row = static_cast<const uint8_t*>(locked.pBits);
    for (UINT y = 0; y < desc.Height; ++y, row += locked.Pitch)
        std::memcpy(&pixels[static_cast<size_t>(y) * desc.Width], row, static_cast<size_t>(desc.Width) * 4);
    image->UnlockRect();
    image->Release();
    return pixels;
}

void DX8RenderContext::MakeCurrent() {
    if (backBuffer) {
        IDirect3DDevice8* d3dDevice = device->GetD3DDevice();
        if (FAILED(d3dDevice->SetRenderTarget(backBuffer, depthSurface)) &&
            FAILED(d3dDevice->SetRenderTarget(backBuffer, nullptr)))
            ZEP_PANIC("Failed to set a render target on the d3d device.");
    }
    renderer->SelectDevice(device);
}

bool DX8RenderContext::BeginRenderFrame() {
    device->GetD3DDevice()->BeginScene();
    return true;
}

bool DX8RenderContext::EndRenderFrame() {
    IDirect3DDevice8* d3dDevice = device->GetD3DDevice();
    d3dDevice->EndScene();
    const HRESULT result = swapChain ? swapChain->Present(nullptr, nullptr, nullptr, nullptr)
                                     : d3dDevice->Present(nullptr, nullptr, parameters.hDeviceWindow, nullptr);
    if (result == D3DERR_DEVICELOST)
        return false;
    if (FAILED(result))
        Zep::AssertionFailed(ZEP_SOURCE_FILE, __LINE__, "DX8RenderContext::EndRenderFrame failed");
    return true;
}
