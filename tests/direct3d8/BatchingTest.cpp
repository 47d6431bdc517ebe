// Merging of consecutive draws: invisible in pixels, results and call records; one OpenGL
// draw for a run of draws on the same states, given to OpenGL before anything that depends
// on it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "Direct3D8TestSupport.h"
#include "TestHooks.h"
#include "TestSupport.h"

namespace {

using D3D8Test::DrawQuad;
using D3D8Test::DrawTexturedQuad;
using D3D8Test::SetProjection2d;
using D3D8Test::TexturedVertex;

void DrawLineStrip(IDirect3DDevice8* device) {
    const D3D8Test::ColoredVertex line[3] = {
        {400, 40, 0, 0xFFFFFF00}, {500, 45, 0, 0xFFFFFF00}, {450, 80, 0, 0xFFFF00FF}};
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_LINESTRIP, 2, line, sizeof(line[0]));
}

class BatchingTest : public D3D8Test::DeviceTest {
protected:
    void TearDown() override {
        PlatformTest::SetBatching(true);
        DeviceTest::TearDown();
    }

    std::vector<uint32_t> Pattern(UINT width, UINT height, uint32_t seed) {
        std::vector<uint32_t> texels(width * height);
        for (uint32_t i = 0; i < texels.size(); ++i)
            texels[i] = ((seed * 2654435761u) ^ (i * 40503u) ^ (i << 20)) | (i % 3 == 0 ? 0xFF000000u : 0x80000000u);
        return texels;
    }

    void Fill(IDirect3DTexture8* texture, UINT width, UINT height, const std::vector<uint32_t>& texels) {
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
        for (UINT row = 0; row < height; ++row)
            std::memcpy(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch, &texels[row * width], width * 4);
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    }

    struct SceneResult {
        std::vector<uint32_t> pixels;
        std::vector<std::string> calls;
        uint64_t draws;
    };

