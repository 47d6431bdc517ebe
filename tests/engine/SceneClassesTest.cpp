// The data classes of the scene: what they save, what old files may still carry,
// what their setters do beyond storing, which animators they take, and authored
// scene files that load and save back unchanged.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

#include "Common/Application.h"
#include "Common/Bone.h"
#include "Common/Button.h"
#include "Common/ClassRegistrations.h"
#include "Common/ClassRegistry.h"
#include "Common/Edit.h"
#include "Common/FocusNavigator.h"
#include "Common/Font.h"
#include "Common/ParticleTemplate.h"
#include "Common/PropertyInfo.h"
#include "Common/Scene.h"
#include "Common/Slider.h"
#include "Common/Utils.h"
#include "ObjectTestSupport.h"
#include "TestSupport.h"

using namespace ObjectTestSupport;

namespace {

// A scene that counts the notifications of the controls inside it.
class RecordingScene : public Zep::Scene {
    ZEP_DECLARE_CLASS();
    RecordingScene() { SetClassInfo(&staticClassInfo); }

    void OnButtonClick(Zep::Button*) override { ++clicks; }
    void OnSliderChange(Zep::Slider*) override { ++sliderChanges; }
    void OnEditChange(Zep::Edit*) override { ++editChanges; }

    int clicks = 0;
    int sliderChanges = 0;
    int editChanges = 0;
};

ZEP_IMPLEMENT_CLASS(RecordingScene, "Test::RecordingScene", &Zep::Scene::staticClassInfo);
void RecordingScene::DeclareProperties() {}

// A control whose transform can be made fresh and whose slots record their calls.
class ProbeControl : public Zep::Control {
public:
    void MarkTransformFresh() { cachedTransform._11 = 1.0f; }
    void SetVisible(bool value) override {
        calls += "visible ";
        Control::SetVisible(value);
    }
    void SetEnabled(bool value) override {
        calls += "enabled ";
        Control::SetEnabled(value);
    }
    std::string calls;
};

void SetByName(Zep::Object& object, const std::string& property, const std::string& value) {
    Reader reader(value);
    object.GetClassInfo()->GetProperty(property, true)->ReadFromArchive(&object, reader.archive);
}

// A template whose keys are baked.
class BakedTemplate : public Zep::ParticleTemplate {
public:
    BakedTemplate() { baked = true; }
};

// Puts a recording key callback in place of the property's own for its lifetime.
class RecordingKeyCallback {
public:
    explicit RecordingKeyCallback(Zep::PropertyInfo* property)
        : registered(*Zep::AnimatablePropertyRegistry::GetInstance().Find(property)) {
        EXPECT_NE(nullptr, registered.keyCallback) << property->GetName();
        Zep::AnimatablePropertyEntry recording = registered;
        recording.keyCallback = &Record;
        Zep::AnimatablePropertyRegistry::GetInstance().Register(recording);
        calls.clear();
    }
    ~RecordingKeyCallback() { Zep::AnimatablePropertyRegistry::GetInstance().Register(registered); }

    static std::string calls;

private:
    static void Record(Zep::Object* target, Zep::Object*, int32_t keyIndex) {
        Zep::Actor* actor = static_cast<Zep::Actor*>(target);
        calls += actor->GetName() + " key " + std::to_string(keyIndex) + " at frame " +
                 std::to_string(actor->GetParent()->GetCurrentFrame()) + ", ";
    }

    const Zep::AnimatablePropertyEntry registered;
};

std::string RecordingKeyCallback::calls;

const std::string kClasses = std::string(ZEP_TEST_DATA) + "/classes/";

class SceneClassesTest : public Fixture {};

}  // namespace

