#include "Common/SceneClasses.h"

#include "Common/Actor.h"
#include "Common/Button.h"
#include "Common/ClassInfo.h"
#include "Common/Edit.h"
#include "Common/Image.h"
#include "Common/NineGrid.h"
#include "Common/RichText.h"
#include "Common/Scene.h"
#include "Common/Slider.h"
#include "Common/Text.h"
#include "Common/TextPresenter.h"
#include "Common/TextStyle.h"
#include "Common/Visual.h"

namespace Zep {

// Every class built so far; a new class joins the list. External linkage, so that
// the compiler keeps the references.
extern const ClassInfo* const sceneClassRecords[];
const ClassInfo* const sceneClassRecords[] = {
    &AnimableObject::staticClassInfo, &Actor::staticClassInfo,    &Marker::staticClassInfo,
    &Graphic::staticClassInfo,        &Control::staticClassInfo,  &Scene::staticClassInfo,
    &RootScene::staticClassInfo,      &Image::staticClassInfo,    &NineGrid::staticClassInfo,
    &Text::staticClassInfo,           &RichText::staticClassInfo, &TextStyle::staticClassInfo,
    &TextPresenter::staticClassInfo,  &Visual::staticClassInfo,   &SkinnedControl::staticClassInfo,
    &Button::staticClassInfo,         &Slider::staticClassInfo,   &Edit::staticClassInfo,
};

// The call is what counts: it brings this file, and with it every class above, into
// the program.
void ForceLinkSceneClasses() {}

}  // namespace Zep
