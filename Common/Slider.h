// Sliders: skinned controls with a value in a range that report every setting of
// it to their scene. So far their data.
#pragma once

#include "Common/SkinnedControl.h"

namespace Zep {

class Slider : public SkinnedControl {
    ZEP_DECLARE_CLASS();

    Slider();

    // Reports the value: OnSliderChange of the parent scene.
    void NotifyScene() override;

    // --- Properties ---
    float GetRangeMin() const { return rangeMin; }
    void SetRangeMin(float value) { rangeMin = value; }
    float GetRangeMax() const { return rangeMax; }
    void SetRangeMax(float value) { rangeMax = value; }
    float GetValue() const { return value; }
    // Stores the value as given, not clamped to the range, and notifies the scene,
    // also when the value does not change. A slider read from a file gets its value
    // before it has a parent, so loading notifies nobody.
    void SetValue(float newValue);
    float GetStep() const { return step; }
    void SetStep(float newStep) { step = newStep; }

protected:
    float rangeMin;
    float rangeMax;
    float value;
    float step;
};

}  // namespace Zep
