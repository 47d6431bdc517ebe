// Point objects: positions attached to the graphic that contains them, optionally
// relative to its size and optionally skinned. So far their data.
#pragma once

#include "Common/Actor.h"
#include "Common/ValueTypes.h"

namespace Zep {

class PointObject : public Actor {
    ZEP_DECLARE_CLASS();

    PointObject();

    // Where the point lies in its container graphic: the position, measured from the
    // anchor's fraction of the container's size, and skinned. Not built yet (meshes and
    // splines): answers (0, 0).
    Vector2 CalcPositionInContainer();

    // --- Properties ---
    const Vector2& GetPosition() const { return position; }
    void SetPosition(const Vector2& value) { position = value; }
    // A fraction of the container's size that the position is measured from.
    const Vector2& GetAnchor() const { return anchor; }
    void SetAnchor(const Vector2& value) { anchor = value; }
    const SkinningWeights& GetSkinningWeights() const { return skinningWeights; }
    void SetSkinningWeights(const SkinningWeights& value) { skinningWeights = value; }

protected:
    Vector2 position;
    Vector2 anchor;
    SkinningWeights skinningWeights;
};

}  // namespace Zep
