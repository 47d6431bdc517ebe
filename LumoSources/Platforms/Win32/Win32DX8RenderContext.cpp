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
    if (FAILED(d3dDevice->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
        backBuffer = nullptr;
        ZEP_PANIC("Failed to get a back buffer from the DirectX8 device for the default render context");
    }
    // Contexts have no depth buffer, so this finds none; the render target then goes without.
    if (FAILED(d3dDevice->GetDepthStencilSurface(&depthSurface)))
        depthSurface = nullptr;
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
    const HRESULT result = d3dDevice->Present(nullptr, nullptr, parameters.hDeviceWindow, nullptr);
    if (result == D3DERR_DEVICELOST)
        return false;
    if (FAILED(result))
        Zep::AssertionFailed(ZEP_SOURCE_FILE, __LINE__, "DX8RenderContext::EndRenderFrame failed");
    return true;
}
