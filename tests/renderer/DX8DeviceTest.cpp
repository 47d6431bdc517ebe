#include <algorithm>

#include "DX8TestSupport.h"

using Calls = std::vector<std::string>;

namespace {

class DX8DeviceTest : public DX8Testing::RendererTest {};

// A render-target resource: gives up its Direct3D texture before a reset.
struct TargetResource : DiscardableResource {
    void Discard() override {
        if (texture)
            texture->Release();
        texture = nullptr, ++discards;
    }
    IDirect3DTexture8* texture = nullptr;
    int discards = 0;
};

Calls Only(const Calls& calls, const std::string& prefixes) {
    Calls kept;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(kept), [&](const std::string& call) {
        return prefixes.find(call.substr(0, call.find('('))) != std::string::npos;
    });
    return kept;
}

const Calls kDefaultStates = {
    "SetRenderState(137, 0)",         "SetRenderState(7, 0)",           "SetRenderState(27, 1)",
    "SetTextureStageState(0, 4, 4)",  "SetRenderState(22, 1)",          "SetTextureStageState(0, 17, 2)",
    "SetTextureStageState(0, 16, 2)", "SetTextureStageState(0, 18, 2)", "SetTextureStageState(0, 13, 3)",
    "SetTextureStageState(0, 14, 3)", "SetTextureStageState(1, 17, 2)", "SetTextureStageState(1, 16, 2)",
    "SetTextureStageState(1, 18, 2)", "SetTextureStageState(1, 13, 3)", "SetTextureStageState(1, 14, 3)",
    "SetRenderState(19, 5)",          "SetRenderState(20, 6)"};

TEST_F(DX8DeviceTest, ANewDeviceStartsWithTheDefaultStates) {
    DX8Renderer other;
    other.Initialize();
    const HWND second = DX8Testing::MakeWindow(64, 64);
    const Calls calls = CallsOf([&] { other.OpenRenderContext(second, false); });
    EXPECT_EQ(kDefaultStates, Only(calls, "SetRenderState SetTextureStageState"));
    other.Shutdown();
    DestroyWindow(second);
}

TEST_F(DX8DeviceTest, FurtherWindowsDrawIntoSwapChains) {
    const HWND second = DX8Testing::MakeWindow(320, 240);
    auto* swapped = static_cast<DX8RenderContext*>(renderer->OpenRenderContext(second, false));
    EXPECT_TRUE(context->IsDefault());
    EXPECT_FALSE(swapped->IsDefault());
    EXPECT_TRUE(swapped->HasBackBuffer());
    EXPECT_EQ(320u * 240u, Capture(swapped).size());
    const std::string report = TestSupport::QuietReportOf([&] { swapped->SetFullscreen(true); });
    EXPECT_EQ(0u, report.find("Assertion failed in file \"LumoSources\\Platforms\\Win32\\Win32DX8RenderContext.cpp"));
    EXPECT_EQ(
        "Trying to create a full screen window on a device that already has a window registered as the default "
        "render context",
        DX8Testing::MessageOf(report));

    // The default context gone, the other one draws into the device's own back buffer.
    Win32DX8Device* device = swapped->GetDevice();
    renderer->DestroyRenderContext(context);
    EXPECT_EQ(nullptr, renderer->GetDefaultContext());
    EXPECT_TRUE(swapped->IsDefault());
    EXPECT_EQ(swapped, device->GetDefaultContext());
    IDirect3DSurface8* backBuffer = nullptr;
    device->GetD3DDevice()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    EXPECT_EQ(backBuffer, swapped->GetBackBuffer());
    backBuffer->Release();
    renderer->SetRenderContext(swapped);
    renderer->UpdateDevices(kWidth, kHeight, false);  // no default context of the game window left
    EXPECT_TRUE(renderer->IsDeviceReady());
    DestroyWindow(second);
}

