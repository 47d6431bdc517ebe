// One display adapter of the Direct3D 8 renderer: its Direct3D device, made for the
// first render context placed on it, and the render contexts that draw with it.
#pragma once

#include <cstdint>
#include <vector>

#include <d3d8.h>
#include <windows.h>

class DX8RenderContext;

class Win32DX8Device {
public:
    // No Direct3D device yet; the adapter's monitor is looked up at once.
    Win32DX8Device(IDirect3D8* direct3d, uint32_t adapter);
    // Releases the Direct3D device.
    ~Win32DX8Device();

    Win32DX8Device(const Win32DX8Device&) = delete;
    Win32DX8Device& operator=(const Win32DX8Device&) = delete;

    // The first context becomes the default one and creates the Direct3D device; later
    // ones draw into swap chains of their own.
    void AddContext(DX8RenderContext* context);
    // A context the device does not hold is ignored. When the default context goes, the
    // earliest added of the others becomes the default.
    void RemoveContext(DX8RenderContext* context);
    // The old default context turns into a swap-chain context.
    void SetDefaultContext(DX8RenderContext* context);
    // Creates the Direct3D device, when there is none, for the context's window and
    // presentation parameters, and sets the default render states.
    void CreateDevice(DX8RenderContext* context);

    // Asks the Direct3D device whether it is lost (then waits 10 ms) or may be reset
    // (then resets it).
    void CheckDeviceLost();
    // Releases every device resource that cannot survive a reset, resets the Direct3D device
    // with the default context's presentation parameters and restores the contexts'
    // surfaces; a device still lost stays marked lost, its contexts without surfaces.
    void ResetDevice();

    // The adapter's current display format; an 8-bit desktop is a panic.
    D3DFORMAT GetDisplayFormat();
    // Presentation parameters of a window: its client size, the display format, one back
    // buffer, no depth buffer, a lockable back buffer.
    void FillPresentParameters(D3DPRESENT_PARAMETERS& parameters, HWND window, bool fullscreen);
    // Blend factors in the renderer's numbering (0..9); others are a panic.
    void SetBlendFactors(int32_t source, int32_t destination);

    IDirect3DDevice8* GetD3DDevice() const { return device; }
    uint32_t GetAdapter() const { return adapter; }
    HMONITOR GetMonitor() const { return monitor; }
    bool IsLost() const { return lost; }
    void SetLost(bool value) { lost = value; }
    DX8RenderContext* GetDefaultContext() const { return defaultContext; }
    // In the order they were added, so that the choice of a new default never depends on
    // addresses.
    const std::vector<DX8RenderContext*>& GetContexts() const { return contexts; }

private:
    void SetDefaultRenderStates();

    IDirect3D8* direct3d;
    uint32_t adapter;
    IDirect3DDevice8* device;
    HMONITOR monitor;
    bool lost;
    std::vector<DX8RenderContext*> contexts;
    DX8RenderContext* defaultContext;
};
