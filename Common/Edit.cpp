#include "Common/Edit.h"

#include "Common/PropertyInfo.h"
#include "Common/Scene.h"

namespace Zep {

void Edit::DeclareProperties() {
    RegisterAnimatableProperty<Edit, std::string>("Text", &Edit::GetText, &Edit::SetText, nullptr);
    RegisterProperty<Edit, int32_t>("MaxLength", &Edit::GetMaxLength, &Edit::SetMaxLength);
    RegisterProperty<Edit, bool>("ExclusiveMode", &Edit::GetExclusiveMode, &Edit::SetExclusiveMode);
    RegisterProperty<Edit, std::string>("CaretChar", &Edit::GetCaretChar, &Edit::SetCaretChar);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::StringProperty' { Name 'Text' Group 'Edit' } "
        "'Metadata::IntProperty' { Name 'MaxLength' Group 'Edit' Step 1 } "
        "'Metadata::BoolProperty' { Name 'ExclusiveMode' Group 'Edit' } "
        "'Metadata::StringProperty' { Name 'CaretChar' Group 'Edit' } ] }");
}

Edit::Edit() : maxLength(50), exclusiveMode(true), caretChar("_") {
    SetClassInfo(&staticClassInfo);
}

void Edit::SetText(const std::string& value) {
    if (value == text)
        return;
    text = value;
    if (Scene* scene = GetParentScene())
        scene->OnEditChange(this);
}

}  // namespace Zep
