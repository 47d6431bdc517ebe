#include "Common/MaskedEffect.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void MaskedEffect::DeclareProperties() {
    RegisterProperty<MaskedEffect, bool>("Enabled", &MaskedEffect::GetEnabled, &MaskedEffect::SetEnabled);
    RegisterAnimatableProperty<MaskedEffect, BlendMode>("BlendMode", &MaskedEffect::GetBlendMode,
                                                        &MaskedEffect::SetBlendMode, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::BoolProperty' { Name 'Enabled' Group 'Effect' } "
        "'Metadata::EnumProperty' { Name 'BlendMode' Group 'Effect' Values [ 'Default' 'Alpha' 'Add' 'Burn' "
        "'Overlay' 'Modulate' 'Modulate2X' 'Silhouette' ] } ] }");
}

MaskedEffect::MaskedEffect() : enabled(true), blendMode(BLEND_DEFAULT) {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
