#include "Common/SceneClasses.h"

#include "Common/Actor.h"
#include "Common/Audio.h"
#include "Common/Bone.h"
#include "Common/Button.h"
#include "Common/ClassInfo.h"
#include "Common/DistortionMesh.h"
#include "Common/Edit.h"
#include "Common/FolderMarkers.h"
#include "Common/Font.h"
#include "Common/Gear.h"
#include "Common/Image.h"
#include "Common/MaskedEffect.h"
#include "Common/Movie.h"
#include "Common/NineGrid.h"
#include "Common/ParticleEmitter.h"
#include "Common/ParticleTemplate.h"
#include "Common/ParticlesMagnet.h"
#include "Common/PointObject.h"
#include "Common/RichText.h"
#include "Common/Scene.h"
#include "Common/Slider.h"
#include "Common/Spline.h"
#include "Common/Sticker.h"
#include "Common/Text.h"
#include "Common/TextPresenter.h"
#include "Common/TextStyle.h"
#include "Common/Visual.h"

namespace Zep {

// Every class built so far; a new class joins the list. External linkage, so that
// the compiler keeps the references.
extern const ClassInfo* const sceneClassRecords[];
const ClassInfo* const sceneClassRecords[] = {
    &AnimableObject::staticClassInfo,
    &Actor::staticClassInfo,
    &Marker::staticClassInfo,
    &Graphic::staticClassInfo,
    &Control::staticClassInfo,
    &Scene::staticClassInfo,
    &RootScene::staticClassInfo,
    &Image::staticClassInfo,
    &NineGrid::staticClassInfo,
    &Text::staticClassInfo,
    &RichText::staticClassInfo,
    &TextStyle::staticClassInfo,
    &TextPresenter::staticClassInfo,
    &Visual::staticClassInfo,
    &SkinnedControl::staticClassInfo,
    &Button::staticClassInfo,
    &Slider::staticClassInfo,
    &Edit::staticClassInfo,
    &ParticleEmitter::staticClassInfo,
    &ParticleEmitter2::staticClassInfo,
    &ParticlesMagnet::staticClassInfo,
    &ParticleTemplate::staticClassInfo,
    &Audio::staticClassInfo,
    &FontChar::staticClassInfo,
    &Font::staticClassInfo,
    &FontCharPair::staticClassInfo,
    &PointObject::staticClassInfo,
    &MeshPoint::staticClassInfo,
    &DistortionMesh::staticClassInfo,
    &Spline::staticClassInfo,
    &SplinePoint::staticClassInfo,
    &Gear::staticClassInfo,
    &Movie::staticClassInfo,
    &Sticker::staticClassInfo,
    &Bone::staticClassInfo,
    &MaskedEffect::staticClassInfo,
    &FolderBegin::staticClassInfo,
    &FolderEnd::staticClassInfo,
};

// The call is what counts: it brings this file, and with it every class above, into
// the program.
void ForceLinkSceneClasses() {}

}  // namespace Zep
