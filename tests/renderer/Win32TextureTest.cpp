#include <memory>

#include "Common/TextureManager.h"
#include "DX8TestSupport.h"
#include "Platforms/Win32/Win32Texture.h"

using Calls = std::vector<std::string>;
using Zep::MemoryTexture;
using Zep::Vector2;

namespace {

// Solid opaque blocks: 8-byte units alternate {255, 255, 0...} (a DXT5 alpha part, or a
// white DXT1 block) and {c, c, 0...} (a colour part with both end colours c).
void FillBlocks(MemoryTexture& image, uint16_t c) {
    for (int i = 0; i < image.GetMipLevelSize(0); i += 8, c = uint16_t(c * 31 + 7)) {
        const uint8_t odd[8] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 8)}, even[8] = {255, 255};
        std::memcpy(image.GetMipLevel(0) + i, i % 16 ? odd : even, 8);
    }
}

// Bytes that differ from texel to texel, the alpha bits set.
void FillBytes(MemoryTexture& image, uint32_t value) {
    uint8_t* bytes = image.GetMipLevel(0);
    const int32_t format = image.GetFormat();
    for (int i = 0; i < image.GetMipLevelSize(0); ++i) {
        bytes[i] = uint8_t(value + i * 37 + i / 7);
        if ((format == Zep::FORMAT_ARGB8888 && i % 4 == 3) || (format == Zep::FORMAT_ARGB4444 && i % 2))
            bytes[i] |= format == Zep::FORMAT_ARGB8888 ? 0xFF : 0xF0;
    }
}

D3DSURFACE_DESC DescOf(Zep::Texture& texture) {
    D3DSURFACE_DESC desc = {};
    IDirect3DSurface8* surface = nullptr;
    static_cast<IDirect3DTexture8*>(texture.GetSystemHandle())->GetSurfaceLevel(0, &surface);
    surface->GetDesc(&desc);
    surface->Release();
    return desc;
}

int CountOf(const Calls& calls, const std::string& prefix) {
    return int(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.find(prefix) == 0; }));
}

class Win32TextureTest : public DX8Testing::RendererTest {
protected:
    void TearDown() override {
        PlatformTest::SetFormatSupported(D3DFMT_UNKNOWN, true);
        Zep::TextureManager::GetInstance()->TakeDrainCalls();
        RendererTest::TearDown();
    }
    // The texture drawn at (0, 0) at the given size on black, captured.
    std::vector<uint32_t> Draw(Zep::Texture* texture, float w, float h) {
        renderer->BeginRenderFrame();
        renderer->ClearScreen(Zep::Color(0xFF000000u));
        renderer->DrawTexturedRect2d(texture, Vector2(0, 0), Vector2(w, h), Vector2(0, 0), Vector2(1, 1), 0,
                                     Vector2(1, 1), Zep::Color(0xFFFFFFFFu), 0);
        std::vector<uint32_t> pixels = Capture();
        renderer->EndRenderFrame();
        return pixels;
    }
};

TEST_F(Win32TextureTest, FormatsFallBackToArgbOnlyWhereTheyMay) {
    const std::string videoCard =
        "Your video card doesn't support the game texture format. Please update your video card driver";
    struct Case {
        int32_t format;
        std::vector<D3DFORMAT> off;
        int32_t chosen;  // -1: the report
        std::string report;
    } cases[] = {{Zep::FORMAT_DXT5, {}, Zep::FORMAT_DXT5, ""},
                 {Zep::FORMAT_DXT5, {D3DFMT_DXT5}, Zep::FORMAT_ARGB8888, ""},
                 {Zep::FORMAT_ARGB4444, {D3DFMT_A4R4G4B4}, Zep::FORMAT_ARGB8888, ""},
                 {Zep::FORMAT_RGB888, {}, Zep::FORMAT_ARGB8888, ""},  // no card of the layer takes R8G8B8
                 {Zep::FORMAT_RGB565, {}, Zep::FORMAT_RGB565, ""},
                 {Zep::FORMAT_RGB565, {D3DFMT_R5G6B5}, -1, videoCard},
                 {Zep::FORMAT_ARGB8888, {D3DFMT_A8R8G8B8}, -1, videoCard},
                 {Zep::FORMAT_DXT1, {D3DFMT_DXT1, D3DFMT_A8R8G8B8}, -1, videoCard},
                 {Zep::FORMAT_RGB5A3, {}, -1, "GetD3DFormat(): Invalid texture format"},
                 {Zep::FORMAT_PVRTC4_RGBA, {}, -1, "GetD3DFormat(): Invalid texture format"}};
    for (const Case& c : cases) {
        PlatformTest::SetFormatSupported(D3DFMT_UNKNOWN, true);
        for (D3DFORMAT off : c.off)
            PlatformTest::SetFormatSupported(off, false);
        int32_t chosen = -1;
        const std::string report = TestSupport::QuietReportOf([&] { chosen = Zep::Win32::ChooseFormat(c.format); });
        EXPECT_EQ(c.chosen, chosen) << c.format;
        EXPECT_EQ(c.report, DX8Testing::MessageOf(report)) << c.format;
        EXPECT_EQ(!report.empty(), report.find("\"Platforms\\Win32\\Win32Texture.cpp\"") != std::string::npos);
    }
}

