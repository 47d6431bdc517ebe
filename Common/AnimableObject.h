// An object whose properties animators can drive.
#pragma once

#include <cstdint>

#include "Common/Animator.h"
#include "Common/Object.h"

namespace Zep {

class AnimableObject : public Object {
    ZEP_DECLARE_CLASS();

    AnimableObject();
    AnimableObject(const AnimableObject&) = delete;
    AnimableObject& operator=(const AnimableObject&) = delete;

    // The largest last frame of the animators; 0 without animators.
    virtual int32_t GetLastFrameNumber();

    // Each call goes to the animators in collection order.
    void ApplyAnimators(int32_t timeMs);
    void CaptureAll(int32_t frame, uint32_t attributes = 0);
    void FireKeyCallbacks(int32_t frame);

    AnimatorCollection& GetAnimators() { return animators; }

    AnimatorCollection animators;
};

}  // namespace Zep
