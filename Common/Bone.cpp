#include "Common/Bone.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void Bone::DeclareProperties() {
    RegisterAnimatableProperty<Bone, Vector2>("Position", &Bone::GetPosition, &Bone::SetPosition, nullptr);
    RegisterAnimatableProperty<Bone, float>("Rotation", &Bone::GetRotation, &Bone::SetRotation, nullptr);
    RegisterAnimatableProperty<Bone, float>("Length", &Bone::GetLength, &Bone::SetLength, nullptr);
    RegisterProperty<Bone, bool>("IKStopper", &Bone::GetIKStopper, &Bone::SetIKStopper);
    RegisterProperty<Bone, int32_t>("Index", &Bone::GetIndex, &Bone::SetIndex);
    RegisterProperty<Bone, int32_t>("BaseIndex", &Bone::GetBaseIndex, &Bone::SetBaseIndex);
    RegisterProperty<Bone, float>("EffectiveRadius", &Bone::GetEffectiveRadius, &Bone::SetEffectiveRadius);
    RegisterProperty<Bone, float>("FadeoutZone", &Bone::GetFadeoutZone, &Bone::SetFadeoutZone);
    RegisterProperty<Bone, Vector2>("RefPosition", &Bone::GetRefPosition, &Bone::SetRefPosition);
    RegisterProperty<Bone, float>("RefRotation", &Bone::GetRefRotation, &Bone::SetRefRotation);
    RegisterProperty<Bone, float>("RefLength", &Bone::GetRefLength, &Bone::SetRefLength);
    // Old files carry skinning fields that bones no longer have, animated ones too;
    // they are read and dropped, and so are their animators.
    RegisterObsoleteAnimatableProperty<Bone, float>(
        "SkinningScale", [](Bone*) { return 0.0f; }, [](Bone*, float) {});
    RegisterObsoleteAnimatableProperty<Bone, float>(
        "SkinningFalloff", [](Bone*) { return 0.0f; }, [](Bone*, float) {});
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::Vector2Property' { Name 'Position' Group 'Bone' Step 1 } "
        "'Metadata::FloatProperty' { Name 'Rotation' Group 'Bone' Step 1 } "
        "'Metadata::FloatProperty' { Name 'Length' Group 'Bone' Step 1 } "
        "'Metadata::BoolProperty' { Name 'IKStopper' Group 'Bone' } "
        "'Metadata::IntProperty' { Name 'Index' Group 'Bone' Step 1 } "
        "'Metadata::IntProperty' { Name 'BaseIndex' Group 'Bone' Step 1 } "
        "'Metadata::FloatProperty' { Name 'EffectiveRadius' Group 'Skinning' Step 1 } "
        "'Metadata::FloatProperty' { Name 'FadeoutZone' Group 'Skinning' Step 1 } "
        "'Metadata::Vector2Property' { Name 'RefPosition' Group 'Reference' Step 1 } "
        "'Metadata::FloatProperty' { Name 'RefRotation' Group 'Reference' Step 1 } "
        "'Metadata::FloatProperty' { Name 'RefLength' Group 'Reference' Step 1 } ] }");
}

Bone::Bone()
    : index(0),
      baseIndex(0),
      ikStopper(true),
      rotation(0.0f),
      length(100.0f),
      effectiveRadius(100.0f),
      fadeoutZone(50.0f),
      refRotation(0.0f),
      refLength(0.0f),
      refPosition(0.0f, 0.0f),
      position(0.0f, 0.0f) {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
