// Scenes on the recording renderer: drawing into a render target in the order the
// renderer must see, the target texture held and released, and notifications passed
// up to enclosing scenes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Common/Button.h"
#include "Common/Edit.h"
#include "Common/Image.h"
#include "Common/Scene.h"
#include "Common/Slider.h"
#include "Common/TextureManager.h"
#include "LumoSources/Common/Subsystems.h"
#include "ObjectTestSupport.h"
#include "RecordingRenderer.h"

using RendererTesting::Record;
using Zep::Vector2;

namespace {

// Records also the calls a render target needs; the screen's viewport is 0 0 800 600.
class TargetRecorder : public RendererTesting::RecordingRenderer {
public:
    void GetViewport(Zep::IntVector2& origin, Zep::IntVector2& size) override {
        Record(log, "GetViewport");
        origin = Zep::IntVector2(0, 0), size = Zep::IntVector2(800, 600);
    }
    void SetRenderTargetTexture(Zep::Texture* texture) override {
        const auto* managed = static_cast<Zep::ManagedTexture*>(texture);
        Record(log, "SetRenderTargetTexture", managed ? managed->GetName() : "null");
    }
    void SetProjection2d(float l, float t, float r, float b) override { Record(log, "SetProjection2d", l, t, r, b); }
    void DrawTexturedRect2d(Zep::Texture* texture, const Vector2& min, const Vector2& max, const Vector2&,
                            const Vector2&, float, const Vector2&, const Zep::Color& color, int32_t kind) override {
        char argb[16];
        snprintf(argb, sizeof argb, "%x", color.argb);
        Record(log, "DrawTexturedRect2d", static_cast<Zep::ManagedTexture*>(texture)->GetName(), min.x, min.y, max.x,
               max.y, argb, kind);
    }
};

// Counts the notifications it hears and passes them on as any scene does.
class CountingScene : public Zep::Scene {
public:
    void OnButtonClick(Zep::Button* button) override { heard += "b", Scene::OnButtonClick(button); }
    void OnSliderChange(Zep::Slider* slider) override { heard += "s", Scene::OnSliderChange(slider); }
    void OnEditChange(Zep::Edit* edit) override { heard += "e", Scene::OnEditChange(edit); }
    std::string heard;
};

class SceneTest : public ObjectTestSupport::Fixture {
protected:
    void SetUp() override {
        Fixture::SetUp();
        rendererSubsystem.SetInstance(&renderer);
    }
    void TearDown() override {
        Zep::TextureManager::GetInstance()->Drain(100);
        rendererSubsystem.SetInstance(nullptr);
        Fixture::TearDown();
    }
    TargetRecorder renderer;
};

}  // namespace

TEST_F(SceneTest, ScenesWithATargetDrawTheirChildrenIntoItInSceneCoordinatesAndNothingElse) {
    const struct Case {
        Vector2 size;
        std::vector<std::string> calls;
        std::pair<float, float> scales;  // of the held texture
    } cases[] = {
        {{200, 100},
         {"PushTransform 1", "PushTransform 0", "GetViewport", "SetRenderTargetTexture #b", "SetViewport 0 0 256 256",
          "SetProjection2d 0 0 200 100", "PushTransform 0", "SetTransform 1 0 0 1 10 5", "SetBlendMode 4 5",
          "DrawTexturedRect2d #a 0 0 20 10 ffffffff 0", "PopTransform 0", "SetRenderTargetTexture null",
          "SetViewport 0 0 800 600", "PopTransform 0", "PopTransform 1"},
         {1.28f, 2.56f}},
        {{0, 100}, {}, {1, 1}},
    };
    for (const Case& c : cases) {
        Zep::Scene root;
        auto *scene = new Zep::Scene, *other = new Zep::Scene;
        auto* image = new Zep::Image;
        root.GetActors().Add(scene), scene->GetActors().Add(image);
        scene->SetPosition(Vector2(100, 50)), scene->SetSize(c.size), scene->SetRenderTarget(Zep::RENDER_TARGET_B);
        image->SetPosition(Vector2(10, 5)), image->SetSize(Vector2(20, 10)), image->SetTexturePath("#A");
        root.Update(0), root.AcquireTextures();
        renderer.log.clear();
        root.Render();
        root.ReleaseTextures();
        EXPECT_EQ(c.calls, renderer.log) << "row " << &c - cases;

        auto* held = static_cast<Zep::ManagedTexture*>(scene->GetTexture());
        ASSERT_NE(nullptr, held);
        EXPECT_EQ(c.scales, std::make_pair(held->GetUScale(), held->GetVScale()));
        other->SetRenderTarget(Zep::RENDER_TARGET_B), other->GetRenderTargetTexture();
        EXPECT_EQ(2, held->GetRefCount()) << "one reference for each scene, none left by the frame";
        scene->SetRenderTarget(Zep::RENDER_TARGET_A);
        EXPECT_EQ(nullptr, scene->GetTexture()) << "the next drawing takes the new target";
        delete other;
        EXPECT_EQ(0, held->GetRefCount()) << "released by the new target and by the destructor";
        Zep::TextureManager::GetInstance()->Drain(100);
    }
}

TEST_F(SceneTest, NotificationsGoUpToTheOutermostSceneOrTheFirstModalOne) {
    const struct Case {
        bool modal[3];  // inner, middle, outer
        bool graphicBetween;
        const char* heard[3];
    } cases[] = {
        {{0, 0, 1}, false, {"bse", "bse", "bse"}},
        {{0, 1, 0}, false, {"bse", "bse", ""}},
        {{0, 0, 0}, true, {"bse", "bse", ""}},
    };
    for (const Case& c : cases) {
        CountingScene outer, *middle = new CountingScene, *inner = new CountingScene;
        Zep::Actor* between = c.graphicBetween ? new Zep::Graphic : nullptr;
        if (between)
            between->SetCompound(true), outer.GetActors().Add(between);
        (between ? between : &outer)->GetActors().Add(middle), middle->GetActors().Add(inner);
        CountingScene* scenes[] = {inner, middle, &outer};
        for (int i = 0; i < 3; ++i)
            scenes[i]->SetModal(c.modal[i]);
        Zep::Button button;
        Zep::Slider slider;
        Zep::Edit edit;
        inner->OnButtonClick(&button), inner->OnSliderChange(&slider), inner->OnEditChange(&edit);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c.heard[i], scenes[i]->heard) << "row " << &c - cases << ", scene " << i;
    }
}
