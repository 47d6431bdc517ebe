// The Direct3D 8 renderer on a real window of the layer: a game window, textures made
// through the layer, and the pixels of the back buffer read back through the context.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <d3dx8.h>

#include "Common/Texture.h"
#include "FixedGameWindow.h"
#include "LumoSources/Common/PlatformVideoSystem.h"
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8Device.h"
#include "LumoSources/Platforms/Win32/Win32DX8RenderContext.h"
#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"
#include "ReportOf.h"
#include "TestHooks.h"
#include "TestSupport.h"

namespace DX8Testing {

// The message of a report, after its file and line.
inline std::string MessageOf(const std::string& report) {
    const size_t start = report.find(":\n  ");
    return start == std::string::npos ? report : report.substr(start + 4);
}

inline HWND MakeWindow(int width, int height) {
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &DefWindowProcA;
        windowClass.lpszClassName = "RendererTest";
        return RegisterClassA(&windowClass) != 0;
    }();
    (void)registered;
    return CreateWindowExA(WS_EX_APPWINDOW, "RendererTest", "Renderer", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                           nullptr, nullptr);
}

class TestGameWindow : public TestSupport::FixedGameWindow {
public:
    explicit TestGameWindow(HWND handle) : FixedGameWindow(800, 600, handle) {}
};

// An image of width x height texels (0xAARRGGBB, top row first) in a managed A8R8G8B8
// texture of the allocated size, whose padding holds the colour padding. A render target
// when texels is empty.
class TestTexture : public Zep::Texture {
public:
    TestTexture(IDirect3DDevice8* device, int32_t w, int32_t h, int32_t allocatedW, int32_t allocatedH,
                const std::vector<uint32_t>& texels, uint32_t padding = 0xFFFF00FFu) {
        width = w, height = h, allocatedWidth = allocatedW, allocatedHeight = allocatedH;
        const bool target = texels.empty();
        EXPECT_EQ(D3D_OK, D3DXCreateTexture(device, allocatedW, allocatedH, 1, target ? D3DUSAGE_RENDERTARGET : 0,
                                            D3DFMT_A8R8G8B8, target ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED, &texture));
        if (target || !texture)
            return;
        D3DLOCKED_RECT locked;
        EXPECT_EQ(D3D_OK, texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD));
        for (int32_t y = 0; y < allocatedH; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (int32_t x = 0; x < allocatedW; ++x)
                row[x] = x < w && y < h ? texels[y * w + x] : padding;
        }
        texture->UnlockRect(0);
    }
    ~TestTexture() override {
        if (texture)
            texture->Release();
    }
    void* GetSystemHandle() override { return texture; }

    IDirect3DTexture8* texture = nullptr;
};

// A DX8Renderer on an 800 x 600 game window, its context current and its projection
// one unit per pixel.
class RendererTest : public ::testing::Test {
public:
    static const int kWidth = 800;
    static const int kHeight = 600;

protected:
    void SetUp() override {
        window = MakeWindow(kWidth, kHeight);
        ASSERT_NE(nullptr, window);
        gameWindow = new TestGameWindow(window);
        gameRenderWindowSubsystem.SetInstance(gameWindow);
        videoSubsystem.CreateInstance();
        {
            TestSupport::StderrCapture quiet;
            videoSubsystem.GetInstance()->Initialize();
        }
        renderer = MakeRenderer();
        rendererSubsystem.SetInstance(renderer);
        renderer->Initialize();
        context = static_cast<DX8RenderContext*>(renderer->OpenRenderContext(window, false));
        renderer->SetRenderContext(context);
        renderer->SetProjection2d(0, 0, kWidth, kHeight);
    }
    void TearDown() override {
        PlatformTest::RecordD3DCalls(false);
        if (PlatformRenderer::IsFrameOpen())
            renderer->EndRenderFrame();
        renderer->Shutdown();
        delete renderer;
        rendererSubsystem.SetInstance(nullptr);
        delete videoSubsystem.GetInstance();
        videoSubsystem.SetInstance(nullptr);
        gameRenderWindowSubsystem.SetInstance(nullptr);
        delete gameWindow;
        DestroyWindow(window);
    }

    // A test may make a renderer of its own class.
    virtual DX8Renderer* MakeRenderer() { return new DX8Renderer(); }

    // The back buffer as the context captures it.
    std::vector<uint32_t> Capture(DX8RenderContext* from = nullptr) {
        int32_t width = 0, height = 0;
        return (from ? from : context)->CaptureBackBuffer(width, height);
    }
    // The calls recorded while the action ran.
    std::vector<std::string> CallsOf(const std::function<void()>& action) {
        PlatformTest::RecordD3DCalls(true);
        PlatformTest::TakeD3DCalls();
        action();
        PlatformTest::RecordD3DCalls(false);
        return PlatformTest::TakeD3DCalls();
    }

    HWND window = nullptr;
    TestGameWindow* gameWindow = nullptr;
    DX8Renderer* renderer = nullptr;
    DX8RenderContext* context = nullptr;
};

}  // namespace DX8Testing