TEST_F(Win32TextureTest, ImagesDrawTheirOwnPixelsInPowerOfTwoTextures) {
    struct Case {
        int32_t format, w, h, levels;
        D3DFORMAT off, made;
        UINT madeW, madeH;
    } cases[] = {{Zep::FORMAT_DXT5, 300, 200, 1, D3DFMT_UNKNOWN, D3DFMT_DXT5, 512, 256},
                 {Zep::FORMAT_DXT5, 300, 200, 1, D3DFMT_DXT5, D3DFMT_A8R8G8B8, 512, 256},
                 {Zep::FORMAT_DXT1, 2, 3, 1, D3DFMT_UNKNOWN, D3DFMT_DXT1, 2, 4},      // blocks beyond a small level
                 {Zep::FORMAT_DXT1, 12, 12, 3, D3DFMT_UNKNOWN, D3DFMT_DXT1, 16, 16},  // levels 6 and 3 in whole blocks
                 {Zep::FORMAT_ARGB4444, 5, 3, 1, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, 8, 4},
                 {Zep::FORMAT_RGB888, 300, 1, 1, D3DFMT_UNKNOWN, D3DFMT_A8R8G8B8, 512, 1},
                 {Zep::FORMAT_RGB565, 17, 9, 1, D3DFMT_UNKNOWN, D3DFMT_R5G6B5, 32, 16},
                 {Zep::FORMAT_ARGB8888, 1, 1, 1, D3DFMT_UNKNOWN, D3DFMT_A8R8G8B8, 1, 1}};
    for (const Case& c : cases) {
        PlatformTest::SetFormatSupported(D3DFMT_UNKNOWN, true);
        PlatformTest::SetFormatSupported(c.off, false);
        MemoryTexture image;
        image.Create(c.w, c.h, c.format, c.levels);
        if (Zep::IsDXTFormat(c.format))
            FillBlocks(image, 0x1234);
        else
            FillBytes(image, 0xF0);
        Zep::Win32::PlainTexture texture;
        texture.CreateFromMemoryTexture(&image, c.levels > 1 ? 1u : 0u);
        const D3DSURFACE_DESC desc = DescOf(texture);
        EXPECT_EQ(c.made, desc.Format) << c.format << " " << c.w;
        EXPECT_EQ(c.madeW, desc.Width);
        EXPECT_EQ(c.madeH, desc.Height);
        const std::vector<uint32_t> pixels = Draw(&texture, float(c.w), float(c.h));
        int wrong = 0;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                uint32_t expected = 0;
                image.GetPixel(expected, x, y);
                wrong += pixels[size_t(y) * kWidth + x] != (expected | 0xFF000000u);
            }
        EXPECT_EQ(0, wrong) << c.format << " " << c.w << " with " << c.off << " off";
    }
}

TEST_F(Win32TextureTest, MipLevelsAreUploadedOrGenerated) {
    // 4 x 4: a white centre in black. Drawn into one pixel: the last level's colour.
    struct Case {
        int32_t sourceLevels;
        uint32_t flags;
        int loads, filters;
        uint32_t minified;
    } cases[] = {{1, 0, 1, 0, 0xFFFFFFFFu},  // one level: the linear sample at the centre
                 {1, Zep::PlainTexture::FLAG_MIPMAPS, 1, 1, 0xFF404040u},
                 {3, Zep::PlainTexture::FLAG_MIPMAPS, 3, 0, 0xFF00FF00u},
                 {3, 0, 1, 0, 0xFFFFFFFFu}};
    for (const Case& c : cases) {
        MemoryTexture image;
        image.Create(4, 4, Zep::FORMAT_ARGB8888, c.sourceLevels);
        auto* texels = reinterpret_cast<uint32_t*>(image.GetMipLevel(0));
        for (int i = 0; i < 16; ++i)
            texels[i] = (i / 4 == 1 || i / 4 == 2) && (i % 4 == 1 || i % 4 == 2) ? 0xFFFFFFFFu : 0xFF000000u;
        for (int level = 1; level < c.sourceLevels; ++level)
            std::fill_n(reinterpret_cast<uint32_t*>(image.GetMipLevel(level)), image.GetMipLevelSize(level) / 4,
                        0xFF00FF00u);
        Zep::Win32::PlainTexture texture;
        const Calls calls = CallsOf([&] { texture.CreateFromMemoryTexture(&image, c.flags); });
        EXPECT_EQ(c.loads, CountOf(calls, "D3DXLoadSurfaceFromMemory(21, ")) << c.sourceLevels << " " << c.flags;
        EXPECT_EQ(c.filters, CountOf(calls, "D3DXFilterTexture(0, ")) << c.sourceLevels << " " << c.flags;
        const uint32_t drawn = Draw(&texture, 1, 1)[0];
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(int(c.minified >> shift & 0xFF), int(drawn >> shift & 0xFF), 1)
                << c.sourceLevels << " " << c.flags;
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
                 {2, E_OUTOFMEMORY, 2, ""},
                 {4, D3DERR_OUTOFVIDEOMEMORY, 3, "Failed to create Direct3D texture: not enough memory"},
                 {1, E_FAIL, 0, "Failed to create Direct3D texture: unknown error"}};
    for (bool target : {false, true})
        for (const Case& c : cases) {
            Zep::Win32::PlainTexture plain;
            Zep::Win32::RenderTargetTexture renderTarget(8, 8);
            PlatformTest::FailTextureCreations(c.failures, c.result);
            void* handle = nullptr;
            const std::string report = TestSupport::QuietReportOf([&] {
                if (!target)
                    plain.CreateFromMemoryTexture(&image, 0);
                handle = target ? renderTarget.GetSystemHandle() : plain.GetSystemHandle();
            });
            EXPECT_EQ(c.report, DX8Testing::MessageOf(report)) << target << " " << c.failures;
            EXPECT_EQ(std::vector<int32_t>(c.drains, 25), Zep::TextureManager::GetInstance()->TakeDrainCalls());
            EXPECT_EQ(c.report.empty(), handle != nullptr);
        }
}