TEST_F(SceneClassesTest, SavingWritesWhatDiffersFromANewInstanceOfTheObjectsOwnClass) {
    struct Case {
        const char* className;
        const char* property;  // empty: none set
        const char* value;
        const char* fields;  // what the save holds between the braces
    } cases[] = {
        {"Zep::Image", "", "", ""},
        {"Zep::Image", "Size", "[ 100.00000 100.00000 ]", ""},
        {"Zep::Image", "Size", "[ 100.00040 100.00000 ]", ""},
        {"Zep::Image", "HitTestMethod", "1", ""},
        {"Zep::NineGrid", "HitTestMethod", "0", "\tHitTestMethod 0\n"},
        {"Zep::Graphic", "HitTestMethod", "1", "\tHitTestMethod 1\n"},
        {"Zep::Text", "TextColor", "0xFF0000FF", ""},
        {"Zep::Sticker", "Color", "0xFFFFFFC0", ""},
        {"Zep::Sticker", "Color", "0xFFFFFFFF", "\tColor 0xFFFFFFFF\n"},
        {"Zep::Audio", "Group", "8", ""},
        {"Zep::Audio", "Group", "9", "\tGroup 9\n"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Zep::Object> object(Zep::ClassRegistry::GetInstance().CreateObject(c.className));
        if (*c.property)
            SetByName(*object, c.property, c.value);
        EXPECT_EQ(std::string("\"") + c.className + "\" {\n" + c.fields + "}\n", SaveText(*object))
            << c.className << " " << c.property << " " << c.value;
    }
}

TEST_F(SceneClassesTest, TheFiveTransformPropertiesMarkTheCachedTransformStale) {
    const std::string fields[] = {"Rotation 90.00000",          "Position [ 1.00000 2.00000 ]",
                                  "Scale [ 2.00000 2.00000 ]",  "Pivot [ 0.50000 0.50000 ]",
                                  "Size [ 10.00000 10.00000 ]", "Color 0x80FFFFFF"};
    for (size_t i = 0; i < std::size(fields); ++i) {
        ProbeControl control;
        EXPECT_TRUE(control.IsTransformStale()) << "a new graphic has no transform yet";
        control.MarkTransformFresh();
        LoadText(control, "\"Zep::Control\" { " + fields[i] + " }");
        EXPECT_EQ(i < 5, control.IsTransformStale()) << fields[i];
    }
}

TEST_F(SceneClassesTest, ControlSettersGoThroughTheirSlotsAndDropTheFocus) {
    Zep::FocusNavigator navigator;
    Zep::Application::GetInstance()->SetFocusNavigator(&navigator);
    ProbeControl focused, other;
    SetByName(focused, "Visible", "false");
    SetByName(focused, "Enabled", "false");
    EXPECT_EQ("visible enabled ", focused.calls);
    EXPECT_EQ(std::make_pair(false, false), std::make_pair(focused.GetVisible(), focused.GetEnabled()));

    // Transparent drops the focus of its own control, also when unchanged.
    focused.SetVisible(true), focused.SetEnabled(true), focused.SetFocusable(true), focused.Update(0);
    navigator.SetFocus(&focused);
    SetByName(other, "Transparent", "true");
    EXPECT_TRUE(focused.HasFocus());
    SetByName(focused, "Transparent", "false");
    EXPECT_EQ(nullptr, navigator.GetFocusedControl());
    Zep::Application::GetInstance()->SetFocusNavigator(nullptr);
    EXPECT_FALSE(focused.HasFocus());
    focused.KillFocus();  // without a navigator: nothing to do
}

TEST_F(SceneClassesTest, ScenesHearSlidersOnEverySetAndEditBoxesOnChangesButNotWhileLoading) {
    RecordingScene scene;
    LoadText(scene,
             "\"Test::RecordingScene\" { Actors [ \"Zep::Slider\" { Value 4.00000 } \"Zep::Edit\" { Text \"x\" } "
             "\"Zep::Button\" { } ] }");
    EXPECT_EQ(0, scene.sliderChanges + scene.editChanges);
    Zep::Slider* slider = Zep::CastTo<Zep::Slider>(scene.GetActors().Get(0));
    Zep::Edit* edit = Zep::CastTo<Zep::Edit>(scene.GetActors().Get(1));
    ASSERT_TRUE(slider && edit);
    EXPECT_EQ(std::make_pair(4.0f, std::string("x")), std::make_pair(slider->GetValue(), edit->GetText()));

    for (const char* value : {"4.00000", "4.00000", "200.00000"})
        SetByName(*slider, "Value", value);
    EXPECT_EQ(3, scene.sliderChanges) << "once per set, also unchanged";
    EXPECT_EQ(200.0f, slider->GetValue()) << "stored unclamped";
    for (const char* value : {"\"x\"", "\"xy\"", "\"xy\""})
        SetByName(*edit, "Text", value);
    EXPECT_EQ(1, scene.editChanges) << "on a change only";
    Zep::CastTo<Zep::Button>(scene.GetActors().Get(2))->NotifyScene();
    EXPECT_EQ(1, scene.clicks);
    // Outside a scene nobody hears them.
    std::unique_ptr<Zep::Actor> loose(scene.GetActors().Extract(0));
    SetByName(*loose, "Value", "1.00000");
    EXPECT_EQ(3, scene.sliderChanges);
}

TEST_F(SceneClassesTest, AnimatorsAreMadeForAnimatablePropertiesOnly) {
    Zep::Button button;
    EXPECT_EQ("Zep::TypedAnimator<Zep::Vector2>", button.animators.Create("Position")->GetClassName());
    EXPECT_EQ("Zep::TypedAnimator<bool>", button.animators.Create("Visible")->GetClassName());
    EXPECT_EQ(nullptr, button.animators.Create("Anchors"));
    button.animators.Find("Position")->Capture(&button, 0);
    EXPECT_NE(std::string::npos, SaveText(button).find("\t\t\tProperty \"Position@Zep::Graphic\"\n"));
}

TEST_F(SceneClassesTest, AuthoredScenesAndFontsLoadAndSaveBackByteForByte) {
    // Each X.scene or X.fnt of the folder saves back as X.saved when there is one, else
    // as itself: old fields are read into nothing and never written. A font cannot be
    // created by class name; it is loaded into a font made by its constructor.
    Zep::ForceLinkClassRegistrations();
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kClasses)) {
        std::filesystem::path path = entry.path();
        if (path.extension() != ".scene" && path.extension() != ".fnt")
            continue;
        ++files;
        Reader reader(TestSupport::ReadFile(path));
        std::unique_ptr<Zep::Object> object;
        if (path.extension() == ".fnt") {
            object.reset(new Zep::Font());
            object->Load(reader.archive);
        } else {
            object.reset(Zep::Object::CreateFromArchive(reader.archive));
        }
        const std::filesystem::path saved = std::filesystem::path(path).replace_extension(".saved");
        const std::string text = TestSupport::ReadFile(std::filesystem::exists(saved) ? saved : path);
        EXPECT_EQ(text, SaveText(*object)) << path;
        // A copy of the tree holds the same.
        if (Zep::Actor* root = dynamic_cast<Zep::Actor*>(object.get())) {
            std::unique_ptr<Zep::Actor> copy(root->CloneRecursive());
            EXPECT_EQ(text, SaveText(*copy)) << path << " copied";
        }
    }
    EXPECT_GE(files, 6);
}

