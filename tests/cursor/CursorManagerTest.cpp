// The cursor manager over scripted mice and a fixed window, with what it draws and
// asks of the system cursor recorded.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "Common/Application.h"
#include "Common/CursorManager.h"
#include "Common/Image.h"
#include "Common/VirtualInputDevice.h"
#include "FixedGameWindow.h"
#include "InputTestSupport.h"
#include "LumoSources/Common/Subsystems.h"
#include "ObjectTestSupport.h"

namespace {

std::string log;  // names of the drawn cursors and [system cursor requests]

// Registered, so that copies keep the class.
struct Part : Zep::Graphic {
    ZEP_DECLARE_CLASS();
    Part() { SetClassInfo(&staticClassInfo), SetCompound(true); }
    void RenderInContext(const Zep::RenderContext&) override { log += GetName(); }
};
ZEP_IMPLEMENT_CLASS(Part, "Test::CursorPart", &Zep::Graphic::staticClassInfo);
void Part::DeclareProperties() {}

struct Manager : Zep::CursorManager {
    void ShowSystemCursor(const std::string& path, Zep::IntVector2 at) override {
        log += "[" + path + " " + std::to_string(at.x) + "," + std::to_string(at.y) + "]";
    }
};

// Loops over frames 0 to 2 and fades out over frames 4 to 6. A graphic has a standard
// part and, when arrow, a 32 x 32 system cursor image pivoted at (0.25, 0.5).
Zep::Actor* MakeCursor(const char* name, bool arrow, Zep::Actor* cursor = new Part) {
    cursor->SetName(name), cursor->SetBasePath("Skins/");
    Zep::MarkerCollection& markers = cursor->GetMarkers();
    markers.Create("Loop", 0, Zep::MARKER_PLAY), markers.Create("Back", 2, Zep::MARKER_GOTO)->otherMarkerName = "Loop";
    markers.Create("FadeOut", 4, Zep::MARKER_PLAY), markers.Create("End", 6, Zep::MARKER_STOP);
    if (!cursor->IsCompound())
        return cursor;
    auto* standard = new Zep::Graphic;
    standard->SetName("StandardCursor"), cursor->GetActors().Add(standard);
    if (arrow) {
        auto* image = new Zep::Image;
        image->SetName("SystemCursor"), image->SetTexturePath("Arrow.PNG");
        image->SetSize({32, 32}), image->SetPivot({0.25f, 0.5f}), cursor->GetActors().Add(image);
    }
    return cursor;
}

// A device's cursors, the current one last: name, frame, and s or t while the system
// or the standard part is visible.
std::string Live(const Zep::CursorManager& cursors, int32_t device) {
    std::string text;
    for (Zep::Graphic* cursor : cursors.GetLiveCursors(device)) {
        text += " " + cursor->GetName() + std::to_string(cursor->GetCurrentFrame());
        for (auto part : {std::make_pair("SystemCursor", "s"), std::make_pair("StandardCursor", "t")}) {
            auto* graphic = static_cast<Zep::Graphic*>(cursor->FindChild(part.first));
            text += graphic && graphic->GetVisible() ? part.second : "";
        }
    }
    return text;
}

// The system's mouse for device 0 and a scripted one for device 1, both enabled; device 2
// has none. With two players the system's mouse keeps its position.
class CursorManagerTest : public ObjectTestSupport::Fixture {
protected:
    void SetUp() override {
        Fixture::SetUp();
        static TestSupport::FixedGameWindow window;
        static const bool ready = [] {
            gameRenderWindowSubsystem.SetInstance(&window);
            Zep::InputSystem::GetInstance()->AddDevice(mouse = InputTesting::NewMouse(1));
            return Zep::VirtualInputDevice::Get(1)->SetEnabled(true), true;
        }();
        (void)ready, log.clear();
        Zep::Application::GetInstance()->SetWindowVirtualExtent(Zep::Aabb2({0, 0}, {400, 300}));
    }
    static InputTesting::ScriptedDevice* mouse;  // device 1's
};
InputTesting::ScriptedDevice* CursorManagerTest::mouse;

}  // namespace

