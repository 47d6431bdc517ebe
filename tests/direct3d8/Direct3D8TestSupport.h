// A window with a device on it, and the drawing and read-back the Direct3D 8 tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include <d3d8.h>
#include <d3dx8.h>
#include <windows.h>

namespace D3D8Test {

struct ColoredVertex {
    float x, y, z;
    D3DCOLOR color;
};

struct TexturedVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

struct MaskedVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
    float maskU, maskV;
};

// A popup window of the client size, not shown.
HWND MakeWindow(int width, int height);

D3DPRESENT_PARAMETERS WindowedParameters(HWND window, UINT width, UINT height);

// The renderer's 2D projection: identity world and view, an orthographic projection of
// (left, top)-(right, bottom) shifted by half a pixel of the current viewport.
void SetProjection2d(IDirect3DDevice8* device, float left, float top, float right, float bottom);

// A quad from (x0, y0) to (x1, y1) as a triangle fan, uv (0, 0) to (1, 1).
HRESULT DrawQuad(IDirect3DDevice8* device, float x0, float y0, float x1, float y1, D3DCOLOR color);
HRESULT DrawTexturedQuad(IDirect3DDevice8* device, float x0, float y0, float x1, float y1, D3DCOLOR color);

// An A8R8G8B8 texture (managed pool, one level) holding texels (0xAARRGGBB, top row first).
IDirect3DTexture8* MakeTexture(IDirect3DDevice8* device, UINT width, UINT height, const std::vector<uint32_t>& texels);

// What level 0 of a texture shows drawn 1:1 into a render-target texture of width x height
// (A8R8G8B8, cleared to transparent black): point sampling, no blending, colour and alpha
// taken from the texture alone. Read back with a lock (0xAARRGGBB, top row first); the
// back buffer is the render target again afterwards.
std::vector<uint32_t> DrawnTexels(IDirect3DDevice8* device, IDirect3DTexture8* texture, UINT width, UINT height);

// Texels of a 32-bit texture level through a read-only lock (0xAARRGGBB, top row first).
std::vector<uint32_t> LockedTexels(IDirect3DTexture8* texture, UINT level, UINT width, UINT height);

// Pixels of a swap chain's back buffer through the renderer's capture path: an image surface
// of its size, D3DXLoadSurfaceFromSurface, a read-only lock (0xAARRGGBB, top row first).
std::vector<uint32_t> Capture(IDirect3DDevice8* device, IDirect3DSurface8* backBuffer = nullptr);

// Channels of two colours differ by at most tolerance.
::testing::AssertionResult ColorNear(uint32_t actual, uint32_t expected, int tolerance = 1);

// A Direct3D object and a device on an 800 x 600 window.
class DeviceTest : public ::testing::Test {
protected:
    static const UINT kWidth = 800;
    static const UINT kHeight = 600;

    void SetUp() override;
    void TearDown() override;

    // The pixel (x, y) of the device's back buffer.
    uint32_t PixelAt(int x, int y);

    HWND window_ = nullptr;
    IDirect3D8* d3d_ = nullptr;
    IDirect3DDevice8* device_ = nullptr;
};

}  // namespace D3D8Test
