// Skinned controls: controls that show a clone of a template from the skin scene.
// So far their data and the notification of their scene.
#pragma once

#include <string>

#include "Common/Control.h"

namespace Zep {

class Scene;

class SkinnedControl : public Control {
    ZEP_DECLARE_CLASS();

    SkinnedControl();

    // --- Virtual operations ---
    // Tells the parent scene of a change; nothing here.
    virtual void NotifyScene();

    // --- Properties ---
    // Set: the control shows no skin.
    bool GetSuppressSkin() const { return suppressSkin; }
    void SetSuppressSkin(bool value) { suppressSkin = value; }
    // The template's name in the skin scene; empty for the control's class name.
    const std::string& GetVisualName() const { return visualName; }
    void SetVisualName(const std::string& value) { visualName = value; }

protected:
    // The parent when it is a scene, else null.
    Scene* GetParentScene() const;

    bool suppressSkin;
    std::string visualName;
};

}  // namespace Zep