    // Two textures, blend changes, rotated quads with linear filtering, a clear over earlier
    // draws, a line strip, a render-target switch in the middle, a texture locked again and
    // one loaded again between draws.
    SceneResult DrawMixedScene(bool batching) {
        PlatformTest::SetBatching(batching);
        SceneResult result;
        IDirect3DTexture8* first = D3D8Test::MakeTexture(device_, 8, 8, Pattern(8, 8, 1));
        IDirect3DTexture8* second = D3D8Test::MakeTexture(device_, 16, 4, Pattern(16, 4, 2));
        IDirect3DTexture8* target = nullptr;
        D3DXCreateTexture(device_, 64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target);
        if (!first || !second || !target) {
            ADD_FAILURE() << "no textures";
            return result;
        }
        const uint64_t draws = PlatformTest::GetGLDrawCount();
        PlatformTest::RecordD3DCalls(true);
        IDirect3DDevice8* device = device_;
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
        SetProjection2d(device, 0, 0, kWidth, kHeight);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        device->SetTexture(0, first);
        for (int i = 0; i < 30; ++i) {
            const float x = 7.3f * i, y = 3.1f * (i % 7);
            DrawTexturedQuad(device, x, y, x + 26, y + 37, 0xFF000000u | (i * 0x081018u));
        }
        // A clear over part of what was drawn, then additive quads.
        const D3DRECT cleared = {50, 0, 90, 120};
        device->Clear(1, &cleared, D3DCLEAR_TARGET, 0xFF000080, 1.0f, 0);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        device->SetTexture(0, first);
        for (int i = 0; i < 6; ++i)
            DrawTexturedQuad(device, 40.0f + 9 * i, 60, 70.0f + 9 * i, 90, 0x80FFFFFF);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        // Rotated quads: the world transform changes around each.
        for (int i = 0; i < 4; ++i) {
            D3DXMATRIX world, toOrigin, rotation, back, product;
            D3DXMatrixTranslation(&toOrigin, -300, -200, 0);
            D3DXMatrixRotationZ(&rotation, 0.3f + 0.4f * i);
            D3DXMatrixTranslation(&back, 300, 200, 0);
            D3DXMatrixMultiply(&product, &toOrigin, &rotation);
            D3DXMatrixMultiply(&world, &product, &back);
            device->SetTransform(D3DTS_WORLD, &world);
            DrawTexturedQuad(device, 270, 180, 330, 220, 0xFFFFFFFF);
            DrawTexturedQuad(device, 250, 150, 270, 170, 0xFFFFFFFF);
        }
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        device->SetTransform(D3DTS_WORLD, &identity);
        // A line strip between fans.
        device->SetTexture(0, nullptr);
        DrawQuad(device, 400, 10, 420, 30, 0xFF00FF00);
        DrawLineStrip(device);
        DrawQuad(device, 430, 10, 450, 30, 0xFF0000FF);
        // Into the render target and back: the target drawn in the back buffer.
        IDirect3DSurface8* surface = nullptr;
        IDirect3DSurface8* backBuffer = nullptr;
        target->GetSurfaceLevel(0, &surface);
        device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
        device->SetRenderTarget(surface, nullptr);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
        SetProjection2d(device, 0, 0, 64, 32);
        device->SetTexture(0, second);
        DrawTexturedQuad(device, 2, 2, 40, 20, 0xFFFFFFFF);
        DrawTexturedQuad(device, 30, 10, 62, 30, 0xC0FFFFFF);
        device->SetRenderTarget(backBuffer, nullptr);
        SetProjection2d(device, 0, 0, kWidth, kHeight);
        device->SetTexture(0, target);
        DrawTexturedQuad(device, 500, 300, 628, 364, 0xFFFFFFFF);
        // The same texture locked and filled again between two draws, then loaded again.
        device->SetTexture(0, first);
        DrawTexturedQuad(device, 600, 100, 640, 140, 0xFFFFFFFF);
        Fill(first, 8, 8, Pattern(8, 8, 3));
        DrawTexturedQuad(device, 650, 100, 690, 140, 0xFFFFFFFF);
        IDirect3DSurface8* firstLevel = nullptr;
        first->GetSurfaceLevel(0, &firstLevel);
        const std::vector<uint32_t> again = Pattern(8, 8, 4);
        const RECT whole = {0, 0, 8, 8};
        D3DXLoadSurfaceFromMemory(firstLevel, nullptr, nullptr, again.data(), D3DFMT_A8R8G8B8, 32, nullptr, &whole,
                                  D3DX_FILTER_NONE, 0);
        DrawTexturedQuad(device, 700, 100, 740, 140, 0xFFFFFFFF);
        device->SetTexture(0, nullptr);
        device->EndScene();
        result.draws = PlatformTest::GetGLDrawCount() - draws;
        result.pixels = D3D8Test::Capture(device);
        result.calls = PlatformTest::TakeD3DCalls();
        PlatformTest::RecordD3DCalls(false);
        firstLevel->Release();
        surface->Release();
        backBuffer->Release();
        target->Release();
        second->Release();
        first->Release();
        return result;
    }
};

TEST_F(BatchingTest, MixedSceneIsTheSameWithAndWithoutBatching) {
    const SceneResult merged = DrawMixedScene(true);
    const SceneResult alone = DrawMixedScene(false);
    ASSERT_EQ(merged.pixels.size(), kWidth * kHeight);
    ASSERT_EQ(alone.pixels.size(), merged.pixels.size());
    size_t differing = 0;
    for (size_t i = 0; i < merged.pixels.size(); ++i)
        differing += merged.pixels[i] != alone.pixels[i];
    EXPECT_EQ(differing, 0u);
    EXPECT_EQ(merged.calls, alone.calls);
    // One OpenGL draw per call without batching; far fewer with it.
    EXPECT_EQ(alone.draws, 53u);
    EXPECT_LT(merged.draws, 20u);
}

