#include "Common/ParticlesMagnet.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void ParticlesMagnet::DeclareProperties() {
    RegisterAnimatableProperty<ParticlesMagnet, float>("Attenuation", &ParticlesMagnet::GetAttenuation,
                                                       &ParticlesMagnet::SetAttenuation, nullptr);
    RegisterAnimatableProperty<ParticlesMagnet, float>("Strength", &ParticlesMagnet::GetStrength,
                                                       &ParticlesMagnet::SetStrength, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::FloatProperty' { Name 'Attenuation' Group 'Magnet' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'Strength' Group 'Magnet' Step 1 } ] }");
}

ParticlesMagnet::ParticlesMagnet() : attenuation(0.0f), strength(1000.0f) {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
