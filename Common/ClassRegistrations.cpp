// The class records of the 56 built-in reflected classes, in the fixed order of
// their registration.
//
// Every built-in record is defined here and nowhere else. Within one unit C++
// constructs statics in the order of their definitions, so the records register in
// the order of this list, whatever the link order of the classes' own files (across
// files the language leaves the order open, and a static library may leave a file out
// altogether: see ForceLinkClassRegistrations). The unit's static initialisation
// constructs them one after the other, before the main routine.
//
// A record may name a base defined further down (RootScene before Scene), and the
// declare-properties functions of the scene classes register animatable properties
// whose animator classes come near the end. While the list is being constructed only
// the addresses of later records are taken, never their contents.
//
// Each record's destruction is scheduled right after its construction, so at exit the
// records are destroyed in reverse order of the list: each unregisters itself and
// deletes its property and collection infos. The class registry and the
// animatable-property registry are made at their first use, before any record that
// uses them is complete, so they outlive those records.
//
// Classes that scripts define at run time register in the same registry, and may
// replace a built-in class of the same name.
#include "Common/ClassRegistrations.h"

#include <string>

#include "Common/Actor.h"
#include "Common/AnimableObject.h"
#include "Common/Animator.h"
#include "Common/Audio.h"
#include "Common/Bone.h"
#include "Common/Button.h"
#include "Common/ClassInfo.h"
#include "Common/ClassNames.h"
#include "Common/Control.h"
#include "Common/DistortionMesh.h"
#include "Common/Edit.h"
#include "Common/FolderMarkers.h"
#include "Common/Font.h"
#include "Common/Gear.h"
#include "Common/Graphic.h"
#include "Common/Image.h"
#include "Common/MaskedEffect.h"
#include "Common/Movie.h"
#include "Common/NineGrid.h"
#include "Common/Object.h"
#include "Common/ParticleEmitter.h"
#include "Common/ParticleTemplate.h"
#include "Common/ParticlesMagnet.h"
#include "Common/PointObject.h"
#include "Common/RichText.h"
#include "Common/Scene.h"
#include "Common/SkinnedControl.h"
#include "Common/Slider.h"
#include "Common/SoundSystem.h"
#include "Common/Spline.h"
#include "Common/Sticker.h"
#include "Common/Text.h"
#include "Common/TextPresenter.h"
#include "Common/TextStyle.h"
#include "Common/ValueTypes.h"
#include "Common/Visual.h"

