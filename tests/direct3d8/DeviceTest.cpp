// Adapters, device creation, references, the lost-device cycle, swap chains, bad arguments
// and the test hooks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Direct3D8TestSupport.h"
#include "TestHooks.h"
#include "TestSupport.h"

namespace {

using D3D8Test::DrawQuad;
using D3D8Test::MakeWindow;
using D3D8Test::WindowedParameters;

class Direct3DDeviceTest : public D3D8Test::DeviceTest {};

TEST(Direct3DTest, OffscreenHasOneAdapterOnMonitorOneIn1024x768) {
    EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION - 1), nullptr);
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    EXPECT_EQ(d3d->GetAdapterCount(), 1u);
    const HWND window = MakeWindow(64, 64);
    EXPECT_EQ(d3d->GetAdapterMonitor(0), reinterpret_cast<HMONITOR>(1));
    EXPECT_EQ(d3d->GetAdapterMonitor(0), MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
    EXPECT_EQ(d3d->GetAdapterMonitor(1), nullptr);

    struct Case {
        D3DFORMAT forced;
        D3DFORMAT reported;
    };
    for (const Case& c :
         {Case{D3DFMT_UNKNOWN, D3DFMT_X8R8G8B8}, Case{D3DFMT_P8, D3DFMT_P8}, Case{D3DFMT_UNKNOWN, D3DFMT_X8R8G8B8}}) {
        PlatformTest::SetAdapterDisplayFormat(c.forced);
        D3DDISPLAYMODE mode = {};
        ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
        EXPECT_EQ(mode.Width, 1024u);
        EXPECT_EQ(mode.Height, 768u);
        EXPECT_EQ(mode.Format, c.reported);
    }
    D3DDISPLAYMODE mode;
    EXPECT_EQ(d3d->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->Release(), 0u);
    DestroyWindow(window);
}

TEST(Direct3DTest, CreateDeviceAnswersAsDirect3D) {
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    const HWND window = MakeWindow(320, 200);
    struct Case {
        const char* name;
        UINT adapter;
        D3DDEVTYPE type;
        DWORD behavior;
        std::function<void(D3DPRESENT_PARAMETERS&)> change;
        HRESULT expected;
    };
    const auto same = [](D3DPRESENT_PARAMETERS&) {};
    const Case cases[] = {
        {"hardware", 0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, same, D3D_OK},
        {"mixed", 0, D3DDEVTYPE_HAL, D3DCREATE_MIXED_VERTEXPROCESSING, same, D3D_OK},
        {"software", 0, D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING, same, D3D_OK},
        {"client size", 0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING,
         [](D3DPRESENT_PARAMETERS& p) { p.BackBufferWidth = p.BackBufferHeight = 0; }, D3D_OK},
        {"display format", 0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING,
         [](D3DPRESENT_PARAMETERS& p) { p.BackBufferFormat = D3DFMT_UNKNOWN; }, D3D_OK},
        {"reference device", 0, D3DDEVTYPE_REF, D3DCREATE_HARDWARE_VERTEXPROCESSING, same, D3DERR_NOTAVAILABLE},
        {"software device", 0, D3DDEVTYPE_SW, D3DCREATE_HARDWARE_VERTEXPROCESSING, same, D3DERR_NOTAVAILABLE},
        {"no vertex processing", 0, D3DDEVTYPE_HAL, 0, same, D3DERR_INVALIDCALL},
        {"two vertex processings", 0, D3DDEVTYPE_HAL, 0x60, same, D3DERR_INVALIDCALL},
        {"second adapter", 1, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, same, D3DERR_INVALIDCALL},
        {"depth buffer", 0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING,
         [](D3DPRESENT_PARAMETERS& p) { p.EnableAutoDepthStencil = TRUE; }, D3DERR_NOTAVAILABLE},
        {"full screen without a size", 0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING,
         [](D3DPRESENT_PARAMETERS& p) {
             p.Windowed = FALSE;
             p.BackBufferWidth = 0;
         },
         D3DERR_INVALIDCALL},
        {"unknown window", 0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING,
         [](D3DPRESENT_PARAMETERS& p) { p.hDeviceWindow = reinterpret_cast<HWND>(0x1234); }, D3DERR_INVALIDCALL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DPRESENT_PARAMETERS parameters = WindowedParameters(window, 320, 200);
        c.change(parameters);
        IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(1);
        EXPECT_EQ(d3d->CreateDevice(c.adapter, c.type, window, c.behavior, &parameters, &device), c.expected);
        if (c.expected != D3D_OK) {
            EXPECT_EQ(device, nullptr);
            continue;
        }
        ASSERT_NE(device, nullptr);
        IDirect3DSurface8* backBuffer = nullptr;
        ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
        D3DSURFACE_DESC desc;
        ASSERT_EQ(backBuffer->GetDesc(&desc), D3D_OK);
        EXPECT_EQ(desc.Width, 320u);
        EXPECT_EQ(desc.Height, 200u);
        EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
        EXPECT_EQ(desc.Usage, D3DUSAGE_RENDERTARGET);
        backBuffer->Release();
        EXPECT_EQ(device->Release(), 0u);
    }
    d3d->Release();
    DestroyWindow(window);
}

TEST_F(Direct3DDeviceTest, ReferencesFollowCom) {
    EXPECT_EQ(device_->AddRef(), 2u);
    EXPECT_EQ(device_->Release(), 1u);

    // Each GetBackBuffer hands out one more reference to the same surface.
    IDirect3DSurface8* first = nullptr;
    IDirect3DSurface8* second = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &first), D3D_OK);
    const ULONG count = first->AddRef() - 1;
    first->Release();
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &second), D3D_OK);
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->Release(), count);
    EXPECT_EQ(first->Release(), count - 1);

    // SetTexture holds the texture until it is replaced.
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 1, 1, {0xFFFFFFFF});
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(device_->SetTexture(1, texture), D3D_OK);
    EXPECT_EQ(texture->Release(), 1u);
    EXPECT_EQ(texture->AddRef(), 2u);
    EXPECT_EQ(texture->Release(), 1u);
    ASSERT_EQ(device_->SetTexture(1, nullptr), D3D_OK);
    // Released: a further Release or AddRef finds nothing to free or hold.
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(texture->AddRef(), 0u);
    EXPECT_EQ(device_->SetTexture(0, texture), D3DERR_INVALIDCALL);

    IDirect3DSurface8* depth = reinterpret_cast<IDirect3DSurface8*>(1);
    EXPECT_EQ(device_->GetDepthStencilSurface(&depth), D3DERR_NOTFOUND);
    EXPECT_EQ(depth, nullptr);
}

