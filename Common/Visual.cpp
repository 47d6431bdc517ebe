#include "Common/Visual.h"

#include "Common/PropertyInfo.h"
#include "Common/TextPresenter.h"

namespace Zep {

void Visual::DeclareProperties() {
    RegisterProperty<Visual, std::string>("ControlClass", &Visual::GetControlClass, &Visual::SetControlClass);
}

Visual::Visual() {
    SetClassInfo(&staticClassInfo);
    SetCompound(true);
}

TextPresenter* Visual::FindTextPresenter() {
    ActorCollection& children = GetActors();
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        if (TextPresenter* presenter = dynamic_cast<TextPresenter*>(children.Get(i)))
            return presenter;
    }
    return nullptr;
}

}  // namespace Zep
