#include "Common/Scene.h"

#include <string>

#include "Common/PropertyInfo.h"
#include "Common/TextureManager.h"
#include "Common/Utils.h"
#include "LumoSources/Common/LumoCommon.h"
#include "LumoSources/Common/PlatformRenderer.h"

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

Scene::Scene() : renderTarget(RENDER_TARGET_NONE), renderTargetTexture(nullptr) {
    SetClassInfo(&staticClassInfo);
    SetCompound(true);
}

Scene::~Scene() {
    ResetTexturePtr(renderTargetTexture);
}

void Scene::SetRenderTarget(RenderTargetNumber value) {
    renderTarget = value;
    ResetTexturePtr(renderTargetTexture);
}

ManagedTexture* Scene::GetRenderTargetTexture() {
    if (renderTargetTexture || renderTarget == RENDER_TARGET_NONE)
        return renderTargetTexture;
    const char name[] = {'#', static_cast<char>('a' + renderTarget - 1), '\0'};
    renderTargetTexture = TextureManager::GetInstance()->GetTexture(name);
    return renderTargetTexture;
}

Texture* Scene::GetTexture() {
    return renderTargetTexture;
}

void Scene::RenderInContext(const RenderContext& context) {
    ManagedTexture* target = GetRenderTargetTexture();
    if (!target) {
        Control::RenderInContext(context);
        return;
    }
    if (size.x <= 0.0f || size.y <= 0.0f)
        return;
    const float width = static_cast<float>(target->GetWidth());
    const float height = static_cast<float>(target->GetHeight());
    target->SetScale(width / size.x, height / size.y);

    PlatformRenderer* renderer = Lumo::InstanceHolder<PlatformRenderer>::Get();
    renderer->PushTransform(true);
    renderer->PushTransform(false);
    IntVector2 savedOrigin, savedSize;
    renderer->GetViewport(savedOrigin, savedSize);
    renderer->SetRenderTargetTexture(target);
    renderer->SetViewport(IntVector2(0, 0), IntVector2(target->GetWidth(), target->GetHeight()));
    renderer->SetProjection2d(0.0f, 0.0f, size.x, size.y);
    // The subtree in scene coordinates, wherever the scene stands.
    Control::RenderInContext(RenderContext::GetDefault());
    renderer->SetRenderTargetTexture(nullptr);
    renderer->SetViewport(savedOrigin, savedSize);
    renderer->PopTransform(false);
    renderer->PopTransform(true);
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
