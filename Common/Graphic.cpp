#include "Common/Graphic.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void Graphic::DeclareProperties() {
    RegisterAnimatableProperty<Graphic, bool>("Visible", &Graphic::GetVisible, &Graphic::SetVisible, nullptr);
    RegisterAnimatableProperty<Graphic, float>("Rotation", &Graphic::GetRotation, &Graphic::SetRotation, nullptr);
    RegisterAnimatableProperty<Graphic, Vector2>("Position", &Graphic::GetPosition, &Graphic::SetPosition, nullptr);
    RegisterAnimatableProperty<Graphic, Vector2>("Scale", &Graphic::GetScale, &Graphic::SetScale, nullptr);
    RegisterAnimatableProperty<Graphic, Vector2>("Pivot", &Graphic::GetPivot, &Graphic::SetPivot, nullptr);
    RegisterAnimatableProperty<Graphic, Vector2>("Size", &Graphic::GetSize, &Graphic::SetSize, nullptr);
    RegisterAnimatableProperty<Graphic, Color>("Color", &Graphic::GetColor, &Graphic::SetColor, nullptr);
    RegisterAnimatableProperty<Graphic, BlendMode>("BlendMode", &Graphic::GetBlendMode, &Graphic::SetBlendMode,
                                                   nullptr);
    RegisterProperty<Graphic, uint32_t>("Anchors", &Graphic::GetAnchors, &Graphic::SetAnchors);
    RegisterProperty<Graphic, HitTestMethod>("HitTestMethod", &Graphic::GetHitTestMethod, &Graphic::SetHitTestMethod);
    // Old files carry a layer; it is read and dropped.
    RegisterProperty<Graphic, int32_t>(
        "Layer", [](Graphic*) { return 0; }, [](Graphic*, int32_t) {}, PROPERTY_OBSOLETE);
    RegisterProperty<Graphic, SkinningWeights>("SkinningWeights", &Graphic::GetSkinningWeights,
                                               &Graphic::SetSkinningWeights);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::BoolProperty' { Name 'Visible' Group 'Graphic' } "
        "'Metadata::FloatProperty' { Name 'Rotation' Group 'Graphic' Step 1 } "
        "'Metadata::Vector2Property' { Name 'Position' Group 'Graphic' Step 1 } "
        "'Metadata::Vector2Property' { Name 'Scale' Group 'Graphic' Step 0.01 } "
        "'Metadata::Vector2Property' { Name 'Pivot' Group 'Graphic' Step 0.01 } "
        "'Metadata::Vector2Property' { Name 'Size' Group 'Graphic' Step 1 } "
        "'Metadata::ColorProperty' { Name 'Color' Group 'Graphic' } "
        "'Metadata::EnumProperty' { Name 'BlendMode' Group 'Graphic' Values [ 'Default' 'Alpha' 'Add' 'Burn' "
        "'Overlay' 'Modulate' 'Modulate2X' 'Silhouette' 'Opaque' ] } "
        "'Metadata::BitMaskProperty' { Name 'Anchors' Group 'Layout' BitNames [ 'Left' 'Right' 'Top' 'Bottom' "
        "'CenterH' 'CenterV' ] } "
        "'Metadata::EnumProperty' { Name 'HitTestMethod' Group 'Graphic' Values [ 'Bounding Rect' 'Contents' "
        "'Skip' ] } "
        "'Metadata::SkinningWeightsProperty' { Name 'SkinningWeights' Group 'Skinning' } ] }");
}

Graphic::Graphic()
    : blendMode(BLEND_DEFAULT),
      hitTestMethod(HIT_TEST_BOUNDING_RECT),
      visible(true),
      rotation(0.0f),
      position(0.0f, 0.0f),
      size(100.0f, 100.0f),
      pivot(0.0f, 0.0f),
      scale(1.0f, 1.0f),
      color(0xFFFFFFFFu),
      anchors(0) {
    SetClassInfo(&staticClassInfo);
    MarkTransformStale();
}

void Graphic::SetVisible(bool value) {
    visible = value;
}

void Graphic::SetRotation(float value) {
    rotation = value;
    MarkTransformStale();
}

void Graphic::SetPosition(const Vector2& value) {
    position = value;
    MarkTransformStale();
}

void Graphic::SetScale(const Vector2& value) {
    scale = value;
    MarkTransformStale();
}

void Graphic::SetPivot(const Vector2& value) {
    pivot = value;
    MarkTransformStale();
}

void Graphic::SetSize(const Vector2& value) {
    size = value;
    MarkTransformStale();
}

}  // namespace Zep
