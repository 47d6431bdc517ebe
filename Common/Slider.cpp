#include "Common/Slider.h"

#include "Common/PropertyInfo.h"
#include "Common/Scene.h"

namespace Zep {

void Slider::DeclareProperties() {
    RegisterAnimatableProperty<Slider, float>("RangeMin", &Slider::GetRangeMin, &Slider::SetRangeMin, nullptr);
    RegisterAnimatableProperty<Slider, float>("RangeMax", &Slider::GetRangeMax, &Slider::SetRangeMax, nullptr);
    RegisterAnimatableProperty<Slider, float>("Value", &Slider::GetValue, &Slider::SetValue, nullptr);
    RegisterAnimatableProperty<Slider, float>("Step", &Slider::GetStep, &Slider::SetStep, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::FloatProperty' { Name 'RangeMin' Group 'Slider' Step 1 } "
        "'Metadata::FloatProperty' { Name 'RangeMax' Group 'Slider' Step 1 } "
        "'Metadata::FloatProperty' { Name 'Value' Group 'Slider' Step 1 } "
        "'Metadata::FloatProperty' { Name 'Step' Group 'Slider' Step 1 } ] }");
}

Slider::Slider() : rangeMin(0.0f), rangeMax(100.0f), value(0.0f), step(1.0f) {
    SetClassInfo(&staticClassInfo);
}

void Slider::SetValue(float newValue) {
    value = newValue;
    NotifyScene();
}

void Slider::NotifyScene() {
    if (Scene* scene = GetParentScene())
        scene->OnSliderChange(this);
}

}  // namespace Zep
