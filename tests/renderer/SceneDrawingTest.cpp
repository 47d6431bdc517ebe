// Scenes drawn by the Direct3D 8 renderer: the renderer calls of a scene drawing into a
// render target, and a scene file checked by its pixels (images, a render target shown
// by another image, an invisible image, the stub of a missing image, a linked scene).
#include <cstdio>
#include <memory>

#include "Common/BundleSystem.h"
#include "Common/Image.h"
#include "Common/Scene.h"
#include "Common/TextureManager.h"
#include "Common/Utils.h"
#include "DX8TestSupport.h"
#include "SceneSamples.h"

using DX8Testing::RendererTest;
using Zep::Vector2;

namespace {

// Records the calls of drawing into a render target, then makes them.
class RecordingDX8Renderer : public DX8Renderer {
public:
    template <class... Words>
    void Record(const Words&... words) {
        std::string line;
        ((line += Word(words) + ' '), ...);
        log.push_back(line.substr(0, line.size() - 1));
    }
    static std::string Word(const std::string& text) { return text; }
    static std::string Word(const char* text) { return text; }
    template <class Number>
    static std::string Word(Number n) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", double(n));
        return text;
    }
    static std::string Name(Zep::Texture* t) { return t ? static_cast<Zep::ManagedTexture*>(t)->GetName() : "null"; }

    void PushTransform(bool p) override { Record("PushTransform", p), DX8Renderer::PushTransform(p); }
    void PopTransform(bool p) override { Record("PopTransform", p), DX8Renderer::PopTransform(p); }
    void SetTransform(const Zep::Matrix32& m) override {
        Record("SetTransform", m._31, m._32), DX8Renderer::SetTransform(m);
    }
    void GetViewport(Zep::IntVector2& o, Zep::IntVector2& s) override {
        DX8Renderer::GetViewport(o, s), Record("GetViewport", o.x, o.y, s.x, s.y);
    }
    void SetViewport(const Zep::IntVector2& o, const Zep::IntVector2& s) override {
        Record("SetViewport", o.x, o.y, s.x, s.y), DX8Renderer::SetViewport(o, s);
    }
    void SetRenderTargetTexture(Zep::Texture* t) override {
        Record("SetRenderTargetTexture", Name(t)), DX8Renderer::SetRenderTargetTexture(t);
    }
    void SetProjection2d(float l, float t, float r, float b) override {
        Record("SetProjection2d", l, t, r, b), DX8Renderer::SetProjection2d(l, t, r, b);
    }
    void DrawTexturedRect2d(Zep::Texture* t, const Vector2& min, const Vector2& max, const Vector2& uv0,
                            const Vector2& uv1, float r, const Vector2& s, const Zep::Color& c, int32_t k) override {
        Record("Draw", Name(t), min.x, min.y, max.x, max.y);
        DX8Renderer::DrawTexturedRect2d(t, min, max, uv0, uv1, r, s, c, k);
    }
    std::vector<std::string> log;
};

class SceneDrawingTest : public RendererTest {
protected:
    DX8Renderer* MakeRenderer() override { return recorder = new RecordingDX8Renderer(); }
    void SetUp() override {
        RendererTest::SetUp();
        SceneSamples::WriteContent(content.Path());
        Zep::BundleSystem::GetInstance()->MountDirectory(content.Path());
    }
    void TearDown() override {
        root.reset();
        Zep::TextureManager::GetInstance()->Drain(100);
        Zep::BundleSystem::GetInstance()->Unmount(content.Path());
        RendererTest::TearDown();
    }
    // One frame as the application draws it.
    std::vector<uint32_t> DrawFrame() {
        root->Update(16);
        root->AcquireTextures();
        renderer->BeginRenderFrame();
        renderer->ClearScreen(Zep::Color(0xFF000000u));
        recorder->log.clear();
        root->Render();
        frameCalls.swap(recorder->log);
        std::vector<uint32_t> pixels = Capture();
        renderer->EndRenderFrame();
        root->ReleaseTextures();
        return pixels;
    }

