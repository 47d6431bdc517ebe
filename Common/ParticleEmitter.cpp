#include "Common/ParticleEmitter.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void ParticleEmitter::DeclareProperties() {
    typedef ParticleEmitter E;
    RegisterAnimatableProperty<E, EmitterShape>("Shape", &E::GetShape, &E::SetShape, nullptr);
    RegisterAnimatableProperty<E, EmissionType>("EmissionType", &E::GetEmissionType, &E::SetEmissionType, nullptr);
    RegisterProperty<E, ParticlesLinkage>("ParticlesLinkage", &E::GetParticlesLinkage, &E::SetParticlesLinkage);
    RegisterAnimatableProperty<E, float>("Number", &E::GetNumber, &E::SetNumber, nullptr);
    RegisterAnimatableProperty<E, float>("Speed", &E::GetSpeed, &E::SetSpeed, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("Life", &E::GetLife, &E::SetLife, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("Velocity", &E::GetVelocity, &E::SetVelocity, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("Zoom", &E::GetZoom, &E::SetZoom, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("AspectRatio", &E::GetAspectRatio, &E::SetAspectRatio, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("Spin", &E::GetSpin, &E::SetSpin, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("AngularVelocity", &E::GetAngularVelocity, &E::SetAngularVelocity,
                                              nullptr);
    RegisterAnimatableProperty<E, RandomPair>("Orientation", &E::GetOrientation, &E::SetOrientation, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("Direction", &E::GetDirection, &E::SetDirection, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("WindDirection", &E::GetWindDirection, &E::SetWindDirection, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("WindAmount", &E::GetWindAmount, &E::SetWindAmount, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("GravityDirection", &E::GetGravityDirection, &E::SetGravityDirection,
                                              nullptr);
    RegisterAnimatableProperty<E, RandomPair>("GravityAmount", &E::GetGravityAmount, &E::SetGravityAmount, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("MagnetAmount", &E::GetMagnetAmount, &E::SetMagnetAmount, nullptr);
    RegisterAnimatableProperty<E, RandomPair>("RandMotionRadius", &E::GetRandMotionRadius, &E::SetRandMotionRadius,
                                              nullptr);
    RegisterAnimatableProperty<E, RandomPair>("RandMotionSpeed", &E::GetRandMotionSpeed, &E::SetRandMotionSpeed,
                                              nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::EnumProperty' { Name 'Shape' Group 'Emitter' Values [ 'Point' 'Line' 'Ellipse' 'Area' ] } "
        "'Metadata::BitMaskProperty' { Name 'EmissionType' Group 'Emitter' BitNames [ 'Inner' 'Outer' ] } "
        "'Metadata::EnumProperty' { Name 'ParticlesLinkage' Group 'Emitter' Values [ 'Root' 'Parent' ] } "
        "'Metadata::FloatProperty' { Name 'Number' Group 'Emitter' Step 1 } "
        "'Metadata::FloatProperty' { Name 'Speed' Group 'Emitter' Step 0.01 } "
        "'Metadata::RandomPairProperty' { Name 'Life' Group 'Particles' Step 0.01 } "
        "'Metadata::RandomPairProperty' { Name 'Velocity' Group 'Particles' Step 1 } "
        "'Metadata::RandomPairProperty' { Name 'Zoom' Group 'Particles' Step 0.01 } "
        "'Metadata::RandomPairProperty' { Name 'AspectRatio' Group 'Particles' Step 0.01 } "
        "'Metadata::RandomPairProperty' { Name 'Spin' Group 'Particles' Step 1 } "
        "'Metadata::RandomPairProperty' { Name 'AngularVelocity' Group 'Particles' Step 1 } "
        "'Metadata::RandomPairProperty' { Name 'Orientation' Group 'Particles' Step 1 } "
        "'Metadata::RandomPairProperty' { Name 'Direction' Group 'Particles' Step 1 } "
        "'Metadata::RandomPairProperty' { Name 'WindDirection' Group 'Forces' Step 1 } "
        "'Metadata::RandomPairProperty' { Name 'WindAmount' Group 'Forces' Step 1 } "
        "'Metadata::RandomPairProperty' { Name 'GravityDirection' Group 'Forces' Step 1 } "
        "'Metadata::RandomPairProperty' { Name 'GravityAmount' Group 'Forces' Step 1 } "
        "'Metadata::RandomPairProperty' { Name 'MagnetAmount' Group 'Forces' Step 1 } "
        "'Metadata::RandomPairProperty' { Name 'RandMotionRadius' Group 'Random Motion' Step 1 } "
        "'Metadata::RandomPairProperty' { Name 'RandMotionSpeed' Group 'Random Motion' Step 0.01 } ] }");
}

ParticleEmitter::ParticleEmitter()
    : shape(EMITTER_POINT),
      emissionType(EMISSION_OUTER),
      particlesLinkage(PARTICLES_LINKAGE_PARENT),
      number(100.0f),
      speed(1.0f),
      windDirection(0.0f, 0.0f),
      windAmount(0.0f, 0.0f),
      gravityDirection(90.0f, 0.0f),
      gravityAmount(0.0f, 0.0f),
      orientation(0.0f, 360.0f),
      direction(0.0f, 360.0f),
      life(1.0f, 0.0f),
      zoom(1.0f, 0.0f),
      aspectRatio(1.0f, 0.0f),
      velocity(100.0f, 0.0f),
      spin(0.0f, 0.0f),
      magnetAmount(0.0f, 0.0f),
      angularVelocity(0.0f, 0.0f),
      randMotionRadius(20.0f, 0.0f),
      randMotionSpeed(0.0f, 0.0f),
      whiteLocal(false) {
    SetClassInfo(&staticClassInfo);
    SetCompound(true);
}

void ParticleEmitter2::DeclareProperties() {
    staticClassInfo.SetMetadata("'Metadata::Class' { Name '$CLASS_NAME$' }");
}

ParticleEmitter2::ParticleEmitter2() {
    SetClassInfo(&staticClassInfo);
    whiteLocal = true;
}

}  // namespace Zep
