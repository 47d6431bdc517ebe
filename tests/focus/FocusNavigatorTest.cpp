// Focus navigation over recording controls: focus moves, hover, candidates, the modal
// scope, the input walk, the repeat delay, and controls deleted during dispatch.
// Events come through the application's input system with a scripted mouse and
// keyboard, or are made by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Common/Application.h"
#include "Common/FocusNavigator.h"
#include "Common/Scene.h"
#include "Common/VirtualInputDevice.h"
#include "InputTestSupport.h"
#include "LumoSources/Common/GameRenderWindow.h"
#include "LumoSources/Common/Subsystems.h"

namespace {

using Zep::InputEvent;
typedef std::function<void(const InputEvent&)> Hook;

// Logs "name+" and "name-" for focus, and with logInput "name:F", ":M", ":O" for input.
class Recorder : public Zep::Control {
public:
    Recorder(std::string& log, const bool& logInput, const char* name, float x) : log(log), logInput(logInput) {
        SetName(name), SetPosition({x, 0}), SetFocusable(true), SetCompound(true);
    }
    void DoFocusedInput(const InputEvent& e) override { Input(":F", onFocused, e); }
    void DoModalInput(const InputEvent& e) override { Input(":M", onModal, e); }
    void DoOtherInput(const InputEvent& e) override { Input(":O", Hook(), e); }
    void OnSetFocus() override { log += GetName() + "+ "; }
    void OnKillFocus() override {
        log += GetName() + "- ";
        Run(onKill, InputEvent());
    }
    Hook onFocused, onModal, onKill;

private:
    void Input(const char* what, const Hook& hook, const InputEvent& e) {
        if (logInput)
            log += GetName() + what + " ";
        Run(hook, e);
    }
    // By copy: the hook may delete this control, and the hook with it.
    static void Run(Hook hook, const InputEvent& e) {
        if (hook)
            hook(e);
    }
    std::string& log;
    const bool& logInput;
};

struct Window : GameRenderWindow {
    int32_t GetWidth() override { return 800; }
    int32_t GetHeight() override { return 600; }
};

// Three 100 x 100 controls side by side at x 0, 100 and 200 in the navigated scene.
// The input system's mouse and keyboard, with "NEXT" on "TAB" and "PREVIOUS" on "UP_ARROW".
struct Rig {
    Rig() {
        static Window window;
        static InputTesting::ScriptedDevice* devices[2] = {
            InputTesting::NewMouse(), new InputTesting::ScriptedDevice("KEYBOARD", 0, {"TAB", "UP_ARROW"}, {})};
        static const bool ready = [this] {
            gameRenderWindowSubsystem.SetInstance(&window);
            system->AddDevice(devices[0]), system->AddDevice(devices[1]);
            Zep::VirtualInputDevice::Get(0)->Bind("NEXT", "KEYBOARD", "TAB");
            return Zep::VirtualInputDevice::Get(0)->Bind("PREVIOUS", "KEYBOARD", "UP_ARROW"), true;
        }();
        (void)ready;
        mouse = devices[0], keyboard = devices[1];
        Zep::Application::GetInstance()->SetWindowVirtualExtent(Zep::Aabb2({0, 0}, {800, 600}));
        Zep::Application::GetInstance()->SetFocusNavigator(&navigator);
        navigator.SetScene(&scene);
        a = Add(scene, "a", 0), b = Add(scene, "b", 100), c = Add(scene, "c", 200);
        scene.Update(0);
    }
    ~Rig() { Zep::Application::GetInstance()->SetFocusNavigator(nullptr); }

    Recorder* Add(Zep::Actor& parent, const char* name, float x) {
        auto* control = new Recorder(log, logInput, name, x);
        parent.GetActors().Add(control);
        return control;
    }
    void Event(int32_t kind, const char* component, int32_t device = 0) {
        navigator.ProcessEvent(InputEvent(kind, "VIRTUAL", device, component));
    }
    // One frame of the application: input, then the navigator's update.
    void Frame(const std::function<void()>& devicesAct = nullptr) {
        if (devicesAct)
            devicesAct();
        system->Update(true);
        navigator.ProcessEvents();
        navigator.Update(16);
    }
    void Point(float x, float y) {
        Frame([&] { mouse->Move("X", x), mouse->Move("Y", y); });
    }
    std::string Focused() const {
        Zep::Control* focused = navigator.GetFocusedControl();
        return focused ? focused->GetName() : "none";
    }

