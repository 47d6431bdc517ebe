#include "Common/Scene.h"

#include <string>

#include "Common/PropertyInfo.h"
#include "Common/Utils.h"

namespace Zep {

void Scene::DeclareProperties() {
    RegisterProperty<Scene, RenderTargetNumber>("RenderTarget", &Scene::GetRenderTarget, &Scene::SetRenderTarget);
    // Old files carry skin fields that scenes no longer have; they are read and dropped.
    RegisterProperty<Scene, std::string>(
        "VisualName", [](Scene*) { return std::string(); }, [](Scene*, std::string) {}, PROPERTY_OBSOLETE);
    RegisterProperty<Scene, bool>(
        "SuppressSkin", [](Scene*) { return false; }, [](Scene*, bool) {}, PROPERTY_OBSOLETE);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::EnumProperty' { Name 'RenderTarget' Group 'Scene' Values [ 'None' 'A (256x256)' "
        "'B (256x256)' 'C (512x512)' 'D (1024x1024)' ] } ] }");
}

Scene::Scene() : renderTarget(RENDER_TARGET_NONE) {
    SetClassInfo(&staticClassInfo);
    SetCompound(true);
}

Scene* Scene::GetEnclosingScene() const {
    return modal ? nullptr : CastTo<Scene>(parent);
}

void Scene::OnButtonClick(Button* button) {
    if (Scene* enclosing = GetEnclosingScene())
        enclosing->OnButtonClick(button);
}

void Scene::OnSliderChange(Slider* slider) {
    if (Scene* enclosing = GetEnclosingScene())
        enclosing->OnSliderChange(slider);
}

void Scene::OnEditChange(Edit* edit) {
    if (Scene* enclosing = GetEnclosingScene())
        enclosing->OnEditChange(edit);
}

void RootScene::DeclareProperties() {}

RootScene::RootScene() {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
