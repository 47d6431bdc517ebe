#include "Common/TextureManager.h"
#include "DX8TestSupport.h"
#include "Platforms/Win32/Win32Texture.h"

using Zep::MemoryTexture;
using Zep::Vector2;

namespace {

// Opaque texels that differ. DXT: solid blocks, every index 0 (in 16 bytes: a white DXT1
// block or a DXT5 alpha part, then a colour part).
void Fill(MemoryTexture& image) {
    for (int i = 0; i < image.GetMipLevelSize(0); ++i) {
        const int j = i % 16;
        const bool dxt = Zep::IsDXTFormat(image.GetFormat()),
                   alpha = image.GetFormat() == Zep::FORMAT_ARGB4444 && i % 2;
        image.GetMipLevel(0)[i] = dxt ? (j < 2              ? 255
                                         : j >= 8 && j < 12 ? uint8_t(i * 37)
                                                            : 0)
                                      : uint8_t((i * 37 + i / 7) | alpha * 0xF0);
    }
}

class Win32TextureTest : public DX8Testing::RendererTest {
protected:
    void TearDown() override {
        PlatformTest::SetFormatSupported(D3DFMT_UNKNOWN, true);
        Zep::TextureManager::GetInstance()->Drain(100);
        RendererTest::TearDown();
    }
    void Stamp(Zep::Texture* texture, float w, float h) {
        renderer->DrawTexturedRect2d(texture, Vector2(0, 0), Vector2(w, h), Vector2(0, 0), Vector2(1, 1), 0,
                                     Vector2(1, 1), Zep::Color(0xFFFFFFFFu), 0);
    }
    // The texture drawn at (0, 0) in w x h pixels on black, captured.
    std::vector<uint32_t> Draw(Zep::Texture* texture, float w, float h) {
        renderer->BeginRenderFrame();
        renderer->SetProjection2d(0, 0, kWidth, kHeight);  // a reset forgets it
        renderer->ClearScreen(Zep::Color(0xFF000000u));
        Stamp(texture, w, h);
        std::vector<uint32_t> pixels = Capture();
        renderer->EndRenderFrame();
        return pixels;
    }
};

TEST_F(Win32TextureTest, ImagesBecomePowerOfTwoTexturesOfAFormatTheCardTakes) {
    const std::string card =
        "Your video card doesn't support the game texture format. Please update your video card driver";
    struct Case {
        int32_t format, w, h, levels;
        D3DFORMAT off;
        std::vector<int32_t> made;  // format, allocated width and height, memory size
        std::string report;
        uint32_t flags = 0;
    } cases[] = {{Zep::FORMAT_DXT5, 300, 200, 1, D3DFMT_UNKNOWN, {Zep::FORMAT_DXT5, 512, 256, 131072}, ""},
                 {Zep::FORMAT_DXT5, 300, 200, 1, D3DFMT_DXT5, {Zep::FORMAT_ARGB8888, 512, 256, 524288}, ""},
                 {Zep::FORMAT_DXT1, 2, 3, 1, D3DFMT_UNKNOWN, {Zep::FORMAT_DXT1, 2, 4, 4}, ""},  // a level below a block
                 {Zep::FORMAT_DXT1, 12, 12, 3, D3DFMT_UNKNOWN, {Zep::FORMAT_DXT1, 16, 16, 128}, ""},  // levels 6 and 3
                 {Zep::FORMAT_ARGB4444, 5, 3, 1, D3DFMT_A4R4G4B4, {Zep::FORMAT_ARGB8888, 8, 4, 128}, ""},
                 {Zep::FORMAT_RGB888, 3, 1, 1, D3DFMT_UNKNOWN, {Zep::FORMAT_ARGB8888, 4, 1, 16 + 9}, "", 2},  // + copy
                 {Zep::FORMAT_RGB565, 3, 2, 1, D3DFMT_R5G6B5, {0, 0, 0, 0}, card},
                 {Zep::FORMAT_RGB5A3, 4, 4, 1, D3DFMT_UNKNOWN, {0, 0, 0, 0}, "GetD3DFormat(): Invalid texture format"}};
    for (const Case& c : cases) {
        PlatformTest::SetFormatSupported(c.off, false);
        MemoryTexture image;
        image.Create(c.w, c.h, c.format, c.levels);
        Fill(image);
        Zep::Win32::PlainTexture texture;
        const std::string report =
            TestSupport::QuietReportOf([&] { texture.CreateFromMemoryTexture(&image, c.flags | (c.levels > 1)); });
        PlatformTest::SetFormatSupported(D3DFMT_UNKNOWN, true);
        EXPECT_EQ(c.report, DX8Testing::MessageOf(report)) << c.format;
        EXPECT_EQ(c.report.empty(), report.find("\"Platforms\\Win32\\Win32Texture.cpp\"") == std::string::npos);
        EXPECT_EQ(c.made, (std::vector<int32_t>{texture.GetFormat(), texture.GetAllocatedWidth(),
                                                texture.GetAllocatedHeight(), texture.GetMemorySize()}));
        if (!report.empty())
            continue;
        const std::vector<uint32_t> pixels = Draw(&texture, float(c.w), float(c.h));
        int wrong = 0;
        uint32_t expected = 0, read = 0;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                image.GetPixel(expected, x, y);
                wrong += pixels[size_t(y) * kWidth + x] != (expected | 0xFF000000u);
            }
        texture.GetPixel(read, c.w - 1, c.h - 1);  // from the memory copy only
        EXPECT_EQ(c.flags ? expected : 0xFFFFFFFFu, read);
        EXPECT_EQ(0, wrong) << c.format << " " << c.w << " with " << c.off << " off";
    }
}

