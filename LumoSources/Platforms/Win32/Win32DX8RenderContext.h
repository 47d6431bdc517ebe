// One window's drawing surface on a Direct3D 8 device: the device's own back buffer
// for the device's default context, an additional swap chain for every other window.
#pragma once

#include <cstdint>
#include <vector>

#include <d3d8.h>
#include <windows.h>

#include "LumoSources/Common/RenderContext.h"

class DX8Renderer;
class Win32DX8Device;

class DX8RenderContext : public RenderContext {
public:
    // Places the context on the device (the first one creates the Direct3D device) and
    // takes its surfaces.
    DX8RenderContext(DX8Renderer* renderer, Win32DX8Device* device, HWND window, bool fullscreen);
    // Releases the surfaces.
    ~DX8RenderContext() override;

    DX8RenderContext(const DX8RenderContext&) = delete;
    DX8RenderContext& operator=(const DX8RenderContext&) = delete;

    bool HasBackBuffer() override;
    // Only the device's default context may be full screen.
    void SetFullscreen(bool fullscreen) override;
    std::vector<uint32_t> CaptureBackBuffer(int32_t& width, int32_t& height) override;
    void MakeCurrent() override;
    bool BeginRenderFrame() override;
    bool EndRenderFrame() override;
    void ReleaseSurfaces() override;

    // Takes the surfaces again: the device's back buffer for the default context, a new
    // swap chain's for the others (none when the device cannot make one).
    void AcquireSurfaces();
    // Draws into the device's own back buffer from now on.
    void MakeDefault();
    // Draws into a swap chain of its own from now on; a full-screen context cannot.
    void MakeSwapChain();
    // After a reset: the back buffer follows the window's current client size.
    void RestoreSurfaces();
    // A new back-buffer size and full-screen state; resets the device.
    void Resize(int32_t width, int32_t height, bool fullscreen);

    HWND GetWindow() const { return parameters.hDeviceWindow; }
    Win32DX8Device* GetDevice() const { return device; }
    bool IsDefault() const { return isDefault; }
    // Set by the device as it places the context.
    void SetDefaultFlag(bool value) { isDefault = value; }
    // Kept for the device, whose creation and resets need them.
    D3DPRESENT_PARAMETERS& PresentParameters() { return parameters; }
    IDirect3DSurface8* GetBackBuffer() const { return backBuffer; }
    IDirect3DSurface8* GetDepthSurface() const { return depthSurface; }

private:
    DX8Renderer* renderer;
    D3DPRESENT_PARAMETERS parameters;
    Win32DX8Device* device;
    IDirect3DSwapChain8* swapChain;
    IDirect3DSurface8* backBuffer;
    IDirect3DSurface8* depthSurface;
    bool isDefault;
};
