// The cursor manager over scripted mice and a fixed window, with the system cursor
// requests recorded: cursor changes frame by frame, positions and timing, and the
// registrations that fail or show nothing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>

#include "Common/Application.h"
#include "Common/CursorManager.h"
#include "Common/Image.h"
#include "Common/InputSystem.h"
#include "Common/VirtualInputDevice.h"
#include "FixedGameWindow.h"
#include "InputTestSupport.h"
#include "LumoSources/Common/Subsystems.h"
#include "ObjectTestSupport.h"

namespace {

std::string rendered;

// A graphic that notes its name when drawn; registered, so that copies keep the class.
class Part : public Zep::Graphic {
    ZEP_DECLARE_CLASS();
    Part() { SetClassInfo(&staticClassInfo), SetCompound(true); }
    void RenderInContext(const Zep::RenderContext& context) override {
        rendered += GetName() + " ";
        Graphic::RenderInContext(context);
    }
};
ZEP_IMPLEMENT_CLASS(Part, "Test::CursorPart", &Zep::Graphic::staticClassInfo);
void Part::DeclareProperties() {}

// Loops frames 0 to 2 and fades out over frames 4 to 6; the arrow image is 32 x 32 with
// its pivot at (0.25, 0.5).
Zep::Actor* MakeCursor(const char* name, bool arrow, Zep::Actor* cursor = new Part) {
    cursor->SetName(name), cursor->SetBasePath("Skins/");
    Zep::MarkerCollection& markers = cursor->GetMarkers();
    markers.Create("Loop", 0, Zep::MARKER_PLAY), markers.Create("Back", 2, Zep::MARKER_GOTO)->otherMarkerName = "Loop";
    markers.Create("FadeOut", 4, Zep::MARKER_PLAY), markers.Create("End", 6, Zep::MARKER_STOP);
    auto* image = new Zep::Image;
    image->SetName(arrow ? "SystemCursor" : "Picture"), image->SetTexturePath("Arrow.PNG");
    image->SetSize({32, 32}), image->SetPivot({0.25f, 0.5f});
    auto* standard = new Zep::Graphic;
    standard->SetName("StandardCursor");
    if (cursor->IsCompound())
        cursor->GetActors().Add(image), cursor->GetActors().Add(standard);
    else
        delete image, delete standard;
    return cursor;
}

class Manager : public Zep::CursorManager {
public:
    std::string shown;

protected:
    void ShowSystemCursor(const std::string& path, Zep::IntVector2 hotspot) override {
        shown += path + " " + std::to_string(hotspot.x) + "," + std::to_string(hotspot.y) + ";";
    }
};

// Mice for devices 0 and 1, both enabled; device 2 has none.
class CursorManagerTest : public ObjectTestSupport::Fixture {
protected:
    void SetUp() override {
        Fixture::SetUp();
        static TestSupport::FixedGameWindow window;
        static InputTesting::ScriptedDevice* mice[2] = {InputTesting::NewMouse(0), InputTesting::NewMouse(1)};
        static const bool ready = [] {
            gameRenderWindowSubsystem.SetInstance(&window);
            Zep::InputSystem::GetInstance()->AddDevice(mice[0]), Zep::InputSystem::GetInstance()->AddDevice(mice[1]);
            return Zep::VirtualInputDevice::Get(1)->SetEnabled(true), true;
        }();
        (void)ready, mouse = mice[0];
        Zep::Application::GetInstance()->SetWindowVirtualExtent(Zep::Aabb2({0, 0}, {400, 300}));
        rendered.clear();
    }
    Zep::InputDevice* mouse = nullptr;
};

// The device's cursors as name and frame, the current one last.
std::string Live(const Zep::CursorManager& cursors, int32_t device) {
    std::string text;
    for (Zep::Graphic* cursor : cursors.GetLiveCursors(device))
        text += cursor->GetName() + std::to_string(cursor->GetCurrentFrame()) + " ";
    return text;
}

// Which of the system and standard parts of device 0's current cursor are visible.
std::string Parts(const Zep::CursorManager& cursors) {
    if (cursors.GetLiveCursors(0).empty())
        return "-";
    Zep::Actor* cursor = cursors.GetLiveCursors(0).back();
    const auto visible = [cursor](const char* name) {
        auto* part = static_cast<Zep::Graphic*>(cursor->FindChild(name));
        return part && part->GetVisible();
    };
    return std::string(visible("SystemCursor") ? "S" : "") + (visible("StandardCursor") ? "T" : "");
}

}  // namespace