TEST_F(Win32TextureTest, MipLevelsAreUploadedOrGenerated) {
    // 4 x 4, a white centre in black, lower levels green. Drawn into one pixel: the last
    // level's colour, or with one level the linear sample at the centre.
    const std::string create = "D3DXCreateTexture(4, 4, ", load = "D3DXLoadSurfaceFromMemory(21, ";
    struct Case {
        int32_t sourceLevels;
        uint32_t flags;
        std::vector<std::string> calls;
        uint32_t minified;
    } cases[] = {
        {3, 0, {create + "1, 0, 21, 1)", load + "16, 1, 0)"}, 0xFFFFFFFFu},
        {1, 1, {create + "0, 0, 21, 1)", load + "16, 1, 0)", "D3DXFilterTexture(0, 4294967295)"}, 0xFF404040u},
        {3, 1, {create + "3, 0, 21, 1)", load + "16, 1, 0)", load + "8, 1, 0)", load + "4, 1, 0)"}, 0xFF00FF00u}};
    for (const Case& c : cases) {
        MemoryTexture image;
        image.Create(4, 4, Zep::FORMAT_ARGB8888, c.sourceLevels);
        for (int i = 0; i < 16; ++i)
            reinterpret_cast<uint32_t*>(image.GetMipLevel(0))[i] = (0x0660 >> i & 1) ? ~0u : 0xFF000000u;
        for (int level = 1; level < c.sourceLevels; ++level)
            std::fill_n(reinterpret_cast<uint32_t*>(image.GetMipLevel(level)), 16 >> 2 * level, 0xFF00FF00u);
        Zep::Win32::PlainTexture texture;
        std::vector<std::string> calls = CallsOf([&] { texture.CreateFromMemoryTexture(&image, c.flags); });
        calls.erase(std::remove_if(calls.begin(), calls.end(), [](auto& call) { return call.find("D3DX") != 0; }),
                    calls.end());
        EXPECT_EQ(c.calls, calls);
        const uint32_t drawn = Draw(&texture, 1, 1)[0];
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(int(c.minified >> shift & 0xFF), int(drawn >> shift & 0xFF), 1) << c.sourceLevels << c.flags;
    }
}

TEST_F(Win32TextureTest, CreationDrainsTheTextureCacheWhileMemoryRunsOut) {
    MemoryTexture image;
    image.Create(8, 8, Zep::FORMAT_ARGB8888, 1);
    struct Case {
        unsigned failures;
        HRESULT result;
        size_t drains;
        std::string report;
    } cases[] = {{3, D3DERR_OUTOFVIDEOMEMORY, 3, ""},
                 {4, E_OUTOFMEMORY, 3, "Failed to create Direct3D texture: not enough memory"},
                 {1, E_FAIL, 0, "Failed to create Direct3D texture: unknown error"}};
    Zep::TextureManager* manager = Zep::TextureManager::GetInstance();
    for (const Case& c : cases) {
        // Four cached, unreferenced render targets: each drain unloads one.
        for (const char* name : {"#a", "#b", "#c", "#d"})
            manager->GetTexture(name)->Release();
        Zep::Win32::PlainTexture texture;
        PlatformTest::FailTextureCreations(c.failures, c.result);
        const std::string report = TestSupport::QuietReportOf([&] { texture.CreateFromMemoryTexture(&image, 0); });
        EXPECT_EQ(c.report, DX8Testing::MessageOf(report)) << c.failures;
        EXPECT_EQ(4 - int(c.drains), manager->GetNumTextures());
        manager->Drain(100);
        EXPECT_EQ(c.report.empty(), texture.GetSystemHandle() != nullptr);
    }
}

TEST_F(Win32TextureTest, RenderTargetsComeBackAfterAResetAndLeaveTheListWhenDestroyed) {
    auto* target = new Zep::Win32::RenderTargetTexture(200, 100);
    EXPECT_EQ(256 * 1000 + 128, target->GetAllocatedWidth() * 1000 + target->GetHeight());
    auto fill = [&](uint32_t colour) {  // the target cleared to the colour, then drawn
        renderer->BeginRenderFrame();
        renderer->SetRenderTargetTexture(target);
        renderer->ClearScreen(Zep::Color(colour));
        renderer->SetRenderTargetTexture(nullptr);
        renderer->EndRenderFrame();
        return Draw(target, 256, 128)[127 * kWidth + 255];
    };
    EXPECT_EQ(0xFFFF0000u, fill(0xFFFF0000u));
    // Bound on a stage, its texture outlives a discard until the stage lets it go.
    renderer->BeginRenderFrame();
    Stamp(target, 1, 1);
    renderer->ReleaseDiscardableResources();
    renderer->ClearScreen(Zep::Color(0xFF000000u));
    Stamp(target, 1, 1);
    EXPECT_EQ(0xFFFF0000u, Capture()[0]);
    PlatformTest::InjectDeviceLoss();
    renderer->EndRenderFrame();
    renderer->UpdateDevices(kWidth, kHeight, false);  // the reset
    ASSERT_TRUE(renderer->IsDeviceReady());
    uint32_t green = 0;  // in a new render-target texture of the default pool
    const std::vector<std::string> calls = CallsOf([&] { green = fill(0xFF00FF00u); });
    EXPECT_EQ(1, std::count(calls.begin(), calls.end(), "D3DXCreateTexture(256, 128, 1, 1, 21, 0)"));
    EXPECT_EQ(0xFF00FF00u, green);
    delete target;
    renderer->ReleaseDiscardableResources();  // a target left in the list would be used after its end
    target = new Zep::Win32::RenderTargetTexture(4, 4);
    rendererSubsystem.SetInstance(nullptr);
    delete target;  // after the renderer
    rendererSubsystem.SetInstance(renderer);
}

}  // namespace
