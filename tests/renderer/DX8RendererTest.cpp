#include <cmath>
#include <limits>

#include "Common/Utils.h"
#include "Common/ValueTypes.h"
#include "DX8TestSupport.h"
#include "Platforms/Win32/Win32Texture.h"

using DX8Testing::RendererTest;
using DX8Testing::TestTexture;
using Zep::Color;
using Zep::Vector2;

namespace {

const uint32_t kBlack = 0xFF000000u;
const Color kWhite(0xFFFFFFFFu);

uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) {
    return pixels[static_cast<size_t>(y) * RendererTest::kWidth + x];
}

// Pixels that are not black in [left, right] x [top, bottom].
int Lit(const std::vector<uint32_t>& pixels, int left, int top, int right, int bottom) {
    int count = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            count += At(pixels, x, y) != kBlack;
    return count;
}

class DX8RendererTest : public RendererTest {
protected:
    void Rect(Zep::Texture* texture, Vector2 min, Vector2 max, float rotation = 0, Color color = kWhite, int kind = 0) {
        renderer->DrawTexturedRect2d(texture, min, max, Vector2(0, 0), Vector2(1, 1), rotation, Vector2(1, 1), color,
                                     kind);
    }
};

TEST_F(DX8RendererTest, ImagesAndBoxesCoverExactlyTheirPixels) {
    // 100 x 50 texels in a 128 x 64 allocation whose magenta padding must never show.
    std::vector<uint32_t> texels(100 * 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            texels[y * 100 + x] = 0xFF000000u | (x * 2u) << 16 | (y * 5u) << 8 | ((x + y) % 2 ? 0xFFu : 0x20u);
    TestTexture image(renderer->GetDevice(), 100, 50, 128, 64, texels);

    renderer->BeginRenderFrame();
    renderer->ClearScreen(Color(kBlack));
    Rect(&image, Vector2(300, 200), Vector2(400, 250));
    std::vector<uint32_t> pixels = Capture();
    int wrong = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            wrong += At(pixels, 300 + x, 200 + y) != texels[y * 100 + x];
    EXPECT_EQ(0, wrong) << "texels drawn 1:1 with linear filtering";
    EXPECT_EQ(100 * 50, Lit(pixels, 0, 0, kWidth - 1, kHeight - 1));

    // A clip rectangle clips nothing: contexts have no depth buffer.
    renderer->ClearScreen(Color(kBlack));
    renderer->SetClipRect(Zep::IntVector2(0, 0), Zep::IntVector2(2, 2));
    renderer->DrawAabb2d(Vector2(10, 10), Vector2(20, 15), Color(0xFF00FF00u), true);
    pixels = Capture();
    EXPECT_EQ(50, Lit(pixels, 0, 0, kWidth - 1, kHeight - 1));
    EXPECT_EQ(50, Lit(pixels, 10, 10, 19, 14));

    // The outline lights the four edges (lines on pixel boundaries light either side), not the inside.
    renderer->ClearScreen(Color(kBlack));
    renderer->DrawAabb2d(Vector2(10, 10), Vector2(20, 15), Color(0xFF00FF00u), false);
    pixels = Capture();
    EXPECT_GE(Lit(pixels, 10, 9, 19, 10), 10);
    EXPECT_GE(Lit(pixels, 10, 14, 19, 15), 10);
    EXPECT_GE(Lit(pixels, 9, 11, 10, 13), 3);
    EXPECT_GE(Lit(pixels, 19, 11, 20, 13), 3);
    EXPECT_EQ(0, Lit(pixels, 11, 11, 18, 13));
    renderer->EndRenderFrame();
}

TEST_F(DX8RendererTest, RotationTurnsAboutTheCentreInFrontOfTheWorld) {
    TestTexture white(renderer->GetDevice(), 1, 1, 1, 1, {0xFFFFFFFFu});
    renderer->SetTransform(Zep::Matrix32(1, 0, 0, 1, 60, 0));
    renderer->SetTransform(Zep::Matrix32(1, 0, 0, 1, 40, 0));  // accumulates: 100 in all
    D3DMATRIX before, after;
    renderer->GetDevice()->GetTransform(D3DTS_WORLD, &before);
    ASSERT_EQ(100.0f, before._41);

    renderer->BeginRenderFrame();
    renderer->ClearScreen(Color(kBlack));
    // 20 x 10 at (0, 0) turned a quarter: 10 x 20 about (10, 5), then moved by 100.
    Rect(&white, Vector2(0, 0), Vector2(20, 10), 90);
    renderer->GetDevice()->GetTransform(D3DTS_WORLD, &after);
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof(D3DMATRIX)));
    const std::vector<uint32_t> pixels = Capture();
    EXPECT_EQ(0xFFFFFFFFu, At(pixels, 110, 12));
    EXPECT_EQ(kBlack, At(pixels, 102, 5));
    renderer->EndRenderFrame();
    for (const std::string& call : CallsOf([&] { Rect(&white, Vector2(0, 0), Vector2(20, 10)); }))
        EXPECT_EQ(std::string::npos, call.find("Transform")) << call;

    // Saves of both kinds share one stack; a pop without its push changes nothing.
    for (bool projection : {false, true})
        renderer->PushTransform(projection);
    renderer->SetTransform(Zep::Matrix32(2.0f));
    renderer->SetProjection2d(0, 0, 10, 10);
    for (bool projection : {true, false, false})
        renderer->PopTransform(projection);
    D3DMATRIX world, projection;
    renderer->GetDevice()->GetTransform(D3DTS_WORLD, &world);
    renderer->GetDevice()->GetTransform(D3DTS_PROJECTION, &projection);
    EXPECT_EQ(0, std::memcmp(&before, &world, sizeof(D3DMATRIX)));
    EXPECT_FLOAT_EQ(2.0f / kWidth, projection._11);
}