TEST_F(Direct3DDeviceTest, CaptureOfAnEightHundredBySixHundredBackBuffer) {
    IDirect3DSurface8* backBuffer = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(device_->CreateImageSurface(kWidth, kHeight, D3DFMT_A8R8G8B8, &image), D3D_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456, 1.0f, 0);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(image, nullptr, nullptr, backBuffer, nullptr, nullptr, D3DX_FILTER_NONE, 0),
              D3D_OK);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(image->GetDesc(&desc), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(image->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<size_t>(desc.Width) * desc.Height * 4, 1920000u);
    EXPECT_EQ(locked.Pitch, 3200);
    const uint32_t* last =
        reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(locked.pBits) + (kHeight - 1) * locked.Pitch) + kWidth -
        1;
    EXPECT_EQ(*last, 0xFF123456u);
    EXPECT_EQ(image->UnlockRect(), D3D_OK);
    image->Release();
    backBuffer->Release();
}

TEST_F(Direct3DDeviceTest, InjectedLossRunsTheLostCycleAndResetRestoresTheDefaults) {
    D3D8Test::SetProjection2d(device_, 0, 0, kWidth, kHeight);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);

    PlatformTest::InjectDeviceLoss();
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);

    D3DPRESENT_PARAMETERS parameters = WindowedParameters(window_, 640, 480);
    ASSERT_EQ(device_->Reset(&parameters), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    D3DVIEWPORT8 viewport;
    ASSERT_EQ(device_->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(viewport.Width, 640u);
    EXPECT_EQ(viewport.Height, 480u);
    D3DMATRIX projection;
    ASSERT_EQ(device_->GetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
    EXPECT_EQ(projection.m[0][0], 1.0f);
    // No blending by default: a half-transparent quad lands as it is.
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    D3D8Test::SetProjection2d(device_, 0, 0, 640, 480);
    ASSERT_EQ(DrawQuad(device_, 0, 0, 4, 4, 0x80FF0000), D3D_OK);
    const std::vector<uint32_t> pixels = D3D8Test::Capture(device_);
    ASSERT_EQ(pixels.size(), 640u * 480u);
    EXPECT_EQ(pixels[0], 0xFFFF0000u);
}

TEST_F(Direct3DDeviceTest, FullScreenUsesTheRecordedModeUntilResetToAWindow) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    ASSERT_TRUE(EnumDisplaySettingsA("\\\\.\\DISPLAY1", ENUM_CURRENT_SETTINGS, &mode));
    ASSERT_EQ(ChangeDisplaySettingsExA("\\\\.\\DISPLAY1", &mode, nullptr, CDS_FULLSCREEN, nullptr),
              DISP_CHANGE_SUCCESSFUL);
    D3DPRESENT_PARAMETERS parameters = WindowedParameters(window_, mode.dmPelsWidth, mode.dmPelsHeight);
    parameters.Windowed = FALSE;
    parameters.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    ASSERT_EQ(device_->Reset(&parameters), D3D_OK);
    RECT client;
    ASSERT_TRUE(GetClientRect(window_, &client));
    EXPECT_EQ(client.right, static_cast<LONG>(mode.dmPelsWidth));
    EXPECT_EQ(client.bottom, static_cast<LONG>(mode.dmPelsHeight));
    D3DDISPLAYMODE applied;
    ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, &applied), D3D_OK);
    EXPECT_EQ(applied.Width, mode.dmPelsWidth);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    parameters = WindowedParameters(window_, kWidth, kHeight);
    ASSERT_EQ(device_->Reset(&parameters), D3D_OK);
    ASSERT_TRUE(GetClientRect(window_, &client));
    EXPECT_EQ(client.right, static_cast<LONG>(kWidth));
    EXPECT_EQ(client.bottom, static_cast<LONG>(kHeight));
    ChangeDisplaySettingsExA("\\\\.\\DISPLAY1", nullptr, nullptr, 0, nullptr);
}