namespace Zep {

// The record of the animator class of one value type, named with the type's archive
// spelling. An explicit specialisation, unlike an instantiated template member, is
// constructed in its place in the list.
#define ZEP_IMPLEMENT_ANIMATOR_CLASS(T)                                                                             \
    template <>                                                                                                     \
    ClassInfo TypedAnimator<T>::staticClassInfo(TemplateClassName<T>("Zep::TypedAnimator"),                         \
                                                &Animator::staticClassInfo, &TypedAnimator<T>::CreateClassInstance, \
                                                &TypedAnimator<T>::DeclareProperties, false)

ZEP_IMPLEMENT_CLASS(RootScene, "Zep::RootScene", &Scene::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Scene, "Zep::Scene", &Control::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Control, "Zep::Control", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Graphic, "Zep::Graphic", &Actor::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Actor, "Zep::Actor", &AnimableObject::staticClassInfo);
ZEP_IMPLEMENT_CLASS(AnimableObject, "Zep::AnimableObject", &Object::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Object, "Zep::Object", nullptr);
ZEP_IMPLEMENT_ABSTRACT_CLASS(Animator, "Zep::Animator", &Object::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Marker, "Zep::Marker", &Object::staticClassInfo);
ZEP_IMPLEMENT_CLASS(ParticleEmitter2, "Zep::ParticleEmitter2", &ParticleEmitter::staticClassInfo);
ZEP_IMPLEMENT_CLASS(ParticlesMagnet, "Zep::ParticlesMagnet", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(ParticleEmitter, "Zep::ParticleEmitter", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Audio, "Zep::Audio", &Actor::staticClassInfo);
ZEP_IMPLEMENT_CLASS(FontChar, "Zep::FontChar", &Object::staticClassInfo);
ZEP_IMPLEMENT_ABSTRACT_CLASS(Font, "Zep::Font", &Object::staticClassInfo);
ZEP_IMPLEMENT_CLASS(TextPresenter, "Zep::TextPresenter", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Visual, "Zep::Visual", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(SkinnedControl, "Zep::SkinnedControl", &Control::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Button, "Zep::Button", &SkinnedControl::staticClassInfo);
ZEP_IMPLEMENT_CLASS(PointObject, "Zep::PointObject", &Actor::staticClassInfo);
ZEP_IMPLEMENT_CLASS(DistortionMesh, "Zep::DistortionMesh", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(MeshPoint, "Zep::MeshPoint", &PointObject::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Edit, "Zep::Edit", &SkinnedControl::staticClassInfo);
ZEP_IMPLEMENT_CLASS(FolderBegin, "Zep::FolderBegin", &Actor::staticClassInfo);
ZEP_IMPLEMENT_CLASS(FolderEnd, "Zep::FolderEnd", &Actor::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Slider, "Zep::Slider", &SkinnedControl::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Gear, "Zep::Gear", &Actor::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Image, "Zep::Image", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Movie, "Zep::Movie", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(NineGrid, "Zep::NineGrid", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(ParticleTemplate, "Zep::ParticleTemplate", &Actor::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Spline, "Zep::Spline", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(SplinePoint, "Zep::SplinePoint", &PointObject::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Sticker, "Zep::Sticker", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Text, "Zep::Text", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(RichText, "Zep::RichText", &Graphic::staticClassInfo);
ZEP_IMPLEMENT_CLASS(Bone, "Zep::Bone", &Actor::staticClassInfo);
ZEP_IMPLEMENT_CLASS(MaskedEffect, "Zep::MaskedEffect", &Actor::staticClassInfo);
ZEP_IMPLEMENT_CLASS(TextStyle, "Zep::TextStyle", &Actor::staticClassInfo);
ZEP_IMPLEMENT_ANIMATOR_CLASS(std::string);
ZEP_IMPLEMENT_ANIMATOR_CLASS(Color);
ZEP_IMPLEMENT_ANIMATOR_CLASS(Vector2);
ZEP_IMPLEMENT_ANIMATOR_CLASS(float);
ZEP_IMPLEMENT_ANIMATOR_CLASS(bool);
ZEP_IMPLEMENT_ANIMATOR_CLASS(BlendMode);
ZEP_IMPLEMENT_ANIMATOR_CLASS(Movie::Action);
ZEP_IMPLEMENT_ANIMATOR_CLASS(EmitterShape);
ZEP_IMPLEMENT_ANIMATOR_CLASS(EmissionType);
ZEP_IMPLEMENT_ANIMATOR_CLASS(RandomPair);
ZEP_IMPLEMENT_ANIMATOR_CLASS(int32_t);
ZEP_IMPLEMENT_ANIMATOR_CLASS(HorizontalAlignment);
ZEP_IMPLEMENT_ANIMATOR_CLASS(VerticalAlignment);
ZEP_IMPLEMENT_ANIMATOR_CLASS(Audio::Action);
ZEP_IMPLEMENT_ANIMATOR_CLASS(uint32_t);
ZEP_IMPLEMENT_ANIMATOR_CLASS(SoundGroupType);
ZEP_IMPLEMENT_CLASS(FontCharPair, "Zep::FontCharPair", &Object::staticClassInfo);

namespace {

// Set by the main routine's call and read by nothing: the call is what counts.
volatile bool classRegistrationsLinked = false;

}  // namespace

void ForceLinkClassRegistrations() {
    classRegistrationsLinked = true;
}

}  // namespace Zep
