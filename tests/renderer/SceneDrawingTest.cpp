// Scenes drawing into render targets on the Direct3D 8 renderer: the renderer calls in
// their order, nothing on the screen, and the target texture held and released.
#include <algorithm>
#include <memory>

#include "Common/Image.h"
#include "Common/Scene.h"
#include "Common/TextureManager.h"
#include "DX8TestSupport.h"
#include "RecordingRenderer.h"

using DX8Testing::RendererTest;
using RendererTesting::Record;
using Zep::Vector2;

namespace {

// Records the calls of drawing into a render target, then makes them.
class RecordingDX8Renderer : public DX8Renderer {
public:
    static std::string Name(Zep::Texture* t) { return t ? static_cast<Zep::ManagedTexture*>(t)->GetName() : "null"; }
    void PushTransform(bool p) override { Record(log, "PushTransform", p), DX8Renderer::PushTransform(p); }
    void PopTransform(bool p) override { Record(log, "PopTransform", p), DX8Renderer::PopTransform(p); }
    void SetTransform(const Zep::Matrix32& m) override {
        Record(log, "SetTransform", m._31, m._32), DX8Renderer::SetTransform(m);
    }
    void GetViewport(Zep::IntVector2& o, Zep::IntVector2& s) override {
        DX8Renderer::GetViewport(o, s), Record(log, "GetViewport", o.x, o.y, s.x, s.y);
    }
    void SetViewport(const Zep::IntVector2& o, const Zep::IntVector2& s) override {
        Record(log, "SetViewport", o.x, o.y, s.x, s.y), DX8Renderer::SetViewport(o, s);
    }
    void SetRenderTargetTexture(Zep::Texture* t) override {
        Record(log, "SetRenderTargetTexture", Name(t)), DX8Renderer::SetRenderTargetTexture(t);
    }
    void SetProjection2d(float l, float t, float r, float b) override {
        Record(log, "SetProjection2d", l, t, r, b), DX8Renderer::SetProjection2d(l, t, r, b);
    }
    void DrawTexturedRect2d(Zep::Texture* t, const Vector2& min, const Vector2& max, const Vector2& uv0,
                            const Vector2& uv1, float r, const Vector2& s, const Zep::Color& c, int32_t k) override {
        Record(log, "Draw", Name(t), min.x, min.y, max.x, max.y);
        DX8Renderer::DrawTexturedRect2d(t, min, max, uv0, uv1, r, s, c, k);
    }
    RendererTesting::CallLog log;
};

class SceneDrawingTest : public RendererTest {
protected:
    DX8Renderer* MakeRenderer() override { return recorder = new RecordingDX8Renderer(); }
    void TearDown() override {
        root.reset();
        Zep::TextureManager::GetInstance()->Drain(100);
        RendererTest::TearDown();
    }
    RecordingDX8Renderer* recorder = nullptr;
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
        root->Update(16), root->AcquireTextures();  // as the application draws a frame
        renderer->BeginRenderFrame();
        renderer->ClearScreen(Zep::Color(0xFF000000u));
        recorder->log.clear();
        root->Render();
        EXPECT_EQ(c.calls, recorder->log) << "row " << &c - cases;
        const std::vector<uint32_t> pixels = Capture();
        renderer->EndRenderFrame();
        root->ReleaseTextures();
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