TEST_F(Direct3DDeviceTest, AdditionalSwapChainPresentsWithoutTouchingTheFirstBackBuffer) {
    const HWND second = MakeWindow(320, 240);
    D3DPRESENT_PARAMETERS parameters = WindowedParameters(second, 0, 0);
    IDirect3DSwapChain8* swapChain = nullptr;
    ASSERT_EQ(device_->CreateAdditionalSwapChain(&parameters, &swapChain), D3D_OK);
    IDirect3DSurface8* own = nullptr;
    IDirect3DSurface8* other = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &own), D3D_OK);
    ASSERT_EQ(swapChain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &other), D3D_OK);
    EXPECT_NE(own, other);

    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    ASSERT_EQ(device_->SetRenderTarget(other, nullptr), D3D_OK);
    D3DVIEWPORT8 viewport;
    ASSERT_EQ(device_->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(viewport.Width, 320u);
    EXPECT_EQ(viewport.Height, 240u);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    D3D8Test::SetProjection2d(device_, 0, 0, 320, 240);
    ASSERT_EQ(DrawQuad(device_, 0, 0, 320, 240, 0xFFFF0000), D3D_OK);
    EXPECT_EQ(swapChain->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_EQ(device_->SetRenderTarget(own, nullptr), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    const std::vector<uint32_t> mine = D3D8Test::Capture(device_, own);
    const std::vector<uint32_t> theirs = D3D8Test::Capture(device_, other);
    ASSERT_EQ(mine.size(), kWidth * kHeight);
    ASSERT_EQ(theirs.size(), 320u * 240u);
    EXPECT_EQ(mine[0], 0xFF0000FFu);
    EXPECT_EQ(mine[239 * kWidth + 319], 0xFF0000FFu);
    EXPECT_EQ(theirs[0], 0xFFFF0000u);
    EXPECT_EQ(theirs[239 * 320 + 319], 0xFFFF0000u);

    // A loss reaches the swap chains of the device too.
    PlatformTest::InjectDeviceLoss();
    EXPECT_EQ(swapChain->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);

    own->Release();
    other->Release();
    EXPECT_EQ(swapChain->Release(), 0u);
    DestroyWindow(second);
}

TEST_F(Direct3DDeviceTest, BadArgumentsGetInvalidCall) {
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 2, 2, {1, 2, 3, 4});
    ASSERT_NE(texture, nullptr);
    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(device_->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &image), D3D_OK);
    IDirect3DSurface8* backBuffer = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    const D3D8Test::TexturedVertex vertices[4] = {};
    D3DLOCKED_RECT locked;
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1), D3D_OK);
    const UINT stride = sizeof(vertices[0]);
    struct Case {
        const char* name;
        std::function<HRESULT()> call;
    };
    const Case cases[] = {
        {"draw from no vertices", [&] { return device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, nullptr, stride); }},
        {"draw of no primitive", [&] { return device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 0, vertices, stride); }},
        {"vertex count past 32 bits",
         [&] { return device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, UINT_MAX, vertices, stride); }},
        {"vertex bytes past 2 GiB",
         [&] { return device_->DrawPrimitiveUP(D3DPT_LINESTRIP, 0x7FFFFFF0, vertices, stride); }},
        {"stride below the vertex size", [&] { return device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, 16); }},
        {"texture on stage 2", [&] { return device_->SetTexture(2, texture); }},
        {"stage state of stage 2", [&] { return device_->SetTextureStageState(2, D3DTSS_COLOROP, 1); }},
        {"stage state 0", [&] { return device_->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(0), 1); }},
        {"render state 300", [&] { return device_->SetRenderState(D3DRENDERSTATETYPE(300), 1); }},
        {"texture transform",
         [&] {
             D3DMATRIX matrix;
             return device_->GetTransform(D3DTRANSFORMSTATETYPE(16), &matrix);
         }},
        {"viewport past the right edge",
         [&] {
             const D3DVIEWPORT8 viewport = {795, 0, 10, 10, 0, 1};
             return device_->SetViewport(&viewport);
         }},
        {"viewport past the bottom",
         [&] {
             const D3DVIEWPORT8 viewport = {0, 0, kWidth, kHeight + 1, 0, 1};
             return device_->SetViewport(&viewport);
         }},
        {"clear of one missing rectangle", [&] { return device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0); }},
        {"nested scene",
         [&] {
             device_->BeginScene();
             return device_->BeginScene();
         }},
        {"scene ended twice",
         [&] {
             device_->EndScene();
             return device_->EndScene();
         }},
        {"second lock of a texture level",
         [&] {
             texture->LockRect(0, &locked, nullptr, 0);
             return texture->LockRect(0, &locked, nullptr, 0);
         }},
        {"unlock of a texture level twice",
         [&] {
             texture->UnlockRect(0);
             return texture->UnlockRect(0);
         }},
        {"lock of a missing level", [&] { return texture->LockRect(1, &locked, nullptr, 0); }},
        {"lock past the level",
         [&] {
             const RECT outside = {1, 1, 3, 2};
             return texture->LockRect(0, &locked, &outside, 0);
         }},
        {"second lock of a surface",
         [&] {
             image->LockRect(&locked, nullptr, 0);
             return image->LockRect(&locked, nullptr, 0);
         }},
        {"unlock of a surface twice",
         [&] {
             image->UnlockRect();
             return image->UnlockRect();
         }},
        {"image surface as render target", [&] { return device_->SetRenderTarget(image, nullptr); }},
        {"image surface of no pixels",
         [&] {
             IDirect3DSurface8* none = nullptr;
             return device_->CreateImageSurface(0, 4, D3DFMT_A8R8G8B8, &none);
         }},
        {"read-back into another size",
         [&] {
             return D3DXLoadSurfaceFromSurface(image, nullptr, nullptr, backBuffer, nullptr, nullptr, D3DX_FILTER_NONE,
                                               0);
         }},
        {"present of part of the back buffer",
         [&] {
             const RECT part = {0, 0, 10, 10};
             return device_->Present(&part, nullptr, nullptr, nullptr);
         }},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.call(), D3DERR_INVALIDCALL) << c.name;
    backBuffer->Release();
    image->Release();
    texture->Release();
}

