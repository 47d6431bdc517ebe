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

using Zep::Vector2;

namespace {

// Records also the calls a render target needs; the screen's viewport is 0 0 800 600.
class TargetRecorder : public RendererTesting::RecordingRenderer {
public:
    void GetViewport(Zep::IntVector2& origin, Zep::IntVector2& size) override {
        RendererTesting::Record(log, "GetViewport");
        origin = Zep::IntVector2(0, 0), size = Zep::IntVector2(800, 600);
    }
    void SetRenderTargetTexture(Zep::Texture* texture) override {
        const auto* managed = static_cast<Zep::ManagedTexture*>(texture);
        RendererTesting::Record(log, "SetRenderTargetTexture", managed ? managed->GetName() : "null");
    }
    void SetProjection2d(float l, float t, float r, float b) override {
        RendererTesting::Record(log, "SetProjection2d", l, t, r, b);
    }
    void DrawTexturedRect2d(Zep::Texture* texture, const Vector2& min, const Vector2& max, const Vector2&,
                            const Vector2&, float, const Vector2&, const Zep::Color& color, int32_t kind) override {
        char argb[16];
        snprintf(argb, sizeof argb, "%x", color.argb);
        RendererTesting::Record(log, "DrawTexturedRect2d", static_cast<Zep::ManagedTexture*>(texture)->GetName(), min.x,
                                min.y, max.x, max.y, argb, kind);
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

TEST_F(SceneTest, ScenesWithATargetDrawTheirChildrenIntoItInSceneCoordinates) {
    // The child's drawing bracket, in the default context and in the screen's.
    const std::vector<std::string> child = {"PushTransform 0", "SetTransform 1 0 0 1 10 5", "SetBlendMode 4 5",
                                            "DrawTexturedRect2d #a 0 0 20 10 ffffffff 0", "PopTransform 0"};
    const std::vector<std::string> onScreen = {"PushTransform 0", "SetTransform 1 0 0 1 110 55", "SetBlendMode 4 5",
                                               "DrawTexturedRect2d #a 0 0 20 10 ffffffff 0", "PopTransform 0"};
    const struct Case {
        Zep::RenderTargetNumber target;
        Vector2 size;
        const char* texture;  // held after drawing
        float uScale, vScale;
        std::vector<std::string> calls;
    } cases[] = {
        {Zep::RENDER_TARGET_B, {200, 100}, "#b", 1.28f, 2.56f, {}},
        {Zep::RENDER_TARGET_D, {2048, 512}, "#d", 0.5f, 2.0f, {}},
        {Zep::RENDER_TARGET_NONE, {200, 100}, "", 1, 1, onScreen},
        {Zep::RENDER_TARGET_C, {0, 100}, "#c", 1, 1, {}},
        {Zep::RENDER_TARGET_A, {200, -1}, "#a", 1, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texture + std::string(" ") + std::to_string(c.size.x));
        std::vector<std::string> expected = c.calls;
        if (c.size.x > 0 && c.size.y > 0 && c.target != Zep::RENDER_TARGET_NONE) {
            const int side = c.target == Zep::RENDER_TARGET_D ? 1024 : 256;
            expected = {"PushTransform 1",
                        "PushTransform 0",
                        "GetViewport",
                        std::string("SetRenderTargetTexture ") + c.texture,
                        "SetViewport 0 0 " + std::to_string(side) + " " + std::to_string(side),
                        "SetProjection2d 0 0 " + std::to_string(int(c.size.x)) + " " + std::to_string(int(c.size.y))};
            expected.insert(expected.end(), child.begin(), child.end());
            expected.insert(expected.end(), {"SetRenderTargetTexture null", "SetViewport 0 0 800 600", "PopTransform 0",
                                             "PopTransform 1"});
        }
        Zep::Scene root;
        auto* scene = new Zep::Scene;
        root.GetActors().Add(scene);
        scene->SetPosition(Vector2(100, 50)), scene->SetSize(c.size), scene->SetRenderTarget(c.target);
        auto* image = new Zep::Image;
        scene->GetActors().Add(image);
        image->SetPosition(Vector2(10, 5)), image->SetSize(Vector2(20, 10)), image->SetTexturePath("#A");
        root.Update(0);
        root.AcquireTextures();
        renderer.log.clear();
        root.Render();
        root.ReleaseTextures();
        EXPECT_EQ(expected, renderer.log);

        Zep::ManagedTexture* held = static_cast<Zep::ManagedTexture*>(scene->GetTexture());
        ASSERT_EQ(c.target != Zep::RENDER_TARGET_NONE, held != nullptr);
        if (!held)
            continue;
        EXPECT_EQ(c.texture, held->GetName());
        EXPECT_EQ(std::make_pair(c.uScale, c.vScale), std::make_pair(held->GetUScale(), held->GetVScale()));
        EXPECT_EQ(1, held->GetRefCount()) << "held by the scene alone once the frame's textures are released";
        scene->SetRenderTarget(c.target);
        EXPECT_EQ(nullptr, scene->GetTexture()) << "a new target is taken at the next drawing";
        EXPECT_EQ(0, held->GetRefCount());
        held->AddRef();
        delete root.GetActors().Extract(0);
        EXPECT_EQ(0, held->Release()) << "the destructor released the texture taken again";
    }
}

TEST_F(SceneTest, NotificationsGoUpToTheOutermostSceneOrTheFirstModalOne) {
    const struct Case {
        bool modal[3];  // inner, middle, outer
        bool graphicBetween;
        const char* heard[3];
    } cases[] = {
        {{0, 0, 0}, false, {"bse", "bse", "bse"}}, {{0, 1, 0}, false, {"bse", "bse", ""}},
        {{1, 0, 0}, false, {"bse", "", ""}},       {{0, 0, 1}, false, {"bse", "bse", "bse"}},
        {{0, 0, 0}, true, {"bse", "bse", ""}},
    };
    for (const Case& c : cases) {
        CountingScene outer;
        auto* middle = new CountingScene;
        auto* inner = new CountingScene;
        Zep::Actor* between = &outer;
        if (c.graphicBetween) {
            between = new Zep::Graphic;
            between->SetCompound(true);
            outer.GetActors().Add(between);
        }
        between->GetActors().Add(middle);
        middle->GetActors().Add(inner);
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
