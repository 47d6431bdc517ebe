// The skinning table a container keeps for the bones among its children, and the
// skinning of points by it.
// Stand-in: only the records, and a point transformation that moves nothing; the
// bones issue adds bone lookup and the weighted bone matrices.
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

namespace Skinning {

// Where the bones of the table carry a point of their container's space, by the
// weights. Stand-in: the point stays where it is, so a skinned graphic lands where
// an unskinned one would.
inline Vector2 TransformPoint(const SkinningTable&, const Vector2& point, const SkinningWeights&) {
    return point;
}

}  // namespace Skinning

}  // namespace Zep
