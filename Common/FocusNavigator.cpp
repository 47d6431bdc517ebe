#include "Common/FocusNavigator.h"

#include "Common/Control.h"
#include "Common/InputEvent.h"
#include "Common/InputSystem.h"
#include "Common/Scene.h"
#include "Common/Utils.h"
#include "Common/VirtualInputDevice.h"

namespace Zep {

namespace {

const size_t kReservedCandidates = 256;

// Asks the registry by address and id only: the control's memory may be gone.
bool IsAlive(const FocusNavigator::Candidate& candidate) {
    return Object::IsLiveObject(static_cast<const Object*>(candidate.control), candidate.objectId);
}

// WantFocus may be a script's, which may delete controls: the answer counts only
// while the control lives.
bool WantsFocus(const FocusNavigator::Candidate& candidate) {
    return IsAlive(candidate) && candidate.control->WantFocus() && IsAlive(candidate);
}

bool IsCandidate(const FocusNavigator::Candidates& candidates, const Control* control) {
    for (const FocusNavigator::Candidate& candidate : candidates) {
        if (candidate.control == control)
            return true;
    }
    return false;
}

}  // namespace

int32_t FocusNavigator::focusCounter = 0;

FocusNavigator::FocusNavigator()
    : scene(nullptr),
      hovered{nullptr, nullptr, nullptr, nullptr},
      focused(nullptr),
      focusOnHover(true),
      repeatDelay(0) {}

Control* FocusNavigator::GetHoveredControl(int32_t device) const {
    return device >= 0 && device < kDevices ? hovered[device] : nullptr;
}

void FocusNavigator::ForgetControl(Control* control) {
    for (Control*& entry : hovered) {
        if (entry == control)
            entry = nullptr;
    }
    if (focused == control)
        focused = nullptr;
}

void FocusNavigator::SetFocus(Control* control) {
    const Candidate target{control, control ? control->GetObjectId() : 0};
    if (control && (control == focused || !WantsFocus(target)))
        return;
    if (control == focused)
        return;
    if (focused)
        focused->OnKillFocus();
    // The old control's notification may have deleted the new one: the focus then
    // ends at none.
    if (control && !IsAlive(target))
        control = nullptr;
    focused = control;
    if (control) {
        control->SetFocusOrder(focusCounter);
        focusCounter = static_cast<int32_t>(static_cast<uint32_t>(focusCounter) + 1u);
        control->OnSetFocus();
    }
}

// --- Candidates ------------------------------------------------------------------
void FocusNavigator::CollectCandidates(Candidates& candidates) const {
    candidates.clear();
    candidates.reserve(kReservedCandidates);
    if (!scene)
        return;
    // All of the scene's own children, ignored entries too; below them ignored
    // entries are passed over.
    ActorCollection& children = scene->GetActors();
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        if (Actor* child = children.Get(i))
            CollectFrom(child, candidates);
    }
}

void FocusNavigator::CollectFrom(Actor* actor, Candidates& candidates) {
    if (!actor->IsPresented())
        return;
    Control* control = CastTo<Control>(actor);
    if (!control || control->GetTransparent())
        return;
    ActorCollection& children = control->GetActors();
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        Actor* child = children.Get(i);
        if (child && !children.IsIgnored(i))
            CollectFrom(child, candidates);
    }
    candidates.push_back(Candidate{control, control->GetObjectId()});
}

int32_t FocusNavigator::ScopeEnd(const Candidates& candidates) {
    const int32_t count = static_cast<int32_t>(candidates.size());
    for (int32_t i = 0; i < count; ++i) {
        if (IsAlive(candidates[i]) && candidates[i].control->GetModal())
            return i;
    }
    return count - 1;
}

Control* FocusNavigator::InitialFocus(const Candidates& candidates) {
    const int32_t end = ScopeEnd(candidates);
    Control* best = nullptr;
    int64_t bestScore = -1;
    for (int32_t i = 0; i <= end; ++i) {
        const Candidate& candidate = candidates[i];
        if (!WantsFocus(candidate))
            continue;
        const int64_t score =
            (candidate.control->GetDefaultFocus() ? 1 : 0) + int64_t(candidate.control->GetFocusOrder());
        if (score > bestScore) {
            best = candidate.control;
            bestScore = score;
        }
    }
    return best;
}

