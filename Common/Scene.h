// Scenes: the controls that group a screen or a dialog, receive the notifications
// of the controls inside them, and may draw into a shared render target.
#pragma once

#include <cstdint>

#include "Common/Control.h"

namespace Zep {

class Button;
class ManagedTexture;
class Slider;
class Edit;

// The shared render-target texture a scene draws into; stored and archived as a
// 32-bit value.
enum RenderTargetNumber : int32_t {
    RENDER_TARGET_NONE = 0,
    RENDER_TARGET_A = 1,  // 256 x 256
    RENDER_TARGET_B = 2,  // 256 x 256
    RENDER_TARGET_C = 3,  // 512 x 512
    RENDER_TARGET_D = 4,  // 1024 x 1024
};

// A container: its constructor sets compound. With a render target it draws its
// children into the target's texture, in its own coordinates, and nothing on the
// screen; the target texture is held from the first such drawing until the target
// changes or the scene goes.
class Scene : public Control {
    ZEP_DECLARE_CLASS();

    Scene();
    ~Scene() override;

    void RenderInContext(const RenderContext& context) override;
    // The held render-target texture, or null.
    Texture* GetTexture() override;

    // --- Virtual operations: notifications of the skinned controls inside ---
    // Passed on to the parent when it is a scene, unless this scene is modal.
    virtual void OnButtonClick(Button* button);
    virtual void OnSliderChange(Slider* slider);
    virtual void OnEditChange(Edit* edit);

    // --- Properties ---
    RenderTargetNumber GetRenderTarget() const { return renderTarget; }
    // Releases the held texture, so that the next drawing takes the new target.
    void SetRenderTarget(RenderTargetNumber value);
    // The texture of the target ("#a" to "#d"), taken from the texture manager and
    // held; null without a target.
    ManagedTexture* GetRenderTargetTexture();

protected:
    // The scene the notifications go on to: the parent scene of a scene that is not modal.
    Scene* GetEnclosingScene() const;

    RenderTargetNumber renderTarget;
    ManagedTexture* renderTargetTexture;
};

// A scene class of its own name that adds nothing; created by class name only.
class RootScene : public Scene {
    ZEP_DECLARE_CLASS();

    RootScene();
};

}  // namespace Zep
