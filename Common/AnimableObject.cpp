#include "Common/AnimableObject.h"

namespace Zep {

void AnimableObject::DeclareProperties() {
    RegisterCollection("Animators", &AnimableObject::animators);
}

AnimableObject::AnimableObject() : animators(this) {
    SetClassInfo(&staticClassInfo);
}

// Entries left empty by growth are passed over.
int32_t AnimableObject::GetLastFrameNumber() {
    int32_t last = 0;
    for (int32_t i = 0; i < animators.GetCount(); ++i) {
        if (Animator* animator = animators.Get(i)) {
            if (animator->GetLastFrameNumber() > last)
                last = animator->GetLastFrameNumber();
        }
    }
    return last;
}

void AnimableObject::ApplyAnimators(int32_t timeMs) {
    for (int32_t i = 0; i < animators.GetCount(); ++i) {
        if (Animator* animator = animators.Get(i))
            animator->Apply(this, timeMs);
    }
}

void AnimableObject::CaptureAll(int32_t frame, uint32_t attributes) {
    for (int32_t i = 0; i < animators.GetCount(); ++i) {
        if (Animator* animator = animators.Get(i))
            animator->Capture(this, frame, attributes);
    }
}

void AnimableObject::FireKeyCallbacks(int32_t frame) {
    for (int32_t i = 0; i < animators.GetCount(); ++i) {
        if (Animator* animator = animators.Get(i))
            animator->FireKeyCallback(this, frame);
    }
}

}  // namespace Zep