Control* FocusNavigator::NextCandidate(const Candidates& candidates, const Control* current, bool forward) {
    const int32_t n = ScopeEnd(candidates);
    if (n < 0)
        return nullptr;
    int32_t b = -1;
    for (int32_t i = 0; i < static_cast<int32_t>(candidates.size()); ++i) {
        if (candidates[i].control == current) {
            b = i;
            break;
        }
    }
    if (b < 0)
        return nullptr;
    // Modulo n + 1: a current control behind the modal one comes into the scope
    // at the far end of the wrap.
    for (int32_t i = 0; i <= n; ++i) {
        const int32_t index = forward ? (b + i + 1) % (n + 1) : (b + n - i) % (n + 1);
        const Candidate& candidate = candidates[index];
        if (WantsFocus(candidate))
            return candidate.control;
    }
    return nullptr;
}

Control* FocusNavigator::CandidateAt(const Candidates& candidates, const Vector2& point) {
    const int32_t end = ScopeEnd(candidates);
    for (int32_t i = 0; i <= end; ++i) {
        const Candidate& candidate = candidates[i];
        if (WantsFocus(candidate) && candidate.control->HitTest(point) && IsAlive(candidate))
            return candidate.control;
    }
    return nullptr;
}

Control* FocusNavigator::CandidateUnderCursor(const Candidates& candidates, const InputEvent& event) {
    return CandidateAt(candidates, event.GetVirtualDevice()->GetCursorPos());
}

// --- Input -----------------------------------------------------------------------
void FocusNavigator::HandleInput(const Candidates& candidates, const InputEvent& event) {
    const bool next = event.IsVirtualButtonDownOrRepeat("NEXT");
    if (next || event.IsVirtualButtonDownOrRepeat("PREVIOUS")) {
        SetFocus(focused ? NextCandidate(candidates, focused, next) : InitialFocus(candidates));
        return;
    }
    if (event.IsVirtualButtonDown("BUTTON_A")) {
        if (Control* control = CandidateUnderCursor(candidates, event))
            SetFocus(control);
        return;
    }
    if (event.IsVirtualAnyOf2AxesChange("X", "Y")) {
        Control* control = CandidateUnderCursor(candidates, event);
        Control*& entry = hovered[event.deviceIndex];
        if (control == entry)
            return;
        const Candidate target{control, control ? control->GetObjectId() : 0};
        if (focusOnHover)
            SetFocus(control);
        // Focusing runs notifications, which may have deleted the control.
        entry = control && IsAlive(target) ? control : nullptr;
    }
}

void FocusNavigator::ProcessEvent(const InputEvent& event) {
    Candidates candidates;
    CollectCandidates(candidates);
    for (Control*& entry : hovered) {
        if (entry && !IsCandidate(candidates, entry))
            entry = nullptr;
    }

    HandleInput(candidates, event);

    // The focused pointer is cleared when its control is destroyed, but an override
    // of WantInput may destroy it on the way.
    if (focused) {
        const Candidate target{focused, focused->GetObjectId()};
        if (target.control->WantInput() && IsAlive(target))
            target.control->DoFocusedInput(event);
    }

    bool modalPassed = false;
    for (const Candidate& candidate : candidates) {
        if (!IsAlive(candidate))
            continue;
        Control* control = candidate.control;
        bool modal = control->GetModal();
        if (!control->WantInput() || !IsAlive(candidate))
            continue;
        if (!modalPassed)
            control->DoModalInput(event);
        if (IsAlive(candidate))
            control->DoOtherInput(event);
        // A control deleted by its own input keeps the flag it had before.
        if (IsAlive(candidate))
            modal = control->GetModal();
        if (modal)
            modalPassed = true;
    }
}

void FocusNavigator::ProcessEvents() {
    if (repeatDelay > 0 || !scene)
        return;
    const std::vector<InputEvent>& events = InputSystem::GetInstance()->GetEvents();
    for (size_t i = 0; i < events.size(); ++i)
        ProcessEvent(events[i]);
}

void FocusNavigator::Update(int32_t timeDelta) {
    if (!scene)
        return;
    if (repeatDelay > 0)
        repeatDelay -= timeDelta;
    if (!focused)
        return;
    Candidates candidates;
    CollectCandidates(candidates);
    const int32_t end = ScopeEnd(candidates);
    bool inScope = false;
    for (int32_t i = 0; i <= end; ++i) {
        if (candidates[i].control == focused) {
            inScope = true;
            break;
        }
    }
    if (!inScope || !focused->WantFocus()) {
        // A script's WantFocus may have deleted the control, which then forgot it.
        if (focused)
            focused->OnKillFocus();
        focused = nullptr;
    }
}

}  // namespace Zep
