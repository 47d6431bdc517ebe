#include "Common/Control.h"

#include "Common/Application.h"
#include "Common/FocusNavigator.h"
#include "Common/PropertyInfo.h"

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

Control::Control() : transparent(false), enabled(true), defaultFocus(false), modal(false) {
    SetClassInfo(&staticClassInfo);
}

FocusNavigator* Control::GetNavigator() {
    return Application::GetInstance()->GetFocusNavigator();
}

bool Control::HasFocus() const {
    const FocusNavigator* navigator = GetNavigator();
    return navigator && navigator->GetFocusedControl() == this;
}

void Control::KillFocus() {
    if (HasFocus())
        GetNavigator()->SetFocus(nullptr);
}

void Control::SetEnabled(bool value) {
    enabled = value;
}

void Control::SetTransparent(bool value) {
    KillFocus();
    transparent = value;
}

}  // namespace Zep