TEST_F(Direct3DDeviceTest, VertexFormatsAreXyzWithOptionalColourAndTextureCoordinates) {
    struct Case {
        DWORD fvf;
        HRESULT expected;
    };
    const Case cases[] = {
        {0x042, D3D_OK},
        {0x142, D3D_OK},
        {0x342, D3D_OK},
        {0x002, D3D_OK},
        {0x802, D3D_OK},
        {0x043, D3DERR_INVALIDCALL},
        {0x044, D3DERR_INVALIDCALL},
        {0x052, D3DERR_INVALIDCALL},
        {0x0C2, D3DERR_INVALIDCALL},
        {0x902, D3DERR_INVALIDCALL},
        {0x30142, D3DERR_INVALIDCALL},
    };
    for (const Case& c : cases)
        EXPECT_EQ(device_->SetVertexShader(c.fvf), c.expected) << std::hex << c.fvf;
}

TEST_F(Direct3DDeviceTest, TextureLocksShowTheLevelAndUploadTheLockedRows) {
    std::vector<uint32_t> texels(16);
    for (uint32_t i = 0; i < 16; ++i)
        texels[i] = 0xFF000000u + i;
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 4, 4, texels);
    ASSERT_NE(texture, nullptr);
    // A lock of part of the level points into it with the level's pitch.
    D3DLOCKED_RECT locked;
    const RECT part = {1, 2, 3, 4};
    ASSERT_EQ(texture->LockRect(0, &locked, &part, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 16);
    EXPECT_EQ(*static_cast<uint32_t*>(locked.pBits), texels[2 * 4 + 1]);
    static_cast<uint32_t*>(locked.pBits)[1] = 0xFFABCDEF;
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    texels[2 * 4 + 2] = 0xFFABCDEF;
    // A read-only lock shows the whole level as it is now.
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x],
                      texels[y * 4 + x]);
    }
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(Direct3DDeviceTest, RecordsCallsInOrderWhileOnAndCountsDraws) {
    const D3D8Test::TexturedVertex quad[4] = {};
    device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    const uint64_t draws = PlatformTest::GetGLDrawCount();
    PlatformTest::RecordD3DCalls(true);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(quad[0]));
    device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 0, quad, sizeof(quad[0]));
    D3DXMATRIX matrix;
    D3DXMatrixTranslation(&matrix, 1.5f, -2, 0);
    device_->SetTransform(D3DTS_WORLD, &matrix);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    const std::vector<std::string> expected = {"SetRenderState(27, 1)",
                                               "DrawPrimitiveUP(6, 2, 24)",
                                               "DrawPrimitiveUP(6, 0, 24)",
                                               "D3DXMatrixTranslation(1.5, -2, 0)",
                                               "SetTransform(256)",
                                               "Clear(0, 1, 4278190080, 1, 0)",
                                               "Present()"};
    EXPECT_EQ(PlatformTest::TakeD3DCalls(), expected);
    EXPECT_TRUE(PlatformTest::TakeD3DCalls().empty());
    EXPECT_EQ(PlatformTest::GetGLDrawCount(), draws + 1);
    PlatformTest::RecordD3DCalls(false);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    EXPECT_TRUE(PlatformTest::TakeD3DCalls().empty());
}

