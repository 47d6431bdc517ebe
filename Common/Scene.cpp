#include "Common/Scene.h"

#include <string>

#include "Common/PropertyInfo.h"

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

void Scene::OnButtonClick(Button*) {}

void Scene::OnSliderChange(Slider*) {}

void Scene::OnEditChange(Edit*) {}

void RootScene::DeclareProperties() {}

RootScene::RootScene() {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
