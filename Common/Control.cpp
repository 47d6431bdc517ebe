#include "Common/Control.h"

#include "Common/Application.h"
#include "Common/FocusNavigator.h"
#include "Common/PropertyInfo.h"
#include "Common/Utils.h"

namespace Zep {

void Control::DeclareProperties() {
    RegisterAnimatableProperty<Control, bool>("Transparent", &Control::GetTransparent, &Control::SetTransparent,
                                              nullptr);
    RegisterAnimatableProperty<Control, bool>("Enabled", &Control::GetEnabled, &Control::SetEnabled, nullptr);
    RegisterProperty<Control, bool>("DefaultFocus", &Control::GetDefaultFocus, &Control::SetDefaultFocus);
    RegisterProperty<Control, bool>("Modal", &Control::GetModal, &Control::SetModal);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::BoolProperty' { Name 'Transparent' Group 'Control' } "
        "'Metadata::BoolProperty' { Name 'Enabled' Group 'Control' } "
        "'Metadata::BoolProperty' { Name 'DefaultFocus' Group 'Control' } "
        "'Metadata::BoolProperty' { Name 'Modal' Group 'Control' } ] }");
}

Control::Control()
    : transparent(false), enabled(true), defaultFocus(false), focusable(false), modal(false), focusOrder(0) {
    SetClassInfo(&staticClassInfo);
}

Control::~Control() {
    if (FocusNavigator* navigator = GetNavigator())
        navigator->ForgetControl(this);
}

FocusNavigator* Control::GetNavigator() {
    return Application::GetInstance()->GetFocusNavigator();
}

// --- Graphic operations ----------------------------------------------------------
void Control::SetVisible(bool value) {
    if (value != visible)
        KillFocus();
    Graphic::SetVisible(value);
}

// --- Virtual operations ----------------------------------------------------------
void Control::DoFocusedInput(const InputEvent&) {}

void Control::DoModalInput(const InputEvent&) {}

void Control::DoOtherInput(const InputEvent&) {}

bool Control::WantFocus() {
    return focusable && IsEnabledInTree() && IsPresentedInTree();
}

bool Control::WantInput() {
    return IsEnabledInTree();
}

void Control::SetEnabled(bool value) {
    if (value == enabled)
        return;
    KillFocus();
    enabled = value;
}

void Control::OnSetFocus() {}

void Control::OnKillFocus() {}

bool Control::IsEnabledInTree() const {
    for (const Actor* actor = this; actor; actor = actor->GetParent()) {
        if (Detail::IsOfClass(actor, &staticClassInfo) && !static_cast<const Control*>(actor)->enabled)
            return false;
    }
    return true;
}

// --- Focus -----------------------------------------------------------------------
void Control::SetFocus() {
    if (FocusNavigator* navigator = GetNavigator())
        navigator->SetFocus(this);
}

bool Control::HasFocus() const {
    const FocusNavigator* navigator = GetNavigator();
    return navigator && navigator->GetFocusedControl() == this;
}

void Control::KillFocus() {
    if (HasFocus())
        GetNavigator()->SetFocus(nullptr);
}

// A device outside 0 to 3 hovers nothing.
bool Control::IsHovered(int32_t device) const {
    const FocusNavigator* navigator = GetNavigator();
    return navigator && device >= 0 && device < kCursorDevices && navigator->GetHoveredControl(device) == this;
}

void Control::SetTransparent(bool value) {
    KillFocus();
    transparent = value;
}

}  // namespace Zep
