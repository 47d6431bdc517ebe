// What the device draws, read back through the capture path.
#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Direct3D8TestSupport.h"

// After the Windows types, so that OpenGL's headers keep their APIENTRY.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

namespace {

using D3D8Test::ColorNear;
using D3D8Test::DrawQuad;
using D3D8Test::DrawTexturedQuad;
using D3D8Test::SetProjection2d;

class PixelTest : public D3D8Test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_NE(device_, nullptr);
        SetProjection2d(device_, 0, 0, kWidth, kHeight);
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    }

    // Pixels within [x0, x1) x [y0, y1) that are not black, in rows of width pixels.
    static int LitPixels(const std::vector<uint32_t>& pixels, int x0, int y0, int x1, int y1, int width = kWidth) {
        int lit = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x)
                lit += (pixels[y * width + x] & 0xFFFFFF) != 0;
        }
        return lit;
    }
};

TEST_F(PixelTest, TexturedQuadDrawnOneToOneReproducesItsTexelsWithEitherFilter) {
    std::vector<uint32_t> texels(16);
    for (uint32_t i = 0; i < 16; ++i)
        texels[i] = 0xFF000000u | (i * 16u) << 16 | (255u - i * 16u) << 8 | (i * 7u + 3u);
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 4, 4, texels);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
    // Linear filtering at texel centres still gives each texel alone: any offset of the
    // pixel centres would mix neighbours.
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        SCOPED_TRACE(filter);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device_->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
        device_->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
        device_->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
        device_->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
        ASSERT_EQ(DrawTexturedQuad(device_, 10, 20, 14, 24, 0xFFFFFFFF), D3D_OK);
        const std::vector<uint32_t> pixels = D3D8Test::Capture(device_);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(pixels[(20 + y) * kWidth + 10 + x], texels[y * 4 + x]) << x << ", " << y;
        }
        EXPECT_EQ(LitPixels(pixels, 0, 0, kWidth, kHeight), 16);
    }
    texture->Release();
}

TEST_F(PixelTest, UnitQuadCoversTheTopLeftPixelOnly) {
    ASSERT_EQ(DrawQuad(device_, 0, 0, 1, 1, 0xFFFF8040), D3D_OK);
    const std::vector<uint32_t> pixels = D3D8Test::Capture(device_);
    EXPECT_EQ(pixels[0], 0xFFFF8040u);
    EXPECT_EQ(LitPixels(pixels, 0, 0, kWidth, kHeight), 1);
}

TEST_F(PixelTest, BlendFactorsGiveTheHandComputedColours) {
    // Source 0x80FF4000 over destination 0x2080C0, whose alpha reads 1.
    const D3DCOLOR source = 0x80FF4000;
    const D3DCOLOR destination = 0xFF2080C0;
    struct Case {
        DWORD sourceBlend, destBlend;
        uint32_t expected;
    };
    const Case cases[] = {
        {D3DBLEND_ONE, D3DBLEND_ZERO, 0xFF4000},
        {D3DBLEND_ZERO, D3DBLEND_ONE, 0x2080C0},
        {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x906060},
        {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, 0xFF1000},
        {D3DBLEND_INVSRCCOLOR, D3DBLEND_ONE, 0x20B0C0},
        {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, 0x202000},
        {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, 0xDF2000},
        {D3DBLEND_DESTALPHA, D3DBLEND_ZERO, 0xFF4000},
        {D3DBLEND_INVDESTALPHA, D3DBLEND_ONE, 0x2080C0},
        {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0x202000},
        {D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, 0x0060C0},
        {D3DBLEND_ONE, D3DBLEND_ONE, 0xFFC0C0},
        {D3DBLEND_ZERO, D3DBLEND_DESTCOLOR, 0x044090},
        {D3DBLEND_ZERO, D3DBLEND_SRCALPHA, 0x104060},
        {D3DBLEND_DESTALPHA, D3DBLEND_INVDESTALPHA, 0xFF4000},
    };
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, destination, 1.0f, 0);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        device_->SetRenderState(D3DRS_SRCBLEND, cases[i].sourceBlend);
        device_->SetRenderState(D3DRS_DESTBLEND, cases[i].destBlend);
        ASSERT_EQ(DrawQuad(device_, 10.0f * i, 0, 10.0f * i + 10, 10, source), D3D_OK);
    }
    const std::vector<uint32_t> pixels = D3D8Test::Capture(device_);
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
        EXPECT_TRUE(ColorNear(pixels[5 * kWidth + 10 * i + 5], 0xFF000000 | cases[i].expected))
            << "source " << cases[i].sourceBlend << ", destination " << cases[i].destBlend;
}