TEST_F(BatchingTest, RandomFansAndStripsDrawTheSameMerged) {
    // Interpolation in llvmpipe depends on the order of a triangle's corners: merged
    // triangles must keep the order OpenGL gives fans and strips.
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 16, 16, Pattern(16, 16, 9));
    ASSERT_NE(texture, nullptr);
    SetProjection2d(device_, 0, 0, kWidth, kHeight);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetTexture(0, texture);
    device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    for (D3DPRIMITIVETYPE type : {D3DPT_TRIANGLEFAN, D3DPT_TRIANGLESTRIP}) {
        SCOPED_TRACE(type);
        std::vector<uint32_t> captures[2];
        for (bool batching : {true, false}) {
            PlatformTest::SetBatching(batching);
            device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            std::mt19937 random(7);
            std::uniform_real_distribution<float> x(0, kWidth), y(0, kHeight), uv(-0.5f, 1.5f);
            for (int i = 0; i < 300; ++i) {
                TexturedVertex vertices[6];
                for (TexturedVertex& vertex : vertices)
                    vertex = {x(random),  y(random), 0, static_cast<D3DCOLOR>(random()) | 0x40000000u,
                              uv(random), uv(random)};
                ASSERT_EQ(device_->DrawPrimitiveUP(type, 4, vertices, sizeof(vertices[0])), D3D_OK);
            }
            captures[batching] = D3D8Test::Capture(device_);
        }
        size_t differing = 0;
        for (size_t i = 0; i < captures[0].size(); ++i)
            differing += captures[0][i] != captures[1][i];
        EXPECT_EQ(differing, 0u);
    }
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(BatchingTest, ThousandSameStateQuadsAreOneOpenGLDraw) {
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 2, 2, Pattern(2, 2, 5));
    SetProjection2d(device_, 0, 0, kWidth, kHeight);
    device_->SetTexture(0, texture);
    for (const bool batching : {true, false}) {
        PlatformTest::SetBatching(batching);
        const uint64_t before = PlatformTest::GetGLDrawCount();
        // SetVertexShader before each, as the renderer does.
        device_->BeginScene();
        for (int i = 0; i < 1000; ++i)
            DrawTexturedQuad(device_, i % 700, i / 700, i % 700 + 26.0f, i / 700 + 37.0f, 0xFFFFFFFF);
        device_->EndScene();
        EXPECT_EQ(PlatformTest::GetGLDrawCount() - before, batching ? 1u : 1000u);
    }
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(BatchingTest, MergedDrawsGoToOpenGLBeforeWhatDependsOnThem) {
    // The bound texture has levels for D3DXFilterTexture to make.
    IDirect3DTexture8* bound = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device_, 4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &bound), D3D_OK);
    IDirect3DTexture8* other = D3D8Test::MakeTexture(device_, 4, 4, Pattern(4, 4, 7));
    IDirect3DTexture8* target = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device_, 16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    IDirect3DSurface8 *targetSurface = nullptr, *backBuffer = nullptr, *boundLevel = nullptr;
    target->GetSurfaceLevel(0, &targetSurface);
    bound->GetSurfaceLevel(0, &boundLevel);
    device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    // A second device drawing into this one's back buffer.
    const HWND otherWindow = D3D8Test::MakeWindow(100, 100);
    D3DPRESENT_PARAMETERS parameters = D3D8Test::WindowedParameters(otherWindow, 100, 100);
    IDirect3DDevice8* second = nullptr;
    ASSERT_EQ(
        d3d_->CreateDevice(0, D3DDEVTYPE_HAL, otherWindow, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &second),
        D3D_OK);
    second->SetRenderTarget(backBuffer, nullptr);
    SetProjection2d(second, 0, 0, kWidth, kHeight);
    const std::vector<uint32_t> pixels = Pattern(4, 4, 8);
    const RECT whole = {0, 0, 4, 4};
    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 1, 0, 0);
    D3DLOCKED_RECT locked;
    IDirect3DDevice8* device = device_;
    struct Case {
        const char* name;
        std::function<void()> action;
        uint64_t flushed;  // OpenGL draws the action makes of the merged ones
    };
    const Case cases[] = {
        {"Clear", [&] { device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0); }, 1},
        {"EndScene", [&] { device->EndScene(); }, 1},
        {"Present", [&] { device->Present(nullptr, nullptr, nullptr, nullptr); }, 1},
        {"capture", [&] { D3D8Test::Capture(device); }, 1},
        {"render target", [&] { device->SetRenderTarget(targetSurface, nullptr); }, 1},
        {"render state changed", [&] { device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE); }, 1},
        {"render state set as it is", [&] { device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE); }, 0},
        {"stage state changed", [&] { device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR); }, 1},
        {"texture changed", [&] { device->SetTexture(0, other); }, 1},
        {"texture set as it is", [&] { device->SetTexture(0, bound); }, 0},
        {"transform changed", [&] { device->SetTransform(D3DTS_WORLD, &moved); }, 1},
        {"vertex format changed", [&] { device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE); }, 1},
        {"bound texture unlocked", [&] { bound->LockRect(0, &locked, nullptr, 0), bound->UnlockRect(0); }, 1},
        {"bound texture read", [&] { bound->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), bound->UnlockRect(0); },
         0},
        {"another texture unlocked", [&] { other->LockRect(0, &locked, nullptr, 0), other->UnlockRect(0); }, 0},
        {"bound texture loaded",
         [&] {
             D3DXLoadSurfaceFromMemory(boundLevel, nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 16, nullptr,
                                       &whole, D3DX_FILTER_NONE, 0);
         },
         1},
        {"bound texture filtered", [&] { D3DXFilterTexture(bound, nullptr, 0, D3DX_DEFAULT); }, 1},
        {"line strip", [&] { DrawLineStrip(device); }, 2},
        // Its quad comes after the merged ones, over them; the capture draws it too.
        {"another device draws",
         [&] {
             DrawQuad(second, 5, 0, 15, 10, 0xFF00FF00);
             EXPECT_EQ(D3D8Test::Capture(device)[5 * kWidth + 7], 0xFF00FF00u);
         },
         2},
        {"Reset",
         [&] {
             D3DPRESENT_PARAMETERS again = D3D8Test::WindowedParameters(window_, kWidth, kHeight);
             device->Reset(&again);
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The states each case starts from.
        device->SetRenderTarget(backBuffer, nullptr);
        SetProjection2d(device, 0, 0, kWidth, kHeight);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
        device->SetTexture(0, bound);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        const uint64_t before = PlatformTest::GetGLDrawCount();
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(DrawTexturedQuad(device, 10.0f * i, 0, 10.0f * i + 8, 8, 0xFFFFFFFF), D3D_OK);
        EXPECT_EQ(PlatformTest::GetGLDrawCount(), before);
        c.action();
        EXPECT_EQ(PlatformTest::GetGLDrawCount() - before, c.flushed);
        device->EndScene();
    }
    // A read of the render target being drawn into sees the draws.
    device->SetRenderTarget(targetSurface, nullptr);
    SetProjection2d(device, 0, 0, 16, 16);
    device->SetTexture(0, nullptr);
    ASSERT_EQ(DrawQuad(device, 0, 0, 16, 16, 0xFF123456), D3D_OK);
    EXPECT_EQ(D3D8Test::LockedTexels(target, 0, 16, 16)[0], 0xFF123456u);
    device->SetRenderTarget(backBuffer, nullptr);
    for (IDirect3DSurface8* surface : {backBuffer, targetSurface, boundLevel})
        surface->Release();
    EXPECT_EQ(second->Release(), 0u);
    DestroyWindow(otherWindow);
    target->Release();
    other->Release();
    bound->Release();
}

