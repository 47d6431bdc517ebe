// Splines: curves through their spline points, used as rails by gears and sliders.
// They draw nothing in the player. So far their data.
#pragma once

#include "Common/Graphic.h"
#include "Common/PointObject.h"

namespace Zep {

// A point of a spline with the tangent the curve passes it with.
class SplinePoint : public PointObject {
    ZEP_DECLARE_CLASS();

    SplinePoint();

    // --- Properties ---
    // The segment that starts here is a straight line.
    bool GetStraight() const { return straight; }
    void SetStraight(bool value) { straight = value; }
    float GetTangentAngle() const { return tangentAngle; }  // degrees
    void SetTangentAngle(float value) { tangentAngle = value; }
    float GetTangentWeight() const { return tangentWeight; }
    void SetTangentWeight(float value) { tangentWeight = value; }

protected:
    float tangentAngle;
    float tangentWeight;
    bool straight;
};

// A container of its points: its constructor sets compound.
class Spline : public Graphic {
    ZEP_DECLARE_CLASS();

    Spline();

    // --- Along the curve; distances are sums of chords between the spline points ---
    // Not built yet (meshes and splines): the four answer 0, (0, 0) or nothing.
    float CalcLength();
    // The point at that distance from the first spline point.
    Vector2 CalcPoint(float distance);
    // The distance along the spline of its point nearest to the given one.
    float CalcOffset(const Vector2& point);
    // Points each spline point's tangent from its previous to its next point.
    void AdjustTangents();
};

}  // namespace Zep