TEST_F(Direct3DDeviceTest, EveryCallOnADeviceWhoseWindowIsGoneIsInvalid) {
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 1, 1, {0xFFFFFFFF});
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
    ASSERT_TRUE(DestroyWindow(window_));
    window_ = nullptr;
    const D3D8Test::ColoredVertex quad[4] = {};
    IDirect3DSurface8* surface = nullptr;
    IDirect3DTexture8* made = nullptr;
    D3DPRESENT_PARAMETERS parameters = WindowedParameters(nullptr, 64, 64);
    const std::function<HRESULT()> calls[] = {
        [&] { return device_->TestCooperativeLevel(); },
        [&] { return device_->Present(nullptr, nullptr, nullptr, nullptr); },
        [&] { return device_->BeginScene(); },
        [&] { return device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0); },
        [&] { return device_->SetRenderState(D3DRS_LIGHTING, FALSE); },
        [&] { return device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE); },
        [&] { return device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(quad[0])); },
        [&] { return device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface); },
        [&] { return device_->Reset(&parameters); },
        [&] { return D3DXCreateTexture(device_, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &made); },
    };
    for (size_t i = 0; i < sizeof(calls) / sizeof(calls[0]); ++i)
        EXPECT_EQ(calls[i](), D3DERR_INVALIDCALL) << "call " << i;
    EXPECT_EQ(surface, nullptr);
    EXPECT_EQ(made, nullptr);
    // The device still gives up what it holds.
    EXPECT_EQ(texture->Release(), 1u);
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    EXPECT_EQ(texture->AddRef(), 0u);
}

// Runs the next test in a fresh process of this binary under the dummy driver, which has no OpenGL.
TEST(Direct3DTest, WithoutOpenGLDevicesAreNotAvailable) {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    ASSERT_GT(length, 0);
    self[length] = '\0';
    const TestSupport::ChildResult result = TestSupport::RunProgram(
        self, {"--gtest_filter=Direct3DWithoutOpenGL.*"}, {"SDL_VIDEODRIVER=dummy", "ZEP_D3D8_WITHOUT_OPENGL=1"});
    EXPECT_EQ(result.exitCode, 0) << result.stdErr;
    EXPECT_NE(result.stdErr.find("checked without OpenGL"), std::string::npos) << result.stdErr;
}

TEST(Direct3DWithoutOpenGL, CreateDeviceAnswersNotAvailable) {
    if (!std::getenv("ZEP_D3D8_WITHOUT_OPENGL"))
        GTEST_SKIP() << "run by WithoutOpenGLDevicesAreNotAvailable";
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    const HWND window = MakeWindow(64, 64);
    ASSERT_NE(window, nullptr);
    D3DPRESENT_PARAMETERS parameters = WindowedParameters(window, 64, 64);
    IDirect3DDevice8* device = nullptr;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device, nullptr);
    d3d->Release();
    std::fprintf(stderr, "checked without OpenGL\n");
}

}  // namespace