TEST_F(Win32TextureTest, RenderTargetsComeBackAfterAResetAndLeaveTheListWhenDestroyed) {
    auto* target = new Zep::Win32::RenderTargetTexture(200, 100);
    EXPECT_EQ(256, target->GetAllocatedWidth());
    EXPECT_EQ(128, target->GetHeight());
    EXPECT_EQ(Zep::FORMAT_ARGB8888, target->GetFormat());
    MemoryTexture white;
    white.Create(1, 1, Zep::FORMAT_ARGB8888, 1);
    auto fill = [&](uint32_t colour) {
        *reinterpret_cast<uint32_t*>(white.GetMipLevel(0)) = colour;
        Zep::Win32::PlainTexture texel;
        texel.CreateFromMemoryTexture(&white, 0);
        renderer->BeginRenderFrame();
        renderer->SetRenderTargetTexture(target);
        renderer->SetProjection2d(0, 0, 256, 128);
        renderer->DrawTexturedRect2d(&texel, Vector2(0, 0), Vector2(256, 128), Vector2(0, 0), Vector2(1, 1), 0,
                                     Vector2(1, 1), Zep::Color(0xFFFFFFFFu), 0);
        renderer->SetRenderTargetTexture(nullptr);
        renderer->SetProjection2d(0, 0, kWidth, kHeight);
        renderer->EndRenderFrame();
        return Draw(target, 256, 128);
    };
    EXPECT_EQ(0xFFFF0000u, fill(0xFFFF0000u)[127 * kWidth + 255]);
    // A loss: the reset takes the target's texture, the next draw into it makes another.
    renderer->BeginRenderFrame();
    renderer->ClearScreen(Zep::Color(0xFF000000u));
    renderer->DrawTexturedRect2d(target, Vector2(0, 0), Vector2(1, 1), Vector2(0, 0), Vector2(1, 1), 0, Vector2(1, 1),
                                 Zep::Color(0xFFFFFFFFu), 0);
    // Bound on a stage, its texture outlives the discard until the stage lets it go.
    renderer->ReleaseDiscardableResources();
    renderer->DrawTexturedRect2d(target, Vector2(0, 0), Vector2(1, 1), Vector2(0, 0), Vector2(1, 1), 0, Vector2(1, 1),
                                 Zep::Color(0xFFFFFFFFu), 0);
    EXPECT_EQ(0xFFFF0000u, Capture()[0]);
    PlatformTest::InjectDeviceLoss();
    renderer->EndRenderFrame();
    renderer->UpdateDevices(kWidth, kHeight, false);
    ASSERT_TRUE(renderer->IsDeviceReady());
    EXPECT_EQ(0xFF00FF00u, fill(0xFF00FF00u)[0]);
    delete target;
    renderer->ReleaseDiscardableResources();  // a target left in the list would be used after its end

    // Destroyed after the renderer.
    target = new Zep::Win32::RenderTargetTexture(4, 4);
    rendererSubsystem.SetInstance(nullptr);
    delete target;
    rendererSubsystem.SetInstance(renderer);
}

TEST_F(Win32TextureTest, PixelsAreReadFromTheMemoryCopyOnly) {
    MemoryTexture image;
    image.Create(3, 2, Zep::FORMAT_RGB565, 1);
    FillBytes(image, 7);
    uint32_t texel = 0;
    image.GetPixel(texel, 2, 1);
    for (uint32_t flags : {0u, uint32_t(Zep::PlainTexture::FLAG_PIXEL_ACCESS)}) {
        Zep::Win32::PlainTexture texture;
        texture.CreateFromMemoryTexture(&image, flags);
        uint32_t read = 0;
        texture.GetPixel(read, 2, 1);
        EXPECT_EQ(flags ? texel : 0xFFFFFFFFu, read);
        EXPECT_EQ(flags != 0, texture.HasMemoryCopy());
        EXPECT_EQ(16 * 4 * 2 / 8 + (flags ? 16 * 3 * 2 / 8 : 0), texture.GetMemorySize());
    }
}

}  // namespace
