#include "Common/SkinnedControl.h"

#include "Common/PropertyInfo.h"
#include "Common/Scene.h"
#include "Common/Utils.h"

namespace Zep {

void SkinnedControl::DeclareProperties() {
    RegisterProperty<SkinnedControl, std::string>("VisualName", &SkinnedControl::GetVisualName,
                                                  &SkinnedControl::SetVisualName);
    RegisterProperty<SkinnedControl, bool>("SuppressSkin", &SkinnedControl::GetSuppressSkin,
                                           &SkinnedControl::SetSuppressSkin);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::StringProperty' { Name 'VisualName' Group 'Skin' } "
        "'Metadata::BoolProperty' { Name 'SuppressSkin' Group 'Skin' } ] }");
}

SkinnedControl::SkinnedControl() : suppressSkin(false) {
    SetClassInfo(&staticClassInfo);
}

void SkinnedControl::NotifyScene() {}

Scene* SkinnedControl::GetParentScene() const {
    return CastTo<Scene>(GetParent());
}

}  // namespace Zep