TEST_F(CursorManagerTest, ChangesFadeTheCurrentCursorOutUnderTheNextAndSetTheSystemCursor) {
    Manager cursors;
    std::unique_ptr<Zep::Actor> a(MakeCursor("A", true)), b(MakeCursor("B", false));
    const int32_t idA = cursors.RegisterCursor(a.get()), idB = cursors.RegisterCursor(b.get());
    const struct Step {
        std::function<void()> action;
        std::string device0, device1, shown, drawn, parts;
    } steps[] = {
        {[&] { cursors.SetCursor(0, idA), cursors.SetCursor(0, idA); }, "A0 ", "", "skins/arrow 8,16;", "A ", "T"},
        {[&] { cursors.Update(0); }, "A0 ", "", "", "A ", ""},
        {[&] { cursors.SetCursor(0, idB); }, "A4 B0 ", "", " 0,0;", "A B ", "T"},
        {[&] { cursors.Update(100); }, "B0 ", "", "", "B ", ""},  // A's fade-out is over
        {[&] { cursors.SetCursor(0, 0), cursors.SetCursor(0, 99); }, "B4 ", "", "", "B ", ""},
        {[&] { cursors.Update(100), cursors.SetCursor(1, idA); }, "", "A0 ", "", "A ", "-"},
        {[&] { cursors.SetCursor(0, idA), cursors.SetSystemCursorsEnabled(false), cursors.Update(0); }, "A4 A0 ", "A0 ",
         "skins/arrow 8,16; 0,0;", "A A A ", "T"},
        {[&] { cursors.SetSystemCursorsEnabled(true), cursors.Update(0); }, "A4 A4 A0 ", "A0 ", "skins/arrow 8,16;",
         "A A A A ", ""},
    };
    for (const Step& step : steps) {
        cursors.shown.clear(), rendered.clear();
        step.action();
        cursors.Render();
        const std::string where = "step " + std::to_string(&step - steps);
        EXPECT_EQ(step.device0 + "|" + step.device1, Live(cursors, 0) + "|" + Live(cursors, 1)) << where;
        EXPECT_EQ(step.shown, cursors.shown) << where;
        EXPECT_EQ(step.drawn, rendered) << where;
        EXPECT_EQ(step.parts, Parts(cursors)) << where;
    }
}

TEST_F(CursorManagerTest, CursorsFollowTheirPointerInTheVirtualExtentAndTheFrameTime) {
    Manager cursors;
    std::unique_ptr<Zep::Actor> a(MakeCursor("A", true));
    const int32_t id = cursors.RegisterCursor(a.get());
    static_cast<InputTesting::ScriptedDevice*>(mouse)->Move("X", 120), Zep::InputSystem::GetInstance()->Update(false);
    cursors.SetCursor(0, id), cursors.SetCursor(2, id);  // device 2 is not plugged: never drawn
    EXPECT_EQ(Zep::Vector2(60, 0), cursors.GetLiveCursors(0)[0]->GetPosition());
    static_cast<InputTesting::ScriptedDevice*>(mouse)->Move("Y", 90), Zep::InputSystem::GetInstance()->Update(false);
    cursors.Update(30);
    EXPECT_EQ(Zep::Vector2(60, 45), cursors.GetLiveCursors(0)[0]->GetPosition());
    EXPECT_EQ(30, cursors.GetLiveCursors(0)[0]->GetCurrentTime());
    cursors.Render();
    EXPECT_EQ("A ", rendered);
}

TEST_F(CursorManagerTest, RegistrationsThatFailOrShowNothing) {
    const int32_t liveActors = Zep::Actor::GetLiveActorCount();
    {
        Manager cursors;
        std::unique_ptr<Zep::Actor> bare(new Part), noFade(new Part), plain(MakeCursor("P", false, new Zep::Actor));
        noFade->GetMarkers().Create("Loop", 0, Zep::MARKER_PLAY);
        EXPECT_EQ(
            ObjectTestSupport::AssertionReport("Common\\CursorManager.cpp", 186, "Marker 'Loop' not found in cursor"),
            TestSupport::QuietReportOf([&] { cursors.RegisterCursor(bare.get()); }));
        EXPECT_EQ(ObjectTestSupport::AssertionReport("Common\\CursorManager.cpp", 187,
                                                     "Marker 'FadeOut' not found in cursor"),
                  TestSupport::QuietReportOf([&] { cursors.RegisterCursor(noFade.get()); }));
        EXPECT_EQ(0, cursors.RegisterCursor(nullptr));
        // An actor that is not a graphic: an id that shows nothing, the system cursor untouched.
        const int32_t id = cursors.RegisterCursor(plain.get());
        cursors.SetCursor(0, id);
        EXPECT_EQ(std::make_tuple(1, id, std::string()),
                  std::make_tuple(id, cursors.GetCurrentId(0), Live(cursors, 0) + cursors.shown));
        // Cleared, the current id stays and ids go on; unregistered, a shown cursor plays on.
        std::unique_ptr<Zep::Actor> a(MakeCursor("A", true));
        cursors.SetCursor(0, cursors.RegisterCursor(a.get())), cursors.Clear(), cursors.shown.clear();
        cursors.SetCursor(0, 2), cursors.SetCursor(1, cursors.RegisterCursor(a.get())), cursors.UnregisterCursor(3);
        EXPECT_EQ("|A0 ", Live(cursors, 0) + cursors.shown + "|" + Live(cursors, 1));
        EXPECT_FALSE(cursors.IsRegistered(3));
    }
    EXPECT_EQ(liveActors, Zep::Actor::GetLiveActorCount());
}