// Runs the next test in a fresh process of this binary with ZEP_D3D_BATCHING=0.
TEST(Direct3DBatchingTest, TheEnvironmentSwitchesBatchingOff) {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    ASSERT_GT(length, 0);
    self[length] = '\0';
    const TestSupport::ChildResult result = TestSupport::RunProgram(
        self, {"--gtest_filter=Direct3DBatchingOff.*"}, {"ZEP_D3D_BATCHING=0", "ZEP_D3D8_BATCHING_CHILD=1"});
    EXPECT_EQ(result.exitCode, 0) << result.stdOut << result.stdErr;
    EXPECT_NE(result.stdErr.find("checked without batching"), std::string::npos) << result.stdErr;
}

class Direct3DBatchingOff : public D3D8Test::DeviceTest {};

TEST_F(Direct3DBatchingOff, EachDrawIsItsOwnOpenGLDraw) {
    if (!std::getenv("ZEP_D3D8_BATCHING_CHILD"))
        GTEST_SKIP() << "run by TheEnvironmentSwitchesBatchingOff";
    SetProjection2d(device_, 0, 0, kWidth, kHeight);
    const uint64_t before = PlatformTest::GetGLDrawCount();
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(DrawQuad(device_, 10.0f * i, 0, 10.0f * i + 5, 5, 0xFFFFFFFF), D3D_OK);
    EXPECT_EQ(PlatformTest::GetGLDrawCount() - before, 10u);
    std::fprintf(stderr, "checked without batching\n");
}

}  // namespace
