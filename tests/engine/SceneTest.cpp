// Scenes pass the notifications of the controls inside them up to enclosing scenes.
#include <gtest/gtest.h>

#include <string>

#include "Common/Button.h"
#include "Common/Edit.h"
#include "Common/Scene.h"
#include "Common/Slider.h"
#include "ObjectTestSupport.h"

namespace {

// Counts the notifications it hears and passes them on as any scene does.
class CountingScene : public Zep::Scene {
public:
    void OnButtonClick(Zep::Button* button) override { heard += "b", Scene::OnButtonClick(button); }
    void OnSliderChange(Zep::Slider* slider) override { heard += "s", Scene::OnSliderChange(slider); }
    void OnEditChange(Zep::Edit* edit) override { heard += "e", Scene::OnEditChange(edit); }
    std::string heard;
};

class SceneTest : public ObjectTestSupport::Fixture {};

}  // namespace

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
