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

TEST_F(SceneDrawingTest, TheSceneFileShowsItsImagesTargetStubAndLinkedSceneInOneFrame) {
    Zep::LoadSceneFromFile(root.get(), "scenes/e2e.scene");
    for (int frame = 0; frame < 2; ++frame) {
        const std::vector<uint32_t> pixels = DrawFrame();
        for (const SceneSamples::Probe& probe : SceneSamples::Probes()) {
            const uint32_t actual = pixels[probe.y * kWidth + probe.x];
            EXPECT_TRUE(SceneSamples::Near(actual, probe.argb))
                << "frame " << frame << ", " << probe.what << " at " << probe.x << ", " << probe.y << ": " << std::hex
                << actual << " instead of " << probe.argb;
        }
    }
    // The texture of the target stays with its scene between frames; the frame's others are released.
    Zep::Texture* target =
        root->FindChild("target") ? Zep::CastTo<Zep::Scene>(root->FindChild("target"))->GetTexture() : nullptr;
    ASSERT_NE(nullptr, target);
    EXPECT_EQ(1, static_cast<Zep::ManagedTexture*>(target)->GetRefCount());
}

TEST_F(SceneDrawingTest, ATargetSceneAfterItsImageShowsThisFrameAndBeforeItThePreviousOne) {
    Zep::LoadSceneFromFile(root.get(), "scenes/e2e.scene");
    Zep::Actor* targetScene = root->FindChild("target");
    ASSERT_NE(nullptr, targetScene);
    const int viewIndex = root->GetActors().IndexOf(root->FindChild("target view"));
    // The target scene moved ahead of the image: the first frame's image shows the cleared target.
    root->GetActors().Insert(viewIndex, root->GetActors().Extract(root->GetActors().IndexOf(targetScene)));
    EXPECT_EQ(SceneSamples::kBlack, DrawFrame()[90 * kWidth + 350] | 0xFF000000u);
    EXPECT_TRUE(SceneSamples::Near(DrawFrame()[90 * kWidth + 350], SceneSamples::kTargetGreen));
}
