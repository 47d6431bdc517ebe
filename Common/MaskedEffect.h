// Masked effects: actors that draw their next sibling's texture as a mask over the
// texture of the sibling after it. A masked effect is an actor, not a control:
// Enabled is its own. So far its data.
#pragma once

#include "Common/Actor.h"
#include "Common/ValueTypes.h"

namespace Zep {

class MaskedEffect : public Actor {
    ZEP_DECLARE_CLASS();

    MaskedEffect();

    // --- Properties ---
    bool GetEnabled() const { return enabled; }
    void SetEnabled(bool value) { enabled = value; }
    BlendMode GetBlendMode() const { return blendMode; }
    void SetBlendMode(BlendMode value) { blendMode = value; }

protected:
    bool enabled;
    BlendMode blendMode;
};

}  // namespace Zep