TEST_F(DX8RendererTest, SubmissionsAndTheirCount) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Vector2 c(400, 300), fan[100] = {};
    DX8Renderer& r = *renderer;
    const struct Case {
        std::function<void()> draw;
        std::string submissions;  // type, primitives and stride of each
    } cases[] = {
        {[&] { r.DrawCircle2d(c, 10, kWhite, -1); }, "(3, 12, 16)"},
        {[&] { r.DrawCircle2d(c, 200, kWhite, -1); }, "(3, 48, 16)"},
        {[&] { r.DrawCircle2d(c, 1e6f, kWhite, -1); }, "(3, 200008, 16)"},
        {[&] { r.DrawCircle2d(c, 1e30f, kWhite, -1); }, "(3, 1048576, 16)"},
        {[&] { r.DrawCircle2d(c, nan, kWhite, -1); }, "(3, 12, 16)"},
        {[&] { r.DrawGradientCircle2d(c, 200, kWhite, kWhite, -1); }, "(6, 32, 16)"},
        {[&] { r.DrawGradientCircle2d(c, 200, kWhite, kWhite, 40); }, "(6, 40, 16)"},
        {[&] { r.DrawVector2d(c, c + Vector2(100, 0), kWhite, kWhite, 60); }, "(5, 2, 16)(6, 14, 16)(6, 14, 16)"},
        {[&] { r.DrawLines(fan, 4, 60, kWhite); }, "(5, 2, 16)(6, 14, 16)(6, 14, 16)(5, 2, 16)(6, 14, 16)(6, 14, 16)"},
        {[&] { r.DrawLines(fan, 0, 1, kWhite); }, ""},
        {[&] { r.DrawTexturedRect2d(nullptr, c, c, c, c, 0, Vector2(1, 1), kWhite, 0); }, "(6, 2, 24)"},
        {[&] { r.DrawMaskedTriangleFans2d(nullptr, nullptr, fan, fan, fan, 3, kWhite); }, "(6, 1, 32)"},
        {[&] { r.DrawMaskedTriangleFans2d(nullptr, nullptr, fan, fan, fan, 99, kWhite); }, "(6, 97, 32)"},
    };
    for (const Case& test : cases) {
        renderer->BeginRenderFrame();
        std::string submissions;
        int count = 0;
        for (const std::string& call : CallsOf(test.draw)) {
            if (call.rfind("DrawPrimitiveUP", 0) == 0)
                submissions += call.substr(15), ++count;
        }
        EXPECT_EQ(test.submissions, submissions);
        EXPECT_EQ(count, renderer->GetDrawCallCount()) << test.submissions;
        renderer->EndRenderFrame();
    }
    // A failed submission counts too.
    renderer->BeginRenderFrame();
    EXPECT_NE("", TestSupport::QuietReportOf([&] { renderer->DrawCircle2d(c, 10, kWhite, 0); }));
    EXPECT_EQ(1, renderer->GetDrawCallCount());
    renderer->EndRenderFrame();
}