TEST_F(DX8DeviceTest, LostDevicesAreResetOnceTheyMayBe) {
    TargetResource target;
    D3DXCreateTexture(renderer->GetDevice(), 16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                      &target.texture);
    renderer->AddDiscardableResource(&target);

    PlatformTest::InjectDeviceLoss();
    context->BeginRenderFrame();
    EXPECT_FALSE(context->EndRenderFrame());
    renderer->OnFramePresented(false);
    EXPECT_FALSE(renderer->IsDeviceReady());

    // The next frame skips the device; the check at its end resets it, and the reset is
    // answered with "still lost": no surfaces until the next try.
    PlatformTest::FailNextReset(D3DERR_DEVICELOST);
    const Calls frame = CallsOf([&] {
        renderer->BeginRenderFrame();
        renderer->EndRenderFrame();
    });
    EXPECT_EQ((Calls{"TestCooperativeLevel()", "Release()", "Release()", "Reset()"}),
              Only(frame, "BeginScene EndScene Present TestCooperativeLevel Release Reset"));
    EXPECT_EQ(1, target.discards);
    EXPECT_FALSE(context->HasBackBuffer());
    EXPECT_FALSE(renderer->IsDeviceReady());

    const Calls calls = CallsOf([&] { renderer->UpdateDevices(kWidth, kHeight, false); });
    const auto reset = std::find(calls.begin(), calls.end(), "Reset()");
    ASSERT_NE(calls.end(), reset);
    EXPECT_EQ(kDefaultStates, Only(Calls(reset, calls.end()), "SetRenderState SetTextureStageState"));
    EXPECT_TRUE(renderer->IsDeviceReady());
    EXPECT_TRUE(context->HasBackBuffer());
    context->BeginRenderFrame();
    EXPECT_TRUE(context->EndRenderFrame());
    renderer->RemoveDiscardableResource(&target);
}

TEST_F(DX8DeviceTest, CapturesAndDisplayFormats) {
    renderer->BeginRenderFrame();
    renderer->ClearScreen(Zep::Color(0xFF000000u));
    renderer->DrawAabb2d(Zep::Vector2(0, 0), Zep::Vector2(1, 1), Zep::Color(0xFFFF0000u), true);
    renderer->DrawAabb2d(Zep::Vector2(799, 599), Zep::Vector2(800, 600), Zep::Color(0xFF00FF00u), true);
    int32_t width = 0, height = 0;
    const std::vector<uint32_t> pixels = context->CaptureBackBuffer(width, height);
    renderer->EndRenderFrame();
    EXPECT_EQ(800, width);
    EXPECT_EQ(600, height);
    EXPECT_EQ(1920000u, pixels.size() * sizeof(uint32_t));
    EXPECT_EQ(0xFFFF0000u, pixels.front());
    EXPECT_EQ(0xFF00FF00u, pixels.back());

    for (D3DFORMAT format : {D3DFMT_P8, D3DFMT_A8P8}) {
        PlatformTest::SetAdapterDisplayFormat(format);
        EXPECT_EQ(
            "This game does not support 8 bit color quality. Please change your display settings to 16 bit or "
            "above",
            DX8Testing::MessageOf(
                TestSupport::QuietReportOf([&] { renderer->GetCurrentDevice()->GetDisplayFormat(); })));
    }
    PlatformTest::SetAdapterDisplayFormat(D3DFMT_UNKNOWN);
    EXPECT_EQ(D3DFMT_X8R8G8B8, renderer->GetCurrentDevice()->GetDisplayFormat());
}

TEST_F(DX8DeviceTest, FullScreenAndBackKeepTheSizesAsked) {
    int32_t width = 0, height = 0;
    for (const auto& [w, h, fullscreen] : {std::tuple{1024, 768, true}, {800, 600, false}}) {
        renderer->UpdateDevices(w, h, fullscreen);
        EXPECT_TRUE(renderer->IsDeviceReady());
        context->CaptureBackBuffer(width, height);
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        EXPECT_EQ(fullscreen ? FALSE : TRUE, context->PresentParameters().Windowed);
    }
}

}  // namespace
