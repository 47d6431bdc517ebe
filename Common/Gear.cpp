#include "Common/Gear.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void Gear::DeclareProperties() {
    RegisterAnimatableProperty<Gear, std::string>("WidgetName", &Gear::GetWidgetName, &Gear::SetWidgetName, nullptr);
    RegisterAnimatableProperty<Gear, std::string>("SplineName", &Gear::GetSplineName, &Gear::SetSplineName, nullptr);
    RegisterAnimatableProperty<Gear, float>("SplineOffset", &Gear::GetSplineOffset, &Gear::SetSplineOffset, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::StringProperty' { Name 'WidgetName' Group 'Gear' } "
        "'Metadata::StringProperty' { Name 'SplineName' Group 'Gear' } "
        "'Metadata::FloatProperty' { Name 'SplineOffset' Group 'Gear' Step 0.01 } ] }");
}

Gear::Gear() : splineOffset(0.0f) {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
