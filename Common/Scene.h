// Scenes: the controls that group a screen or a dialog, receive the notifications
// of the controls inside them, and may draw into a shared render target. So far
// their data and the notification slots.
#pragma once

#include <cstdint>

#include "Common/Control.h"

namespace Zep {

class Button;
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

// A container: its constructor sets compound.
class Scene : public Control {
    ZEP_DECLARE_CLASS();

    Scene();

    // --- Virtual operations: notifications of the skinned controls inside ---
    // Passed on to the parent when it is a scene, unless this scene is modal.
    virtual void OnButtonClick(Button* button);
    virtual void OnSliderChange(Slider* slider);
    virtual void OnEditChange(Edit* edit);

    // --- Properties ---
    RenderTargetNumber GetRenderTarget() const { return renderTarget; }
    void SetRenderTarget(RenderTargetNumber value) { renderTarget = value; }

protected:
    // The scene the notifications go on to: the parent scene of a scene that is not modal.
    Scene* GetEnclosingScene() const;

    RenderTargetNumber renderTarget;
};

// A scene class of its own name that adds nothing; created by class name only.
class RootScene : public Scene {
    ZEP_DECLARE_CLASS();

    RootScene();
};

}  // namespace Zep
