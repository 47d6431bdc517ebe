#include "Common/Button.h"

#include "Common/PropertyInfo.h"
#include "Common/Scene.h"

namespace Zep {

void Button::DeclareProperties() {
    RegisterAnimatableProperty<Button, std::string>("Text", &Button::GetText, &Button::SetText, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::StringProperty' { Name 'Text' Group 'Button' Localizable true } ] }");
}

Button::Button() {
    SetClassInfo(&staticClassInfo);
}

void Button::NotifyScene() {
    if (Scene* scene = GetParentScene())
        scene->OnButtonClick(this);
}

}  // namespace Zep
