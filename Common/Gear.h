// Gears: actors that place a widget along a spline. A gear is an actor, not a
// graphic. So far its data.
#pragma once

#include <string>

#include "Common/Actor.h"

namespace Zep {

class Gear : public Actor {
    ZEP_DECLARE_CLASS();

    Gear();

    // --- Properties ---
    // Names of the widget it moves and of the spline it rides, among its siblings.
    const std::string& GetWidgetName() const { return widgetName; }
    void SetWidgetName(const std::string& value) { widgetName = value; }
    const std::string& GetSplineName() const { return splineName; }
    void SetSplineName(const std::string& value) { splineName = value; }
    // A fraction of the spline's length.
    float GetSplineOffset() const { return splineOffset; }
    void SetSplineOffset(float value) { splineOffset = value; }

protected:
    std::string widgetName;
    std::string splineName;
    float splineOffset;
};

}  // namespace Zep