TEST_F(DX8RendererTest, FailuresReportTheirTexts) {
    const Vector2 points[100] = {};
    const char* const kRenderer = "Win32\\Win32DX8Renderer.cpp\", line ";
    const char* const kFactor = "Win32\\Win32DX8Device.cpp\", line 35:\n  `anonymous-namespace'::GetD3DBlendFactor: ";
    const struct Case {
        std::function<void()> action;
        std::string where, text;
    } cases[] = {
        {[&] { renderer->DrawLines(points, 3, 1, kWhite); }, kRenderer,
         "DX8Renderer::DrawLines : numPositions must be an even number"},
        {[&] { renderer->DrawMaskedTriangleFans2d(nullptr, nullptr, points, points, points, 2, kWhite); }, kRenderer,
         "DX8Renderer::DrawMaskedTriangleFans2d failed"},
        {[&] { renderer->DrawMaskedTriangleFans2d(nullptr, nullptr, points, points, points, 100, kWhite); }, kRenderer,
         "DX8Renderer::DrawMaskedTriangleFans2d failed"},
        {[&] { renderer->SetBlendMode(10, 5); }, kFactor, "Invalid blend factor 10"},
    };
    for (const Case& c : cases) {
        const std::string report = TestSupport::QuietReportOf(c.action);
        EXPECT_EQ(0u, report.find("Panic error in file \"LumoSources\\Platforms\\")) << report;
        EXPECT_NE(std::string::npos, report.find(c.where)) << report;
        EXPECT_EQ(c.text, report.substr(report.size() - std::min(report.size(), c.text.size())));
    }

    // Without devices: no device for a window, no current Direct3D device.
    DX8Renderer empty;
    EXPECT_EQ("Assertion failed in file \"LumoSources\\Platforms\\Win32\\Win32DX8Renderer.cpp\", line 240",
              TestSupport::QuietReportOf([&] { empty.CreateRenderContext(window, false); }));
    EXPECT_EQ("Assertion failed in file \"LumoSources\\Platforms\\Win32\\Win32DX8Renderer.h\", line 61",
              TestSupport::QuietReportOf([&] { empty.ClearScreen(kWhite); }));
}

TEST_F(DX8RendererTest, StagePresetsAndBindsAreSkippedWhenCurrent) {
    TestTexture image(renderer->GetDevice(), 2, 2, 2, 2, {~0u, ~0u, ~0u, ~0u});
    auto draw = [&](int kind) { Rect(&image, Vector2(0, 0), Vector2(2, 2), 0, kWhite, kind); };
    draw(0);
    // Stage-state calls as (stage, state, value), then the submission.
    auto calls = [&](int kind) {
        std::string text;
        for (const std::string& call : CallsOf([&] { draw(kind); }))
            text += call.rfind("SetTextureStageState", 0) == 0 ? call.substr(20) : " " + call + " ";
        return text;
    };
    const std::string submission = " SetVertexShader(322)  DrawPrimitiveUP(6, 2, 24) ";
    const std::string opaque = "(0, 1, 4)(0, 2, 2)(0, 3, 0)(0, 4, 14)(0, 5, 0)(0, 6, 2)(1, 1, 1)(1, 4, 1)" +
                               submission + "(0, 4, 4)(0, 1, 4)(0, 2, 2)(0, 3, 0)(1, 1, 1)(1, 4, 1)";
    EXPECT_EQ(submission, calls(0));
    EXPECT_EQ(opaque, calls(4));
    EXPECT_EQ(opaque, calls(4));

    TestTexture other(renderer->GetDevice(), 1, 1, 1, 1, {~0u});
    EXPECT_EQ(std::vector<std::string>{"SetTexture(0)"}, CallsOf([&] {
                  renderer->SetCurrentTexture(&other, 0);
                  renderer->SetCurrentTexture(&other, 0);
              }));
}

