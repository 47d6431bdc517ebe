// A renderer and render contexts that only record what they are asked, and a
// game window of fixed size, for tests of the renderer layer and of what draws
// through it.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "FixedGameWindow.h"
#include "LumoSources/Common/PlatformRenderer.h"

namespace RendererTesting {

typedef std::vector<std::string> CallLog;

// Appends the words separated by blanks.
template <class... Words>
void Record(CallLog& log, const Words&... words) {
    std::ostringstream line;
    ((line << words << ' '), ...);
    std::string text = line.str();
    text.pop_back();
    log.push_back(text);
}

class FakeContext : public RenderContext {
public:
    FakeContext(CallLog& log, std::string name, bool presents) : log(log), name(std::move(name)), presents(presents) {}
    ~FakeContext() override { Record(log, name, "deleted"); }

    bool HasBackBuffer() override { return true; }
    std::vector<uint32_t> CaptureBackBuffer(int32_t&, int32_t&) override { return {}; }
    void MakeCurrent() override { Record(log, name, "MakeCurrent"); }
    bool BeginRenderFrame() override { return Record(log, name, "Begin"), true; }
    bool EndRenderFrame() override { return Record(log, name, "End"), presents; }

    CallLog& log;
    std::string name;
    bool presents;
};

struct DrawnRect {
    Zep::Vector2 min, max, uvMin, uvMax;
    float rotation;
};

class RecordingRenderer : public PlatformRenderer {
public:
    CallLog log;
    std::vector<DrawnRect> rects;
    bool deviceReady = false;
    // What the contexts made by CreateRenderContext answer when presenting.
    bool contextsPresent = true;

    void SubmitBatch() { ++drawCallCount; }

    void DrawTexturedRect2d(Zep::Texture*, const Zep::Vector2& min, const Zep::Vector2& max, const Zep::Vector2& uvMin,
                            const Zep::Vector2& uvMax, float rotation, const Zep::Vector2&, const Zep::Color&,
                            int32_t) override {
        rects.push_back(DrawnRect{min, max, uvMin, uvMax, rotation});
    }
    void SetViewport(const Zep::IntVector2& o, const Zep::IntVector2& s) override {
        Record(log, "SetViewport", o.x, o.y, s.x, s.y);
    }
    void SetClipRect(const Zep::IntVector2& o, const Zep::IntVector2& s) override {
        Record(log, "SetClipRect", o.x, o.y, s.x, s.y);
    }
    void ClearScreen(const Zep::Color& color) override {
        std::ostringstream hex;
        hex << std::hex << color.argb;
        Record(log, "ClearScreen", hex.str());
    }
    void SetCurrentTexture(Zep::Texture* texture, int32_t stage) override {
        Record(log, "SetCurrentTexture", texture ? "texture" : "null", stage);
    }
    void ReleaseResources() override { Record(log, "ReleaseResources"); }
    void OnBeginFrame() override { Record(log, "OnBeginFrame"); }
    void OnEndFrame() override { Record(log, "OnEndFrame"); }
    void OnFramePresented(bool presented) override { Record(log, "OnFramePresented", presented); }
    void ReleaseRenderContext(RenderContext* context) override {
        Record(log, "ReleaseRenderContext", static_cast<FakeContext*>(context)->name);
    }
    void SetTransform(const Zep::Matrix32& m) override {
        Record(log, "SetTransform", m._11, m._12, m._21, m._22, m._31, m._32);
    }
    void PushTransform(bool projection) override { Record(log, "PushTransform", projection); }
    void PopTransform(bool projection) override { Record(log, "PopTransform", projection); }
    void SetBlendMode(int32_t source, int32_t destination) override {
        Record(log, "SetBlendMode", source, destination);
    }
    bool IsDeviceReady() override { return deviceReady; }
    RenderContext* CreateRenderContext(HWND, bool) override {
        return new FakeContext(log, "ctx" + std::to_string(++contextsMade), contextsPresent);
    }

    // Not used by the layer's own operations.
    void SetProjection2d(float, float, float, float) override {}
    void DrawAabb2d(const Zep::Vector2&, const Zep::Vector2&, const Zep::Color&, bool) override {}
    void DrawTexturedQuad2D(Zep::Texture*, const Zep::Vector2*, const Zep::Vector2*, const Zep::Color*,
                            int32_t) override {}
    void DrawMaskedTriangleFans2d(Zep::Texture*, Zep::Texture*, const Zep::Vector2*, const Zep::Vector2*,
                                  const Zep::Vector2*, int32_t, const Zep::Color&) override {}
    void UpdateDevices(int32_t, int32_t, bool) override {}
    void GetViewport(Zep::IntVector2&, Zep::IntVector2&) override {}
    void DrawVector2d(const Zep::Vector2&, const Zep::Vector2&, const Zep::Color&, const Zep::Color&, float) override {}
    void DrawCircle2d(const Zep::Vector2&, float, const Zep::Color&, int32_t) override {}
    void DrawGradientCircle2d(const Zep::Vector2&, float, const Zep::Color&, const Zep::Color&, int32_t) override {}
    void DrawLines(const Zep::Vector2*, int32_t, float, const Zep::Color&) override {}
    void SetRenderTargetTexture(Zep::Texture*) override {}
    void Initialize() override {}

private:
    int contextsMade = 0;
};

class FixedSizeWindow : public TestSupport::FixedGameWindow {};

}  // namespace RendererTesting