TEST_F(PixelTest, StageCombinationsGiveTheHandComputedColoursAndAlphas) {
    // Texel 0x4080FF20, mask texel 0x80FF8040, vertex colour 0xC08080FF.
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 1, 1, {0x4080FF20});
    IDirect3DTexture8* mask = D3D8Test::MakeTexture(device_, 1, 1, {0x80FF8040});
    ASSERT_TRUE(texture && mask);
    const D3DCOLOR vertexColor = 0xC08080FF;
    typedef std::vector<std::vector<DWORD>> States;  // {stage, type, value}
    const States disableStage1 = {{1, D3DTSS_COLOROP, D3DTOP_DISABLE}, {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE}};
    struct Case {
        const char* name;
        States states;
        DWORD textureFactor;
        bool masked;
        uint32_t color;  // 0xRRGGBB
        uint32_t alpha;
    };
    const Case cases[] = {
        {"preset 0",
         {{0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
          {0, D3DTSS_COLOROP, D3DTOP_MODULATE},
          {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
          {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE}},
         0xFFFFFFFF,
         false,
         0x408020,
         0x30},
        // With the default factor (alpha 1) BLENDFACTORALPHA is argument 1: the vertex colour.
        {"preset 1",
         {{0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
          {0, D3DTSS_COLOROP, D3DTOP_BLENDFACTORALPHA},
          {0, D3DTSS_COLORARG1, D3DTA_DIFFUSE},
          {0, D3DTSS_COLORARG2, D3DTA_TEXTURE}},
         0xFFFFFFFF,
         false,
         0x8080FF,
         0x30},
        {"preset 1, factor alpha 0x40",
         {{0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
          {0, D3DTSS_COLOROP, D3DTOP_BLENDFACTORALPHA},
          {0, D3DTSS_COLORARG1, D3DTA_DIFFUSE},
          {0, D3DTSS_COLORARG2, D3DTA_TEXTURE}},
         0x40FFFFFF,
         false,
         0x80DF58,
         0x30},
        {"preset 3",
         {{0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
          {0, D3DTSS_COLOROP, D3DTOP_MODULATE},
          {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
          {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
          {1, D3DTSS_COLOROP, D3DTOP_MODULATE},
          {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},
          {1, D3DTSS_COLORARG2, D3DTA_CURRENT},
          {1, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
          {1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
          {1, D3DTSS_ALPHAARG2, D3DTA_CURRENT}},
         0xFFFFFFFF,
         true,
         0x404008,
         0x18},
        {"preset 4",
         {{0, D3DTSS_COLOROP, D3DTOP_MODULATE},
          {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
          {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
          {0, D3DTSS_ALPHAOP, D3DTOP_BLENDFACTORALPHA},
          {0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE},
          {0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE}},
         0xFFFFFFFF,
         false,
         0x408020,
         0xC0},
        {"select argument 2 and argument 1",
         {{0, D3DTSS_COLOROP, D3DTOP_SELECTARG2},
          {0, D3DTSS_COLORARG2, D3DTA_TEXTURE},
          {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
          {0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE}},
         0xFFFFFFFF,
         false,
         0x80FF20,
         0xC0},
        {"texture factor",
         {{0, D3DTSS_COLOROP, D3DTOP_SELECTARG1},
          {0, D3DTSS_COLORARG1, D3DTA_TFACTOR},
          {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
          {0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR}},
         0x40102030,
         false,
         0x102030,
         0x40},
        // A disabled first stage ignores its texture and ends the cascade.
        {"stage 0 disabled",
         {{0, D3DTSS_COLOROP, D3DTOP_DISABLE}, {1, D3DTSS_COLOROP, D3DTOP_MODULATE}},
         0xFFFFFFFF,
         true,
         0x8080FF,
         0xC0},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        const Case& c = cases[i];
        // The device's defaults, then the case's states.
        for (DWORD stage = 0; stage < 2; ++stage) {
            device_->SetTextureStageState(stage, D3DTSS_COLOROP, stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE);
            device_->SetTextureStageState(stage, D3DTSS_ALPHAOP, stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE);
            device_->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device_->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
            device_->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            device_->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
        }
        if (!c.masked) {
            for (const auto& state : disableStage1)
                device_->SetTextureStageState(state[0], D3DTEXTURESTAGESTATETYPE(state[1]), state[2]);
        }
        for (const auto& state : c.states)
            device_->SetTextureStageState(state[0], D3DTEXTURESTAGESTATETYPE(state[1]), state[2]);
        device_->SetRenderState(D3DRS_TEXTUREFACTOR, c.textureFactor);
        device_->SetTexture(0, texture);
        device_->SetTexture(1, c.masked ? mask : nullptr);
        const float x0 = 20.0f * i, x1 = x0 + 10;
        const D3D8Test::MaskedVertex quad[4] = {{x0, 0, 0, vertexColor, 0, 0, 0, 0},
                                                {x1, 0, 0, vertexColor, 1, 0, 1, 0},
                                                {x1, 10, 0, vertexColor, 1, 1, 1, 1},
                                                {x0, 10, 0, vertexColor, 0, 1, 0, 1}};
        device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2);
        // The colour as it stands, then the alpha as white scaled by it.
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(quad[0])), D3D_OK);
        const D3DRECT below = {static_cast<LONG>(x0), 20, static_cast<LONG>(x1), 30};
        device_->Clear(1, &below, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCALPHA);
        D3D8Test::MaskedVertex lower[4];
        for (int v = 0; v < 4; ++v) {
            lower[v] = quad[v];
            lower[v].y += 20;
        }
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, lower, sizeof(lower[0])), D3D_OK);
    }
    const std::vector<uint32_t> pixels = D3D8Test::Capture(device_);
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        const uint32_t alpha = cases[i].alpha;
        EXPECT_TRUE(ColorNear(pixels[5 * kWidth + 20 * i + 5], 0xFF000000 | cases[i].color)) << cases[i].name;
        EXPECT_TRUE(ColorNear(pixels[25 * kWidth + 20 * i + 5], 0xFF000000 | alpha << 16 | alpha << 8 | alpha))
            << cases[i].name << " (alpha)";
    }
    device_->SetTexture(0, nullptr);
    device_->SetTexture(1, nullptr);
    texture->Release();
    mask->Release();
}

TEST_F(PixelTest, ClearsTouchOnlyTheViewportOrTheRectangleWithinIt) {
    struct Case {
        const char* name;
        D3DVIEWPORT8 viewport;
        std::vector<D3DRECT> rects;
        DWORD flags;
        RECT expected;  // the cleared area; empty when nothing changes
    };
    const Case cases[] = {
        {"viewport", {100, 50, 10, 10, 0, 1}, {}, D3DCLEAR_TARGET, {100, 50, 110, 60}},
        {"rectangle clipped to the viewport",
         {100, 50, 10, 10, 0, 1},
         {{95, 45, 105, 55}},
         D3DCLEAR_TARGET,
         {100, 50, 105, 55}},
        {"rectangle outside the viewport", {100, 50, 10, 10, 0, 1}, {{0, 0, 20, 20}}, D3DCLEAR_TARGET, {0, 0, 0, 0}},
        {"depth without a depth buffer", {0, 0, kWidth, kHeight, 0, 1}, {}, D3DCLEAR_ZBUFFER, {0, 0, 0, 0}},
        {"target and depth",
         {0, 0, kWidth, kHeight, 0, 1},
         {{1, 2, 3, 4}},
         D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
         {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DVIEWPORT8 whole = {0, 0, kWidth, kHeight, 0, 1};
        device_->SetViewport(&whole);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        ASSERT_EQ(device_->SetViewport(&c.viewport), D3D_OK);
        ASSERT_EQ(device_->Clear(static_cast<DWORD>(c.rects.size()), c.rects.empty() ? nullptr : c.rects.data(),
                                 c.flags, 0xFFFF0000, 1.0f, 0),
                  D3D_OK);
        const std::vector<uint32_t> pixels = D3D8Test::Capture(device_);
        const int area = (c.expected.right - c.expected.left) * (c.expected.bottom - c.expected.top);
        EXPECT_EQ(LitPixels(pixels, 0, 0, kWidth, kHeight), area);
        EXPECT_EQ(LitPixels(pixels, c.expected.left, c.expected.top, c.expected.right, c.expected.bottom), area);
    }
}

TEST_F(PixelTest, WorldAppliesBeforeView) {
    D3DXMATRIX world, view;
    D3DXMatrixTranslation(&world, 10, 0, 0);
    D3DXMatrixScaling(&view, 2, 2, 1);
    device_->SetTransform(D3DTS_WORLD, &world);
    device_->SetTransform(D3DTS_VIEW, &view);
    ASSERT_EQ(DrawQuad(device_, 0, 0, 1, 1, 0xFFFFFFFF), D3D_OK);
    const std::vector<uint32_t> pixels = D3D8Test::Capture(device_);
    // (0, 0)-(1, 1) moved to (10, 0)-(11, 1), then doubled: (20, 0)-(22, 2).
    EXPECT_EQ(LitPixels(pixels, 20, 0, 22, 2), 4);
    EXPECT_EQ(LitPixels(pixels, 0, 0, kWidth, kHeight), 4);
}

TEST_F(PixelTest, CullModesKeepDirect3DsWinding) {
    // On screen (y down), (0, 0), (10, 0), (0, 10) runs clockwise.
    struct Case {
        DWORD cullMode;
        bool clockwiseDrawn, counterClockwiseDrawn;
    };
    const Case cases[] = {{D3DCULL_NONE, true, true}, {D3DCULL_CW, false, true}, {D3DCULL_CCW, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cullMode);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device_->SetRenderState(D3DRS_CULLMODE, c.cullMode);
        const D3D8Test::ColoredVertex clockwise[3] = {
            {0, 0, 0, 0xFFFFFFFF}, {10, 0, 0, 0xFFFFFFFF}, {0, 10, 0, 0xFFFFFFFF}};
        const D3D8Test::ColoredVertex counterClockwise[3] = {
            {20, 0, 0, 0xFFFFFFFF}, {20, 10, 0, 0xFFFFFFFF}, {30, 0, 0, 0xFFFFFFFF}};
        device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 1, clockwise, sizeof(clockwise[0]));
        device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 1, counterClockwise, sizeof(counterClockwise[0]));
        const std::vector<uint32_t> pixels = D3D8Test::Capture(device_);
        EXPECT_EQ(LitPixels(pixels, 0, 0, 10, 10) > 0, c.clockwiseDrawn);
        EXPECT_EQ(LitPixels(pixels, 20, 0, 30, 10) > 0, c.counterClockwiseDrawn);
    }
}

TEST_F(PixelTest, PresentShowsTheBackBufferUprightInTheWindow) {
    ASSERT_EQ(DrawQuad(device_, 0, 0, kWidth, 10, 0xFFFF0000), D3D_OK);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    // The window's own framebuffer holds rows bottom first: the top rows are the last.
    auto getIntegerv = reinterpret_cast<decltype(&glGetIntegerv)>(SDL_GL_GetProcAddress("glGetIntegerv"));
    auto bindFramebuffer = reinterpret_cast<decltype(&glBindFramebuffer)>(SDL_GL_GetProcAddress("glBindFramebuffer"));
    auto readPixels = reinterpret_cast<decltype(&glReadPixels)>(SDL_GL_GetProcAddress("glReadPixels"));
    ASSERT_TRUE(getIntegerv && bindFramebuffer && readPixels);
    GLint previous = 0;
    getIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    bindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    uint32_t top = 0, bottom = 0;
    readPixels(5, kHeight - 1, 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &top);
    readPixels(5, 0, 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &bottom);
    bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    EXPECT_EQ(top & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(bottom & 0xFFFFFF, 0u);
}

TEST_F(PixelTest, DevicesSharingTheContextKeepTheirOwnStates) {
    const HWND otherWindow = D3D8Test::MakeWindow(100, 100);
    D3DPRESENT_PARAMETERS parameters = D3D8Test::WindowedParameters(otherWindow, 100, 100);
    IDirect3DDevice8* other = nullptr;
    ASSERT_EQ(
        d3d_->CreateDevice(0, D3DDEVTYPE_HAL, otherWindow, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &other),
        D3D_OK);
    SetProjection2d(other, 0, 0, 100, 100);
    other->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    // This device blends its draws away; the other draws opaque.
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(DrawQuad(device_, 0, 0, 10, 10, 0xFFFFFFFF), D3D_OK);
        ASSERT_EQ(DrawQuad(other, 10.0f * i, 0, 10.0f * i + 10, 10, 0xFF00FF00), D3D_OK);
    }
    EXPECT_EQ(LitPixels(D3D8Test::Capture(device_), 0, 0, kWidth, kHeight), 0);
    EXPECT_EQ(LitPixels(D3D8Test::Capture(other), 0, 0, 100, 100, 100), 300);
    EXPECT_EQ(other->Release(), 0u);
    DestroyWindow(otherWindow);
}

}  // namespace
