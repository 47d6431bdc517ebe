#include "Common/Visual.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void Visual::DeclareProperties() {
    RegisterProperty<Visual, std::string>("ControlClass", &Visual::GetControlClass, &Visual::SetControlClass);
}

Visual::Visual() {
    SetClassInfo(&staticClassInfo);
    SetCompound(true);
}

}  // namespace Zep
