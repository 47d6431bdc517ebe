// Animators and the collection an animable object keeps them in. Only the shape
// that objects and collections rely on so far: the abstract animator and its
// owning collection.
#pragma once

#include <cstdint>

#include "Common/Collection.h"
#include "Common/Object.h"

namespace Zep {

class AnimableObject;

// Drives one animatable property of a target object over time.
class Animator : public Object {
    ZEP_DECLARE_CLASS();

    Animator();

    // Sets the bound property of the target from the keys at the time; true when a
    // value was set.
    virtual bool Apply(Object* target, int32_t timeMs) = 0;
    // Sets a key at the frame from the target's current value.
    virtual void Capture(Object* target, int32_t frame, uint32_t attributes) = 0;
    // Calls the property's key callback when a key lies exactly at the frame.
    virtual void FireKeyCallback(Object* target, int32_t frame) = 0;
    // Frame of the last key; 0 without keys.
    virtual int32_t GetLastFrameNumber() const = 0;
};

// The animators of one animable object; owns them.
class AnimatorCollection : public Collection<AnimatorCollection, Animator> {
public:
    explicit AnimatorCollection(AnimableObject* owner) : owner(owner) { SetOwnsObjects(true); }

    AnimableObject* GetOwner() const { return owner; }

private:
    AnimableObject* owner;
};

}  // namespace Zep
