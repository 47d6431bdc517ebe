#include "Common/ParticleTemplate.h"

#include "Common/PropertyInfo.h"

namespace Zep {

ParticleTemplateValues::ParticleTemplateValues()
    : time(0),
      scale(1.0f),
      aspectRatio(1.0f),
      velocity(1.0f),
      spin(1.0f),
      angularVelocity(1.0f),
      randMotionRadius(1.0f),
      randMotionSpeed(1.0f),
      gravityAmount(1.0f),
      windAmount(1.0f),
      magnetAmount(1.0f),
      color(0xFFFFFFFFu),
      firstFrame(1),
      lastFrame(1),
      animationFps(20.0f),
      loopedAnimation(true) {}

void ParticleTemplate::DeclareProperties() {
    typedef ParticleTemplate T;
    RegisterProperty<T, std::string>("TexturePath", &T::GetTexturePath, &T::SetTexturePath);
    RegisterAnimatableProperty<T, int32_t>("FirstFrame", &T::GetFirstFrame, &T::SetFirstFrame, nullptr);
    RegisterAnimatableProperty<T, int32_t>("LastFrame", &T::GetLastFrame, &T::SetLastFrame, nullptr);
    RegisterAnimatableProperty<T, bool>("LoopedAnimation", &T::GetLoopedAnimation, &T::SetLoopedAnimation, nullptr);
    RegisterAnimatableProperty<T, float>("AnimationFPS", &T::GetAnimationFps, &T::SetAnimationFps, nullptr);
    RegisterAnimatableProperty<T, float>("Scale", &T::GetScale, &T::SetScale, nullptr);
    RegisterAnimatableProperty<T, float>("AspectRatio", &T::GetAspectRatio, &T::SetAspectRatio, nullptr);
    RegisterAnimatableProperty<T, float>("Velocity", &T::GetVelocity, &T::SetVelocity, nullptr);
    RegisterAnimatableProperty<T, float>("WindAmount", &T::GetWindAmount, &T::SetWindAmount, nullptr);
    RegisterAnimatableProperty<T, float>("GravityAmount", &T::GetGravityAmount, &T::SetGravityAmount, nullptr);
    RegisterAnimatableProperty<T, float>("MagnetAmount", &T::GetMagnetAmount, &T::SetMagnetAmount, nullptr);
    RegisterAnimatableProperty<T, float>("Spin", &T::GetSpin, &T::SetSpin, nullptr);
    RegisterAnimatableProperty<T, float>("AngularVelocity", &T::GetAngularVelocity, &T::SetAngularVelocity, nullptr);
    RegisterAnimatableProperty<T, float>("RandMotionRadius", &T::GetRandMotionRadius, &T::SetRandMotionRadius, nullptr);
    RegisterAnimatableProperty<T, float>("RandMotionSpeed", &T::GetRandMotionSpeed, &T::SetRandMotionSpeed, nullptr);
    RegisterAnimatableProperty<T, Color>("Color", &T::GetColor, &T::SetColor, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::PathProperty' { Name 'TexturePath' Group 'Template' Wildcard '*.png;*.dds;*.pvr' } "
        "'Metadata::IntProperty' { Name 'FirstFrame' Group 'Animation' Step 1 } "
        "'Metadata::IntProperty' { Name 'LastFrame' Group 'Animation' Step 1 } "
        "'Metadata::BoolProperty' { Name 'LoopedAnimation' Group 'Animation' } "
        "'Metadata::FloatProperty' { Name 'AnimationFPS' Group 'Animation' Step 1 } "
        "'Metadata::FloatProperty' { Name 'Scale' Group 'Factors' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'AspectRatio' Group 'Factors' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'Velocity' Group 'Factors' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'WindAmount' Group 'Factors' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'GravityAmount' Group 'Factors' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'MagnetAmount' Group 'Factors' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'Spin' Group 'Factors' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'AngularVelocity' Group 'Factors' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'RandMotionRadius' Group 'Factors' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'RandMotionSpeed' Group 'Factors' Step 0.01 } "
        "'Metadata::ColorProperty' { Name 'Color' Group 'Factors' } ] }");
}

ParticleTemplate::ParticleTemplate() : baked(false) {
    SetClassInfo(&staticClassInfo);
}

void ParticleTemplate::SetTexturePath(const std::string& value) {
    if (value == texturePath)
        return;
    texturePath = value;
    baked = false;
}

}  // namespace Zep
