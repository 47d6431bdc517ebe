#include "Common/Spline.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void SplinePoint::DeclareProperties() {
    RegisterAnimatableProperty<SplinePoint, bool>("Straight", &SplinePoint::GetStraight, &SplinePoint::SetStraight,
                                                  nullptr);
    RegisterAnimatableProperty<SplinePoint, float>("TangentAngle", &SplinePoint::GetTangentAngle,
                                                   &SplinePoint::SetTangentAngle, nullptr);
    RegisterAnimatableProperty<SplinePoint, float>("TangentWeight", &SplinePoint::GetTangentWeight,
                                                   &SplinePoint::SetTangentWeight, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::BoolProperty' { Name 'Straight' Group 'Spline Point' } "
        "'Metadata::FloatProperty' { Name 'TangentAngle' Group 'Spline Point' Step 1 } "
        "'Metadata::FloatProperty' { Name 'TangentWeight' Group 'Spline Point' Step 0.01 } ] }");
}

SplinePoint::SplinePoint() : tangentAngle(0.0f), tangentWeight(1.0f), straight(false) {
    SetClassInfo(&staticClassInfo);
}

void Spline::DeclareProperties() {
    staticClassInfo.SetMetadata("'Metadata::Class' { Name '$CLASS_NAME$' }");
}

Spline::Spline() {
    SetClassInfo(&staticClassInfo);
    SetCompound(true);
}

}  // namespace Zep