TEST_F(SceneClassesTest, TemplateSettersAskForANewBakeExceptLoopedAnimation) {
    const std::pair<const char*, bool> cases[] = {
        {"TexturePath \"a.png\"", true},
        {"TexturePath \"\"", false},  // unchanged
        {"FirstFrame 1", true},
        {"LastFrame 4", true},
        {"LoopedAnimation false", false},
        {"AnimationFPS 10.00000", true},
        {"Scale 2.00000", true},
        {"AspectRatio 2.00000", true},
        {"Velocity 2.00000", true},
        {"WindAmount 2.00000", true},
        {"GravityAmount 2.00000", true},
        {"MagnetAmount 2.00000", true},
        {"Spin 2.00000", true},
        {"AngularVelocity 2.00000", true},
        {"RandMotionRadius 2.00000", true},
        {"RandMotionSpeed 2.00000", true},
        {"Color 0x80FFFFFF", true},
        {"Name \"t\"", false},
    };
    for (const auto& c : cases) {
        BakedTemplate particleTemplate;
        LoadText(particleTemplate, std::string("\"Zep::ParticleTemplate\" { ") + c.first + " }");
        EXPECT_EQ(c.second, particleTemplate.NeedsBaking()) << c.first;
    }
}

TEST_F(SceneClassesTest, ActionKeysOfAudioAndMovieCallTheirKeyCallbackOnTheirExactFrames) {
    for (const std::string className : {"Zep::Audio", "Zep::Movie"}) {
        // The actions run nothing yet: a recording callback stands in for the registered one.
        Zep::PropertyInfo* action = Zep::ClassRegistry::GetInstance().GetClass(className)->GetProperty("Action", false);
        RecordingKeyCallback recording(action);
        Zep::Scene parent;
        LoadText(parent, "\"Zep::Scene\" { Actors [ \"" + className + "\" { Name \"x\" Animators [ " +
                             "\"Zep::TypedAnimator<" + className + "::Action>\" { Property \"Action@" + className +
                             "\" Frames [ 3 7 ] Attributes [ 1 1 ] Keys [ 1 0 ] } ] } ] }");
        parent.PlayAnimation(0);
        for (int step = 0; step < 16; ++step)
            parent.Update(30);
        EXPECT_EQ("x key 0 at frame 3, x key 1 at frame 7, ", recording.calls) << className;
    }
}

TEST_F(SceneClassesTest, ObsoleteBoneFieldsReadZeroAndTheirAnimatorsAreDropped) {
    Zep::Bone bone;
    LoadText(bone,
             "\"Zep::Bone\" { SkinningScale 2.00000 SkinningFalloff 3.00000 Animators [ "
             "\"Zep::TypedAnimator<float>\" { Property \"SkinningScale@Zep::Bone\" Frames [ 0 ] Attributes [ 0 ] "
             "Keys [ 1.00000 ] } ] }");
    for (const char* name : {"SkinningScale", "SkinningFalloff"}) {
        Zep::PropertyInfo* property = Zep::Bone::staticClassInfo.GetObsoleteProperty(name, false);
        EXPECT_EQ(0.0f, static_cast<Zep::FloatPropertyInfo*>(property)->GetValue(&bone)) << name;
    }
    EXPECT_EQ(0, bone.animators.GetCount());
}

TEST_F(SceneClassesTest, AFontLoadedOverAddedGlyphsTakesThemOutOfItsLookup) {
    Zep::Font font;
    font.AddChar('A', Zep::Vector2(), Zep::Vector2(), Zep::Vector2(), 0.5f);
    font.AddChar('B', Zep::Vector2(), Zep::Vector2(), Zep::Vector2(), 0.5f);
    font.AddPair('A', 'B', 0.25f);
    EXPECT_EQ(0.25f, font.GetKerning('A', 'B'));
    // Loaded characters are stored as read: they wait for the font's tables.
    LoadText(font, "\"Zep::Font\" { Characters [ \"Zep::FontChar\" { CharCode 65 } ] }");
    EXPECT_EQ(0, font.GetChar('A')->charCode);
    EXPECT_EQ(0, font.GetChar('B')->charCode);
    EXPECT_EQ(0.0f, font.GetKerning('A', 'B'));
}