TEST_F(DX8RendererTest, BlendModesOverTheBackground) {
    // A texture whose left texel is transparent green and right texel opaque green.
    TestTexture shape(renderer->GetDevice(), 2, 1, 2, 1, {0x0000FF00u, 0xFF00FF00u});
    const struct Case {
        int blendMode;
        uint32_t vertexColor;
        uint32_t left, right;  // the two drawn pixels over dark blue
    } cases[] = {
        {Zep::BLEND_DEFAULT, 0xFFFFFFFFu, 0xFF000080u, 0xFF00FF00u},
        {Zep::BLEND_SILHOUETTE, 0xFFFF0000u, 0xFF000080u, 0xFFFF0000u},
        {Zep::BLEND_OPAQUE, 0xFFFFFFFFu, 0xFF00FF00u, 0xFF00FF00u},
        {Zep::BLEND_ADD, 0xFFFFFFFFu, 0xFF000080u, 0xFF00FF80u},
    };
    for (const Case& c : cases) {
        renderer->BeginRenderFrame();
        renderer->ClearScreen(Color(0xFF000080u));
        Zep::ApplyBlendMode(c.blendMode);
        Rect(&shape, Vector2(50, 60), Vector2(52, 61), 0, Color(c.vertexColor), Zep::ToRendererDrawFlags(c.blendMode));
        const std::vector<uint32_t> pixels = Capture();
        EXPECT_EQ(c.left, At(pixels, 50, 60)) << c.blendMode;
        EXPECT_EQ(c.right, At(pixels, 51, 60)) << c.blendMode;
        renderer->EndRenderFrame();
    }

    const std::vector<std::pair<int, std::string>> factors = {
        {2, "(19, 5)(20, 2)"}, {3, "(19, 9)(20, 6)"}, {4, "(19, 9)(20, 2)"}, {5, "(19, 9)(20, 1)"},
        {6, "(19, 9)(20, 3)"}, {0, "(19, 5)(20, 6)"}, {7, "(19, 5)(20, 6)"}, {9, "(19, 5)(20, 6)"}};
    for (const auto& [mode, states] : factors) {
        std::string recorded;
        for (const std::string& call : CallsOf([&] { Zep::ApplyBlendMode(mode); }))
            recorded += call.substr(call.find('('));
        EXPECT_EQ(states, recorded) << mode;
    }
    rendererSubsystem.SetInstance(nullptr);
    EXPECT_EQ("Assertion failed in file \"LumoSources\\Common\\LumoCommon.h\", line 60",
              TestSupport::QuietReportOf([] { Zep::ApplyBlendMode(0); }));
    rendererSubsystem.SetInstance(renderer);
}

TEST_F(DX8RendererTest, RenderTargetTexturesStartTransparent) {
    Zep::Win32::RenderTargetTexture target(64, 64);
    TestTexture white(renderer->GetDevice(), 1, 1, 1, 1, {0xFFFFFFFFu});
    auto drawInto = [&](uint32_t color, float size) {
        renderer->SetRenderTargetTexture(&target);
        renderer->SetProjection2d(0, 0, 64, 64);
        Rect(&white, Vector2(0, 0), Vector2(size, size), 0, Color(color));
        renderer->SetRenderTargetTexture(nullptr);
    };
    renderer->BeginRenderFrame();
    drawInto(0xFFFF0000u, 64);  // red over all of it, cleared by the next use
    drawInto(0xFF00FF00u, 8);
    renderer->SetProjection2d(0, 0, kWidth, kHeight);
    renderer->ClearScreen(Color(0xFF000080u));
    Rect(&target, Vector2(100, 100), Vector2(164, 164));
    const std::vector<uint32_t> pixels = Capture();
    const std::pair<int, uint32_t> probes[] = {
        {100, 0xFF00FF00u}, {107, 0xFF00FF00u}, {108, 0xFF000080u}, {163, 0xFF000080u}, {99, 0xFF000080u}};
    for (const auto& [xy, color] : probes)
        EXPECT_EQ(color, At(pixels, xy, xy)) << xy;
    renderer->EndRenderFrame();
}

}  // namespace
