// Graphics: the actors with a rectangle on screen, and the base of every visual
// class. So far their data: the properties with their defaults and archive forms,
// and the setter effects that need nothing else.
#pragma once

#include <cstdint>

#include "Common/Actor.h"
#include "Common/ValueTypes.h"

namespace Zep {

// How a graphic answers hit tests; stored and archived as a 32-bit value.
enum HitTestMethod : int32_t {
    HIT_TEST_BOUNDING_RECT = 0,
    HIT_TEST_CONTENTS = 1,  // what the graphic shows decides, not its rectangle
    HIT_TEST_SKIP = 2,
};

// Bits of Anchors: the edges of its parent that a graphic follows when the parent
// is resized.
enum AnchorBits : uint32_t {
    ANCHOR_LEFT = 1,
    ANCHOR_RIGHT = 2,
    ANCHOR_TOP = 4,
    ANCHOR_BOTTOM = 8,
    ANCHOR_CENTER_H = 16,
    ANCHOR_CENTER_V = 32,
};

class Graphic : public Actor {
    ZEP_DECLARE_CLASS();

    Graphic();

    // --- Virtual operations ---
    // Stores Visible.
    virtual void SetVisible(bool value);

    // --- Properties ---
    // Setting any of the five transform properties marks the cached transform stale.
    bool GetVisible() const { return visible; }
    float GetRotation() const { return rotation; }  // degrees
    void SetRotation(float value);
    const Vector2& GetPosition() const { return position; }
    void SetPosition(const Vector2& value);
    const Vector2& GetScale() const { return scale; }
    void SetScale(const Vector2& value);
    // A fraction of the size: (0, 0) is the top-left corner, (1, 1) the bottom-right.
    const Vector2& GetPivot() const { return pivot; }
    void SetPivot(const Vector2& value);
    const Vector2& GetSize() const { return size; }
    void SetSize(const Vector2& value);
    const Color& GetColor() const { return color; }
    void SetColor(const Color& value) { color = value; }
    BlendMode GetBlendMode() const { return blendMode; }
    void SetBlendMode(BlendMode value) { blendMode = value; }
    uint32_t GetAnchors() const { return anchors; }
    void SetAnchors(uint32_t value) { anchors = value; }
    HitTestMethod GetHitTestMethod() const { return hitTestMethod; }
    void SetHitTestMethod(HitTestMethod value) { hitTestMethod = value; }
    const SkinningWeights& GetSkinningWeights() const { return skinningWeights; }
    void SetSkinningWeights(const SkinningWeights& value) { skinningWeights = value; }

    // The cached transform must be computed again before it is used.
    bool IsTransformStale() const { return cachedTransform._11 == kStaleTransform; }

protected:
    // Marks the cached transform stale: its first element holds the marker.
    void MarkTransformStale() { cachedTransform._11 = kStaleTransform; }

    static constexpr float kStaleTransform = 3.4e38f;

    Matrix32 cachedTransform;
    BlendMode blendMode;
    HitTestMethod hitTestMethod;
    bool visible;
    float rotation;
    Vector2 position;
    Vector2 size;
    Vector2 pivot;
    Vector2 scale;
    Color color;
    uint32_t anchors;
    SkinningWeights skinningWeights;
};

}  // namespace Zep
