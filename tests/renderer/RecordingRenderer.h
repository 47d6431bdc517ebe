// A renderer and render contexts that only record what they are asked, and a
// game window of fixed size, for tests of the renderer layer.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "LumoSources/Common/GameRenderWindow.h"
#include "LumoSources/Common/PlatformRenderer.h"

namespace RendererTesting {

typedef std::vector<std::string> CallLog;

class FakeContext : public RenderContext {
public:
    FakeContext(CallLog& log, std::string name, bool presents) : log(log), name(std::move(name)), presents(presents) {}
    ~FakeContext() override { log.push_back(name + " deleted"); }

    bool HasBackBuffer() override { return true; }
    std::vector<uint32_t> CaptureBackBuffer(int32_t& width, int32_t& height) override {
        width = height = 0;
        return {};
    }
    void MakeCurrent() override { log.push_back(name + " MakeCurrent"); }
    bool BeginRenderFrame() override {
        log.push_back(name + " Begin");
        return true;
    }
    bool EndRenderFrame() override {
        log.push_back(name + " End");
        return presents;
    }

private:
    CallLog& log;
    std::string name;
    bool presents;
};

struct DrawnRect {
    Zep::Texture* texture;
    Zep::Vector2 min, max, uvMin, uvMax;
    float rotation;
    Zep::Vector2 scale;
    uint32_t color;
    int32_t drawKind;
};

class RecordingRenderer : public PlatformRenderer {
public:
    CallLog log;
    std::vector<DrawnRect> rects;
    bool deviceReady = false;
    // What the contexts made by CreateRenderContext answer when presenting.
    bool contextsPresent = true;

    void SubmitBatch() { ++drawCallCount; }

    void SetProjection2d(float left, float top, float right, float bottom) override {
        Record("SetProjection2d %g %g %g %g", left, top, right, bottom);
    }
    void DrawAabb2d(const Zep::Vector2&, const Zep::Vector2&, const Zep::Color&, bool) override {}
    void DrawTexturedQuad2D(Zep::Texture*, const Zep::Vector2*, const Zep::Vector2*, const Zep::Color*,
                            int32_t) override {}
    void DrawTexturedRect2d(Zep::Texture* texture, const Zep::Vector2& min, const Zep::Vector2& max,
                            const Zep::Vector2& uvMin, const Zep::Vector2& uvMax, float rotation,
                            const Zep::Vector2& scale, const Zep::Color& color, int32_t drawKind) override {
        rects.push_back(DrawnRect{texture, min, max, uvMin, uvMax, rotation, scale, color.argb, drawKind});
    }
    void DrawMaskedTriangleFans2d(Zep::Texture*, Zep::Texture*, const Zep::Vector2*, const Zep::Vector2*,
                                  const Zep::Vector2*, int32_t, const Zep::Color&) override {}
    void UpdateDevices(int32_t, int32_t, bool) override {}
    void GetViewport(Zep::IntVector2&, Zep::IntVector2&) override {}
    void SetViewport(const Zep::IntVector2& origin, const Zep::IntVector2& size) override {
        Record("SetViewport %d %d %d %d", origin.x, origin.y, size.x, size.y);
    }
    void SetClipRect(const Zep::IntVector2& origin, const Zep::IntVector2& size) override {
        Record("SetClipRect %d %d %d %d", origin.x, origin.y, size.x, size.y);
    }
    void ClearScreen(const Zep::Color& color) override { Record("ClearScreen %08x", color.argb); }
    void SetTransform(const Zep::Matrix32&) override {}
    void PushTransform(bool) override {}
    void PopTransform(bool) override {}
    void SetCurrentTexture(Zep::Texture* texture, int32_t stage) override {
        Record("SetCurrentTexture %s %d", texture ? "texture" : "null", stage);
    }
    void DrawVector2d(const Zep::Vector2&, const Zep::Vector2&, const Zep::Color&, const Zep::Color&, float) override {}
    void DrawCircle2d(const Zep::Vector2&, float, const Zep::Color&, int32_t) override {}
    void DrawGradientCircle2d(const Zep::Vector2&, float, const Zep::Color&, const Zep::Color&, int32_t) override {}
    void DrawLines(const Zep::Vector2*, int32_t, float, const Zep::Color&) override {}
    void SetBlendMode(int32_t, int32_t) override {}
    void SetRenderTargetTexture(Zep::Texture*) override {}
    void Initialize() override {}
    void ReleaseResources() override { log.push_back("ReleaseResources"); }
    void OnBeginFrame() override { log.push_back("OnBeginFrame"); }
    void OnEndFrame() override { log.push_back("OnEndFrame"); }
    void OnFramePresented(bool presented) override { Record("OnFramePresented %d", presented ? 1 : 0); }
    void ReleaseRenderContext(RenderContext* context) override { Record("ReleaseRenderContext %s", Name(context)); }
    bool IsDeviceReady() override { return deviceReady; }
    RenderContext* CreateRenderContext(HWND, bool) override {
        RenderContext* context = new FakeContext(log, "ctx" + std::to_string(++contextsMade), contextsPresent);
        names.push_back(context);
        return context;
    }

private:
    template <class... Args>
    void Record(const char* format, Args... args) {
        char text[128];
        std::snprintf(text, sizeof(text), format, args...);
        log.push_back(text);
    }
    const char* Name(RenderContext* context) {
        for (size_t i = 0; i < names.size(); ++i) {
            if (names[i] == context) {
                nameText = "ctx" + std::to_string(i + 1);
                return nameText.c_str();
            }
        }
        return "foreign";
    }

    int contextsMade = 0;
    std::vector<RenderContext*> names;
    std::string nameText;
};

class FixedSizeWindow : public GameRenderWindow {
public:
    int32_t GetWidth() override { return 800; }
    int32_t GetHeight() override { return 600; }
};

}  // namespace RendererTesting
