// The skinning table a container keeps for the bones among its children.
// Stand-in: only the records; the bones issue adds bone lookup and point
// transformation.
#pragma once

#include <vector>

#include "Common/ValueTypes.h"

namespace Zep {

// One bone as its container's children see it. A new record is all zero with the
// identity as skin matrix.
struct SkinningBone {
    float rotation = 0.0f;  // degrees
    float length = 0.0f;
    Vector2 position;
    Vector2 tip;
    Matrix32 skinMatrix;
};

// Bone records by bone index; index 0 is never used.
typedef std::vector<SkinningBone> SkinningTable;

}  // namespace Zep