TEST_F(CursorManagerTest, ChangesFadeTheCurrentCursorOutUnderTheNextAndSetTheSystemCursor) {
    Manager cursors;
    std::unique_ptr<Zep::Actor> a(MakeCursor("A", true)), b(MakeCursor("B", false));
    const int32_t idA = cursors.RegisterCursor(a.get()), idB = cursors.RegisterCursor(b.get());
    const std::pair<std::function<void()>, std::string> steps[] = {
        {[&] { cursors.SetCursor(0, idA), cursors.SetCursor(0, idA); }, " A0t||[skins/arrow 8,16]A"},
        {[&] { cursors.Update(0), cursors.SetCursor(0, idB); }, " A4 B0t||[ 0,0]AB"},
        {[&] { cursors.Update(100); }, " B0||B"},  // A's fade-out is over, B has looped
        {[&] { cursors.SetCursor(0, 0), cursors.SetCursor(0, 99); }, " B4||B"},
        {[&] { cursors.Update(100), cursors.SetCursor(1, idA), cursors.SetCursor(2, idA); }, "| A0st|A"},
        {[&] { cursors.SetCursor(0, idA), cursors.SetSystemCursorsEnabled(false), cursors.Update(0); },
         " A4t A0t| A0t|[skins/arrow 8,16][ 0,0]AAA"},
        {[&] { cursors.SetSystemCursorsEnabled(true), cursors.Update(0); }, " A4 A4 A0| A0|[skins/arrow 8,16]AAAA"},
    };
    for (const auto& step : steps) {
        log.clear(), step.first(), cursors.Render();
        EXPECT_EQ(step.second, Live(cursors, 0) + "|" + Live(cursors, 1) + "|" + log) << &step - steps;
    }
    // Cursors follow their pointer in the virtual extent and advance with the frame time.
    mouse->Move("X", 120), mouse->Move("Y", 90), Zep::InputSystem::GetInstance()->Update(false);
    cursors.Update(30);
    EXPECT_EQ(Zep::Vector2(60, 45), cursors.GetLiveCursors(1).back()->GetPosition());
    EXPECT_EQ(30, cursors.GetLiveCursors(1).back()->GetCurrentTime());
}

TEST_F(CursorManagerTest, RegistrationsThatFailOrShowNothing) {
    const int32_t liveActors = Zep::Actor::GetLiveActorCount();
    {
        Manager cursors;
        std::unique_ptr<Zep::Actor> bare(new Part), a(MakeCursor("A", true)),
            plain(MakeCursor("P", false, new Zep::Actor));
        for (int line : {186, 187}) {
            EXPECT_EQ(ObjectTestSupport::AssertionReport(
                          "Common\\CursorManager.cpp", line,
                          line == 186 ? "Marker 'Loop' not found in cursor" : "Marker 'FadeOut' not found in cursor"),
                      TestSupport::QuietReportOf([&] { cursors.RegisterCursor(bare.get()); }));
            bare->GetMarkers().Create("Loop", line, Zep::MARKER_PLAY);
        }
        // Not a graphic: an id that shows nothing and leaves the system cursor alone.
        EXPECT_EQ(0, cursors.RegisterCursor(nullptr));
        cursors.SetCursor(0, cursors.RegisterCursor(plain.get()));
        EXPECT_EQ("1", std::to_string(cursors.GetCurrentId(0)) + Live(cursors, 0) + log);
        // Cleared, the current id stays and ids go on; unregistered, a shown cursor plays on.
        cursors.SetCursor(0, cursors.RegisterCursor(a.get())), cursors.Clear(), log.clear();
        cursors.SetCursor(0, 2), cursors.SetCursor(1, cursors.RegisterCursor(a.get())), cursors.UnregisterCursor(3);
        EXPECT_EQ("| A0st", Live(cursors, 0) + log + "|" + Live(cursors, 1));
    }
    EXPECT_EQ(liveActors, Zep::Actor::GetLiveActorCount());
}