    RecordingDX8Renderer* recorder = nullptr;
    std::vector<std::string> frameCalls;  // of the scene's drawing
    TestSupport::TempFolder content;
    std::unique_ptr<Zep::Scene> root = std::make_unique<Zep::Scene>();
};

}  // namespace

TEST_F(SceneDrawingTest, ScenesWithATargetDrawTheirChildrenIntoItInSceneCoordinatesAndNothingElse) {
    const struct Case {
        Vector2 size;
        std::vector<std::string> calls;
        std::pair<float, float> scales;  // of the held texture
    } cases[] = {
        {{200, 100},
         {"PushTransform 1", "PushTransform 0", "GetViewport 0 0 800 600", "SetRenderTargetTexture #b",
          "SetViewport 0 0 256 256", "SetProjection2d 0 0 200 100", "PushTransform 0", "SetTransform 10 5",
          "Draw #a 0 0 20 10", "PopTransform 0", "SetRenderTargetTexture null", "SetViewport 0 0 800 600",
          "PopTransform 0", "PopTransform 1"},
         {1.28f, 2.56f}},
        {{0, 100}, {}, {1, 1}},
    };
    for (const Case& c : cases) {
        auto *scene = new Zep::Scene, *other = new Zep::Scene;
        auto* image = new Zep::Image;
        root->GetActors().Add(scene), scene->GetActors().Add(image);
        scene->SetPosition(Vector2(100, 50)), scene->SetSize(c.size), scene->SetRenderTarget(Zep::RENDER_TARGET_B);
        image->SetPosition(Vector2(10, 5)), image->SetSize(Vector2(20, 10)), image->SetTexturePath("#A");
        const std::vector<uint32_t> pixels = DrawFrame();
        EXPECT_EQ(c.calls, frameCalls) << "row " << &c - cases;
        EXPECT_EQ(0, std::count(pixels.begin(), pixels.end(), 0xFF000000u) - kWidth * kHeight) << "nothing on screen";

        auto* held = static_cast<Zep::ManagedTexture*>(scene->GetTexture());
        ASSERT_NE(nullptr, held);
        EXPECT_EQ(c.scales, std::make_pair(held->GetUScale(), held->GetVScale()));
        other->SetRenderTarget(Zep::RENDER_TARGET_B), other->GetRenderTargetTexture();
        EXPECT_EQ(2, held->GetRefCount()) << "one reference for each scene, none left by the frame";
        scene->SetRenderTarget(Zep::RENDER_TARGET_A);
        EXPECT_EQ(nullptr, scene->GetTexture()) << "the next drawing takes the new target";
        delete other;
        root->GetActors().Clear();
        EXPECT_EQ(0, held->GetRefCount()) << "released by the new target and by the destructor";
        Zep::TextureManager::GetInstance()->Drain(100);
    }
}

TEST_F(SceneDrawingTest, TheSceneFileShowsItsImagesTargetStubAndLinkedScene) {
    Zep::LoadSceneFromFile(root.get(), "scenes/e2e.scene");
    Zep::ActorCollection& children = root->GetActors();
    Zep::Scene* target = Zep::CastTo<Zep::Scene>(root->FindChild("target"));
    ASSERT_NE(nullptr, target);
    // Ahead of the image that shows it, the target is drawn after the image: a frame late.
    children.Insert(1, children.Extract(children.IndexOf(target)));
    EXPECT_EQ(SceneSamples::kBlack, DrawFrame()[90 * kWidth + 350] | 0xFF000000u);
    children.Insert(2, children.Extract(1));
    const std::vector<uint32_t> pixels = DrawFrame();
    for (const SceneSamples::Probe& probe : SceneSamples::Probes()) {
        const uint32_t actual = pixels[probe.y * kWidth + probe.x];
        EXPECT_TRUE(SceneSamples::Near(actual, probe.argb))
            << probe.what << " at " << probe.x << ", " << probe.y << ": " << std::hex << actual;
    }
    // The target's texture stays with its scene between frames; the frame's others are released.
    EXPECT_EQ(1, static_cast<Zep::ManagedTexture*>(target->GetTexture())->GetRefCount());
}
