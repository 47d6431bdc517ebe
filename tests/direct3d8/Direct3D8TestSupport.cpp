#include "Direct3D8TestSupport.h"

#include <cstdlib>
#include <cstring>

#include "TestHooks.h"

namespace D3D8Test {

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* ClassName() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.lpszClassName = "Direct3D8Test";
        registered = RegisterClassA(&windowClass) != 0;
    }
    return "Direct3D8Test";
}

}  // namespace

HWND MakeWindow(int width, int height) {
    return CreateWindowExA(WS_EX_APPWINDOW, ClassName(), "Direct3D 8", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                           nullptr, nullptr);
}

D3DPRESENT_PARAMETERS WindowedParameters(HWND window, UINT width, UINT height) {
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    parameters.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    return parameters;
}

void SetProjection2d(IDirect3DDevice8* device, float left, float top, float right, float bottom) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    D3DVIEWPORT8 viewport;
    device->GetViewport(&viewport);
    const float e = (right - left) / (2.0f * viewport.Width);
    const float f = (bottom - top) / (2.0f * viewport.Height);
    D3DXMATRIX projection;
    D3DXMatrixOrthoOffCenterRH(&projection, left + e, right + e, bottom + f, top + f, 0, 1);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}

HRESULT DrawQuad(IDirect3DDevice8* device, float x0, float y0, float x1, float y1, D3DCOLOR color) {
    const ColoredVertex quad[4] = {{x0, y0, 0, color}, {x1, y0, 0, color}, {x1, y1, 0, color}, {x0, y1, 0, color}};
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    return device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ColoredVertex));
}

HRESULT DrawTexturedQuad(IDirect3DDevice8* device, float x0, float y0, float x1, float y1, D3DCOLOR color) {
    const TexturedVertex quad[4] = {
        {x0, y0, 0, color, 0, 0}, {x1, y0, 0, color, 1, 0}, {x1, y1, 0, color, 1, 1}, {x0, y1, 0, color, 0, 1}};
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    return device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(TexturedVertex));
}

IDirect3DTexture8* MakeTexture(IDirect3DDevice8* device, UINT width, UINT height, const std::vector<uint32_t>& texels) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(D3DXCreateTexture(device, width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    if (!texture)
        return nullptr;
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
    for (UINT row = 0; row < height; ++row)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch, &texels[row * width], width * 4);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    return texture;
}

std::vector<uint32_t> DrawnTexels(IDirect3DDevice8* device, IDirect3DTexture8* texture, UINT width, UINT height) {
    IDirect3DTexture8* target = nullptr;
    EXPECT_EQ(
        D3DXCreateTexture(device, width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target),
        D3D_OK);
    if (!target)
        return {};
    IDirect3DSurface8* surface = nullptr;
    target->GetSurfaceLevel(0, &surface);
    EXPECT_EQ(device->SetRenderTarget(surface, nullptr), D3D_OK);
    surface->Release();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    SetProjection2d(device, 0, 0, static_cast<float>(width), static_cast<float>(height));
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    const DWORD states[][2] = {{D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                               {D3DTSS_ALPHAOP, D3DTOP_SELECTARG1}, {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                               {D3DTSS_MINFILTER, D3DTEXF_POINT},   {D3DTSS_MAGFILTER, D3DTEXF_POINT},
                               {D3DTSS_MIPFILTER, D3DTEXF_NONE}};
    for (const auto& state : states)
        device->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(state[0]), state[1]);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTexture(0, texture);
    EXPECT_EQ(DrawTexturedQuad(device, 0, 0, static_cast<float>(width), static_cast<float>(height), 0xFFFFFFFF),
              D3D_OK);
    device->SetTexture(0, nullptr);
    std::vector<uint32_t> texels = LockedTexels(target, 0, width, height);
    IDirect3DSurface8* backBuffer = nullptr;
    device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    device->SetRenderTarget(backBuffer, nullptr);
    backBuffer->Release();
    target->Release();
    return texels;
}

std::vector<uint32_t> LockedTexels(IDirect3DTexture8* texture, UINT level, UINT width, UINT height) {
    std::vector<uint32_t> texels;
    D3DLOCKED_RECT locked;
    if (texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
        ADD_FAILURE() << "no lock of level " << level;
        return texels;
    }
    texels.resize(width * height);
    for (UINT row = 0; row < height; ++row)
        std::memcpy(&texels[row * width], static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch, width * 4);
    texture->UnlockRect(level);
    return texels;
}

std::vector<uint32_t> Capture(IDirect3DDevice8* device, IDirect3DSurface8* backBuffer) {
    std::vector<uint32_t> pixels;
    IDirect3DSurface8* source = backBuffer;
    if (!source && device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &source) != D3D_OK) {
        ADD_FAILURE() << "no back buffer";
        return pixels;
    }
    if (backBuffer)
        source->AddRef();
    D3DSURFACE_DESC desc;
    source->GetDesc(&desc);
    IDirect3DSurface8* image = nullptr;
    EXPECT_EQ(device->CreateImageSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8, &image), D3D_OK);
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(image, nullptr, nullptr, source, nullptr, nullptr, D3DX_FILTER_NONE, 0),
              D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(image->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    pixels.resize(desc.Width * desc.Height);
    for (UINT row = 0; row < desc.Height; ++row)
        std::memcpy(&pixels[row * desc.Width], static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch,
                    desc.Width * 4);
    image->UnlockRect();
    image->Release();
    source->Release();
    return pixels;
}

::testing::AssertionResult ColorNear(uint32_t actual, uint32_t expected, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof(text), "0x%08X, expected 0x%08X", actual, expected);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

void DeviceTest::SetUp() {
    window_ = MakeWindow(kWidth, kHeight);
    ASSERT_NE(window_, nullptr);
    d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
    D3DPRESENT_PARAMETERS parameters = WindowedParameters(window_, kWidth, kHeight);
    ASSERT_EQ(
        d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device_),
        D3D_OK);
}

void DeviceTest::TearDown() {
    PlatformTest::RecordD3DCalls(false);
    if (device_) {
        EXPECT_EQ(device_->Release(), 0u);
    }
    if (d3d_) {
        EXPECT_EQ(d3d_->Release(), 0u);
    }
    if (window_)
        DestroyWindow(window_);
}

uint32_t DeviceTest::PixelAt(int x, int y) {
    return Capture(device_)[static_cast<size_t>(y) * kWidth + x];
}

}  // namespace D3D8Test
