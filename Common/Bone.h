// Bones: the actors that publish a bone record in their parent's skinning table, so
// that skinned graphics and points of that parent follow them. So far their data.
#pragma once

#include <cstdint>

#include "Common/Actor.h"
#include "Common/ValueTypes.h"

namespace Zep {

class Bone : public Actor {
    ZEP_DECLARE_CLASS();

    Bone();

    // --- Properties ---
    // The bone's entry in the parent's skinning table; 0 publishes nothing.
    int32_t GetIndex() const { return index; }
    void SetIndex(int32_t value) { index = value; }
    // The bone this one hangs from; 0 for none.
    int32_t GetBaseIndex() const { return baseIndex; }
    void SetBaseIndex(int32_t value) { baseIndex = value; }
    // IKStopper, EffectiveRadius and FadeoutZone are kept for editing tools only.
    bool GetIKStopper() const { return ikStopper; }
    void SetIKStopper(bool value) { ikStopper = value; }
    float GetRotation() const { return rotation; }  // degrees
    void SetRotation(float value) { rotation = value; }
    float GetLength() const { return length; }
    void SetLength(float value) { length = value; }
    float GetEffectiveRadius() const { return effectiveRadius; }
    void SetEffectiveRadius(float value) { effectiveRadius = value; }
    float GetFadeoutZone() const { return fadeoutZone; }
    void SetFadeoutZone(float value) { fadeoutZone = value; }
    // The pose the skinned children were made in.
    float GetRefRotation() const { return refRotation; }  // degrees
    void SetRefRotation(float value) { refRotation = value; }
    float GetRefLength() const { return refLength; }
    void SetRefLength(float value) { refLength = value; }
    const Vector2& GetRefPosition() const { return refPosition; }
    void SetRefPosition(const Vector2& value) { refPosition = value; }
    const Vector2& GetPosition() const { return position; }
    void SetPosition(const Vector2& value) { position = value; }

protected:
    int32_t index;
    int32_t baseIndex;
    bool ikStopper;
    float rotation;
    float length;
    float effectiveRadius;
    float fadeoutZone;
    float refRotation;
    float refLength;
    Vector2 refPosition;
    Vector2 position;
};

}  // namespace Zep
