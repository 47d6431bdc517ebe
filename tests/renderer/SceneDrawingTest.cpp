// A scene file drawn by the Direct3D 8 renderer, checked by its pixels: images, a
// scene drawing into a render target shown by another image, an invisible image, the
// stub of a missing image and a linked scene.
#include <memory>

#include "Common/BundleSystem.h"
#include "Common/Scene.h"
#include "Common/TextureManager.h"
#include "Common/Utils.h"
#include "DX8TestSupport.h"
#include "SceneSamples.h"

using DX8Testing::RendererTest;

namespace {

class SceneDrawingTest : public RendererTest {
protected:
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
        root->Render();
        std::vector<uint32_t> pixels = Capture();
        renderer->EndRenderFrame();
        root->ReleaseTextures();
        return pixels;
    }

    TestSupport::TempFolder content;
    std::unique_ptr<Zep::Scene> root = std::make_unique<Zep::Scene>();
};

}  // namespace

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
