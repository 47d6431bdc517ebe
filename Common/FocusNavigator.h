// The focus navigator: which control of the current scene has the focus, which
// control each pointer hovers, and which controls receive each input event.
//
// The controls that take part are gathered afresh for every use ("candidates"):
// presented, non-transparent controls reached from the scene through controls only,
// each after its own descendants. Focus moves with the virtual buttons "NEXT" and
// "PREVIOUS" (wrapping), jumps to a control clicked with "BUTTON_A" and follows the
// pointer. The first modal candidate closes the scope: the candidates after it can
// take no focus and get no modal input.
#pragma once

#include <cstdint>
#include <vector>

#include "Common/ValueTypes.h"

namespace Zep {

class Actor;
class Control;
class InputEvent;
class Scene;

class FocusNavigator {
public:
    // A control as it was gathered, with its object id. Overrides called during
    // dispatch may delete controls, so every call on a candidate first asks the
    // live-object registry whether the control is still there.
    struct Candidate {
        Control* control;
        uint32_t objectId;
    };
    typedef std::vector<Candidate> Candidates;

    static const int32_t kDevices = 4;

    FocusNavigator();

    // The scene whose controls are navigated (not owned); with none, input and
    // updates are passed over.
    Scene* GetScene() const { return scene; }
    void SetScene(Scene* value) { scene = value; }
    // Pointer motion also moves the focus; on at construction.
    bool GetFocusOnHover() const { return focusOnHover; }
    void SetFocusOnHover(bool value) { focusOnHover = value; }
    // Milliseconds during which no input is handled; Update counts it down.
    int32_t GetRepeatDelay() const { return repeatDelay; }
    void SetRepeatDelay(int32_t value) { repeatDelay = value; }

    // Focuses the control (null: none). A control that has the focus already or
    // does not want it is ignored. The old control hears OnKillFocus, the new one
    // gets the next focus stamp and hears OnSetFocus.
    void SetFocus(Control* control);
    Control* GetFocusedControl() const { return focused; }
    // The control under the pointer of a virtual device (0 to 3); null for any other.
    Control* GetHoveredControl(int32_t device) const;
    // The control is being destroyed: no pointer of the navigator keeps it. No
    // focus notifications.
    void ForgetControl(Control* control);

    // Once per frame: counts the repeat delay down and drops a focus that left the
    // modal scope or no longer wants it.
    void Update(int32_t timeDelta);
    // Once per frame: each event of the input system's frame, unless the repeat
    // delay runs or there is no scene. The delay is checked once, so the events
    // after a press that sets it still go through.
    void ProcessEvents();
    // Moves the focus and hover as the event asks, then hands it to the focused
    // control and to the candidates.
    void ProcessEvent(const InputEvent& event);
    // The focus moves of one event: "NEXT"/"PREVIOUS", "BUTTON_A" and pointer motion.
    void HandleInput(const Candidates& candidates, const InputEvent& event);

    // The candidates of the scene, in order (empty without a scene).
    void CollectCandidates(Candidates& candidates) const;

private:
    // Index of the first modal candidate, else of the last; -1 when there is none.
    static int32_t ScopeEnd(const Candidates& candidates);
    static void CollectFrom(Actor* actor, Candidates& candidates);
    // The candidate of the scope that wants focus and has the highest score,
    // defaultFocus plus focus stamp; the earlier one on a tie.
    static Control* InitialFocus(const Candidates& candidates);
    // The next (or previous) candidate of the scope that wants focus, wrapping
    // around; null when current is no candidate.
    static Control* NextCandidate(const Candidates& candidates, const Control* current, bool forward);
    // The first candidate of the scope that wants focus and is hit at the point.
    static Control* CandidateAt(const Candidates& candidates, const Vector2& point);
    static Control* CandidateUnderCursor(const Candidates& candidates, const InputEvent& event);

    Scene* scene;
    Control* hovered[kDevices];
    Control* focused;
    bool focusOnHover;
    int32_t repeatDelay;

    // Stamps each newly focused control, process-wide.
    static int32_t focusCounter;
};

}  // namespace Zep
