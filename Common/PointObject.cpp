#include "Common/PointObject.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void PointObject::DeclareProperties() {
    RegisterAnimatableProperty<PointObject, Vector2>("Position", &PointObject::GetPosition, &PointObject::SetPosition,
                                                     nullptr);
    RegisterAnimatableProperty<PointObject, Vector2>("Anchor", &PointObject::GetAnchor, &PointObject::SetAnchor,
                                                     nullptr);
    RegisterProperty<PointObject, SkinningWeights>("SkinningWeights", &PointObject::GetSkinningWeights,
                                                   &PointObject::SetSkinningWeights);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::Vector2Property' { Name 'Position' Group 'Point' Step 1 } "
        "'Metadata::Vector2Property' { Name 'Anchor' Group 'Point' Step 0.01 } "
        "'Metadata::SkinningWeightsProperty' { Name 'SkinningWeights' Group 'Skinning' } ] }");
}

PointObject::PointObject() : position(0.0f, 0.0f), anchor(0.0f, 0.0f) {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
