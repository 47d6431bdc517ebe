// Focus navigation over recording controls. Events come through the application's
// input system from window messages and the cursor position, or are made by hand.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Common/Application.h"
#include "Common/FocusNavigator.h"
#include "Common/Scene.h"
#include "Common/VirtualInputDevice.h"
#include "FixedGameWindow.h"
#include "MessageDriver.h"
#include "LumoSources/Common/Subsystems.h"

namespace {

using Zep::InputEvent;

using Window = TestSupport::FixedGameWindow;

// Logs "name+" and "name-" for focus and, for "OK" events, "name:F", ":M" and ":O" for
// input. Then runs its hook with what it logs and the component, which may delete controls.
struct Recorder : Zep::Control {
    explicit Recorder(std::string& log) : log(log) {}
    void DoFocusedInput(const InputEvent& e) override { Note(":F", e.componentId); }
    void DoModalInput(const InputEvent& e) override { Note(":M", e.componentId); }
    void DoOtherInput(const InputEvent& e) override { Note(":O", e.componentId); }
    void OnSetFocus() override { Note("+", ""); }
    void OnKillFocus() override { Note("-", ""); }
    void Note(const std::string& what, const std::string& component) {
        if (what.size() == 1 || component == "OK")
            log += GetName() + what + " ";
        const std::function<void(const std::string&)> run = hook;  // the hook may delete this control
        if (run)
            run(what + component);
    }
    std::string& log;
    std::function<void(const std::string&)> hook;
};

// Three 100 x 100 controls a, b, c at x 0, 100 and 200 in the navigated scene; "NEXT"
// on "TAB" and "PREVIOUS" on "UP_ARROW".
struct Rig {
    Rig() {
        static Window window;
        static InputTesting::MessageDriver driver;
        static const bool ready = [] {
            gameRenderWindowSubsystem.SetInstance(&window);
            Zep::VirtualInputDevice::Get(0)->Bind("NEXT", "KEYBOARD", "TAB");
            return Zep::VirtualInputDevice::Get(0)->Bind("PREVIOUS", "KEYBOARD", "UP_ARROW"), true;
        }();
        (void)ready, system = Zep::InputSystem::GetInstance(), mouse = keyboard = &driver;
        Zep::Application::GetInstance()->SetWindowVirtualExtent(Zep::Aabb2({0, 0}, {800, 600}));
        Zep::Application::GetInstance()->SetFocusNavigator(&navigator);
        navigator.SetScene(&scene);
        a = Add(scene, "a", 0), b = Add(scene, "b", 100), c = Add(scene, "c", 200);
        scene.Update(0);
    }
    ~Rig() { Zep::Application::GetInstance()->SetFocusNavigator(nullptr); }
    Recorder* Add(Zep::Actor& parent, const char* name, float x) {
        auto* control = new Recorder(log);
        control->SetName(name), control->SetPosition({x, 0}), control->SetFocusable(true), control->SetCompound(true);
        return parent.GetActors().Add(control), control;
    }
    void Event(int32_t kind, const char* component, int32_t device = 0) {
        navigator.ProcessEvent(InputEvent(kind, "VIRTUAL", device, component));
    }
    // One frame as the application runs it: input, then the navigator's update.
    void Frame(const std::function<void()>& act = [] {}) {
        act(), system->Update(true), navigator.ProcessEvents(), navigator.Update(16);
    }
    void Point(float x, float y) {
        Frame([&] { mouse->Move("X", x), mouse->Move("Y", y); });
    }
    std::string Outcome() const {
        Zep::Control* focused = navigator.GetFocusedControl();
        return log + "|" + (focused ? focused->GetName() : "none");
    }
    Zep::InputSystem* system;
    InputTesting::MessageDriver *mouse, *keyboard;
    std::string log;
    Zep::FocusNavigator navigator;
    Zep::Scene scene;
    Recorder *a, *b, *c;
};

void Check(const std::vector<std::pair<std::function<void(Rig&)>, std::string>>& rows) {
    for (const auto& row : rows) {
        Rig rig;
        row.first(rig);
        EXPECT_EQ(row.second, rig.Outcome()) << "row " << &row - rows.data();
    }
}

TEST(FocusNavigator, FocusHoverCandidatesAndTheModalScope) {
    Check({
        {[](Rig& r) { r.c->SetFocus(), r.Event(3, "NEXT"); }, "c+ c- a+ |a"},
        {[](Rig& r) { r.a->SetFocus(), r.Event(1, "PREVIOUS"); }, "a+ a- c+ |c"},
        // Each newly focused control gets the next stamp.
        {[](Rig& r) {
             r.b->SetModal(true), r.a->SetFocus(), r.Event(1, "NEXT"), r.Event(1, "NEXT");
             r.log += std::to_string(r.a->GetFocusOrder() - r.b->GetFocusOrder());
         },
         "a+ a- b+ b- a+ 1|a"},
        // Behind the modal control: dropped at the next update, once.
        {[](Rig& r) { r.b->SetModal(true), r.c->SetFocus(), r.Frame(), r.Frame(); }, "c+ c- |none"},
        // Scores: defaultFocus plus the focus stamp; the earlier candidate on a tie.
        {[](Rig& r) { r.b->SetDefaultFocus(true), r.c->SetFocusOrder(1), r.Event(1, "NEXT"); }, "b+ |b"},
        {[](Rig& r) { r.b->SetDefaultFocus(true), r.c->SetFocusOrder(2), r.Event(1, "NEXT"); }, "c+ |c"},
        // The pointer onto b and off every control; without focusOnHover, onto c, a click and off.
        {[](Rig& r) { r.Point(150, 50), r.Point(700, 500); }, "b+ b- |none"},
        {[](Rig& r) {
             r.navigator.SetFocusOnHover(false), r.Point(250, 50), r.log += std::to_string(r.c->IsHovered(0));
             r.Frame([&] { r.mouse->Press("LEFT_BUTTON"); }), r.Point(700, 500);
         },
         "1c+ |c"},
        // A hover that stopped being a candidate is cleared by the next event.
        {[](Rig& r) {
             r.Point(150, 50), r.b->SetVisible(false), r.Event(1, "CANCEL"), r.log += std::to_string(r.b->IsHovered(0));
         },
         "b+ b- 0|none"},
        // A hand-made pointer event of player 1, whose cursor rests at (0, 0).
        {[](Rig& r) { r.Event(5, "X", 1), r.log += std::to_string(r.a->IsHovered(1) && !r.a->IsHovered(0)); },
         "a+ 1|a"},
        // Descendants first; nothing under a transparent control or another actor, nothing ignored.
        {[](Rig& r) {
             r.Add(*r.a, "a1", 0), r.Add(*r.a, "a2", 0), r.Add(*r.c, "c1", 0), r.c->SetTransparent(true);
             auto* graphic = new Zep::Graphic;
             graphic->SetCompound(true), r.scene.GetActors().Add(graphic), r.Add(*graphic, "g1", 0);
             r.scene.Update(0), r.a->GetActors().SetIgnored(1, true);
             Zep::FocusNavigator::Candidates candidates;
             r.navigator.CollectCandidates(candidates);
             for (const auto& candidate : candidates)
                 r.log += candidate.control->GetName() + " ";
         },
         "a1 a b |none"},
        {[](Rig& r) { r.b->SetModal(true), r.c->SetFocus(), r.Event(1, "OK"); }, "c+ c:F a:M a:O b:M b:O c:O |c"},
    });
}

// A press that sets the delay to 300 ms: the rest of its frame goes through, the next
// 18 frames of 16 ms are dropped and not kept, the 19th is handled.
TEST(FocusNavigator, RepeatDelayDropsTheFramesItCovers) {
    Rig rig;
    std::vector<int> handled(20, 0), expected(20, 0);
    expected[0] = 4, expected[19] = 2;
    int frame = 0;
    rig.a->hook = [&](const std::string& what) {
        what == ":MBUTTON_A" ? rig.navigator.SetRepeatDelay(300) : void();
        handled[frame] += what.compare(0, 2, ":O") == 0;
    };
    for (; frame <= 19; ++frame)
        rig.Frame([&] { frame ? void() : rig.mouse->Press("LEFT_BUTTON"), rig.keyboard->Press("TAB"); });
    EXPECT_EQ(expected, handled);
}

// a has the focus. Its override deletes b, or empties the scene as the application's
// CleanupRootScene does; the deleted controls get no further call.
TEST(FocusNavigator, ControlsDeletedDuringDispatchAreSkipped) {
    const struct {
        const char* when;
        bool cleanup;
        const char *event, *expected;
    } rows[] = {
        {":MOK", false, "OK", "a:F a:M a:O c:M c:O |a"},
        {":FOK", true, "OK", "a:F |none"},
        {":MOK", true, "OK", "a:F a:M |none"},
        {"-", false, "NEXT", "a- |none"},  // b was about to get the focus
    };
    for (const auto& row : rows) {
        Rig r;
        r.a->SetFocus(), r.log.clear();
        r.a->hook = [&](const std::string& w) {
            w != row.when ? void() : row.cleanup ? r.scene.GetActors().Resize(0) : delete r.b;
        };
        r.Event(1, row.event);
        EXPECT_EQ(row.expected, r.Outcome()) << "row " << &row - rows;
    }
}

}  // namespace
