// The engine's built-in reflected classes in the fixed order of their registration,
// each with its base ("" for the root class).
#pragma once

namespace TestSupport {

struct BuiltInClass {
    const char* name;
    const char* base;
};

inline constexpr BuiltInClass kBuiltInClasses[] = {
    {"Zep::RootScene", "Zep::Scene"},
    {"Zep::Scene", "Zep::Control"},
    {"Zep::Control", "Zep::Graphic"},
    {"Zep::Graphic", "Zep::Actor"},
    {"Zep::Actor", "Zep::AnimableObject"},
    {"Zep::AnimableObject", "Zep::Object"},
    {"Zep::Object", ""},
    {"Zep::Animator", "Zep::Object"},
    {"Zep::Marker", "Zep::Object"},
    {"Zep::ParticleEmitter2", "Zep::ParticleEmitter"},
    {"Zep::ParticlesMagnet", "Zep::Graphic"},
    {"Zep::ParticleEmitter", "Zep::Graphic"},
    {"Zep::Audio", "Zep::Actor"},
    {"Zep::FontChar", "Zep::Object"},
    {"Zep::Font", "Zep::Object"},
    {"Zep::TextPresenter", "Zep::Graphic"},
    {"Zep::Visual", "Zep::Graphic"},
    {"Zep::SkinnedControl", "Zep::Control"},
    {"Zep::Button", "Zep::SkinnedControl"},
    {"Zep::PointObject", "Zep::Actor"},
    {"Zep::DistortionMesh", "Zep::Graphic"},
    {"Zep::MeshPoint", "Zep::PointObject"},
    {"Zep::Edit", "Zep::SkinnedControl"},
    {"Zep::FolderBegin", "Zep::Actor"},
    {"Zep::FolderEnd", "Zep::Actor"},
    {"Zep::Slider", "Zep::SkinnedControl"},
    {"Zep::Gear", "Zep::Actor"},
    {"Zep::Image", "Zep::Graphic"},
    {"Zep::Movie", "Zep::Graphic"},
    {"Zep::NineGrid", "Zep::Graphic"},
    {"Zep::ParticleTemplate", "Zep::Actor"},
    {"Zep::Spline", "Zep::Graphic"},
    {"Zep::SplinePoint", "Zep::PointObject"},
    {"Zep::Sticker", "Zep::Graphic"},
    {"Zep::Text", "Zep::Graphic"},
    {"Zep::RichText", "Zep::Graphic"},
    {"Zep::Bone", "Zep::Actor"},
    {"Zep::MaskedEffect", "Zep::Actor"},
    {"Zep::TextStyle", "Zep::Actor"},
    {"Zep::TypedAnimator<std::basic_string<char,std::char_traits<char>,std::allocator<char>>>", "Zep::Animator"},
    {"Zep::TypedAnimator<Zep::Color>", "Zep::Animator"},
    {"Zep::TypedAnimator<Zep::Vector2>", "Zep::Animator"},
    {"Zep::TypedAnimator<float>", "Zep::Animator"},
    {"Zep::TypedAnimator<bool>", "Zep::Animator"},
    {"Zep::TypedAnimator<Zep::BlendMode>", "Zep::Animator"},
    {"Zep::TypedAnimator<Zep::Movie::Action>", "Zep::Animator"},
    {"Zep::TypedAnimator<Zep::EmitterShape>", "Zep::Animator"},
    {"Zep::TypedAnimator<Zep::EmissionType>", "Zep::Animator"},
    {"Zep::TypedAnimator<Zep::RandomPair>", "Zep::Animator"},
    {"Zep::TypedAnimator<int>", "Zep::Animator"},
    {"Zep::TypedAnimator<HorizontalAlignment>", "Zep::Animator"},
    {"Zep::TypedAnimator<VerticalAlignment>", "Zep::Animator"},
    {"Zep::TypedAnimator<Zep::Audio::Action>", "Zep::Animator"},
    {"Zep::TypedAnimator<unsigned int>", "Zep::Animator"},
    {"Zep::TypedAnimator<Zep::SoundGroupType>", "Zep::Animator"},
    {"Zep::FontCharPair", "Zep::Object"},
};

}  // namespace TestSupport