    Zep::InputSystem* system = Zep::InputSystem::GetInstance();
    InputTesting::ScriptedDevice *mouse, *keyboard;
    std::string log;
    bool logInput = false;
    Zep::FocusNavigator navigator;
    Zep::Scene scene;
    Recorder *a, *b, *c;
};

TEST(FocusNavigator, FocusHoverCandidatesAndTheModalScope) {
    const std::pair<std::function<std::string(Rig&)>, std::string> rows[] = {
        {[](Rig& r) { return r.c->SetFocus(), r.Event(3, "NEXT"), r.log; }, "c+ c- a+ "},
        {[](Rig& r) { return r.a->SetFocus(), r.Event(1, "PREVIOUS"), r.log; }, "a+ a- c+ "},
        {[](Rig& r) { return r.b->SetModal(true), r.a->SetFocus(), r.Event(1, "NEXT"), r.Event(1, "NEXT"), r.log; },
         "a+ a- b+ b- a+ "},
        // Behind the modal control: dropped at the next update, once.
        {[](Rig& r) { return r.b->SetModal(true), r.c->SetFocus(), r.Frame(), r.Frame(), r.log + r.Focused(); },
         "c+ c- none"},
        // Scores: defaultFocus plus the focus stamp; the earlier candidate on a tie.
        {[](Rig& r) { return r.b->SetDefaultFocus(true), r.c->SetFocusOrder(1), r.Event(1, "NEXT"), r.log; }, "b+ "},
        {[](Rig& r) { return r.b->SetDefaultFocus(true), r.c->SetFocusOrder(2), r.Event(1, "NEXT"), r.log; }, "c+ "},
        {[](Rig& r) { return r.Event(1, "NEXT"), r.log; }, "a+ "},
        // The pointer: onto b, off every control, a click; hover without focus.
        {[](Rig& r) { return r.Point(150, 50), r.Point(700, 500), r.log + r.Focused(); }, "b+ b- none"},
        {[](Rig& r) {
             r.navigator.SetFocusOnHover(false), r.Point(150, 50), r.Point(250, 50);
             const bool hovered = r.c->IsHovered(0);
             r.Frame([&] { r.mouse->Press("LEFT_BUTTON"); }), r.Point(700, 500);
             return r.log + r.Focused() + std::to_string(hovered);
         },
         "c+ c1"},
        // A hover that stopped being a candidate is cleared by the next event.
        {[](Rig& r) {
             return r.navigator.SetFocusOnHover(false), r.Point(150, 50), r.b->SetVisible(false), r.Event(1, "OK"),
                    std::to_string(r.b->IsHovered(0));
         },
         "0"},
        // A hand-made pointer event of player 1, whose cursor rests at (0, 0).
        {[](Rig& r) { return r.Event(5, "X", 1), std::to_string(r.a->IsHovered(1) && !r.a->IsHovered(0)); }, "1"},
        // Descendants first; not under transparent controls or other actors, not ignored.
        {[](Rig& r) {
             r.Add(*r.a, "a1", 0), r.Add(*r.a, "a2", 0), r.Add(*r.c, "c1", 0), r.c->SetTransparent(true);
             auto* graphic = new Zep::Graphic;
             graphic->SetCompound(true), r.scene.GetActors().Add(graphic), r.Add(*graphic, "g1", 0);
             r.scene.Update(0), r.a->GetActors().SetIgnored(1, true);
             Zep::FocusNavigator::Candidates candidates;
             r.navigator.CollectCandidates(candidates);
             std::string names;
             for (const auto& candidate : candidates)
                 names += candidate.control->GetName() + " ";
             return names;
         },
         "a1 a b "},
        {[](Rig& r) {
             r.Event(1, "NEXT"), r.Event(1, "NEXT"), r.Event(1, "NEXT");
             const int32_t stamp = r.a->GetFocusOrder();
             return std::to_string(r.b->GetFocusOrder() - stamp) + std::to_string(r.c->GetFocusOrder() - stamp);
         },
         "12"},
        {[](Rig& r) {
             r.b->SetModal(true), r.c->SetFocus(), r.logInput = true;
             return r.Event(1, "OK"), r.log;
         },
         "c+ c:F a:M a:O b:M b:O c:O "},
    };
    for (const auto& row : rows) {
        Rig rig;
        EXPECT_EQ(row.second, row.first(rig)) << "row " << &row - rows;
    }
}

// A press that sets the delay to 300 ms: the rest of its frame goes through, the
// next 18 frames of 16 ms are dropped and not kept, the 19th is handled.
TEST(FocusNavigator, RepeatDelayDropsTheFramesItCovers) {
    Rig rig;
    rig.logInput = true;
    rig.a->onModal = [&](const InputEvent& e) {
        if (e.IsVirtualButtonDown("BUTTON_A"))
            rig.navigator.SetRepeatDelay(300);
    };
    std::vector<size_t> handled;
    for (int frame = 0; frame <= 19; ++frame) {
        rig.log.clear();
        rig.Frame([&] {
            if (frame == 0)
                rig.mouse->Press("LEFT_BUTTON");
            rig.keyboard->Press("TAB");
        });
        handled.push_back(std::count(rig.log.begin(), rig.log.end(), 'M'));
    }
    // Each event reaches the three controls: four events at the press, two later.
    std::vector<size_t> expected(20, 0);
    expected[0] = 12, expected[19] = 6;
    EXPECT_EQ(expected, handled);
}

// Controls deleted by overrides during dispatch get no further call; the others get theirs.
TEST(FocusNavigator, ControlsDeletedDuringDispatchAreSkipped) {
    const std::pair<std::function<void(Rig&)>, std::string> rows[] = {
        {[](Rig& r) { r.a->onModal = [&r](const InputEvent&) { delete r.b; }; }, "a:M a:O c:M c:O |none"},
        // The application's CleanupRootScene: the scene's children go.
        {[](Rig& r) {
             r.a->SetFocus(), r.log.clear();
             r.a->onFocused = [&r](const InputEvent&) { r.scene.GetActors().Resize(0); };
         },
         "a:F |none"},
        // The old control's notification deletes the control about to be focused.
        {[](Rig& r) {
             r.a->SetFocus(), r.log.clear();
             r.a->onKill = [&r](const InputEvent&) { delete r.b; };
         },
         "a- a:M a:O c:M c:O |none"},
    };
    for (const auto& row : rows) {
        Rig rig;
        row.first(rig);
        rig.logInput = true;
        rig.Event(1, rig.a->onKill ? "NEXT" : "OK");
        EXPECT_EQ(row.second, rig.log + "|" + rig.Focused()) << "row " << &row - rows;
    }
}

}  // namespace
